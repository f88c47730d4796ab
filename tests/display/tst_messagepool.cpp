#include "TestFiles.h"
#include "display/MessagePool.h"
#include "library/LibraryFiles.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace TestFiles;

namespace {

// The pool as a list of decoded records gives it: every ticked program's records read whole
// through the library, their texts less the CR LF pairs, the empty ones left out.
QStringList readRecordByRecord(const QString& folder)
{
    const LibraryFiles files(folder);
    QStringList pool;
    for (const Record& program : files.readSelectionList().records) {
        const QString name = MessagePool::withoutLineBreaks(program.text);
        if (name.isEmpty() || !program.ticked || !LibraryFiles::isSafeName(name))
            continue;
        for (const Record& message : files.readProgram(name).records) {
            const QString text = MessagePool::withoutLineBreaks(message.text);
            if (message.ticked && !text.isEmpty())
                pool.append(text);
        }
    }
    return pool;
}

// What a cut to the screen with `reach` can look at: the first lines, each as far as one unit
// past the reach, and whether more lines follow.
QStringList inReach(const QString& text, const ScreenCut::Reach& reach)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    const bool more = lines.size() > reach.lines;
    lines = lines.first(std::min(lines.size(), reach.lines));
    for (QString& line : lines)
        line.truncate(reach.lineLength + 1);
    if (more)
        lines << QStringLiteral("(more)");
    return lines;
}

// A program of one message, its bytes written as they are, in a UTF-8 file or not.
MessagePool poolOfOne(const QTemporaryDir& dir, const QByteArray& message, bool utf8)
{
    writeFiles(dir.path(), {{"FileNames.txt", "\"p\",#TRUE#\r\n"},
                            {"plugins/p.txt", (utf8 ? QByteArray("\xef\xbb\xbf") : QByteArray()) +
                                                  "\"" + message + "\",#TRUE#\r\n"}});
    MessagePool pool(dir.path());
    pool.GatherMessages();
    return pool;
}

} // namespace

class TestMessagePool : public QObject
{
    Q_OBJECT
private slots:
    void gather_data();
    void gather();
    void eachStartRebuildsThePool();
    void missingSelectionListKeepsThePool();
    void anyBytesGiveWhatTheRecordsHold();
    void poolLargerThanSixteenBitsIsCoveredByRandomOrder();
    void cancelledGatheringEndsEarly();
    void decodedAsFarAsTheScreenReaches_data();
    void decodedAsFarAsTheScreenReaches();
    void anyBytesReachTheScreenAsTheWholeText();
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
    QTest::newRow("Windows-1252 characters, undefined bytes kept")
        << Files{{"FileNames.txt", "\"caf\xe9\",#TRUE#\r\n"},
                 {"plugins/caf\xc3\xa9.txt",
                  "\"\x80 5, na\xefve\",#TRUE#\r\n\"\x81\x9d\",#TRUE#\r\n"}}
        << true << QStringList{"\u20ac 5, na\u00efve", "\u0081\u009d"};
    QTest::newRow("UTF-8 program between Windows-1252 ones")
        << Files{{"FileNames.txt", "\"a\",#TRUE#\r\n\"u\",#TRUE#\r\n\"b\",#TRUE#\r\n"},
                 {"plugins/a.txt", "\"\xe9\",#TRUE#\r\n"},
                 {"plugins/u.txt",
                  "\xef\xbb\xbf\"\xce\xa9\r\n\xc3\xa9\",#TRUE#\r\n\"\",#TRUE#\r\n"},
                 {"plugins/b.txt", "\"\xce\",#TRUE#\r\n"}}
        << true << QStringList{"\u00e9", "\u03a9\u00e9", "\u00ce"};
    QTest::newRow("only line breaks is empty, a pair split by a lone CR is not")
        << Files{{"FileNames.txt", "\"a\",#TRUE#\r\n"},
                 {"plugins/a.txt",
                  "\"\r\n\r\n\",#TRUE#\r\n\"\r\r\n\n\",#TRUE#\r\n\"\n\r\",#TRUE#\r\n"}}
        << true << QStringList{"\r\n", "\n\r"};
    QTest::newRow("hand-made records: blank lines, no quotes, spaces, no tick, unended quote")
        << Files{{"FileNames.txt", "\r\n  a , #TRUE# \r\n"},
                 {"plugins/a.txt", "\r\n\r\nplain ,  #TRUE#  ,x\r\n\"q\"junk,#TRUE#\nnotick\r\n"
                                   "\"t\",#true#\r\n\"open,#TRUE#\r\n"}}
        << true << QStringList{"plain", "q"};
    QTest::newRow("unticked messages of a ticked program, ticked ones of an unticked one")
        << Files{{"FileNames.txt", "\"a\",#FALSE#\r\n\"b\",#TRUE#\r\n"},
                 {"plugins/a.txt", "\"a1\",#TRUE#\r\n"},
                 {"plugins/b.txt", "\"b1\",#FALSE#\r\n\"b2\",#TRUE#\r\n\"b3\",#FALSE#\r\n"}}
        << true << QStringList{"b2"};
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
    for (qsizetype i = 0; i < pool.size(); ++i)
        QCOMPARE(messages.at(i), pool.at(i));
    if (result)
        QCOMPARE(messages.messages(), readRecordByRecord(dir.path()));
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

void TestMessagePool::anyBytesGiveWhatTheRecordsHold()
{
    // Bytes the record format is made of, so that quotes, ticks and line breaks meet often.
    const QList<QByteArray> pieces{"\"",       ",",   "#TRUE#", "#FALSE#", "\r\n", "\r",
                                   "\n",       " ",   "a",      "\xe9",    "\x80", "\xef\xbb\xbf",
                                   "\xc3\xa9", "\xce"};
    QRandomGenerator random(14);
    for (int round = 0; round < 300; ++round) {
        QTemporaryDir dir;
        Files files{{"FileNames.txt", "\"a\",#TRUE#\r\n\"b\",#TRUE#\r\n"}};
        for (const char* name : {"plugins/a.txt", "plugins/b.txt"}) {
            QByteArray bytes = random.bounded(3) == 0 ? QByteArray("\xef\xbb\xbf") : QByteArray();
            for (int n = random.bounded(40); n > 0; --n)
                bytes += pieces.at(random.bounded(int(pieces.size())));
            files.append({name, bytes});
        }
        writeFiles(dir.path(), files);
        MessagePool pool(dir.path());
        QVERIFY(pool.GatherMessages());
        QCOMPARE(pool.messages(), readRecordByRecord(dir.path()));
    }
}

void TestMessagePool::poolLargerThanSixteenBitsIsCoveredByRandomOrder()
{
    constexpr int count = 100000;
    QByteArray program;
    for (int i = 0; i < count; ++i)
        program += "\"m" + QByteArray::number(i) + "\",#TRUE#\r\n";
    QTemporaryDir dir;
    writeFiles(dir.path(), {{"FileNames.txt", "\"p\",#TRUE#\r\n"}, {"plugins/p.txt", program}});
    MessagePool pool(dir.path());
    QVERIFY(pool.GatherMessages());
    QCOMPARE(pool.size(), count);
    const qint32 last = qint32(pool.last());
    QCOMPARE(MessagePool::randomIndex(0.5, last), 50000); // 49999.5, to the even neighbour
    QCOMPARE(pool.at(MessagePool::randomIndex(0.5, last)), "m50000");
    QCOMPARE(MessagePool::randomIndex(0.99999, last), 99998);
    QCOMPARE(pool.at(MessagePool::randomIndex(0.999999, last)), "m99999");
}

void TestMessagePool::cancelledGatheringEndsEarly()
{
    QByteArray program;
    for (int i = 0; i < 20000; ++i)
        program += "\"m\",#TRUE#\r\n";
    QTemporaryDir dir;
    writeFiles(dir.path(),
               {{"FileNames.txt", "\"p\",#TRUE#\r\n\"p\",#TRUE#\r\n"}, {"plugins/p.txt", program}});
    int asked = 0;
    MessagePool pool(dir.path());
    QVERIFY(pool.GatherMessages([&asked] { return ++asked > 2; }));
    QVERIFY(pool.size() < 20000);
}

void TestMessagePool::decodedAsFarAsTheScreenReaches_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("utf8");
    QTest::addColumn<qsizetype>("lines");
    QTest::addColumn<qsizetype>("lineLength");
    QTest::addColumn<qsizetype>("most"); // the longest the decoded part may be

    const QByteArray line(3000, 'x');
    QTest::newRow("10 MB on one line") << QByteArray(10'000'000, 'a') << false << qsizetype(30)
                                       << qsizetype(2561) << qsizetype(2562);
    QTest::newRow("10 MB of 4-byte characters")
        << QByteArray(2'500'000, 'a').replace("a", "\xf0\x9f\x98\x80") << true << qsizetype(30)
        << qsizetype(2561) << qsizetype(2562);
    QTest::newRow("long lines, more than the screen holds")
        << (line + "\n").repeated(100) << false << qsizetype(40) << qsizetype(2561)
        << qsizetype(40 * 2563);
    QTest::newRow("short lines, more than the screen holds")
        << QByteArray("line\n").repeated(100'000) << true << qsizetype(40) << qsizetype(2561)
        << qsizetype(40 * 5 + 1);
    QTest::newRow("a long line, then short ones")
        << line + QByteArray("\nb\nc") << false << qsizetype(2) << qsizetype(100) << qsizetype(104);
    QTest::newRow("CR LF pairs take no room")
        << QByteArray("\r\n").repeated(200'000) + QByteArray("tail") + line << false << qsizetype(3)
        << qsizetype(100) << qsizetype(101);
    QTest::newRow("pairs and lone breaks at the cut")
        << QByteArray("ab\r\n\r\r\n\n").repeated(50'000) << true << qsizetype(5) << qsizetype(7)
        << qsizetype(5 * 9);
    QTest::newRow("broken UTF-8 at the cut")
        << QByteArray("\xe2\x82").repeated(50'000) + "\n\xc3" << true << qsizetype(2)
        << qsizetype(9) << qsizetype(21);
    QTest::newRow("fits: left whole")
        << QByteArray("two\nlines") << true << qsizetype(2) << qsizetype(5) << qsizetype(9);
}

void TestMessagePool::decodedAsFarAsTheScreenReaches()
{
    QFETCH(QByteArray, message);
    QFETCH(bool, utf8);
    QFETCH(qsizetype, lines);
    QFETCH(qsizetype, lineLength);
    QFETCH(qsizetype, most);
    const ScreenCut::Reach reach{lines, lineLength};

    QTemporaryDir dir;
    const MessagePool pool = poolOfOne(dir, message, utf8);
    QCOMPARE(pool.size(), 1);
    const QString whole = pool.at(0);
    const QString reached = pool.at(0, reach);
    QVERIFY2(reached.size() <= most, qPrintable(QString::number(reached.size())));
    QCOMPARE(inReach(reached, reach), inReach(whole, reach));
    if (whole.size() <= most)
        QCOMPARE(reached, whole);
}

void TestMessagePool::anyBytesReachTheScreenAsTheWholeText()
{
    // Line breaks, CR LF pairs, characters of two to four bytes and broken ones meet the
    // reach's edges often.
    const QList<QByteArray> pieces{
        "\r\n",     "\r",           "\n",       "a",    "\xe9",
        "\x80",     "\xef\xbb\xbf", "\xc3\xa9", "\xce", "\xf0\x9f\x98\x80",
        "\xf0\x9f", "\xe2\x82"};
    QRandomGenerator random(1252);
    for (const bool utf8 : {false, true}) {
        QByteArray program = utf8 ? QByteArray("\xef\xbb\xbf") : QByteArray();
        for (int message = 0; message < 1000; ++message) {
            program += '"';
            for (int n = random.bounded(200); n > 0; --n)
                program += pieces.at(random.bounded(int(pieces.size())));
            program += "\",#TRUE#\r\n";
        }
        QTemporaryDir dir;
        writeFiles(dir.path(), {{"FileNames.txt", "\"p\",#TRUE#\r\n"}, {"plugins/p.txt", program}});
        MessagePool pool(dir.path());
        QVERIFY(pool.GatherMessages());
        QVERIFY(pool.size() > 900);
        for (qsizetype i = 0; i < pool.size(); ++i) {
            const ScreenCut::Reach reach{random.bounded(1, 5), random.bounded(1, 12)};
            QCOMPARE(inReach(pool.at(i, reach), reach), inReach(pool.at(i), reach));
        }
    }
}

QTEST_GUILESS_MAIN(TestMessagePool)
#include "tst_messagepool.moc"
