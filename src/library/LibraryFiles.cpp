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

LibraryFiles::Read readRecords(const QString& path)
{
    const ReadFile::Result read = ReadFile::read(path);
    if (!read.ok())
        return {{}, read.missing(), read.outcome};
    return {RecordFormat::parse(read.bytes), false, {}};
}

Outcome notWritten(const QString& why)
{
    return Outcome::failed(QStringLiteral("could not be written (%1)").arg(why));
}

template <typename Records>
Outcome writeEncoded(const QString& path, const Records& records,
                     RecordFormat::Unrepresentable unrepresentable)
{
    if (const Outcome may = ReadFile::mayReplace(ReadFile::check(path)); !may.ok())
        return may;
    const Produced<QByteArray> encoded = RecordFormat::serialize(records, unrepresentable);
    if (!encoded.ok())
        return notWritten(encoded.why());
    if (const Outcome written = AtomicWrite::write(path, encoded.value); !written.ok())
        return notWritten(written.why());
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

LibraryFiles::Read LibraryFiles::readProgram(const QString& name) const
{
    const QString path = programPath(name);
    if (path.isEmpty())
        return {{}, true, Outcome::failed(QStringLiteral("\"%1\" names no file").arg(name))};
    return readRecords(path);
}

LibraryFiles::Messages LibraryFiles::readMessages(const QString& name) const
{
    const QString path = programPath(name);
    if (path.isEmpty())
        return {{}, true, Outcome::failed(QStringLiteral("\"%1\" names no file").arg(name))};
    ReadFile::Result read = ReadFile::read(path);
    if (!read.ok())
        return {{}, read.missing(), read.outcome};
    return {RecordFormat::parseStore(std::move(read.bytes)), false, {}};
}

namespace {
template <typename Records>
Outcome writeRecords(const LibraryFiles& files, const QString& name, const Records& messages)
{
    const QString path = files.programPath(name);
    if (path.isEmpty())
        return notWritten(QStringLiteral("\"%1\" is not a usable program name").arg(name));
    return writeEncoded(path, messages, RecordFormat::Unrepresentable::WriteUtf8);
}
} // namespace

Outcome LibraryFiles::writeProgram(const QString& name, const QList<Record>& messages) const
{
    return writeRecords(*this, name, messages);
}

Outcome LibraryFiles::writeMessages(const QString& name, const RecordStore& messages) const
{
    return writeRecords(*this, name, messages);
}

Outcome LibraryFiles::createProgram(const QString& name) const
{
    return writeProgram(name, {});
}

Outcome LibraryFiles::deleteProgram(const QString& name) const
{
    const QString path = programPath(name);
    if (path.isEmpty() || !QFile::remove(path))
        return Outcome::failed(QStringLiteral("could not be removed"));
    return {};
}

bool LibraryFiles::hasSelectionList() const
{
    return QFileInfo::exists(selectionPath());
}

LibraryFiles::Read LibraryFiles::readSelectionList() const
{
    return readRecords(selectionPath());
}

Outcome LibraryFiles::writeSelectionList(const QList<Record>& programs) const
{
    QList<Record> storable;
    storable.reserve(programs.size());
    for (const Record& program : programs) {
        if (RecordFormat::firstUnstorable(program.text).isEmpty())
            storable.append(program);
    }
    return writeEncoded(selectionPath(), storable, RecordFormat::Unrepresentable::Refuse);
}

QList<Record> LibraryFiles::withStoredTicks(QList<Record> programs) const
{
    return ProgramNames::tickedAsRecorded(std::move(programs), readSelectionList().records);
}

LibraryFiles::ProgramList LibraryFiles::LoadProgramList() const
{
    ProgramList out;
    const QStringList names = listPrograms();
    out.entries.reserve(names.size());
    for (const QString& name : names)
        out.entries.append(Record{name, false});
    if (!hasSelectionList())
        return out;
    const Read stored = readSelectionList();
    if (!stored.ok()) {
        // Gone since it was seen: as if it had never been there.
        if (!stored.missing)
            out.selectionRead = stored.outcome;
        return out;
    }
    out.entries = ProgramNames::tickedAsRecorded(std::move(out.entries), stored.records);
    out.selectionRewrite = writeSelectionList(out.entries);
    return out;
}
