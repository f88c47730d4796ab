#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The one record format of the program files and the selection list: per line a quoted
// text, a comma and "#TRUE#" or "#FALSE#", ended by CR LF, in Windows-1252.
namespace RecordFormat {

struct Record
{
    QString text;
    bool ticked = false;
    friend bool operator==(const Record&, const Record&) = default;
};

// Reads every record. Accepts what people write by hand: blank lines are skipped, a record
// without a tick field or with any tick other than "#TRUE#" is unticked, an unterminated
// quote runs to the end. A file that begins with a UTF-8 byte-order mark is read as UTF-8.
// Always ends, whatever the bytes.
QList<Record> parse(const QByteArray& bytes);

struct Encoded
{
    QByteArray bytes;
    QString error; // empty when every record could be written
};

// What to do with a text that Windows-1252 cannot hold.
enum class Unrepresentable {
    Refuse,    // error names it and bytes is empty
    WriteUtf8, // the whole file is written as UTF-8 behind a byte-order mark, as it was read
};

// Writes every record in order, in Windows-1252 where every text fits. A text holding a
// double quote cannot survive a write and a read, so it is always refused.
Encoded serialize(const QList<Record>& records,
                  Unrepresentable unrepresentable = Unrepresentable::Refuse);

// Why text cannot be stored in a record, or an empty string when it can.
QString refusal(const QString& text);

} // namespace RecordFormat
