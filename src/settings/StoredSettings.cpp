#include "settings/StoredSettings.h"

#include "settings/SettingsStore.h"
#include "settings/SettingsText.h"

#include <limits>

namespace StoredSettings {

namespace {
// A whole number within [low, high], or nothing.
std::optional<int> index(const QString& text, int low, int high)
{
    const std::optional<qint64> n = SettingsText::toWhole(text);
    if (!n || *n < low || *n > high)
        return std::nullopt;
    return int(*n);
}
} // namespace

void load(const SettingsStore& store, DisplaySettings& s)
{
    auto get = [&](const char* key, const QString& fallback) {
        return store.GetSetting(kSection, QLatin1String(key), fallback);
    };

    // Only the exact text "False" turns the show off.
    s.AutoDisplay = get("AutoDisplay", QString()) != QLatin1String("False");
    if (auto v = index(get("DispInterval", QStringLiteral("1")), 0, IntervalChoices::count - 1))
        s.DispInterval = *v;
    if (auto v = index(get("DispDuration", QStringLiteral("2")), 0, DurationChoices::count - 1))
        s.DispDuration = *v;
    if (auto v = index(get("RandomMessage", QStringLiteral("0")), 0, 1))
        s.RandomMessage = *v;
    if (auto v = index(get("RandomLocation", QStringLiteral("0")), 0, 1))
        s.RandomLocation = *v;
    if (auto v = SettingsText::toWhole(get("FontColor", QStringLiteral("0")));
        v && *v >= std::numeric_limits<qint32>::min() && *v <= std::numeric_limits<qint32>::max())
        s.FontColor = qint32(*v);
    if (const QString name = get("FontName", QStringLiteral("Verdana")); !name.trimmed().isEmpty())
        s.FontName = name;
    if (auto v = SettingsText::toBool(get("FontBold", QStringLiteral("False"))))
        s.FontBold = *v;
    if (auto v = SettingsText::toBool(get("FontItalic", QStringLiteral("False"))))
        s.FontItalic = *v;
    if (auto v = SettingsText::toDecimal(get("FontSize", QStringLiteral("10")));
        v && *v >= 1.0 && *v <= 1638.0)
        s.FontSize = *v;
    if (auto v = SettingsText::toBool(get("Strikethrough", QStringLiteral("False"))))
        s.Strikethrough = *v;
    if (auto v = SettingsText::toBool(get("Underline", QStringLiteral("False"))))
        s.Underline = *v;
}

int save(SettingsStore& store, const DisplaySettings& s)
{
    // One rewrite of the store for all keys rather than one per key.
    return store.SaveSettings(
        kSection, {
                      {QStringLiteral("AutoDisplay"), SettingsText::fromBool(s.AutoDisplay)},
                      {QStringLiteral("DispInterval"), SettingsText::fromWhole(s.DispInterval)},
                      {QStringLiteral("DispDuration"), SettingsText::fromWhole(s.DispDuration)},
                      {QStringLiteral("RandomMessage"),
                       SettingsText::fromWhole(s.RandomMessage == 0 ? 0 : 1)},
                      {QStringLiteral("RandomLocation"),
                       SettingsText::fromWhole(s.RandomLocation == 0 ? 0 : 1)},
                      {QStringLiteral("FontColor"), SettingsText::fromWhole(s.FontColor)},
                      {QStringLiteral("FontName"), s.FontName},
                      {QStringLiteral("FontBold"), SettingsText::fromBool(s.FontBold)},
                      {QStringLiteral("FontItalic"), SettingsText::fromBool(s.FontItalic)},
                      {QStringLiteral("FontSize"), SettingsText::fromDecimal(s.FontSize)},
                      {QStringLiteral("Strikethrough"), SettingsText::fromBool(s.Strikethrough)},
                      {QStringLiteral("Underline"), SettingsText::fromBool(s.Underline)},
                      {QStringLiteral("RunAtSysTray"), SettingsText::fromBool(s.RunAtSysTray)},
                  });
}

} // namespace StoredSettings
