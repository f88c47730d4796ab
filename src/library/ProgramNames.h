#pragma once

#include "library/LibraryTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

// The rules for naming programs. A name the user types must stay a usable file name on
// every system a library moves to, and a record of the selection list; names the folder
// listing gives follow the looser LibraryFiles::isSafeName.
class ProgramNames
{
public:
    // The typed text without surrounding spaces. Only spaces count: any other blank is
    // refused as a control character.
    static QString trimmed(const QString& typed);

    // Why `name` (already trimmed) cannot name a new program, as words that follow "it"
    // or stand alone; empty when it can.
    static QString refusal(const QString& name);

    // The tick of each of `names` as the selection list's records say: names matched without
    // regard to letter case, the first of equal names taking the tick, the last record
    // deciding. A name no record names is unticked.
    static QList<bool> ticksAsRecorded(const QStringList& names,
                                       const QList<SelectionEntry>& records);
};
