#include "goals/DiskFull.h"
#include "goals/GoalFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

class TestGoalFile : public QObject
{
    Q_OBJECT
private slots:
    void firstStartCreatesBothFilesEmpty();
    void saves_data();
    void saves();
    void reads_data();
    void reads();
    void loadThenSaveLeavesTheFileUnchanged_data();
    void loadThenSaveLeavesTheFileUnchanged();
    void refusalKeepsTheOldFile_data();
    void refusalKeepsTheOldFile();

private:
    static QByteArray bytesOf(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void writeBytes(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(bytes), bytes.size());
    }
};

void TestGoalFile::firstStartCreatesBothFilesEmpty()
{
    QTemporaryDir dir;
    for (int slot : {1, 2}) {
        const QString path = GoalFile::pathIn(dir.path(), slot);
        QVERIFY(!QFile::exists(path));
        const Produced<GoalFile::Goal> loaded = GoalFile::load(path);
        QVERIFY2(loaded.ok(), qPrintable(loaded.why()));
        QCOMPARE(loaded.value.text, QString());
        QCOMPARE(bytesOf(path), QByteArray());
    }
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("goal1.txt"))));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("goal2.txt"))));
}

// What the text box holds, the bytes saved, and what the box holds at the next start.
void TestGoalFile::saves_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reloaded");
    QTest::newRow("two spaces before and after trimmed")
        << "  Run a marathon  " << QByteArray("Run a marathon\r\n") << "Run a marathon";
    QTest::newRow("spaces only give CR LF alone") << "    " << QByteArray("\r\n") << "";
    QTest::newRow("empty box") << "" << QByteArray("\r\n") << "";
    QTest::newRow("two lines") << "first\nsecond" << QByteArray("first\r\nsecond\r\n")
                               << "first\nsecond";
    QTest::newRow("line breaks at the ends are kept")
        << "\nmiddle\n"
        << QByteArray("\r\nmiddle\r\n\r\n") << "\nmiddle\n";
    QTest::newRow("only spaces are trimmed, not tabs")
        << " \tgoal\t " << QByteArray("\tgoal\t\r\n") << "\tgoal\t";
    QTest::newRow("spaces inside kept") << " a  b " << QByteArray("a  b\r\n") << "a  b";
    QTest::newRow("paragraph separator is a line break")
        << QString::fromUtf8("a\u2029b") << QByteArray("a\r\nb\r\n") << "a\nb";
    QTest::newRow("Windows-1252 bytes") << QString::fromUtf8("caf\u00e9 \u20ac5")
                                        << QByteArray("caf\xe9 \x80"
                                                      "5\r\n")
                                        << QString::fromUtf8("caf\u00e9 \u20ac5");
}

void TestGoalFile::saves()
{
    QFETCH(QString, box);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reloaded);
    QTemporaryDir dir;
    const QString path = GoalFile::pathIn(dir.path(), 1);
    const Outcome saved = GoalFile::save(path, box);
    QVERIFY2(saved.ok(), qPrintable(saved.why()));
    QCOMPARE(bytesOf(path), bytes);
    const Produced<GoalFile::Goal> loaded = GoalFile::load(path);
    QVERIFY(loaded.ok());
    QCOMPARE(loaded.value.text, reloaded);
}

// Files as found on disk, some written by hand or by an older version.
void TestGoalFile::reads_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("box");
    QTest::newRow("old style: text then CR LF")
        << QByteArray("Learn Spanish\r\n") << "Learn Spanish";
    QTest::newRow("old style after three start-and-saves")
        << QByteArray("Learn Spanish\r\n\r\n\r\n") << "Learn Spanish\n\n";
    QTest::newRow("no final line end") << QByteArray("Learn Spanish") << "Learn Spanish";
    QTest::newRow("empty file") << QByteArray() << "";
    QTest::newRow("LF line ends") << QByteArray("a\nb\n") << "a\nb";
    QTest::newRow("high bytes") << QByteArray("\x93quoted\x94\r\n")
                                << QString::fromUtf8("\u201cquoted\u201d");
}

void TestGoalFile::reads()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, box);
    QTemporaryDir dir;
    const QString path = GoalFile::pathIn(dir.path(), 2);
    writeBytes(path, bytes);
    const Produced<GoalFile::Goal> loaded = GoalFile::load(path);
    QVERIFY(loaded.ok());
    QCOMPARE(loaded.value.text, box);
    QCOMPARE(bytesOf(path), bytes); // reading never rewrites
}

void TestGoalFile::loadThenSaveLeavesTheFileUnchanged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("one line") << QByteArray("Save money\r\n");
    QTest::newRow("two lines") << QByteArray("first\r\nsecond\r\n");
    QTest::newRow("CR LF alone") << QByteArray("\r\n");
    QTest::newRow("empty lines at the end") << QByteArray("goal\r\n\r\n\r\n");
    QTest::newRow("empty line at the start") << QByteArray("\r\ngoal\r\n");
}

void TestGoalFile::loadThenSaveLeavesTheFileUnchanged()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = GoalFile::pathIn(dir.path(), 1);
    writeBytes(path, bytes);
    for (int start = 0; start < 3; ++start) {
        const Produced<GoalFile::Goal> loaded = GoalFile::load(path);
        QVERIFY(loaded.ok());
        QVERIFY(GoalFile::save(path, loaded.value.text).ok());
        QCOMPARE(bytesOf(path), bytes);
    }
}

void TestGoalFile::refusalKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("diskFull");
    QTest::addColumn<QString>("named"); // a part of the error the user must see
    QTest::newRow("character outside Windows-1252")
        << QString::fromUtf8("Visit \u6771\u4eac") << false << QString::fromUtf8("\u6771");
    QTest::newRow("emoji") << QString::fromUtf8("Smile \U0001F600") << false
                           << QString::fromUtf8("\U0001F600");
    QTest::newRow("disk full") << QString(40000, QLatin1Char('x')) << true << QString();
}

void TestGoalFile::refusalKeepsTheOldFile()
{
    QFETCH(QString, text);
    QFETCH(bool, diskFull);
    QFETCH(QString, named);
    QTemporaryDir dir;
    const QString path = GoalFile::pathIn(dir.path(), 1);
    const QByteArray old("Old goal\r\n");
    writeBytes(path, old);
    Outcome saved;
    {
        std::optional<DiskFull> full;
        if (diskFull) {
            full.emplace(1024);
            QVERIFY(full->active());
        }
        saved = GoalFile::save(path, text);
    }
    QVERIFY(!saved.ok());
    QVERIFY2(saved.why().contains(named), qPrintable(saved.why()));
    QCOMPARE(bytesOf(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("goal1.txt")});
}

QTEST_GUILESS_MAIN(TestGoalFile)
#include "tst_goalfile.moc"
