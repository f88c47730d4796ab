#include "library/RecordStore.h"

#include "core/Cp1252.h"

#include <QStringDecoder>
#include <algorithm>

RecordStore::RecordStore(const QList<Record>& records)
{
    m_rows.reserve(records.size());
    for (const Record& record : records)
        append(record);
}

RecordStore RecordStore::over(QByteArray bytes, Encoding encoding)
{
    RecordStore out;
    out.m_base = std::move(bytes);
    out.m_encoding = encoding;
    return out;
}

void RecordStore::appendSlice(qsizetype begin, qsizetype size, bool ticked)
{
    m_rows.push_back(Row{begin, quint64(size), ticked});
}

QByteArrayView RecordStore::storedText(qsizetype row) const
{
    const Row& r = m_rows[row];
    const qsizetype size = qsizetype(r.size);
    if (r.begin < m_base.size())
        return QByteArrayView(m_base.constData() + r.begin, size);
    return QByteArrayView(m_added.constData() + (r.begin - m_base.size()), size);
}

// The file's texts are decoded as the record reader decodes them, which drops a byte-order
// mark at a text's start; a text put in since holds every character it was given, a leading
// U+FEFF included.
QString RecordStore::decodeUtf8(qsizetype row, QByteArrayView bytes) const
{
    if (m_rows[row].begin < m_base.size())
        return QString::fromUtf8(bytes);
    QStringDecoder exact(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return exact.decode(bytes);
}

QString RecordStore::text(qsizetype row) const
{
    const QByteArrayView bytes = storedText(row);
    if (m_encoding == Encoding::Utf8)
        return decodeUtf8(row, bytes);
    return Cp1252::decode(QByteArray::fromRawData(bytes.data(), bytes.size()));
}

QString RecordStore::textStart(qsizetype row, qsizetype maxChars) const
{
    QByteArrayView bytes = storedText(row);
    if (m_encoding == Encoding::Cp1252) {
        bytes = bytes.first(std::min(bytes.size(), maxChars));
        return Cp1252::decode(QByteArray::fromRawData(bytes.data(), bytes.size()));
    }
    // A character takes at most four bytes and at least one place of a string: the first
    // 4 x maxChars bytes hold maxChars places whole before a character they cut, which the
    // truncation drops.
    bytes = bytes.first(std::min(bytes.size(), maxChars * 4));
    QString text = decodeUtf8(row, bytes);
    if (text.size() > maxChars)
        text.truncate(maxChars);
    return text;
}

QList<Record> RecordStore::toRecords() const
{
    QList<Record> out;
    out.reserve(size());
    for (qsizetype row = 0; row < size(); ++row)
        out.append(at(row));
    return out;
}

RecordStore RecordStore::sliced(qsizetype row) const
{
    // A copy of the text's bytes alone: sharing the buffer would keep a whole file alive.
    if (m_rows[row].begin >= m_base.size()) {
        RecordStore out = over({}, m_encoding);
        out.append(at(row));
        return out;
    }
    const QByteArrayView bytes = storedText(row);
    RecordStore out = over(bytes.toByteArray(), m_encoding);
    out.appendSlice(0, bytes.size(), ticked(row));
    return out;
}

qsizetype RecordStore::store(const QString& text)
{
    const qsizetype begin = m_added.size();
    if (m_encoding == Encoding::Cp1252 && !Cp1252::appendEncoded(m_added, text)) {
        m_added.truncate(begin);
        becomeUtf8();
        return store(text);
    }
    if (m_encoding == Encoding::Utf8)
        m_added.append(text.toUtf8());
    return m_base.size() + begin;
}

void RecordStore::append(const Record& record)
{
    const qsizetype begin = store(record.text);
    m_rows.push_back(Row{begin, quint64(m_base.size() + m_added.size() - begin), record.ticked});
}

void RecordStore::setText(qsizetype row, const QString& text)
{
    if (m_rows[row].begin >= m_base.size())
        m_garbage += qsizetype(m_rows[row].size);
    const qsizetype begin = store(text);
    Row& r = m_rows[row];
    r.begin = begin;
    r.size = quint64(m_base.size() + m_added.size() - begin);
    dropGarbage();
}

void RecordStore::removeAt(qsizetype row)
{
    if (m_rows[row].begin >= m_base.size())
        m_garbage += qsizetype(m_rows[row].size);
    m_rows.erase(m_rows.begin() + row);
    dropGarbage();
}

// A text Windows-1252 cannot hold turns the whole store into UTF-8, as the file it is written
// to will then be.
void RecordStore::becomeUtf8()
{
    RecordStore utf8 = over({}, Encoding::Utf8);
    utf8.m_rows.reserve(m_rows.size());
    for (qsizetype row = 0; row < size(); ++row)
        utf8.append(at(row));
    *this = std::move(utf8);
}

// Texts changed again and again would otherwise pile up their old bytes.
void RecordStore::dropGarbage()
{
    if (m_garbage < 1024 * 1024 || m_garbage < m_added.size() / 2)
        return;
    QByteArray kept;
    kept.reserve(m_added.size() - m_garbage);
    for (Row& r : m_rows) {
        if (r.begin < m_base.size())
            continue;
        const qsizetype begin = m_base.size() + kept.size();
        kept.append(m_added.constData() + (r.begin - m_base.size()), qsizetype(r.size));
        r.begin = begin;
    }
    m_added = std::move(kept);
    m_garbage = 0;
}

bool operator==(const RecordStore& a, const RecordStore& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype row = 0; row < a.size(); ++row) {
        if (a.ticked(row) != b.ticked(row) || a.text(row) != b.text(row))
            return false;
    }
    return true;
}
