#include "settings/DisplaySettings.h"

#include "settings/SettingKeys.h"

#include <QColor>

namespace {
QString designValue(const char* text)
{
    return QString::fromUtf8(text);
}
template <typename T> T designValue(T value)
{
    return value;
}
} // namespace

DisplaySettings::DisplaySettings()
{
    std::apply([this](const auto&... key) { ((this->*key.field = designValue(key.design)), ...); },
               SettingKeys::all);
}

QFont DisplaySettings::messageFont() const
{
    QFont font(FontName);
    font.setPointSizeF(FontSize);
    font.setBold(FontBold);
    font.setItalic(FontItalic);
    font.setStrikeOut(Strikethrough);
    font.setUnderline(Underline);
    return font;
}

void DisplaySettings::setMessageFont(const QFont& font)
{
    FontName = font.family();
    FontBold = font.bold();
    FontItalic = font.italic();
    FontSize = font.pointSizeF();
    Strikethrough = font.strikeOut();
    Underline = font.underline();
}

QColor DisplaySettings::colorFromValue(qint32 value)
{
    const auto v = quint32(value);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

qint32 DisplaySettings::valueFromColor(const QColor& color)
{
    return qint32(quint32(color.red()) | (quint32(color.green()) << 8) |
                  (quint32(color.blue()) << 16));
}
