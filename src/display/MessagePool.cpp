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

QString decode(QByteArrayView bytes, bool utf8)
{
    return utf8 ? QString::fromUtf8(bytes)
                : Cp1252::decode(QByteArray::fromRawData(bytes.data(), bytes.size()));
}

// Where the line from `from` ends: at an LF that is not the end of a CR LF pair, since the
// pairs never reach the screen. -1 for the last line.
qsizetype lineEnd(QByteArrayView bytes, qsizetype from)
{
    for (qsizetype at = from;; ++at) {
        at = bytes.indexOf('\n', at);
        if (at <= from || bytes[at - 1] != '\r')
            return at;
    }
}

// The line `bytes`, decoded without its CR LF pairs and no longer than `units`. The bytes
// include the breaks around the line (`after` is 1 when the one before it is there), so that
// its first and last characters decode as they do within the whole text: UTF-8 decoding drops
// a byte-order mark at the start of what it is given, and only the text's own start may lose
// one.
QString decodedStart(QByteArrayView bytes, qsizetype after, bool utf8, qsizetype units)
{
    // A character takes at most four bytes, and at least one UTF-16 unit, unless it is one of a
    // CR LF pair; should the pairs leave too little, the start taken doubles.
    for (qsizetype take = after + units * 4 + 8;; take *= 2) {
        const bool whole = take >= bytes.size();
        QString line =
            MessagePool::withoutLineBreaks(decode(bytes.first(std::min(take, bytes.size())), utf8));
        line.remove(0, after);
        if (whole && line.endsWith(QLatin1Char('\n')))
            line.chop(1);
        // Else the last few units may be a character cut in two or a CR parted from its LF.
        if (whole || line.size() >= units + 4) {
            line.truncate(units);
            return line;
        }
    }
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

QByteArrayView MessagePool::bytesAt(qsizetype index) const
{
    const qsizetype begin = index == 0 ? 0 : m_ends.at(index - 1);
    return QByteArrayView(m_text).sliced(begin, m_ends.at(index) - begin);
}

bool MessagePool::isUtf8(qsizetype index) const
{
    const auto run = std::upper_bound(m_runs.cbegin(), m_runs.cend(), index,
                                      [](qsizetype i, const Run& r) { return i < r.first; });
    return run != m_runs.cbegin() && std::prev(run)->utf8;
}

QString MessagePool::at(qsizetype index) const
{
    return withoutLineBreaks(decode(bytesAt(index), isUtf8(index)));
}

QString MessagePool::at(qsizetype index, const ScreenCut::Reach& reach) const
{
    const QByteArrayView bytes = bytesAt(index);
    const bool utf8 = isUtf8(index);
    // Every line's bytes would fit the reach: decoding it all costs no more than cutting it.
    if (bytes.size() <= reach.lines * (reach.lineLength + 2))
        return withoutLineBreaks(decode(bytes, utf8));

    QString shown;
    qsizetype from = 0;
    for (qsizetype line = 0; line < reach.lines; ++line) {
        const qsizetype end = lineEnd(bytes, from);
        if (line > 0)
            shown += QLatin1Char('\n');
        // One unit past the reach tells the cut that the line goes on.
        const qsizetype before = line > 0 ? 1 : 0;
        shown += decodedStart(
            bytes.sliced(from - before, (end < 0 ? bytes.size() : end + 1) - from + before), before,
            utf8, reach.lineLength + 1);
        if (end < 0)
            return shown;
        from = end + 1;
    }
    // More lines follow, none of which can reach the screen; the break says that they do.
    shown += QLatin1Char('\n');
    return shown;
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
