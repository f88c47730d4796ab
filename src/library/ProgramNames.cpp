#include "library/ProgramNames.h"

#include "library/RecordFormat.h"

#include <QHash>
#include <QSet>

QString ProgramNames::trimmed(const QString& typed)
{
    qsizetype from = 0;
    qsizetype to = typed.size();
    while (from < to && typed.at(from) == QLatin1Char(' '))
        ++from;
    while (to > from && typed.at(to - 1) == QLatin1Char(' '))
        --to;
    return typed.mid(from, to - from);
}

QString ProgramNames::refusal(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("it is empty.");
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\'))
            return QStringLiteral("it holds a slash, and a program's file must lie in the "
                                  "plugins folder itself.");
    }
    if (name.contains(QStringLiteral("..")))
        return QStringLiteral("it holds \"..\", which could lead outside the plugins folder.");
    for (const QChar c : name) {
        if (c == QLatin1Char(':'))
            return QStringLiteral("it holds a colon, which names a drive or a hidden stream "
                                  "on Windows.");
        if (c.unicode() < 32 || c.unicode() == 127 || c.category() == QChar::Other_Control)
            return QStringLiteral("it holds a control character, which a file name cannot "
                                  "hold.");
        if (QStringLiteral("<>\"|?*").contains(c))
            return QStringLiteral("it holds the character %1, which a file name cannot hold.")
                .arg(c);
    }
    if (name.startsWith(QLatin1Char('.')))
        return QStringLiteral("it begins with a dot, which hides the file on Linux and macOS, "
                              "so the program would not be listed again.");
    if (name.endsWith(QLatin1Char('.')))
        return QStringLiteral("it ends with a dot, which Windows drops from file names, so "
                              "the file would not be found again.");
    // Windows keeps these names for devices, with any extension and any trailing spaces.
    QString stem = name.section(QLatin1Char('.'), 0, 0);
    while (stem.endsWith(QLatin1Char(' ')))
        stem.chop(1);
    static const QSet<QString> devices = [] {
        QSet<QString> set{QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                          QStringLiteral("NUL")};
        for (int i = 1; i <= 9; ++i) {
            set.insert(QStringLiteral("COM%1").arg(i));
            set.insert(QStringLiteral("LPT%1").arg(i));
        }
        return set;
    }();
    if (devices.contains(stem.toUpper()))
        return QStringLiteral("Windows keeps the name %1 for a device.").arg(stem.toUpper());
    // The name is also a record of FileNames.txt.
    return RecordFormat::refusal(name);
}

QList<bool> ProgramNames::ticksAsRecorded(const QStringList& names,
                                          const QList<SelectionEntry>& records)
{
    QHash<QString, qsizetype> firstByFoldedName;
    firstByFoldedName.reserve(names.size());
    for (qsizetype i = names.size() - 1; i >= 0; --i)
        firstByFoldedName.insert(names[i].toCaseFolded(), i);
    QList<bool> ticks(names.size(), false);
    for (const SelectionEntry& record : records) {
        const auto it = firstByFoldedName.constFind(record.name.toCaseFolded());
        if (it != firstByFoldedName.constEnd())
            ticks[*it] = record.ticked;
    }
    return ticks;
}
