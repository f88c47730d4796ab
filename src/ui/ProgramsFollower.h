#pragma once

#include <QObject>
#include <QStringList>

class LibraryWatch;
class ProgramsPage;

// Keeps the Programs page in step with the library files while other programs change them
// (LibraryWatch): the lists show what the files hold now, the chosen program and message stay
// chosen where they still exist, and whatever the user typed into the edit box stays. It lives
// as long as the page.
class ProgramsFollower : public QObject
{
    Q_OBJECT
public:
    // Takes `watch` over.
    ProgramsFollower(ProgramsPage& page, LibraryWatch* watch);

    void followLibrary(bool listChanged, const QStringList& programs);

private:
    ProgramsPage& m_page;
};
