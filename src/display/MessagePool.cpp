#include "display/MessagePool.h"

#include "core/RoundHalfEven.h"
#include "library/LibraryFiles.h"

#include <algorithm>

MessagePool::MessagePool(QString appFolder) : m_folder(std::move(appFolder)) {}

QString MessagePool::withoutLineBreaks(QString text)
{
    return text.remove(QStringLiteral("\r\n"));
}

bool MessagePool::GatherMessages()
{
    const LibraryFiles files(m_folder);
    if (!files.hasSelectionList())
        return false;
    // Rebuilt at every start, so a program or message unticked since the last start stops
    // showing and nothing is shown twice as often as it should.
    m_messages.clear();
    const LibraryFiles::Read programs = files.readSelectionList();
    for (const Record& program : programs.records) {
        const QString name = withoutLineBreaks(program.text);
        if (name.isEmpty() || !program.ticked)
            continue;
        AddProgramMessages(name);
    }
    return true;
}

void MessagePool::AddProgramMessages(const QString& name)
{
    if (!LibraryFiles::isSafeName(name))
        return;
    const LibraryFiles::Read messages = LibraryFiles(m_folder).readProgram(name);
    for (const Record& message : messages.records) {
        const QString text = withoutLineBreaks(message.text);
        if (text.isEmpty() || !message.ticked)
            continue;
        m_messages.append(text);
    }
}

qint32 MessagePool::randomIndex(double r, qint32 last)
{
    if (last <= 0)
        return 0;
    const double index = roundHalfEven(r * double(last));
    return qint32(std::clamp(index, 0.0, double(last)));
}
