#pragma once

#include "settings/DisplaySettings.h"

class SettingsStore;

// Moves DisplaySettings between memory and the settings store, section "Settings".
namespace StoredSettings {

inline const QString kSection = QStringLiteral("Settings");

// Reads every key but "RunAtSysTray". A text that does not convert, or an index outside its
// list, leaves that one field as it was.
void load(const SettingsStore& store, DisplaySettings& settings);

// Writes every key, "RunAtSysTray" included, in one rewrite of the store. Returns how many
// keys could not be stored.
int save(SettingsStore& store, const DisplaySettings& settings);

} // namespace StoredSettings
