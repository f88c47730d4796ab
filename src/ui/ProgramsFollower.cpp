#include "ui/ProgramsFollower.h"

#include "library/CheckListModel.h"
#include "library/LibraryWatch.h"
#include "library/ProgramNames.h"
#include "ui/ProgramsPage.h"

#include <QLineEdit>
#include <QScopedValueRollback>
#include <algorithm>
#include <utility>

namespace {

// The same programs with the same ticks, in whatever order: the list after a create holds
// the new program last, where a listing of the folder sorts it in.
bool sameEntries(QList<Record> a, QList<Record> b)
{
    const auto order = [](const Record& x, const Record& y) {
        return std::pair(x.text, x.ticked) < std::pair(y.text, y.ticked);
    };
    std::sort(a.begin(), a.end(), order);
    std::sort(b.begin(), b.end(), order);
    return a == b;
}

// The row of `text` nearest to `row`, or -1.
int nearestRow(const RecordStore& messages, const QString& text, int row)
{
    for (qsizetype distance = 0; distance < messages.size(); ++distance) {
        for (const qsizetype at : {row - distance, row + distance}) {
            if (at >= 0 && at < messages.size() && messages.text(at) == text)
                return int(at);
        }
    }
    return -1;
}

} // namespace

ProgramsFollower::ProgramsFollower(ProgramsPage& page, LibraryWatch* watch)
    : QObject(&page), m_page(page)
{
    watch->setParent(this);
    connect(watch, &LibraryWatch::changed, this, &ProgramsFollower::followLibrary);
}

void ProgramsFollower::followLibrary(bool listChanged, const QStringList& programs)
{
    const QString chosen = m_page.selectedProgramName();
    bool reread = false;
    if (listChanged) {
        QList<Record> listed;
        for (const QString& name : m_page.m_files.listPrograms())
            listed.append(Record{name, false});
        // Read only: the list follows the files and never writes them back.
        listed = m_page.m_files.withStoredTicks(std::move(listed));
        if (!sameEntries(listed, m_page.m_programs->entries())) {
            {
                const QScopedValueRollback guard(m_page.m_programmatic, true);
                m_page.m_programs->setEntries(listed);
            }
            const qsizetype row = ProgramNames::find(listed, chosen);
            m_page.selectProgram(row >= 0 ? int(row) : m_page.m_programs->count() > 0 ? 0 : -1);
            reread = row < 0 || m_page.selectedProgramName() != chosen;
        }
    }
    const QString program = m_page.selectedProgramName();
    if (program.isEmpty()) {
        if (reread) {
            const QScopedValueRollback guard(m_page.m_programmatic, true);
            m_page.m_messages->clear();
            m_page.m_listedProgram.reset();
        }
        return;
    }
    if (!reread && !programs.contains(program, Qt::CaseInsensitive))
        return;

    // The message is found again by its text. The box follows the list only while it shows the
    // chosen message as it was (or, for a program chosen anew, while it is empty), so text the
    // user typed there stays.
    const int chosenRow = m_page.selectedMessage();
    const QString message = chosenRow >= 0 ? m_page.m_messages->text(chosenRow) : QString();
    const QString box = m_page.m_txtEditText->text();
    const bool boxFollows = box.isEmpty() ? reread : chosenRow >= 0 && m_page.editText() == message;
    const int row = reread ? -1 : chosenRow;
    const quint64 read = m_page.m_readCount + 1;
    connect(
        &m_page, &ProgramsPage::messagesLoaded, this,
        [this, read, row, message, boxFollows, box] {
            if (read != m_page.m_readCount || m_page.m_messages->count() == 0)
                return;
            const int found = row < 0 ? 0 : nearestRow(m_page.m_messages->store(), message, row);
            const int now = found >= 0 ? found : std::min(row, m_page.m_messages->count() - 1);
            // A big file is read on another thread; what the user typed meanwhile stays too.
            if (boxFollows && m_page.m_txtEditText->text() == box)
                m_page.lvwDisplay_ItemClick(now);
            else
                m_page.selectMessage(now);
        },
        Qt::SingleShotConnection);
    m_page.loadMessages(program, std::max(row, 0));
}
