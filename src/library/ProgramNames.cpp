#include "library/ProgramNames.h"

#include "library/RecordFormat.h"

#include <QHash>
#include <QSet>

ProgramNames::Typed ProgramNames::filterTyped(const QString& typed)
{
    Typed out;
    for (const char32_t code : typed.toUcs4()) {
        const bool editing = code == 8 || code == 127;
        const bool accepted = code == 32 || (code >= '0' && code <= '9') ||
                              (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z');
        if (accepted)
            out.accepted.append(QString::fromUcs4(&code, 1));
        else if (!editing)
            ++out.refused;
    }
    return out;
}

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

Outcome ProgramNames::checkNewName(const QString& name)
{
    if (name.isEmpty())
        return Outcome::failed(QStringLiteral("it is empty."));
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\'))
            return Outcome::failed(
                QStringLiteral("it holds a slash, and a program's file must lie in "
                               "the plugins folder itself."));
    }
    if (name.contains(QStringLiteral("..")))
        return Outcome::failed(
            QStringLiteral("it holds \"..\", which could lead outside the plugins folder."));
    for (const QChar c : name) {
        if (c == QLatin1Char(':'))
            return Outcome::failed(
                QStringLiteral("it holds a colon, which names a drive or a hidden "
                               "stream on Windows."));
        if (c.unicode() < 32 || c.unicode() == 127 || c.category() == QChar::Other_Control)
            return Outcome::failed(QStringLiteral("it holds a control character, which a file name "
                                                  "cannot hold."));
        if (QStringLiteral("<>\"|?*").contains(c))
            return Outcome::failed(
                QStringLiteral("it holds the character %1, which a file name cannot hold.").arg(c));
    }
    if (name.startsWith(QLatin1Char('.')))
        return Outcome::failed(
            QStringLiteral("it begins with a dot, which hides the file on Linux and "
                           "macOS, so the program would not be listed again."));
    if (name.endsWith(QLatin1Char('.')))
        return Outcome::failed(
            QStringLiteral("it ends with a dot, which Windows drops from file names, "
                           "so the file would not be found again."));
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
        return Outcome::failed(
            QStringLiteral("Windows keeps the name %1 for a device.").arg(stem.toUpper()));
    // The name is also a record of FileNames.txt.
    return RecordFormat::checkText(name);
}

qsizetype ProgramNames::find(const QList<Record>& programs, const QString& name)
{
    for (qsizetype row = 0; row < programs.size(); ++row) {
        if (programs[row].text.compare(name, Qt::CaseInsensitive) == 0)
            return row;
    }
    return -1;
}

QList<Record> ProgramNames::tickedAsRecorded(QList<Record> programs, const QList<Record>& records)
{
    QHash<QString, qsizetype> firstByFoldedName;
    firstByFoldedName.reserve(programs.size());
    for (qsizetype i = programs.size() - 1; i >= 0; --i) {
        firstByFoldedName.insert(programs[i].text.toCaseFolded(), i);
        programs[i].ticked = false;
    }
    for (const Record& record : records) {
        const auto it = firstByFoldedName.constFind(record.text.toCaseFolded());
        if (it != firstByFoldedName.constEnd())
            programs[*it].ticked = record.ticked;
    }
    return programs;
}
