#include "ui/ProgramListRead.h"

#include "core/Prompt.h"

#include <QDir>
#include <utility>

namespace ProgramListRead {

Read read(const LibraryFiles& files, bool toldSelectionUnreadable)
{
    LibraryFiles::ProgramList list = files.LoadProgramList();
    tellNotRead(files, list, toldSelectionUnreadable);
    return {std::move(list.entries), toldSelectionUnreadable};
}

void tellNotRead(const LibraryFiles& files, const LibraryFiles::ProgramList& list,
                 bool& toldSelectionUnreadable)
{
    const QString path = QDir::toNativeSeparators(files.selectionPath());
    // Told once a run: the list is built again after every delete.
    if (!list.selectionRead.ok() && !std::exchange(toldSelectionUnreadable, true))
        Prompt::current().ask(
            QStringLiteral("The ticks of the programs could not be read: the file \"%1\" cannot "
                           "be read (%2). It is kept as it is, and no tick can be saved until it "
                           "can be read.")
                .arg(path, list.selectionRead.why()),
            Prompt::Icon::Critical, Prompt::Buttons::Ok);
    if (!list.selectionRewrite.ok())
        Prompt::current().ask(QStringLiteral("The list of ticked programs was not brought up to "
                                             "date: the file \"%1\" %2. It is kept as it was.")
                                  .arg(path, list.selectionRewrite.why()),
                              Prompt::Icon::Critical, Prompt::Buttons::Ok);
}

} // namespace ProgramListRead
