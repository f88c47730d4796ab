#include "goals/GoalFile.h"

#include "core/AtomicWrite.h"
#include "core/Cp1252.h"
#include "core/ReadFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
const QLatin1Char kSpace(' ');
const QLatin1Char kNewLine('\n');

Produced<GoalFile::Goal> goalOf(const ReadFile::Result& read)
{
    if (!read.ok())
        return {GoalFile::Goal{}, read.outcome};
    return {GoalFile::Goal{GoalFile::decode(read.bytes), Cp1252::hasUtf8Bom(read.bytes)},
            Outcome()};
}
} // namespace

QString GoalFile::fileName(int slot)
{
    return QStringLiteral("goal%1.txt").arg(slot);
}

QString GoalFile::pathIn(const QString& appFolder, int slot)
{
    return QDir(appFolder).filePath(fileName(slot));
}

Produced<GoalFile::Goal> GoalFile::load(const QString& path)
{
    const ReadFile::Result bytes = ReadFile::read(path);
    if (bytes.missing())
        return {Goal{}, AtomicWrite::write(path, QByteArray())};
    return goalOf(bytes);
}

Produced<GoalFile::Goal> GoalFile::read(const QString& path)
{
    return goalOf(ReadFile::read(path));
}

Outcome GoalFile::save(const QString& path, const QString& text, bool keepUtf8)
{
    if (const Outcome may = ReadFile::mayReplace(ReadFile::check(path)); !may.ok())
        return Outcome::failed(QStringLiteral("The file %1.").arg(may.why()));
    const Produced<QByteArray> bytes = encode(text, keepUtf8);
    if (!bytes.ok())
        return bytes.outcome;
    return AtomicWrite::write(path, bytes.value);
}

Produced<QByteArray> GoalFile::encode(const QString& text, bool keepUtf8)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == kSpace)
        ++begin;
    while (end > begin && text.at(end - 1) == kSpace)
        --end;
    QString body = text.mid(begin, end - begin);
    // A text box may hand over its own paragraph and line separators; both are line breaks.
    body.replace(QChar::ParagraphSeparator, kNewLine).replace(QChar::LineSeparator, kNewLine);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    body.replace(QLatin1Char('\r'), kNewLine);
    body.replace(kNewLine, QStringLiteral("\r\n"));
    body.append(QStringLiteral("\r\n"));

    const Produced<QByteArray> bytes = Cp1252::encode(body, QStringLiteral("goal files"));
    if (!bytes.ok() && keepUtf8)
        return {QByteArray(Cp1252::kUtf8Bom) + body.toUtf8(), Outcome()};
    return bytes;
}

QString GoalFile::decode(const QByteArray& bytes)
{
    QString text = Cp1252::decodeFile(bytes);
    // A CR alone breaks the line in the text box too; say so now, so both sides agree.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), kNewLine);
    if (text.endsWith(kNewLine))
        text.chop(1);
    return text;
}
