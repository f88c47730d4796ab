#pragma once

#include "core/Outcome.h"
#include "settings/DisplaySettings.h"
#include "settings/ShowChoices.h"

class SettingsStore;

// Moves DisplaySettings (section [Settings], the entries of SettingKeys::all) and ShowChoices
// (section [Choices], the entries of SettingKeys::choices) between memory and the settings
// store, one key for each entry.
namespace StoredSettings {

inline const QString kSection = QStringLiteral("Settings");

// Reads every key but the tray choice. A text that does not convert, or an index outside its
// list, leaves that one field as it was; an absent key gives its first-run default.
void load(const SettingsStore& store, DisplaySettings& settings);

// Writes every key, the tray choice included, in one rewrite of the store.
Outcome save(SettingsStore& store, const DisplaySettings& settings);

// The stored tray choice, read only while the log-on entry exists.
bool loadRunAtSysTray(const SettingsStore& store);
// Stores the tray choice on its own.
Outcome saveRunAtSysTray(SettingsStore& store, bool runAtSysTray);

// Reads every choice; a text that does not read leaves the choice as it was, an absent key its
// design default.
void loadChoices(const SettingsStore& store, ShowChoices& choices);
// Writes every choice in one rewrite of the store; the [Settings] section is left as it is.
Outcome saveChoices(SettingsStore& store, const ShowChoices& choices);

} // namespace StoredSettings
