#include "TestFiles.h"
#include "display/MessagePool.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace TestFiles;

class TestMessagePool : public QObject
{
    Q_OBJECT
private slots:
    void gather_data();
    void gather();
    void eachStartRebuildsThePool();
    void missingSelectionListKeepsThePool();
};

void TestMessagePool::gather_data()
{
    QTest::addColumn<Files>("files");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QStringList>("pool");

    QTest::newRow("ticked programs in list order, ticked messages in file order")
        << Files{{"FileNames.txt", "\"a\",#TRUE#\r\n\"b\",#FALSE#\r\n\"c\",#TRUE#\r\n"},
                 {"plugins/a.txt", "\"a1\",#TRUE#\r\n\"a2\",#FALSE#\r\n\"a3\",#TRUE#\r\n"},
                 {"plugins/b.txt", "\"b1\",#TRUE#\r\n"},
                 {"plugins/c.txt", "\"c1\",#TRUE#\r\n"}}
        << true << QStringList{"a1", "a3", "c1"};
    QTest::newRow("empty texts add nothing")
        << Files{{"FileNames.txt", "\"a\",#TRUE#\r\n"},
                 {"plugins/a.txt", "\"\",#TRUE#\r\n\"\r\n\",#TRUE#\r\n"}}
        << true << QStringList{};
    QTest::newRow("CR LF pair inside a message removed, lone CR kept")
        << Files{{"FileNames.txt", "\"a\",#TRUE#\r\n"},
                 {"plugins/a.txt", "\"a\r\nb\",#TRUE#\r\n\"c\rd\",#TRUE#\r\n"}}
        << true << QStringList{"ab", "c\rd"};
    QTest::newRow("CR LF pair inside a program name removed")
        << Files{{"FileNames.txt", "\"ca\r\nlm\",#TRUE#\r\n"},
                 {"plugins/calm.txt", "\"m\",#TRUE#\r\n"}}
        << true << QStringList{"m"};
    QTest::newRow("program listed twice adds its messages twice")
        << Files{{"FileNames.txt", "\"a\",#TRUE#\r\n\"a\",#TRUE#\r\n"},
                 {"plugins/a.txt", "\"x\",#TRUE#\r\n\"y\",#TRUE#\r\n"}}
        << true << QStringList{"x", "y", "x", "y"};
    QTest::newRow("missing program file skipped")
        << Files{{"FileNames.txt", "\"gone\",#TRUE#\r\n\"b\",#TRUE#\r\n"},
                 {"plugins/b.txt", "\"b1\",#TRUE#\r\n"}}
        << true << QStringList{"b1"};
    QTest::newRow("nothing ticked gives true and an empty pool")
        << Files{{"FileNames.txt", "\"a\",#FALSE#\r\n"}, {"plugins/a.txt", "\"a1\",#TRUE#\r\n"}}
        << true << QStringList{};
    QTest::newRow("empty selection list") << Files{{"FileNames.txt", ""}} << true << QStringList{};
    QTest::newRow("no selection list gives false")
        << Files{{"plugins/a.txt", "\"a1\",#TRUE#\r\n"}} << false << QStringList{};
    QTest::newRow("name leading outside plugins reads nothing")
        << Files{{"FileNames.txt", "\"../outside\",#TRUE#\r\n\"sub/x\",#TRUE#\r\n"},
                 {"outside.txt", "\"secret\",#TRUE#\r\n"},
                 {"plugins/sub/x.txt", "\"deep\",#TRUE#\r\n"}}
        << true << QStringList{};
}

void TestMessagePool::gather()
{
    QFETCH(Files, files);
    QFETCH(bool, result);
    QFETCH(QStringList, pool);

    QTemporaryDir dir;
    writeFiles(dir.path(), files);
    MessagePool messages(dir.path());
    QCOMPARE(messages.GatherMessages(), result);
    QCOMPARE(messages.messages(), pool);
    QCOMPARE(messages.isEmpty(), pool.isEmpty());
    QCOMPARE(messages.last(), pool.size() - 1);
}

void TestMessagePool::eachStartRebuildsThePool()
{
    QTemporaryDir dir;
    writeFiles(dir.path(), {{"FileNames.txt", "\"a\",#TRUE#\r\n\"b\",#TRUE#\r\n"},
                            {"plugins/a.txt", "\"a1\",#TRUE#\r\n\"a2\",#TRUE#\r\n"},
                            {"plugins/b.txt", "\"b1\",#TRUE#\r\n"}});
    MessagePool pool(dir.path());
    QVERIFY(pool.GatherMessages());
    QVERIFY(pool.GatherMessages());
    QCOMPARE(pool.messages(), (QStringList{"a1", "a2", "b1"}));

    // Unticked between two starts: a message, and a whole program.
    writeFiles(dir.path(), {{"FileNames.txt", "\"a\",#TRUE#\r\n\"b\",#FALSE#\r\n"},
                            {"plugins/a.txt", "\"a1\",#FALSE#\r\n\"a2\",#TRUE#\r\n"}});
    QVERIFY(pool.GatherMessages());
    QCOMPARE(pool.messages(), QStringList{"a2"});
}

void TestMessagePool::missingSelectionListKeepsThePool()
{
    QTemporaryDir dir;
    writeFiles(dir.path(),
               {{"FileNames.txt", "\"a\",#TRUE#\r\n"}, {"plugins/a.txt", "\"a1\",#TRUE#\r\n"}});
    MessagePool pool(dir.path());
    QVERIFY(pool.GatherMessages());
    QVERIFY(QFile::remove(dir.filePath("FileNames.txt")));
    QVERIFY(!pool.GatherMessages());
    QCOMPARE(pool.messages(), QStringList{"a1"});
}

QTEST_GUILESS_MAIN(TestMessagePool)
#include "tst_messagepool.moc"
