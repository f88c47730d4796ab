#include "library/MessageScan.h"

#include "core/Cp1252.h"

#include <cstring>

namespace {

bool endsField(char c)
{
    return c == ',' || c == '\r' || c == '\n';
}

// Up to the next comma or line end, less the spaces before it.
QByteArrayView unquotedField(const char*& p, const char* end)
{
    const char* start = p;
    while (p < end && !endsField(*p))
        ++p;
    const char* stop = p;
    while (stop > start && stop[-1] == ' ')
        --stop;
    return QByteArrayView(start, stop - start);
}

} // namespace

MessageScan::MessageScan(QByteArrayView bytes)
    : m_p(bytes.data()), m_end(bytes.data() + bytes.size())
{
    const qsizetype bom = qsizetype(std::strlen(Cp1252::kUtf8Bom));
    m_utf8 = bytes.startsWith(QByteArrayView(Cp1252::kUtf8Bom, bom));
    if (m_utf8)
        m_p += bom;
}

bool MessageScan::next(QByteArrayView* text, bool* ticked)
{
    const char* p = m_p;
    const char* end = m_end;
    // Blank lines and the spaces before a record.
    while (p < end && (*p == ' ' || *p == '\r' || *p == '\n'))
        ++p;
    if (p >= end) {
        m_p = p;
        return false;
    }
    if (*p == '"') {
        // A quoted text runs to the next quote, line breaks and commas included; whatever
        // stands between the closing quote and the next delimiter belongs to no field.
        const char* start = ++p;
        const void* quote = std::memchr(p, '"', size_t(end - p));
        p = quote ? static_cast<const char*>(quote) : end;
        *text = QByteArrayView(start, p - start);
        if (p < end)
            ++p;
        while (p < end && !endsField(*p))
            ++p;
    } else {
        *text = unquotedField(p, end);
    }
    *ticked = false;
    if (p < end && *p == ',') {
        ++p;
        while (p < end && *p == ' ')
            ++p;
        *ticked = unquotedField(p, end) == QByteArrayView("#TRUE#");
    }
    // A record ends with its line; further fields on the same line are ignored.
    while (p < end && *p != '\r' && *p != '\n')
        ++p;
    if (p < end && *p == '\r')
        ++p;
    if (p < end && *p == '\n')
        ++p;
    m_p = p;
    return true;
}
