#include "ListRows.h"
#include "RecordingPrompt.h"
#include "TestFiles.h"
#include "library/LibraryFiles.h"
#include "ui/GoalSlot.h"
#include "ui/GoalsPage.h"
#include "ui/ProgramsPage.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace TestFiles;
using ListRows::texts;
using ListRows::ticks;

namespace {

void setMode(const QString& path, mode_t mode)
{
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

// The file's bytes read with its owner's rights restored for the look.
QByteArray bytesOf(const QString& path)
{
    setMode(path, 0600);
    return readFile(path);
}

const QByteArray kCalm = rec("Breathe in") + rec("Breathe out", false) + rec("Let it be");

} // namespace

// Files that exist but cannot be read: the user is told which, and no write replaces them.
// Root reads every file whatever its mode, so the suite runs as an ordinary user: as root it
// becomes "nobody" before anything else (see main below).
class TestUnreadableFiles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { m_prompt.shown.clear(); }
    void writeOnlyProgramFileIsKept();
    void unreadableSelectionList_data();
    void unreadableSelectionList();
    void goalFileThatCannotBeReadIsKept();
    void utf8SelectionListKeepsTheFirstTick();
    void nameTheListCannotHoldIsToldOnTick();

private:
    RecordingPrompt m_prompt;
};

void TestUnreadableFiles::initTestCase()
{
    QVERIFY2(::geteuid() != 0, "runs as an ordinary user, where a file's mode is obeyed");
    Prompt::set(&m_prompt);
}

// A program file with mode 200 once listed as empty, and the first Add New replaced its
// messages with the one added.
void TestUnreadableFiles::writeOnlyProgramFileIsKept()
{
    QTemporaryDir dir;
    writeFiles(dir.path(), {{"plugins/Calm.txt", kCalm}, {"FileNames.txt", rec("Calm")}});
    const QString calm = dir.filePath("plugins/Calm.txt");
    setMode(calm, 0200);
    ProgramsPage page{LibraryFiles(dir.path())};
    page.LoadProgramList();
    QCOMPARE(m_prompt.shown.size(), 1);
    QCOMPARE(m_prompt.shown[0].text, "The messages of the program \"Calm\" cannot be shown: the "
                                     "file \"" +
                                         QDir::toNativeSeparators(calm) +
                                         "\" cannot be read (Permission denied). It is kept as "
                                         "it is.");
    page.findChild<QLineEdit*>("txtEditText")->setText("Smile");
    page.cmdAddNew_Click();
    QCOMPARE(m_prompt.shown.size(), 2);
    QVERIFY(m_prompt.shown[1].text.startsWith("The change was not saved: the file \"" +
                                              QDir::toNativeSeparators(calm) + "\""));
    QCOMPARE(page.findChild<QTableView*>("lvwDisplay")->model()->rowCount(), 0);
    QCOMPARE(page.findChild<QLineEdit*>("txtEditText")->text(), QStringLiteral("Smile"));
    // Readable again, it is written no more than before: the list was never read from it.
    setMode(calm, 0600);
    page.cmdAddNew_Click();
    QCOMPARE(bytesOf(calm), kCalm);
}

void TestUnreadableFiles::unreadableSelectionList_data()
{
    QTest::addColumn<bool>("fifo");
    QTest::newRow("write-only") << false;
    QTest::newRow("FIFO") << true;
}

// The ticks that could not be read are never overwritten: not by the start-up rewrite, not by
// a tick. The user is told once, in words that say it could not be read.
void TestUnreadableFiles::unreadableSelectionList()
{
    QFETCH(bool, fifo);
    QTemporaryDir dir;
    writeFiles(dir.path(), {{"plugins/Calm.txt", kCalm}, {"plugins/Focus.txt", rec("One")}});
    const QString list = dir.filePath("FileNames.txt");
    const QByteArray ticks1 = rec("Calm") + rec("Focus");
    if (fifo) {
        QCOMPARE(::mkfifo(QFile::encodeName(list).constData(), 0600), 0);
    } else {
        writeFile(list, ticks1);
        setMode(list, 0200);
    }
    ::alarm(20);
    ProgramsPage page{LibraryFiles(dir.path())};
    page.LoadProgramList();
    auto* programs = page.findChild<QTableView*>("lvwDisplayFiles");
    programs->model()->setData(programs->model()->index(1, 0), Qt::Checked, Qt::CheckStateRole);
    page.LoadProgramList(); // as after a delete
    ::alarm(0);
    QCOMPARE(m_prompt.shown.size(), 2);
    QVERIFY2(m_prompt.shown[0].text.startsWith("The ticks of the programs could not be read: the "
                                               "file \"" +
                                               QDir::toNativeSeparators(list) +
                                               "\" cannot be read"),
             qPrintable(m_prompt.shown[0].text));
    QVERIFY(m_prompt.shown[1].text.startsWith("The change was not saved"));
    QCOMPARE(ticks(programs), (QList<bool>{false, false}));
    if (fifo) {
        struct stat st = {};
        QCOMPARE(::stat(QFile::encodeName(list).constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
    } else {
        QCOMPARE(bytesOf(list), ticks1);
    }
}

void TestUnreadableFiles::goalFileThatCannotBeReadIsKept()
{
    QTemporaryDir dir;
    const QString goal = dir.filePath("goal1.txt");
    writeFile(goal, "Run a marathon\r\n");
    setMode(goal, 0200);
    GoalsPage page(dir.path());
    page.LoadGoalSlots();
    page.findChild<QPlainTextEdit*>("txtGoalDesc1")->setPlainText("Walk");
    page.picGoal1->cmdSaveGoal_Click();
    QCOMPARE(m_prompt.shown.size(), 1);
    QVERIFY(m_prompt.shown[0].text.contains("cannot be read (Permission denied)"));
    QCOMPARE(bytesOf(goal), QByteArray("Run a marathon\r\n"));
}

// A UTF-8 byte-order mark before the first record once unticked the first program.
void TestUnreadableFiles::utf8SelectionListKeepsTheFirstTick()
{
    QTemporaryDir dir;
    writeFiles(dir.path(), {{"plugins/Calm.txt", kCalm},
                            {"plugins/Focus.txt", rec("One")},
                            {"FileNames.txt", "\xEF\xBB\xBF" + rec("Calm") + rec("Focus", false)}});
    ProgramsPage page{LibraryFiles(dir.path())};
    page.LoadProgramList();
    QCOMPARE(ticks(page.findChild<QTableView*>("lvwDisplayFiles")), (QList<bool>{true, false}));
    QCOMPARE(readFile(dir.filePath("FileNames.txt")), rec("Calm") + rec("Focus", false));
    QVERIFY(m_prompt.shown.isEmpty());
}

// One file name Windows-1252 cannot hold once made the whole list unwritable: a box at every
// start and every tick of every program refused.
void TestUnreadableFiles::nameTheListCannotHoldIsToldOnTick()
{
    QTemporaryDir dir;
    const QString omega = QString::fromUtf8("\xCE\xA9mega");
    writeFiles(dir.path(), {{"plugins/Calm.txt", kCalm},
                            {"plugins/" + omega + ".txt", rec("Ohm")},
                            {"FileNames.txt", rec("Calm", false)}});
    ProgramsPage page{LibraryFiles(dir.path())};
    page.LoadProgramList();
    QVERIFY(m_prompt.shown.isEmpty());
    auto* programs = page.findChild<QTableView*>("lvwDisplayFiles");
    programs->model()->setData(programs->model()->index(0, 0), Qt::Checked, Qt::CheckStateRole);
    QCOMPARE(readFile(dir.filePath("FileNames.txt")), rec("Calm"));
    QVERIFY(m_prompt.shown.isEmpty());
    programs->model()->setData(programs->model()->index(1, 0), Qt::Checked, Qt::CheckStateRole);
    QCOMPARE(m_prompt.shown.size(), 1);
    QVERIFY(m_prompt.shown[0].text.startsWith("The tick of the program \"" + omega +
                                              "\" cannot be kept: its name holds the character " +
                                              QString(omega.at(0))));
    QCOMPARE(ticks(programs), (QList<bool>{true, false}));
    QCOMPARE(readFile(dir.filePath("FileNames.txt")), rec("Calm"));
    // The other program's ticks go on as ever.
    programs->model()->setData(programs->model()->index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
    QCOMPARE(readFile(dir.filePath("FileNames.txt")), rec("Calm", false));
    QCOMPARE(m_prompt.shown.size(), 1);
}

int main(int argc, char** argv)
{
    // Before anything is made: every file and folder of the suite then belongs to "nobody".
    if (::geteuid() == 0) {
        constexpr uid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0) {
            perror("dropping root");
            return 1;
        }
        ::prctl(PR_SET_DUMPABLE, 1); // the leak checker inspects the process at its end
        qputenv("HOME", "/tmp");
        qunsetenv("XDG_RUNTIME_DIR");
    }
    QApplication app(argc, argv);
    TestUnreadableFiles test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_unreadablefiles.moc"
