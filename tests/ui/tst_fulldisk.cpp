#include "ListRows.h"
#include "RecordingPrompt.h"
#include "TestFiles.h"
#include "core/AppFolder.h"
#include "core/Browser.h"
#include "library/LibraryFiles.h"
#include "settings/SettingsStore.h"
#include "ui/FrmAll.h"
#include "ui/GoalSlot.h"
#include "ui/GoalsPage.h"
#include "ui/ProgramsPage.h"

#include <QDirIterator>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace TestFiles;
using ListRows::texts;
using ListRows::ticks;

namespace {

struct FakeBrowser : Browser
{
    bool openUrl(const QUrl&) override { return true; }
};

// A real, small file system, filled to its last block on demand. Mounting needs root (the
// test command runs as root); elsewhere the cases skip and say so.
class SmallDisk
{
public:
    SmallDisk()
    {
        m_mounted = ::mount("tmpfs", QFile::encodeName(m_point.path()).constData(), "tmpfs", 0,
                            "size=256k,mode=0755") == 0;
        if (!m_mounted)
            m_why = QString::fromLocal8Bit(strerror(errno));
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_point.path()).constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    QString why() const { return m_why; }
    QString path(const QString& rel = {}) const { return m_point.filePath(rel); }

    // Takes every free block; a write that needs one more then fails as on a full disk.
    void fill() const
    {
        const int fd = ::open(QFile::encodeName(path(".filler")).constData(),
                              O_WRONLY | O_CREAT | O_APPEND, 0600);
        QVERIFY(fd >= 0);
        const QByteArray block(4096, 'x');
        while (::write(fd, block.constData(), block.size()) > 0) {
        }
        while (::write(fd, "x", 1) > 0) {
        }
        ::close(fd);
    }

    // Every file below `root` with its bytes, the filler left out.
    QMap<QString, QByteArray> snapshot(const QString& root) const
    {
        QMap<QString, QByteArray> all;
        QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            if (!file.endsWith("/.filler"))
                all.insert(QDir(root).relativeFilePath(file), readFile(file));
        }
        return all;
    }

private:
    QTemporaryDir m_point;
    bool m_mounted = false;
    QString m_why;
};

} // namespace

// Every write of the program on a real full disk: the old files stay byte for byte, the user
// is told which file could not be saved, and the window shows what is on disk.
class TestFullDisk : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void programsPage_data();
    void programsPage();
    void startUpRewriteOfTheSelectionList();
    void goalSave();
    void settingsAtExit();
    void settingsWhenTheScratchFolderIsFull();

private:
    void makeLibrary(const QString& app) const;
    std::unique_ptr<SmallDisk> m_disk;
    RecordingPrompt m_prompt;
    FakeBrowser m_browser;
};

void TestFullDisk::initTestCase()
{
    Prompt::set(&m_prompt);
    Browser::set(&m_browser);
    AppFolder::setBaseNameOverride("zentrivo");
}

void TestFullDisk::init()
{
    m_disk = std::make_unique<SmallDisk>();
    if (!m_disk->mounted())
        QSKIP(qPrintable("a small tmpfs could not be mounted (" + m_disk->why() +
                         "); the test command runs this as root"));
    m_prompt.shown.clear();
}

void TestFullDisk::cleanup()
{
    m_disk.reset();
}

void TestFullDisk::makeLibrary(const QString& app) const
{
    writeFiles(app, {{"plugins/Calm.txt", rec("Breathe in") + rec("Breathe out", false) +
                                              rec("Let it be") + rec("Slow down")},
                     {"plugins/Focus.txt", rec("One thing at a time")},
                     {"FileNames.txt", rec("Calm") + rec("Focus", false)},
                     {"goal1.txt", "Run a marathon\r\n"}});
}

void TestFullDisk::programsPage_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("file"); // the file the user is told about
    QTest::newRow("tick a program") << "tick program"
                                    << "FileNames.txt";
    QTest::newRow("tick a message") << "tick message"
                                    << "plugins/Calm.txt";
    QTest::newRow("Add New") << "add"
                             << "plugins/Calm.txt";
    QTest::newRow("Edit") << "edit"
                          << "plugins/Calm.txt";
    QTest::newRow("Delete a message") << "delete message"
                                      << "plugins/Calm.txt";
    // An empty file takes no block: the program is made, its tick cannot be stored.
    QTest::newRow("Create") << "create"
                            << "FileNames.txt";
}

void TestFullDisk::programsPage()
{
    QFETCH(QString, action);
    QFETCH(QString, file);
    const QString app = m_disk->path("app");
    makeLibrary(app);
    ProgramsPage page{LibraryFiles(app)};
    page.LoadProgramList();
    auto* programs = page.findChild<QTableView*>("lvwDisplayFiles");
    auto* messages = page.findChild<QTableView*>("lvwDisplay");
    auto* edit = page.findChild<QLineEdit*>("txtEditText");
    m_disk->fill();
    const auto before = m_disk->snapshot(app);

    if (action == "tick program")
        programs->model()->setData(programs->model()->index(1, 0), Qt::Checked, Qt::CheckStateRole);
    else if (action == "tick message")
        messages->model()->setData(messages->model()->index(1, 0), Qt::Checked, Qt::CheckStateRole);
    else if (action == "add") {
        edit->setText("Smile");
        page.cmdAddNew_Click();
    } else if (action == "edit") {
        page.lvwDisplay_ItemClick(2);
        edit->setText("Let it go");
        page.cmdUpdate_Click();
    } else if (action == "delete message") {
        page.lvwDisplay_ItemClick(0);
        page.cmdDeleteText_Click();
    } else {
        page.findChild<QLineEdit*>("txtNewFileName")->setText("Zen");
        page.picCreateFile_Click();
    }

    auto expected = before;
    if (action == "create")
        expected.insert("plugins/Zen.txt", "");
    QCOMPARE(m_disk->snapshot(app), expected);
    QCOMPARE(m_prompt.shown.size(), 1);
    QVERIFY2(m_prompt.shown[0].text.contains(QDir::toNativeSeparators(app + "/" + file)),
             qPrintable(m_prompt.shown[0].text));
    QVERIFY2(m_prompt.shown[0].text.contains("No space left on device"),
             qPrintable(m_prompt.shown[0].text));
    // The lists show what the files hold.
    if (action == "create") {
        QCOMPARE(texts(programs), (QStringList{"Calm", "Focus", "Zen"}));
        QCOMPARE(ticks(programs), (QList<bool>{true, false, false}));
        return;
    }
    QCOMPARE(texts(programs), (QStringList{"Calm", "Focus"}));
    QCOMPARE(ticks(programs), (QList<bool>{true, false}));
    QCOMPARE(texts(messages), (QStringList{"Breathe in", "Breathe out", "Let it be", "Slow down"}));
    QCOMPARE(ticks(messages), (QList<bool>{true, false, true, true}));
    // Nothing typed is lost.
    if (action == "add")
        QCOMPARE(edit->text(), QStringLiteral("Smile"));
    if (action == "edit")
        QCOMPARE(edit->text(), QStringLiteral("Let it go"));
}

// A program file dropped into the folder needs the selection list rewritten at start-up.
void TestFullDisk::startUpRewriteOfTheSelectionList()
{
    const QString app = m_disk->path("app");
    makeLibrary(app);
    writeFile(app + "/plugins/New.txt", rec("Fresh"));
    m_disk->fill();
    const auto before = m_disk->snapshot(app);
    ProgramsPage page{LibraryFiles(app)};
    page.LoadProgramList();
    QCOMPARE(m_disk->snapshot(app), before);
    QCOMPARE(m_prompt.shown.size(), 1);
    QCOMPARE(m_prompt.shown[0].text,
             "The list of ticked programs was not brought up to date: the file \"" +
                 QDir::toNativeSeparators(app + "/FileNames.txt") +
                 "\" could not be written (No space left on device). It is kept as it was.");
}

void TestFullDisk::goalSave()
{
    const QString app = m_disk->path("app");
    makeLibrary(app);
    GoalsPage page(app);
    page.LoadGoalSlots();
    m_disk->fill();
    const auto before = m_disk->snapshot(app);
    page.findChild<QPlainTextEdit*>("txtGoalDesc1")->setPlainText("Run two marathons");
    page.picGoal1->cmdSaveGoal_Click();
    QCOMPARE(m_disk->snapshot(app), before);
    QCOMPARE(m_prompt.shown.size(), 1);
    QVERIFY(m_prompt.shown[0].text.startsWith("Goal 1 could not be saved to " +
                                              QDir::toNativeSeparators(app + "/goal1.txt")));
    QCOMPARE(page.findChild<QPlainTextEdit*>("txtGoalDesc1")->toPlainText(),
             QStringLiteral("Run two marathons"));
}

// Leaving stores the settings; on a full disk the old file stays and the user is told once.
void TestFullDisk::settingsAtExit()
{
    const QString app = m_disk->path("app");
    makeLibrary(app);
    const QString ini = m_disk->path("config/zentrivo.ini");
    const QByteArray stored = "[Settings]\nAutoDisplay=False\nDispInterval=3\n";
    writeFile(ini, stored);
    AppFolder::setOverride(app);
    auto store = SettingsStore::atIniFile(ini);
    FrmAll frm(*store);
    QVERIFY(frm.Form_Load({}));
    m_prompt.shown.clear();
    m_disk->fill();
    frm.settings.DispInterval = 4;
    frm.cmdSaveSettings_Click(); // the show's start and stop save them too: told once a run
    frm.Unload();
    QCOMPARE(readFile(ini), stored);
    QCOMPARE(m_prompt.shown.size(), 1);
    QCOMPARE(m_prompt.shown[0].text, "The settings could not be saved to the file \"" +
                                         QDir::toNativeSeparators(ini) +
                                         "\".\nNo space left on device");
}

// QSettings writes the new text into a scratch copy first and does not notice when that
// write runs out of room: the copy is checked before it replaces the real file.
void TestFullDisk::settingsWhenTheScratchFolderIsFull()
{
    QTemporaryDir config;
    const QString ini = config.filePath("zentrivo.ini");
    const QByteArray stored = "[Settings]\nAutoDisplay=False\n";
    writeFile(ini, stored);
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(m_disk->path()));
    // Room for the old file's copy and QSettings' lock file, none for the new text.
    writeFile(m_disk->path("pad"), QByteArray(8192, 'x'));
    m_disk->fill();
    QFile::remove(m_disk->path("pad"));
    auto store = SettingsStore::atIniFile(ini);
    const Outcome saved = store->SaveSettings(
        "Settings", {{"AutoDisplay", "True"}, {"FontName", QString(6000, QLatin1Char('x'))}});
    qputenv("TMPDIR", oldTmp);
    QVERIFY(!saved.ok());
    QCOMPARE(saved.why(), QStringLiteral("Its new text could not be written whole (is the disk "
                                         "full?)."));
    QCOMPARE(readFile(ini), stored);
}

QTEST_MAIN(TestFullDisk)
#include "tst_fulldisk.moc"
