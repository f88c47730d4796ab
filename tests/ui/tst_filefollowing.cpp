#include "ListRows.h"
#include "RecordingPrompt.h"
#include "TestFiles.h"
#include "core/Prompt.h"
#include "library/LibraryFiles.h"
#include "library/LibraryWatch.h"
#include "ui/GoalSlot.h"
#include "ui/GoalsPage.h"
#include "ui/ImageButton.h"
#include "ui/ProgramsFollower.h"
#include "ui/ProgramsPage.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <memory>

// Files changed by other programs while the program runs: the Programs page and the goals page
// show what the files hold now, keep the user's choice and typing, and do not take the
// program's own writes for changes.

namespace {

using TestFiles::rec;

// Bounds the wait for the pages to follow a change; they follow well within a second.
constexpr int kFollowBound = 10000;

enum class How { InPlace, ByRename, DeleteAndMake };

} // namespace

Q_DECLARE_METATYPE(How)

namespace {

// How other programs put new content into a file: a plain rewrite, an editor that saves to a
// new file and renames it over the old one, a synced folder that deletes and makes it again.
void rewrite(const QString& path, const QByteArray& bytes, How how)
{
    const QString target = how == How::ByRename ? path + QStringLiteral(".saving~") : path;
    if (how == How::DeleteAndMake)
        QVERIFY(QFile::remove(path));
    TestFiles::writeFile(target, bytes);
    if (how == How::ByRename)
        QCOMPARE(
            std::rename(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()),
            0);
}

void addHowColumn()
{
    QTest::addColumn<How>("how");
}

const QList<std::pair<const char*, How>> kWays{{"in place", How::InPlace},
                                               {"by rename", How::ByRename},
                                               {"deleted and made again", How::DeleteAndMake}};

// An application folder with two programs, both ticked; the page shows it and follows it as
// the program does, with Beta's second message chosen.
struct Library
{
    QTemporaryDir dir;
    std::unique_ptr<ProgramsPage> page;
    LibraryWatch* watch = nullptr;

    Library()
    {
        TestFiles::writeFiles(
            dir.path(), {{QStringLiteral("plugins/Alpha.txt"), rec("a1") + rec("a2")},
                         {QStringLiteral("plugins/Beta.txt"), rec("b1") + rec("b2") + rec("b3")},
                         {QStringLiteral("FileNames.txt"), rec("Alpha") + rec("Beta")}});
        page = std::make_unique<ProgramsPage>(LibraryFiles(dir.path()));
        page->show();
        page->LoadProgramList();
        watch = new LibraryWatch(LibraryFiles(dir.path()));
        new ProgramsFollower(*page, watch);
        clickRow(programs(), 1);
        clickRow(messages(), 1);
    }
    QString path(const char* rel) const { return dir.filePath(QString::fromLatin1(rel)); }
    template <typename T> T* child(const char* name) const
    {
        T* w = page->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QTableView* programs() const { return child<QTableView>("lvwDisplayFiles"); }
    QTableView* messages() const { return child<QTableView>("lvwDisplay"); }
    QLineEdit* editBox() const { return child<QLineEdit>("txtEditText"); }
    static void clickRow(QTableView* view, int row)
    {
        const QRect r = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    }
    static QString current(QTableView* view)
    {
        const QModelIndex i = view->currentIndex();
        return i.isValid() ? i.data().toString() : QStringLiteral("<none>");
    }
};

struct Goals
{
    QTemporaryDir dir;
    GoalsPage page{dir.path()};

    Goals()
    {
        TestFiles::writeFile(path(1), "old one\r\n");
        TestFiles::writeFile(path(2), "old two\r\n");
        page.show();
        page.LoadGoalSlots();
    }
    QString path(int slot) const { return dir.filePath(QStringLiteral("goal%1.txt").arg(slot)); }
    GoalSlot* slot(int n) const { return n == 1 ? page.picGoal1 : page.picGoal2; }
    QString box(int n) const { return slot(n)->txtGoalDesc->toPlainText(); }
    void type(int n, const QString& text) const
    {
        slot(n)->Check->setChecked(true);
        slot(n)->txtGoalDesc->moveCursor(QTextCursor::End);
        QTest::keyClicks(slot(n)->txtGoalDesc, text);
    }
    void save(int n) const
    {
        ImageButton* b = slot(n)->picSave;
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    }
};

} // namespace

class TestFileFollowing : public QObject
{
    Q_OBJECT
    RecordingPrompt m_prompt;

private slots:
    void init()
    {
        m_prompt.shown.clear();
        Prompt::set(&m_prompt);
    }
    void cleanup() { Prompt::set(nullptr); }

    // Each file is rewritten twice, the second time in place: a file replaced by a rename is
    // followed again once it is back.
    void listsFollowTheirFiles_data()
    {
        QTest::addColumn<QString>("file");
        addHowColumn();
        QTest::addColumn<QByteArrayList>("contents");
        QTest::addColumn<QList<QList<bool>>>("programTicks");
        QTest::addColumn<QList<QStringList>>("messages");
        QTest::addColumn<QStringList>("chosenMessage");
        for (const auto& [way, how] : kWays) {
            QTest::addRow("a program file, %s", way)
                << QStringLiteral("plugins/Beta.txt") << how
                << QByteArrayList{rec("b0") + rec("b1") + rec("b2") + rec("b3"),
                                  rec("b3") + rec("b4", false)}
                << QList<QList<bool>>{{true, true}, {true, true}}
                << QList<QStringList>{{"b0", "b1", "b2", "b3"}, {"b3", "b4"}}
                // The chosen message is found again by its text; once it is gone, the one
                // in its place is chosen.
                << QStringList{"b2", "b4"};
            QTest::addRow("FileNames.txt, %s", way)
                << QStringLiteral("FileNames.txt") << how
                << QByteArrayList{rec("Alpha", false) + rec("Beta"),
                                  rec("Alpha") + rec("Beta", false)}
                << QList<QList<bool>>{{false, true}, {true, false}}
                << QList<QStringList>{{"b1", "b2", "b3"}, {"b1", "b2", "b3"}}
                << QStringList{"b2", "b2"};
        }
    }
    void listsFollowTheirFiles()
    {
        QFETCH(QString, file);
        QFETCH(How, how);
        QFETCH(QByteArrayList, contents);
        QFETCH(QList<QList<bool>>, programTicks);
        QFETCH(QList<QStringList>, messages);
        QFETCH(QStringList, chosenMessage);
        Library lib;
        for (int i = 0; i < contents.size(); ++i) {
            rewrite(lib.dir.filePath(file), contents[i], i == 0 ? how : How::InPlace);
            QTRY_COMPARE_WITH_TIMEOUT(ListRows::texts(lib.messages()), messages[i], kFollowBound);
            QTRY_COMPARE_WITH_TIMEOUT(ListRows::ticks(lib.programs()), programTicks[i],
                                      kFollowBound);
            QCOMPARE(ListRows::texts(lib.programs()), QStringList({"Alpha", "Beta"}));
            QCOMPARE(Library::current(lib.programs()), QStringLiteral("Beta"));
            QTRY_COMPARE_WITH_TIMEOUT(Library::current(lib.messages()), chosenMessage[i],
                                      kFollowBound);
            // The box showed the chosen message as it was, so it shows the chosen one now.
            QCOMPARE(lib.editBox()->text(), chosenMessage[i]);
        }
        QVERIFY(m_prompt.shown.isEmpty());
    }

    // Programs that come or go: the chosen one stays chosen while it is there, wherever the
    // listing puts it; text typed into the edit box stays either way.
    void programListFollowsTheFolder_data()
    {
        QTest::addColumn<QString>("added");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QStringList>("programs");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("added before the chosen one")
            << "plugins/Aardvark.txt" << QString() << QStringList{"Aardvark", "Alpha", "Beta"}
            << "Beta" << QStringList{"b1", "b2", "b3"};
        QTest::newRow("the chosen one removed")
            << QString() << "plugins/Beta.txt" << QStringList{"Alpha"} << "Alpha"
            << QStringList{"a1", "a2"};
    }
    void programListFollowsTheFolder()
    {
        QFETCH(QString, added);
        QFETCH(QString, removed);
        QFETCH(QStringList, programs);
        QFETCH(QString, chosen);
        QFETCH(QStringList, messages);
        Library lib;
        lib.editBox()->setText(QStringLiteral("typed, not added yet"));
        if (!added.isEmpty())
            TestFiles::writeFile(lib.dir.filePath(added), rec("new"));
        if (!removed.isEmpty())
            QVERIFY(QFile::remove(lib.dir.filePath(removed)));
        QTRY_COMPARE_WITH_TIMEOUT(ListRows::texts(lib.programs()), programs, kFollowBound);
        QCOMPARE(Library::current(lib.programs()), chosen);
        QTRY_COMPARE_WITH_TIMEOUT(ListRows::texts(lib.messages()), messages, kFollowBound);
        QCOMPARE(lib.editBox()->text(), QStringLiteral("typed, not added yet"));
    }

    // The program's own writes are no changes from elsewhere: a later change by another program
    // is told alone, and the page keeps its choice.
    void ownWritesAreNotFollowed()
    {
        Library lib;
        QSignalSpy told(lib.watch, &LibraryWatch::changed);
        lib.editBox()->setText(QStringLiteral("b2 edited"));
        auto* edit = lib.child<ImageButton>("picUpdate");
        QTest::mouseClick(edit, Qt::LeftButton, {}, edit->rect().center());
        QCOMPARE(TestFiles::readFile(lib.path("plugins/Beta.txt")),
                 rec("b1") + rec("b2 edited") + rec("b3"));
        // A tick writes FileNames.txt.
        QAbstractItemModel* programs = lib.programs()->model();
        programs->setData(programs->index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
        QCOMPARE(TestFiles::readFile(lib.path("FileNames.txt")), rec("Alpha", false) + rec("Beta"));

        rewrite(lib.path("plugins/Alpha.txt"), rec("a0"), How::InPlace);
        QTRY_VERIFY_WITH_TIMEOUT(!told.isEmpty(), kFollowBound);
        for (const QList<QVariant>& change : told)
            QCOMPARE(change, QList<QVariant>({false, QStringList{"Alpha"}}));
        QCOMPARE(Library::current(lib.programs()), QStringLiteral("Beta"));
        QCOMPARE(Library::current(lib.messages()), QStringLiteral("b2 edited"));
        QCOMPARE(ListRows::ticks(lib.programs()), QList<bool>({false, true}));
    }

    void goalBoxFollowsItsFile_data()
    {
        addHowColumn();
        QTest::addColumn<bool>("unsavedEdit");
        for (const auto& [way, how] : kWays) {
            QTest::addRow("%s", way) << how << false;
            QTest::addRow("%s, an unsaved edit in the box", way) << how << true;
        }
    }
    void goalBoxFollowsItsFile()
    {
        QFETCH(How, how);
        QFETCH(bool, unsavedEdit);
        Goals goals;
        if (unsavedEdit)
            goals.type(1, QStringLiteral(" and more"));
        rewrite(goals.path(1), "new one\r\n", how);
        rewrite(goals.path(2), "new two\r\n", how);
        QTRY_COMPARE_WITH_TIMEOUT(goals.box(2), QStringLiteral("new two"), kFollowBound);
        if (unsavedEdit) {
            // Kept, and the user is told once why the file now differs.
            QTRY_COMPARE_WITH_TIMEOUT(m_prompt.shown.size(), 1, kFollowBound);
            QVERIFY(m_prompt.shown[0].text.contains(QDir::toNativeSeparators(goals.path(1))));
            QCOMPARE(m_prompt.shown[0].icon, Prompt::Icon::Information);
            QCOMPARE(goals.box(1), QStringLiteral("old one and more"));
            goals.save(1);
            QCOMPARE(TestFiles::readFile(goals.path(1)), QByteArray("old one and more\r\n"));
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(goals.box(1), QStringLiteral("new one"), kFollowBound);
            QVERIFY(m_prompt.shown.isEmpty());
        }
        // Followed again after a rename or a delete.
        rewrite(goals.path(2), "newer two\r\n", How::InPlace);
        QTRY_COMPARE_WITH_TIMEOUT(goals.box(2), QStringLiteral("newer two"), kFollowBound);
    }

    // Saving trims the text's spaces in the file only: read back, it would lose them in the box.
    void ownGoalSaveIsNotFollowed()
    {
        Goals goals;
        goals.slot(1)->txtGoalDesc->setPlainText(QStringLiteral("  keep  "));
        goals.save(1);
        QCOMPARE(TestFiles::readFile(goals.path(1)), QByteArray("keep\r\n"));
        rewrite(goals.path(2), "new two\r\n", How::InPlace);
        QTRY_COMPARE_WITH_TIMEOUT(goals.box(2), QStringLiteral("new two"), kFollowBound);
        QCOMPARE(goals.box(1), QStringLiteral("  keep  "));
        QVERIFY(m_prompt.shown.isEmpty());
    }
};

QTEST_MAIN(TestFileFollowing)
#include "tst_filefollowing.moc"
