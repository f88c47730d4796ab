#include "settings/StoredSettings.h"

#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsText.h"

namespace StoredSettings {

namespace {
using namespace SettingKeys;

// The text form of each kind of key.
template <typename Owner> QString text(const TrueFalseKeyOf<Owner>&, bool value)
{
    return SettingsText::fromBool(value);
}
template <typename Owner> QString text(const WholeKeyOf<Owner>&, int value)
{
    return SettingsText::fromWhole(value);
}
template <typename Owner> QString text(const OptionKeyOf<Owner>&, int value)
{
    return SettingsText::fromWhole(value == 0 ? 0 : 1);
}
template <typename Owner> QString text(const NumberKeyOf<Owner, double>&, double value)
{
    return SettingsText::fromDecimal(value);
}
template <typename Owner> QString text(const TextKeyOf<Owner>&, const QString& value)
{
    return value;
}

// What an absent key stands for.
template <typename Key> QString firstRunText(const Key& key)
{
    if constexpr (std::is_same_v<decltype(key.design), const char*>)
        return QString::fromUtf8(key.firstRun ? key.firstRun : key.design);
    else
        return text(key, key.firstRun.value_or(key.design));
}

// Reading a stored text into its field; a text that does not read leaves the field as it was.
template <typename Owner>
void read(const TrueFalseKeyOf<Owner>& key, const QString& stored, Owner& s)
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
template <typename Owner> void read(const WholeKeyOf<Owner>& key, const QString& stored, Owner& s)
{
    readWhole(stored, key.low, key.high, s.*key.field);
}
template <typename Owner> void read(const OptionKeyOf<Owner>& key, const QString& stored, Owner& s)
{
    readWhole(stored, 0, int(key.captions.size()) - 1, s.*key.field);
}
template <typename Owner>
void read(const NumberKeyOf<Owner, double>& key, const QString& stored, Owner& s)
{
    if (const std::optional<double> v = SettingsText::toDecimal(stored);
        v && *v >= key.low && *v <= key.high)
        s.*key.field = *v;
}
template <typename Owner> void read(const TextKeyOf<Owner>& key, const QString& stored, Owner& s)
{
    if (!stored.trimmed().isEmpty())
        s.*key.field = stored;
}

// Every key of a section's table, read from or written to that section.
template <typename Owner, typename Table>
void loadSection(const SettingsStore& store, const QString& section, const Table& table,
                 Owner& owner)
{
    std::apply(
        [&](const auto&... key) {
            (read(key, store.GetSetting(section, QLatin1String(key.name), firstRunText(key)),
                  owner),
             ...);
        },
        table);
}
template <typename Owner, typename Table>
Outcome saveSection(SettingsStore& store, const QString& section, const Table& table,
                    const Owner& owner)
{
    // One rewrite of the store for all keys rather than one per key.
    QList<QPair<QString, QString>> keysAndTexts;
    std::apply(
        [&](const auto&... key) {
            (keysAndTexts.append({QLatin1String(key.name), text(key, owner.*key.field)}), ...);
        },
        table);
    return store.SaveSettings(section, keysAndTexts);
}
} // namespace

void load(const SettingsStore& store, DisplaySettings& settings)
{
    loadSection(store, kSection, SettingKeys::all, settings);
}

Outcome save(SettingsStore& store, const DisplaySettings& settings)
{
    return saveSection(store, kSection, SettingKeys::all, settings);
}

void loadChoices(const SettingsStore& store, ShowChoices& choices)
{
    loadSection(store, QLatin1String(kChoicesSection), SettingKeys::choices, choices);
}

Outcome saveChoices(SettingsStore& store, const ShowChoices& choices)
{
    return saveSection(store, QLatin1String(kChoicesSection), SettingKeys::choices, choices);
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
