#include "../goals/DiskFull.h"
#include "TestFiles.h"
#include "core/AtomicWrite.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

using namespace TestFiles;

// The settings file on disk: replaced whole or not at all, and never read in a way that can
// hang.
class TestSettingsStore : public QObject
{
    Q_OBJECT
private slots:
    void failedSaveKeepsEveryByte_data();
    void failedSaveKeepsEveryByte();
    void saveKeepsOtherKeys();
    void fileThatIsNotAFileIsNeverReadNorReplaced();
};

namespace {
const QByteArray kOld = "[Settings]\nAutoDisplay=True\nFontName=Verdana\n\n"
                        "[Update]\nabc=ZGVm\n";
} // namespace

void TestSettingsStore::failedSaveKeepsEveryByte_data()
{
    QTest::addColumn<int>("step"); // AtomicWrite::Step, or -1 for a real file-size limit
    // Room for the old file's scratch copy, none for the new text: the failure is QSettings'
    // own save, which it does not notice.
    QTest::newRow("file-size limit between old and new size") << -1;
    QTest::newRow("fails at open") << int(AtomicWrite::Step::Open);
    QTest::newRow("fails at write") << int(AtomicWrite::Step::Write);
    QTest::newRow("fails at flush") << int(AtomicWrite::Step::Flush);
    QTest::newRow("fails at sync") << int(AtomicWrite::Step::Sync);
    QTest::newRow("fails at commit") << int(AtomicWrite::Step::Commit);
}

void TestSettingsStore::failedSaveKeepsEveryByte()
{
    QFETCH(int, step);
    QTemporaryDir dir;
    const QString path = dir.filePath("z/z.ini");
    writeFile(path, kOld);
    auto store = SettingsStore::atIniFile(path);
    const QList<QPair<QString, QString>> keys{
        {"AutoDisplay", "False"}, {"FontName", QString(200, QLatin1Char('x'))}, {"FontSize", "12"}};
    Outcome saved;
    {
        std::optional<DiskFull> full;
        if (step < 0)
            full.emplace(kOld.size() + 20);
        else
            AtomicWrite::failAtForTests(AtomicWrite::Step(step));
        saved = store->SaveSettings("Settings", keys);
        AtomicWrite::failAtForTests(AtomicWrite::Step::None);
    }
    QVERIFY(!saved.ok());
    QVERIFY(!saved.why().isEmpty());
    QCOMPARE(readFile(path), kOld);
    QCOMPARE(QDir(dir.filePath("z")).entryList(QDir::Files | QDir::Hidden), QStringList{"z.ini"});
    QCOMPARE(store->GetSetting("Settings", "AutoDisplay"), QStringLiteral("True"));
    // The next save that has room succeeds.
    QVERIFY(store->SaveSettings("Settings", keys).ok());
    QCOMPARE(store->GetSetting("Settings", "AutoDisplay"), QStringLiteral("False"));
}

void TestSettingsStore::saveKeepsOtherKeys()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("z.ini");
    writeFile(path, kOld);
    auto store = SettingsStore::atIniFile(path);
    QVERIFY(store->SaveSetting("Settings", "AutoDisplay", "False").ok());
    QCOMPARE(readFile(path),
             QByteArray("[Settings]\nAutoDisplay=False\nFontName=Verdana\n\n[Update]\nabc=ZGVm\n"));
    // A store in a folder that does not exist yet makes it.
    auto fresh = SettingsStore::atIniFile(dir.filePath("new/z.ini"));
    QVERIFY(fresh->SaveSetting("Settings", "FontSize", "9").ok());
    QCOMPARE(readFile(dir.filePath("new/z.ini")), QByteArray("[Settings]\nFontSize=9\n"));
}

// A FIFO where the file should be once held QSettings in open() for good.
void TestSettingsStore::fileThatIsNotAFileIsNeverReadNorReplaced()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("z.ini");
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    ::alarm(20);
    auto store = SettingsStore::atIniFile(path);
    QCOMPARE(store->GetSetting("Settings", "AutoDisplay", "fallback"), QStringLiteral("fallback"));
    const Outcome saved = store->SaveSettings("Settings", {{"AutoDisplay", "False"}});
    ::alarm(0);
    QVERIFY(!saved.ok());
    QVERIFY(saved.why().startsWith("It cannot be read"));
    struct stat st = {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QVERIFY(S_ISFIFO(st.st_mode));
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
