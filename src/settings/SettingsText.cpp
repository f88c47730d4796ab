#include "settings/SettingsText.h"

#include "core/RoundHalfEven.h"

#include <QLocale>
#include <cmath>

namespace SettingsText {

QString fromBool(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

std::optional<double> toDecimal(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    double value = QLocale().toDouble(t, &ok);
    if (!ok) {
        // Tolerate the C locale's form too, for stores written by hand.
        value = QLocale::c().toDouble(t, &ok);
    }
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<bool> toBool(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    const std::optional<double> number = toDecimal(t);
    if (!number)
        return std::nullopt;
    return *number != 0.0;
}

QString fromWhole(qint64 value)
{
    return QString::number(value);
}

std::optional<qint64> toWhole(const QString& text)
{
    const std::optional<double> number = toDecimal(text);
    if (!number || std::fabs(*number) > 9.0e15)
        return std::nullopt;
    return qint64(roundHalfEven(*number));
}

QString fromDecimal(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = locale.toString(value, 'f', 4);
    const QString point = locale.decimalPoint();
    if (text.contains(point)) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(point))
            text.chop(point.size());
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

} // namespace SettingsText
