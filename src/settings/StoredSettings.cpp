#include "settings/StoredSettings.h"

#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsText.h"

namespace StoredSettings {

namespace {
using namespace SettingKeys;

// The text form of each kind of key.
QString text(const TrueFalseKey&, bool value)
{
    return SettingsText::fromBool(value);
}
QString text(const WholeKey&, int value)
{
    return SettingsText::fromWhole(value);
}
QString text(const OptionKey&, int value)
{
    return SettingsText::fromWhole(value == 0 ? 0 : 1);
}
QString text(const DecimalKey&, double value)
{
    return SettingsText::fromDecimal(value);
}
QString text(const TextKey&, const QString& value)
{
    return value;
}

// What an absent key stands for.
template <typename Key> QString firstRunText(const Key& key)
{
    if constexpr (std::is_same_v<Key, TextKey>)
        return QString::fromUtf8(key.firstRun ? key.firstRun : key.design);
    else
        return text(key, key.firstRun.value_or(key.design));
}

// Reading a stored text into its field; a text that does not read leaves the field as it was.
void read(const TrueFalseKey& key, const QString& stored, DisplaySettings& s)
{
    switch (key.reading) {
    case Reading::Checked:
        if (const std::optional<bool> v = SettingsText::toBool(stored))
            s.*key.field = *v;
        break;
    case Reading::AllButFalse:
        s.*key.field = stored != SettingsText::fromBool(false);
        break;
    case Reading::WithLogonEntry:
        break;
    }
}
void readWhole(const QString& stored, int low, int high, int& field)
{
    if (const std::optional<qint64> v = SettingsText::toWhole(stored); v && *v >= low && *v <= high)
        field = int(*v);
}
void read(const WholeKey& key, const QString& stored, DisplaySettings& s)
{
    readWhole(stored, key.low, key.high, s.*key.field);
}
void read(const OptionKey& key, const QString& stored, DisplaySettings& s)
{
    readWhole(stored, 0, int(key.captions.size()) - 1, s.*key.field);
}
void read(const DecimalKey& key, const QString& stored, DisplaySettings& s)
{
    if (const std::optional<double> v = SettingsText::toDecimal(stored);
        v && *v >= key.low && *v <= key.high)
        s.*key.field = *v;
}
void read(const TextKey& key, const QString& stored, DisplaySettings& s)
{
    if (!stored.trimmed().isEmpty())
        s.*key.field = stored;
}
} // namespace

void load(const SettingsStore& store, DisplaySettings& settings)
{
    std::apply(
        [&](const auto&... key) {
            (read(key, store.GetSetting(kSection, QLatin1String(key.name), firstRunText(key)),
                  settings),
             ...);
        },
        SettingKeys::all);
}

Outcome save(SettingsStore& store, const DisplaySettings& settings)
{
    // One rewrite of the store for all keys rather than one per key.
    QList<QPair<QString, QString>> keysAndTexts;
    std::apply(
        [&](const auto&... key) {
            (keysAndTexts.append({QLatin1String(key.name), text(key, settings.*key.field)}), ...);
        },
        SettingKeys::all);
    return store.SaveSettings(kSection, keysAndTexts);
}

bool loadRunAtSysTray(const SettingsStore& store)
{
    return store.GetSetting(kSection, QLatin1String(RunAtSysTray.name),
                            firstRunText(RunAtSysTray)) == SettingsText::fromBool(true);
}

Outcome saveRunAtSysTray(SettingsStore& store, bool runAtSysTray)
{
    return store.SaveSetting(kSection, QLatin1String(RunAtSysTray.name),
                             text(RunAtSysTray, runAtSysTray));
}

} // namespace StoredSettings
