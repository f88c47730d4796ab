#pragma once

#include "library/LibraryFiles.h"
#include "library/Record.h"

#include <QList>

// The program list as the library gives it, at start-up and after a delete: FileNames.txt
// brought up to date, and what failed told in a box. Start-up reads it before the Programs
// page is made; the page shows it when it is, so the list is read and written once either way.
namespace ProgramListRead {

struct Read
{
    QList<Record> entries;
    bool toldSelectionUnreadable = false;
};

// Reads the list and tells what failed; `toldSelectionUnreadable`: the unreadable selection
// list was told already this run.
Read read(const LibraryFiles& files, bool toldSelectionUnreadable);
void tellNotRead(const LibraryFiles& files, const LibraryFiles::ProgramList& list,
                 bool& toldSelectionUnreadable);

} // namespace ProgramListRead
