#include "settings/SettingKeys.h"

// A new DisplaySettings holds the design defaults of the table; it is defined here, by the
// table, so that the settings' fields and their keys do not include each other.
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
