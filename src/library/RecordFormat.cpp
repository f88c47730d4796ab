#include "library/RecordFormat.h"

#include "core/Cp1252.h"

#include <cstring>

namespace {

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

class Reader
{
public:
    Reader(const char* begin, const char* end) : m_p(begin), m_end(end) {}

    bool atEnd() const { return m_p >= m_end; }

    void skipSpaces()
    {
        while (m_p < m_end && *m_p == ' ')
            ++m_p;
    }

    // Blank lines and spaces between records.
    void skipBlank()
    {
        while (m_p < m_end && (*m_p == ' ' || isLineEnd(*m_p)))
            ++m_p;
    }

    // Consumes one line end (CR LF, CR or LF) if there is one.
    void skipLineEnd()
    {
        if (m_p < m_end && *m_p == '\r')
            ++m_p;
        if (m_p < m_end && *m_p == '\n')
            ++m_p;
    }

    // Reads up to the next comma or line end, leaving that delimiter unread.
    QByteArrayView readUnquoted()
    {
        const char* start = m_p;
        while (m_p < m_end && *m_p != ',' && !isLineEnd(*m_p))
            ++m_p;
        const char* stop = m_p;
        while (stop > start && stop[-1] == ' ')
            --stop;
        return QByteArrayView(start, stop - start);
    }

    // After the opening quote: up to the closing quote, line breaks included.
    QByteArrayView readQuoted()
    {
        const char* start = m_p;
        const void* quote = std::memchr(m_p, '"', size_t(m_end - m_p));
        m_p = quote ? static_cast<const char*>(quote) : m_end;
        const QByteArrayView text(start, m_p - start);
        if (m_p < m_end)
            ++m_p; // the closing quote
        // Anything between the closing quote and the delimiter is not part of the record.
        while (m_p < m_end && *m_p != ',' && !isLineEnd(*m_p))
            ++m_p;
        return text;
    }

    char peek() const { return *m_p; }
    void advance() { ++m_p; }

    void skipRestOfLine()
    {
        while (m_p < m_end && !isLineEnd(*m_p))
            ++m_p;
        skipLineEnd();
    }

private:
    const char* m_p;
    const char* m_end;
};

// Calls found(text, ticked) for every record, the text as a view into bytes, until found
// returns false.
template <typename Found> void eachRecord(const char* begin, const char* end, Found found)
{
    Reader in(begin, end);
    for (;;) {
        in.skipBlank();
        if (in.atEnd())
            break;
        QByteArrayView text;
        if (in.peek() == '"') {
            in.advance();
            text = in.readQuoted();
        } else {
            text = in.readUnquoted();
        }
        bool ticked = false;
        if (!in.atEnd() && in.peek() == ',') {
            in.advance();
            in.skipSpaces();
            ticked = in.readUnquoted() == "#TRUE#";
        }
        // A record ends with its line; further fields on the same line are ignored.
        in.skipRestOfLine();
        if (!found(text, ticked))
            break;
    }
}

} // namespace

namespace RecordFormat {

QList<Record> parse(const QByteArray& bytes)
{
    QList<Record> records;
    // The delimiters are ASCII, which never occurs inside a UTF-8 sequence, so both encodings
    // split alike.
    const bool utf8 = Cp1252::hasUtf8Bom(bytes);
    const char* begin = bytes.constData() + (utf8 ? 3 : 0);
    eachRecord(begin, bytes.constData() + bytes.size(), [&](QByteArrayView text, bool ticked) {
        records.append(
            Record{utf8 ? QString::fromUtf8(text)
                        : Cp1252::decode(QByteArray::fromRawData(text.data(), text.size())),
                   ticked});
        return true;
    });
    return records;
}

RecordStore parseStore(QByteArray bytes)
{
    const bool utf8 = Cp1252::hasUtf8Bom(bytes);
    const qsizetype skip = utf8 ? 3 : 0;
    // Bytes that are not UTF-8 are read as the replacement character; the store then holds
    // the texts as they were read, so what is written back is what was shown.
    if (utf8 && !QByteArrayView(bytes).sliced(skip).isValidUtf8()) {
        RecordStore store;
        for (const Record& record : parse(bytes))
            store.append(record);
        return store;
    }
    RecordStore store = RecordStore::over(bytes, utf8 ? RecordStore::Encoding::Utf8
                                                      : RecordStore::Encoding::Cp1252);
    const char* base = bytes.constData();
    eachRecord(base + skip, base + bytes.size(), [&](QByteArrayView text, bool ticked) {
        store.appendSlice(text.data() - base, text.size(), ticked);
        return true;
    });
    return store;
}

void scan(QByteArrayView bytes, const std::function<bool(QByteArrayView, bool)>& found)
{
    const qsizetype bom = qsizetype(std::strlen(Cp1252::kUtf8Bom));
    const bool utf8 = bytes.startsWith(QByteArrayView(Cp1252::kUtf8Bom, bom));
    eachRecord(bytes.data() + (utf8 ? bom : 0), bytes.data() + bytes.size(), found);
}

Outcome checkText(const QString& text)
{
    if (text.contains(QLatin1Char('"')))
        return Outcome::failed(
            QStringLiteral("A message cannot hold the double quote character (\"), because the "
                           "program files use it to enclose each message."));
    return Cp1252::encode(text, QStringLiteral("program files")).outcome;
}

QString firstUnstorable(const QString& text)
{
    return text.contains(QLatin1Char('"')) ? QStringLiteral("\"")
                                           : Cp1252::firstUnrepresentable(text);
}

namespace {
Produced<QByteArray> serializeUtf8(const QList<Record>& records)
{
    Produced<QByteArray> out;
    out.value.append(Cp1252::kUtf8Bom);
    for (const Record& r : records) {
        if (r.text.contains(QLatin1Char('"')))
            return {{}, checkText(r.text)};
        out.value.append('"');
        out.value.append(r.text.toUtf8());
        out.value.append(r.ticked ? "\",#TRUE#\r\n" : "\",#FALSE#\r\n");
    }
    return out;
}
} // namespace

Produced<QByteArray> serialize(const QList<Record>& records, Unrepresentable unrepresentable)
{
    Produced<QByteArray> out;
    qsizetype size = 0;
    for (const Record& r : records)
        size += r.text.size() + 12; // "text",#FALSE# CR LF
    out.value.reserve(size);
    for (const Record& r : records) {
        out.value.append('"');
        if (r.text.contains(QLatin1Char('"')) || !Cp1252::appendEncoded(out.value, r.text)) {
            if (unrepresentable == Unrepresentable::WriteUtf8 && !r.text.contains(QLatin1Char('"')))
                return serializeUtf8(records);
            return {{}, checkText(r.text)};
        }
        out.value.append(r.ticked ? "\",#TRUE#\r\n" : "\",#FALSE#\r\n");
    }
    return out;
}

Produced<QByteArray> serialize(const RecordStore& records, Unrepresentable unrepresentable)
{
    // A store in UTF-8 may hold texts Windows-1252 cannot: the writer of lists decides.
    if (records.encoding() == RecordStore::Encoding::Utf8)
        return serialize(records.toRecords(), unrepresentable);
    // In Windows-1252 the stored bytes are the bytes to write.
    Produced<QByteArray> out;
    qsizetype size = 0;
    for (qsizetype row = 0; row < records.size(); ++row)
        size += records.storedText(row).size() + 12;
    out.value.reserve(size);
    for (qsizetype row = 0; row < records.size(); ++row) {
        const QByteArrayView text = records.storedText(row);
        if (text.contains('"'))
            return {{}, checkText(records.text(row))};
        out.value.append('"');
        out.value.append(text);
        out.value.append(records.ticked(row) ? "\",#TRUE#\r\n" : "\",#FALSE#\r\n");
    }
    return out;
}

} // namespace RecordFormat
