#pragma once

#include <QString>
#include <optional>

// How setting values are written as text and read back. Numbers follow the user's locale
// for the decimal separator, both ways.
namespace SettingsText {

QString fromBool(bool value);
// true/false in any letter case, or a number (0 false, any other true).
std::optional<bool> toBool(const QString& text);

QString fromWhole(qint64 value); // no sign for non-negative values, no leading zeros
// A number rounded half to even to a whole number; nothing for text that is not a number.
std::optional<qint64> toWhole(const QString& text);

// At most four decimals, no trailing zeros, the locale's decimal separator.
QString fromDecimal(double value);
std::optional<double> toDecimal(const QString& text);

} // namespace SettingsText
