#pragma once

#include "core/Outcome.h"
#include "settings/DisplaySettings.h"

class SettingsStore;

// Moves DisplaySettings between memory and the settings store, in one section, one key for each
// entry of SettingKeys.
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

} // namespace StoredSettings
