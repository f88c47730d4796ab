#include "display/MessagePool.h"

#include "core/Cp1252.h"
#include "core/ReadFile.h"
#include "core/RoundHalfEven.h"
#include "library/LibraryFiles.h"
#include "library/RecordFormat.h"

#include <algorithm>

namespace {

// Whether the text is empty once its CR LF pairs are gone. Decoding turns every byte into at
// least one character and a CR or LF byte into that character alone, so the bytes tell.
bool onlyLineBreaks(QByteArrayView text)
{
    if (text.size() % 2 != 0)
        return false;
    for (qsizetype i = 0; i < text.size(); i += 2) {
        if (text[i] != '\r' || text[i + 1] != '\n')
            return false;
    }
    return true;
}

} // namespace

MessagePool::MessagePool(QString appFolder) : m_folder(std::move(appFolder)) {}

QString MessagePool::withoutLineBreaks(QString text)
{
    return text.remove(QStringLiteral("\r\n"));
}

bool MessagePool::GatherMessages(const std::function<bool()>& cancelled)
{
    const LibraryFiles files(m_folder);
    if (!files.hasSelectionList())
        return false;
    // Rebuilt at every start, so a program or message unticked since the last start stops
    // showing and nothing is shown twice as often as it should.
    m_text.clear();
    m_ends.clear();
    m_runs.clear();
    const LibraryFiles::Read programs = files.readSelectionList();
    for (const Record& program : programs.records) {
        const QString name = withoutLineBreaks(program.text);
        if (name.isEmpty() || !program.ticked)
            continue;
        if (!addProgram(name, cancelled))
            break;
    }
    // The buffers grew in steps; what they hold now is all they will hold until the next start.
    m_text.squeeze();
    m_ends.squeeze();
    return true;
}

bool MessagePool::addProgram(const QString& name, const std::function<bool()>& cancelled)
{
    if (cancelled && cancelled())
        return false;
    const QString path = LibraryFiles(m_folder).programPath(name);
    if (path.isEmpty())
        return true;
    const ReadFile::Result file = ReadFile::read(path);
    if (!file.ok())
        return true;
    // Room for the whole file at once: growing in steps would copy the texts gathered so far
    // while the file is still held, and could take three times its size on the way.
    const qsizetype room = m_text.size() + file.bytes.size();
    if (m_text.capacity() < room)
        m_text.reserve(std::max(room, m_text.capacity() + m_text.capacity() / 2));
    const bool utf8 = Cp1252::hasUtf8Bom(file.bytes);
    if (m_runs.isEmpty() || m_runs.constLast().utf8 != utf8)
        m_runs.append(Run{size(), utf8});
    bool wasCancelled = false;
    qsizetype n = 0;
    RecordFormat::scan(file.bytes, [&](QByteArrayView text, bool ticked) {
        if (++n % 4096 == 0 && cancelled && cancelled()) {
            wasCancelled = true;
            return false;
        }
        if (ticked && !onlyLineBreaks(text)) {
            m_text.append(text);
            m_ends.append(m_text.size());
        }
        return true;
    });
    return !wasCancelled;
}

QString MessagePool::at(qsizetype index) const
{
    const qsizetype begin = index == 0 ? 0 : m_ends.at(index - 1);
    const qsizetype length = m_ends.at(index) - begin;
    const auto run = std::upper_bound(m_runs.cbegin(), m_runs.cend(), index,
                                      [](qsizetype i, const Run& r) { return i < r.first; });
    const char* bytes = m_text.constData() + begin;
    const bool utf8 = run != m_runs.cbegin() && std::prev(run)->utf8;
    return withoutLineBreaks(utf8 ? QString::fromUtf8(bytes, length)
                                  : Cp1252::decode(QByteArray::fromRawData(bytes, length)));
}

QStringList MessagePool::messages() const
{
    QStringList all;
    all.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        all.append(at(i));
    return all;
}

qint32 MessagePool::randomIndex(double r, qint32 last)
{
    if (last <= 0)
        return 0;
    const double index = roundHalfEven(r * double(last));
    return qint32(std::clamp(index, 0.0, double(last)));
}
