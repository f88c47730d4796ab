#include "core/Cp1252.h"
#include "library/RecordFormat.h"

#include <QSemaphore>
#include <QTest>
#include <memory>
#include <thread>

using Records = QList<Record>;
Q_DECLARE_METATYPE(Record)

class TestRecordFormat : public QObject
{
    Q_OBJECT
private slots:
    void writes_data();
    void writes();
    void reads_data();
    void reads();
    void refusesWhatCannotSurvive_data();
    void refusesWhatCannotSurvive();
    void encodingNamesTheCharacter_data();
    void encodingNamesTheCharacter();
    void windows1252RoundTrips();
    void garbageAlwaysEnds();
    void storeHoldsWhatTheListHolds_data();
    void storeHoldsWhatTheListHolds();
};

void TestRecordFormat::writes_data()
{
    QTest::addColumn<Records>("records");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ticked") << Records{{"abc", true}} << QByteArray("\"abc\",#TRUE#\r\n");
    QTest::newRow("unticked") << Records{{"abc", false}} << QByteArray("\"abc\",#FALSE#\r\n");
    QTest::newRow("commas inside quotes")
        << Records{{"one, two", true}} << QByteArray("\"one, two\",#TRUE#\r\n");
    QTest::newRow("empty text") << Records{{"", false}} << QByteArray("\"\",#FALSE#\r\n");
    QTest::newRow("CR LF inside a text")
        << Records{{"a\r\nb", true}} << QByteArray("\"a\r\nb\",#TRUE#\r\n");
    QTest::newRow("empty list") << Records{} << QByteArray();
    QTest::newRow("order kept") << Records{{"b", true}, {"a", false}}
                                << QByteArray("\"b\",#TRUE#\r\n\"a\",#FALSE#\r\n");
    QTest::newRow("Windows-1252 bytes") << Records{{QString::fromUtf8("caf\u00e9 \u20ac"), true}}
                                        << QByteArray("\"caf\xe9 \x80\",#TRUE#\r\n");
}

void TestRecordFormat::writes()
{
    QFETCH(Records, records);
    QFETCH(QByteArray, bytes);
    const Produced<QByteArray> encoded = RecordFormat::serialize(records);
    QVERIFY(encoded.ok());
    QCOMPARE(encoded.value, bytes);
    QCOMPARE(RecordFormat::parse(encoded.value), records);
}

void TestRecordFormat::reads_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Records>("records");
    QTest::newRow("zero bytes") << QByteArray() << Records{};
    QTest::newRow("last record without CR LF")
        << QByteArray("\"a\",#TRUE#\r\n\"b\",#FALSE#") << Records{{"a", true}, {"b", false}};
    QTest::newRow("spaces before fields")
        << QByteArray("   \"a\",   #TRUE#\r\n") << Records{{"a", true}};
    QTest::newRow("unquoted text field")
        << QByteArray("plain text,#TRUE#\r\n") << Records{{"plain text", true}};
    QTest::newRow("quoted text spanning two lines")
        << QByteArray("\"first\r\nsecond\",#TRUE#\r\n") << Records{{"first\r\nsecond", true}};
    QTest::newRow("blank lines skipped")
        << QByteArray("\r\n\r\n\"a\",#TRUE#\r\n\r\n   \r\n\"b\",#TRUE#\r\n")
        << Records{{"a", true}, {"b", true}};
    QTest::newRow("no tick field")
        << QByteArray("\"a\"\r\n\"b\",#TRUE#\r\n") << Records{{"a", false}, {"b", true}};
    QTest::newRow("other tick texts")
        << QByteArray("\"a\",#true#\r\n\"b\",TRUE\r\n\"c\",1\r\n\"d\",\r\n")
        << Records{{"a", false}, {"b", false}, {"c", false}, {"d", false}};
    QTest::newRow("unterminated quote runs to the end")
        << QByteArray("\"a\",#TRUE#\r\n\"open,#TRUE#\r\nmore")
        << Records{{"a", true}, {"open,#TRUE#\r\nmore", false}};
    QTest::newRow("lone LF line ends")
        << QByteArray("\"a\",#TRUE#\n\"b\",#FALSE#\n") << Records{{"a", true}, {"b", false}};
    QTest::newRow("extra fields on a line ignored")
        << QByteArray("\"a\",#TRUE#,junk\r\n\"b\",#TRUE#\r\n") << Records{{"a", true}, {"b", true}};
    QTest::newRow("text after closing quote ignored")
        << QByteArray("\"a\"xyz,#TRUE#\r\n") << Records{{"a", true}};
    QTest::newRow("trailing spaces after tick")
        << QByteArray("\"a\",#TRUE#   \r\n") << Records{{"a", true}};
}

void TestRecordFormat::reads()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Records, records);
    QCOMPARE(RecordFormat::parse(bytes), records);
}

void TestRecordFormat::refusesWhatCannotSurvive_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("why");
    QTest::newRow("double quote") << QStringLiteral("say \"hi\"")
                                  << QStringLiteral("A message cannot hold the double quote "
                                                    "character (\"), because the program files "
                                                    "use it to enclose each message.");
    QTest::newRow("outside Windows-1252")
        << QString::fromUtf8("\u4e16\u754c")
        << QString::fromUtf8("The character \"\u4e16\" (U+4E16) cannot be stored, because the "
                             "program files hold only Western European (Windows-1252) "
                             "characters.");
    QTest::newRow("emoji") << QString::fromUtf8("ok \U0001F600")
                           << QString::fromUtf8("The character \"\U0001F600\" (U+1F600) cannot "
                                                "be stored, because the program files hold only "
                                                "Western European (Windows-1252) characters.");
}

void TestRecordFormat::refusesWhatCannotSurvive()
{
    QFETCH(QString, text);
    QFETCH(QString, why);
    const Produced<QByteArray> encoded = RecordFormat::serialize({{"fine", true}, {text, true}});
    QVERIFY(!encoded.ok());
    QVERIFY(encoded.value.isEmpty());
    QCOMPARE(encoded.why(), why);
    QCOMPARE(RecordFormat::checkText(text).why(), why);
    QVERIFY(RecordFormat::checkText(QStringLiteral("fine")).ok());
}

// The program files and the goal files say alike which character they cannot hold.
void TestRecordFormat::encodingNamesTheCharacter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("files");
    QTest::addColumn<QString>("why");
    QTest::newRow("goal files, first of two")
        << QString::fromUtf8("Visit \u6771\u4eac") << "goal files"
        << QString::fromUtf8("The character \"\u6771\" (U+6771) cannot "
                             "be stored, because the goal files hold "
                             "only Western European (Windows-1252) "
                             "characters.");
    QTest::newRow("a lone surrogate half")
        << QString(QChar(0xD83D)) << "program files"
        << QString(QStringLiteral("The character \"") + QChar(0xD83D) +
                   QStringLiteral("\" (U+D83D) cannot be stored, because "
                                  "the program files hold only Western "
                                  "European (Windows-1252) characters."));
    QTest::newRow("a small code point")
        << QString::fromUtf8("\u0100") << "program files"
        << QString::fromUtf8("The character \"\u0100\" (U+0100) cannot be "
                             "stored, because the program files hold only "
                             "Western European (Windows-1252) characters.");
}

void TestRecordFormat::encodingNamesTheCharacter()
{
    QFETCH(QString, text);
    QFETCH(QString, files);
    QFETCH(QString, why);
    const Produced<QByteArray> encoded = Cp1252::encode(text, files);
    QVERIFY(!encoded.ok());
    QCOMPARE(encoded.why(), why);
    QCOMPARE(Cp1252::encode(QString::fromUtf8("caf\u00e9"), files).value, QByteArray("caf\xe9"));
}

void TestRecordFormat::windows1252RoundTrips()
{
    // Every byte but the delimiters survives a read and a write, so hand-made files in any
    // Windows-1252 text keep their exact bytes.
    QByteArray all;
    for (int b = 32; b < 256; ++b) {
        if (b != '"' && b != ',')
            all.append(char(b));
    }
    const QByteArray file = "\"" + all + "\",#TRUE#\r\n";
    const Records records = RecordFormat::parse(file);
    QCOMPARE(records.size(), 1);
    QCOMPARE(RecordFormat::serialize(records).value, file);
}

void TestRecordFormat::garbageAlwaysEnds()
{
    // The pieces of a record, thrown together in any order: what a damaged or hand-mangled
    // file may hold.
    const QList<QByteArray> pieces{
        "\"",  ",", "\r\n", "\r", "\n", " ", "#TRUE#", "#FALSE#", "TRUE", "a", QByteArray(1, '\0'),
        "\xff"};
    auto job = std::make_shared<std::pair<QByteArray, Records>>();
    quint32 x = 12345;
    for (int i = 0; i < 100000; ++i) {
        x = x * 1103515245u + 12345u;
        job->first.append(pieces[(x >> 16) % pieces.size()]);
    }
    // A reader caught in a loop would otherwise hold the whole test run until its time limit.
    // The bound only has to tell a loop from a read, which takes milliseconds.
    auto done = std::make_shared<QSemaphore>();
    std::thread([job, done] {
        job->second = RecordFormat::parse(job->first);
        done->release();
    }).detach();
    QVERIFY2(done->tryAcquire(1, 60000), "reading the garbage did not end within a minute");
    const QByteArray& bytes = job->first;
    const Records& records = job->second;

    // The garbage reaches both ends of a tick, and every text is a piece of the file as it
    // stands: the reader invents, drops and joins no bytes.
    int ticked = 0;
    for (const Record& r : records) {
        ticked += r.ticked;
        const Produced<QByteArray> text = Cp1252::encode(r.text, QStringLiteral("program files"));
        QVERIFY2(text.ok() && bytes.contains(text.value), qPrintable(r.text));
    }
    QVERIFY(ticked > 0 && ticked < records.size());
    // What the writer can hold it writes so that the reader gives it back unchanged.
    Records writable;
    for (const Record& r : records) {
        if (!r.text.contains(QLatin1Char('"')))
            writable.append(r);
    }
    QVERIFY(!writable.isEmpty());
    const Produced<QByteArray> encoded = RecordFormat::serialize(writable);
    QVERIFY2(encoded.ok(), qPrintable(encoded.why()));
    QCOMPARE(RecordFormat::parse(encoded.value), writable);
}

namespace {
// Both writers' answers for the same records: the bytes, or the words of the refusal.
void compareWrites(const RecordStore& store, const Records& list)
{
    QCOMPARE(store.toRecords(), list);
    for (const auto mode :
         {RecordFormat::Unrepresentable::Refuse, RecordFormat::Unrepresentable::WriteUtf8}) {
        const Produced<QByteArray> fromStore = RecordFormat::serialize(store, mode);
        const Produced<QByteArray> fromList = RecordFormat::serialize(list, mode);
        QCOMPARE(fromStore.why(), fromList.why());
        QCOMPARE(fromStore.value, fromList.value);
    }
}
} // namespace

// The compact store the message list keeps reads, shows, changes and writes exactly what a
// list of records does.
void TestRecordFormat::storeHoldsWhatTheListHolds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray many;
    for (int i = 0; i < 1500; ++i)
        many += "\"message " + QByteArray::number(i) + (i % 3 ? "\",#TRUE#\r\n" : "\",#FALSE#\r\n");
    QByteArray cp1252;
    for (int b = 0x80; b < 0x100; ++b)
        cp1252.append(char(b));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("one message") << QByteArray("\"abc\",#TRUE#\r\n");
    QTest::newRow("quoted texts with CR LF")
        << QByteArray("\"first\r\nsecond\",#TRUE#\r\n\"a, b\r\n\",#FALSE#\r\n");
    QTest::newRow("ticked and unticked")
        << QByteArray("\"a\",#TRUE#\r\n\"b\",#FALSE#\r\n\"\",#FALSE#\r\n\"d\",#TRUE#");
    QTest::newRow("Windows-1252 characters") << "\"caf\xe9 " + cp1252 + "\",#TRUE#\r\n";
    QTest::newRow("1500 rows") << many;
    QTest::newRow("hand-made: blank lines, unquoted, no tick, a quote inside")
        << QByteArray("\r\n  plain text ,#TRUE#\r\n\"a\"\r\nsay \"hi\",#TRUE#\r\n\"open");
    QTest::newRow("UTF-8 behind a byte-order mark")
        << QByteArray("\xEF\xBB\xBF\"\xCE\xA9mega\",#TRUE#\r\n\"caf\xC3\xA9\",#FALSE#\r\n");
    QTest::newRow("UTF-8 of three and four bytes a character")
        << QByteArray("\xEF\xBB\xBF\"") + QByteArray("\xE2\x82\xAC").repeated(9) +
               QByteArray("\xF0\x9F\x98\x80").repeated(9) + "\",#TRUE#\r\n";
    QTest::newRow("UTF-8 whose texts all fit Windows-1252")
        << QByteArray("\xEF\xBB\xBF\"caf\xC3\xA9\",#TRUE#\r\n");
    QTest::newRow("UTF-8 texts opening with byte-order marks") << QByteArray(
        "\xEF\xBB\xBF\"\xEF\xBB\xBF\xEF\xBB\xBFx\",#TRUE#\r\n\"a\xEF\xBB\xBF\",#TRUE#\r\n");
    QTest::newRow("broken UTF-8 with a byte-order mark inside") << QByteArray(
        "\xEF\xBB\xBF\"\xBF\",#TRUE#\r\n\"\xEF\xBB\xBF\xEF\xBB\xBFx\x8E\",#TRUE#\r\n");
    QTest::newRow("broken UTF-8") << QByteArray(
        "\xEF\xBB\xBF\"a\xC3\",#TRUE#\r\n\"\xFF\xFE\",#TRUE#");
}

void TestRecordFormat::storeHoldsWhatTheListHolds()
{
    QFETCH(QByteArray, bytes);
    Records list = RecordFormat::parse(bytes);
    RecordStore store = RecordFormat::parseStore(bytes);
    compareWrites(store, list);
    for (qsizetype row = 0; row < list.size(); ++row) {
        QCOMPARE(store.textStart(row, 4), list[row].text.left(4));
        QCOMPARE(store.textStart(row, 1000), list[row].text.left(1000));
    }

    // The changes the message list makes, made to both alike.
    if (!list.isEmpty()) {
        store.setTicked(0, !list[0].ticked);
        list[0].ticked = !list[0].ticked;
        compareWrites(store, list);
        store.setText(list.size() - 1, QStringLiteral("changed, twice"));
        store.setText(list.size() - 1, QString::fromUtf8("changed \u20ac"));
        list.last().text = QString::fromUtf8("changed \u20ac");
        compareWrites(store, list);
        // A text changed again and again leaves no pile of its old bytes behind, and the
        // others keep theirs.
        for (int i = 0; i < 24; ++i)
            store.setText(0, QString(100000, QChar(u'a' + i)));
        list[0].text = QString(100000, QChar(u'a' + 23));
        compareWrites(store, list);
    }
    const Record added{QString::fromUtf8("added \u00e9"), true};
    store.append(added);
    list.append(added);
    compareWrites(store, list);
    // A text Windows-1252 cannot hold: the file is then written as UTF-8.
    const Record greek{QString::fromUtf8("\u03a9 added"), false};
    store.append(greek);
    list.append(greek);
    compareWrites(store, list);
    // A text that opens with U+FEFF keeps it, in a UTF-8 file as in memory.
    const Record marked{QString::fromUtf8("\uFEFFmarked"), true};
    store.append(marked);
    list.append(marked);
    compareWrites(store, list);
    QCOMPARE(store.sliced(list.size() - 1).text(0), marked.text);
    store.removeAt(0);
    list.removeFirst();
    compareWrites(store, list);
    QCOMPARE(store.textStart(list.size() - 2, 1), QStringLiteral("\u03a9"));
    QCOMPARE(store.textStart(list.size() - 1, 2), marked.text.left(2));
}

QTEST_APPLESS_MAIN(TestRecordFormat)
#include "tst_recordformat.moc"
