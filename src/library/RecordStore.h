#pragma once

#include "library/Record.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The records of one list, held compactly: the texts' bytes in the file's own encoding, and
// per row where its text lies and its tick. A program file read in Windows-1252 is kept as the
// very bytes that were read, so a library of 100 MB takes about 100 MB, not the four or five
// times that one string per message takes (two bytes a character, and a header and an
// allocation each). A text is decoded when someone asks for it.
class RecordStore
{
public:
    enum class Encoding { Cp1252, Utf8 };

    RecordStore() = default;
    explicit RecordStore(const QList<Record>& records);

    // A store over `bytes` with no rows yet; the reader adds each row's place in them.
    static RecordStore over(QByteArray bytes, Encoding encoding);
    void appendSlice(qsizetype begin, qsizetype size, bool ticked);

    qsizetype size() const { return qsizetype(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }
    Encoding encoding() const { return m_encoding; }
    // About the bytes the texts take in a file.
    qsizetype textBytes() const { return m_base.size() + m_added.size() - m_garbage; }

    QString text(qsizetype row) const;
    // At most `maxChars` characters from the start of the row's text, decoded without
    // touching the rest: what a list row can show of a text of megabytes.
    QString textStart(qsizetype row, qsizetype maxChars) const;
    bool ticked(qsizetype row) const { return m_rows[row].ticked; }
    Record at(qsizetype row) const { return Record{text(row), ticked(row)}; }
    QList<Record> toRecords() const;
    // A store of the one row: a message kept aside without decoding it.
    RecordStore sliced(qsizetype row) const;
    // The row's text as stored, in encoding().
    QByteArrayView storedText(qsizetype row) const;

    void append(const Record& record);
    void setText(qsizetype row, const QString& text);
    void setTicked(qsizetype row, bool ticked) { m_rows[row].ticked = ticked; }
    void removeAt(qsizetype row);

    friend bool operator==(const RecordStore& a, const RecordStore& b);

private:
    struct Row
    {
        qsizetype begin; // in m_base, or past its end in m_added
        quint64 size : 63;
        quint64 ticked : 1;
    };

    QString decodeUtf8(qsizetype row, QByteArrayView bytes) const;
    // Appends the text's bytes after the base and returns where they begin.
    qsizetype store(const QString& text);
    void becomeUtf8();
    void dropGarbage();

    QByteArray m_base;  // never changed: usually the file's bytes
    QByteArray m_added; // texts added or changed since
    // Shared between copies until one of them changes: a copy handed to a write on another
    // thread costs nothing while the list stays as it is.
    QList<Row> m_rows;
    Encoding m_encoding = Encoding::Cp1252;
    qsizetype m_garbage = 0; // bytes of m_added no row uses any more
};
