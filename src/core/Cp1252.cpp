#include "core/Cp1252.h"

#include <array>

namespace {
// 0x80..0x9F. The five bytes Windows leaves undefined map to the C1 control of the same
// number, as Windows itself decodes them, so every byte survives a read and a write.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int byteFor(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    for (int i = 0; i < int(kHigh.size()); ++i) {
        if (kHigh[i] == c)
            return 0x80 + i;
    }
    return -1;
}
} // namespace

namespace Cp1252 {

QString decode(const QByteArray& bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *dst++ = QChar(b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char16_t(b));
    }
    return out;
}

bool hasUtf8Bom(const QByteArray& bytes)
{
    return bytes.startsWith(kUtf8Bom);
}

QString decodeFile(const QByteArray& bytes)
{
    if (hasUtf8Bom(bytes))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    return decode(bytes);
}

Produced<QByteArray> encode(const QString& text, const QString& files)
{
    Produced<QByteArray> out;
    out.value.reserve(text.size());
    if (appendEncoded(out.value, text))
        return out;
    const QString bad = firstUnrepresentable(text);
    const char32_t code =
        bad.size() == 2 ? QChar::surrogateToUcs4(bad.at(0), bad.at(1)) : bad.at(0).unicode();
    out.value.clear();
    out.outcome = Outcome::failed(
        QStringLiteral("The character \"%1\" (U+%2) cannot be stored, because the %3 hold only "
                       "Western European (Windows-1252) characters.")
            .arg(bad, QString::number(code, 16).toUpper().rightJustified(4, QLatin1Char('0')),
                 files));
    return out;
}

bool appendEncoded(QByteArray& out, QStringView text)
{
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char* dst = out.data() + start;
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            *dst++ = char(c);
            continue;
        }
        const int b = byteFor(c); // a lone surrogate half is never found
        if (b < 0)
            return false;
        *dst++ = char(b);
    }
    return true;
}

QString firstUnrepresentable(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        qsizetype size = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            size = 2;
        }
        if (byteFor(c) < 0)
            return text.mid(i, size);
        i += size - 1;
    }
    return {};
}

} // namespace Cp1252
