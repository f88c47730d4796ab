#pragma once

#include "core/Outcome.h"
#include "library/Record.h"

#include <QList>
#include <QString>

// The rules for naming programs. A name the user types must stay a usable file name on
// every system a library moves to, and a record of the selection list; names the folder
// listing gives follow the looser LibraryFiles::isSafeName.
class ProgramNames
{
public:
    // What the name box takes of typed characters: letters A-Z and a-z, digits and the space.
    // Backspace and Delete edit the box and add nothing; every other character is refused.
    struct Typed
    {
        QString accepted;
        int refused = 0;
    };
    static Typed filterTyped(const QString& typed);

    // The typed text without surrounding spaces. Only spaces count: any other blank is
    // refused as a control character.
    static QString trimmed(const QString& typed);

    // Whether `name` (already trimmed) can name a new program; if not, why, as words that
    // follow "it" or stand alone.
    static Outcome checkNewName(const QString& name);

    // The row of `programs` that `name` names, letter case ignored; -1 when there is none.
    static qsizetype find(const QList<Record>& programs, const QString& name);

    // `programs` ticked as the selection list's records say: names matched without regard to
    // letter case, the first of equal names taking the tick, the last record deciding. A
    // program no record names is unticked.
    static QList<Record> tickedAsRecorded(QList<Record> programs, const QList<Record>& records);
};
