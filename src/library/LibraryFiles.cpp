#include "library/LibraryFiles.h"

#include "core/AtomicWrite.h"
#include "core/ReadFile.h"
#include "library/ProgramNames.h"
#include "library/RecordFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

const QString kTxt = QStringLiteral(".txt");

std::optional<QByteArray> readAll(const QString& path, QString* error)
{
    ReadFile::Result read = ReadFile::read(path);
    if (error)
        *error = read.error;
    if (!read.ok())
        return std::nullopt;
    return std::move(read.bytes);
}

template <typename Entry> QList<Entry> fromRecords(const QList<RecordFormat::Record>& records)
{
    QList<Entry> out;
    out.reserve(records.size());
    for (const RecordFormat::Record& r : records)
        out.append(Entry{r.text, r.ticked});
    return out;
}

QString writeEncoded(const QString& path, const QList<RecordFormat::Record>& records,
                     RecordFormat::Unrepresentable unrepresentable)
{
    if (const QString refusal = ReadFile::overwriteRefusal(ReadFile::check(path));
        !refusal.isEmpty())
        return refusal;
    const RecordFormat::Encoded encoded = RecordFormat::serialize(records, unrepresentable);
    if (!encoded.error.isEmpty())
        return QStringLiteral("could not be written (%1)").arg(encoded.error);
    const QString error = AtomicWrite::write(path, encoded.bytes);
    if (!error.isEmpty())
        return QStringLiteral("could not be written (%1)").arg(error);
    return {};
}

} // namespace

LibraryFiles::LibraryFiles(QString appFolder) : m_folder(std::move(appFolder)) {}

QString LibraryFiles::pluginsPath() const
{
    return m_folder + QStringLiteral("/plugins");
}

QString LibraryFiles::selectionPath() const
{
    return m_folder + QStringLiteral("/FileNames.txt");
}

bool LibraryFiles::hasPluginsFolder() const
{
    return QFileInfo(pluginsPath()).isDir();
}

QStringList LibraryFiles::listPrograms() const
{
    QDir dir(pluginsPath());
    // QDir::Files without QDir::Hidden and QDir::System lists only ordinary, visible files.
    const QStringList files = dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    QStringList names;
    names.reserve(files.size());
    for (const QString& file : files) {
        if (file.size() > kTxt.size() && file.endsWith(kTxt, Qt::CaseInsensitive))
            names.append(file.chopped(kTxt.size()));
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

bool LibraryFiles::isSafeName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c.unicode() < 32 || c.unicode() == 127 ||
            c.category() == QChar::Other_Control)
            return false;
#ifdef Q_OS_WIN
        if (c == QLatin1Char('\\') || c == QLatin1Char(':'))
            return false;
#endif
    }
    return true;
}

QString LibraryFiles::programPath(const QString& name) const
{
    if (!isSafeName(name))
        return {};
    const QString exact = pluginsPath() + QLatin1Char('/') + name + kTxt;
    if (QFileInfo::exists(exact))
        return exact;
    // A program's file may be named in another letter case than the program (a hand-made
    // "Calm.TXT", or a record "calm"): find it as the Windows file systems would.
    const QString wanted = name + kTxt;
    const QStringList files = QDir(pluginsPath()).entryList(QDir::Files, QDir::NoSort);
    for (const QString& file : files) {
        if (file.compare(wanted, Qt::CaseInsensitive) == 0)
            return pluginsPath() + QLatin1Char('/') + file;
    }
    return exact;
}

bool LibraryFiles::programExists(const QString& name) const
{
    const QString path = programPath(name);
    return !path.isEmpty() && QFileInfo(path).isFile();
}

std::optional<QList<MessageEntry>> LibraryFiles::readProgram(const QString& name,
                                                             QString* error) const
{
    const QString path = programPath(name);
    if (path.isEmpty())
        return std::nullopt;
    const std::optional<QByteArray> bytes = readAll(path, error);
    if (!bytes)
        return std::nullopt;
    return fromRecords<MessageEntry>(RecordFormat::parse(*bytes));
}

QString LibraryFiles::writeProgram(const QString& name, const QList<MessageEntry>& messages) const
{
    const QString path = programPath(name);
    if (path.isEmpty())
        return QStringLiteral("could not be written (\"%1\" is not a usable program name)")
            .arg(name);
    QList<RecordFormat::Record> records;
    records.reserve(messages.size());
    for (const MessageEntry& m : messages)
        records.append(RecordFormat::Record{m.text, m.ticked});
    return writeEncoded(path, records, RecordFormat::Unrepresentable::WriteUtf8);
}

QString LibraryFiles::createProgram(const QString& name) const
{
    return writeProgram(name, {});
}

bool LibraryFiles::deleteProgram(const QString& name) const
{
    const QString path = programPath(name);
    return !path.isEmpty() && QFile::remove(path);
}

bool LibraryFiles::hasSelectionList() const
{
    return QFileInfo::exists(selectionPath());
}

std::optional<QList<SelectionEntry>> LibraryFiles::readSelectionList(QString* error) const
{
    const std::optional<QByteArray> bytes = readAll(selectionPath(), error);
    if (!bytes)
        return std::nullopt;
    return fromRecords<SelectionEntry>(RecordFormat::parse(*bytes));
}

QString LibraryFiles::writeSelectionList(const QList<SelectionEntry>& entries,
                                         QStringList* unstorable) const
{
    QList<RecordFormat::Record> records;
    records.reserve(entries.size());
    for (const SelectionEntry& e : entries) {
        if (!RecordFormat::refusal(e.name).isEmpty()) {
            if (unstorable)
                unstorable->append(e.name);
            continue;
        }
        records.append(RecordFormat::Record{e.name, e.ticked});
    }
    return writeEncoded(selectionPath(), records, RecordFormat::Unrepresentable::Refuse);
}

LibraryFiles::ProgramList LibraryFiles::LoadProgramList() const
{
    ProgramList out;
    const QStringList names = listPrograms();
    out.entries.reserve(names.size());
    for (const QString& name : names)
        out.entries.append(SelectionEntry{name, false});
    if (!hasSelectionList())
        return out;
    const std::optional<QList<SelectionEntry>> records = readSelectionList(&out.readError);
    if (!records)
        return out;
    const QList<bool> ticks = ProgramNames::ticksAsRecorded(names, *records);
    for (qsizetype i = 0; i < ticks.size(); ++i)
        out.entries[i].ticked = ticks[i];
    out.writeError = writeSelectionList(out.entries);
    return out;
}
