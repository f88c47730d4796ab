#include "settings/SettingKeys.h"

// A new DisplaySettings or ShowChoices holds the design defaults of its table; they are defined
// here, by the tables, so that the fields and their keys do not include each other.
namespace {
QString designValue(const char* text)
{
    return QString::fromUtf8(text);
}
template <typename T> T designValue(T value)
{
    return value;
}
template <typename Owner, typename Table> void design(Owner& owner, const Table& table)
{
    std::apply(
        [&owner](const auto&... key) { ((owner.*key.field = designValue(key.design)), ...); },
        table);
}
} // namespace

DisplaySettings::DisplaySettings()
{
    design(*this, SettingKeys::all);
}

ShowChoices::ShowChoices()
{
    design(*this, SettingKeys::choices);
}
