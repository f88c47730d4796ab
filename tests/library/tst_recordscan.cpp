#include "core/Cp1252.h"
#include "library/RecordFormat.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// The records a scan gives, decoded as the file's encoding says.
QList<Record> scanned(const QByteArray& bytes)
{
    QList<Record> records;
    const bool utf8 = Cp1252::hasUtf8Bom(bytes);
    RecordFormat::scan(bytes, [&](QByteArrayView text, bool ticked) {
        const QByteArray raw = text.toByteArray();
        records.append({utf8 ? QString::fromUtf8(raw) : Cp1252::decode(raw), ticked});
        return true;
    });
    return records;
}

} // namespace

class TestRecordScan : public QObject
{
    Q_OBJECT
private slots:
    void sameRecordsAsTheReader_data();
    void sameRecordsAsTheReader();
    void anyBytesGiveTheReadersRecords();
    void stopsWhenAsked();
};

void TestRecordScan::sameRecordsAsTheReader_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("count");
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("as written") << QByteArray("\"a, b\",#TRUE#\r\n\"\",#FALSE#\r\n") << 2;
    QTest::newRow("quoted text over two lines") << QByteArray("\"a\r\nb\",#TRUE#\r\n") << 1;
    QTest::newRow("last line without its end") << QByteArray("\"a\",#TRUE#") << 1;
    QTest::newRow("blank lines and spaces")
        << QByteArray("\r\n\n  \"a\" , #TRUE# \r\n\r\r  b  ,  #FALSE#\n") << 2;
    QTest::newRow("no tick, other ticks, more fields")
        << QByteArray("a\r\n\"b\",#true#\r\n\"c\",#TRUE#,x,y\r\n\"d\"xy,#TRUE#\r\n") << 4;
    QTest::newRow("unended quote runs to the end") << QByteArray("\"a,#TRUE#\r\n\"b") << 1;
    QTest::newRow("lone quote") << QByteArray("\"") << 1;
    QTest::newRow("UTF-8 behind its mark")
        << QByteArray("\xef\xbb\xbf\"\xce\xa9\",#TRUE#\r\n") << 1;
    QTest::newRow("Windows-1252") << QByteArray("\"\x80\xe9\",#TRUE#\r\n") << 1;
}

void TestRecordScan::sameRecordsAsTheReader()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, count);
    const QList<Record> records = RecordFormat::parse(bytes);
    QCOMPARE(records.size(), count);
    QCOMPARE(scanned(bytes), records);
}

void TestRecordScan::anyBytesGiveTheReadersRecords()
{
    const QList<QByteArray> pieces{"\"", ",", "#TRUE#", "#FALSE#", "\r\n",        "\r",
                                   "\n", " ", "a",      "\xe9",    "\xef\xbb\xbf"};
    QRandomGenerator random(14);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes;
        for (int n = random.bounded(30); n > 0; --n)
            bytes += pieces.at(random.bounded(int(pieces.size())));
        QCOMPARE(scanned(bytes), RecordFormat::parse(bytes));
    }
}

void TestRecordScan::stopsWhenAsked()
{
    QList<QByteArray> seen;
    RecordFormat::scan("\"a\",#TRUE#\r\n\"b\",#TRUE#\r\n\"c\",#TRUE#\r\n",
                       [&](QByteArrayView text, bool) {
                           seen.append(text.toByteArray());
                           return seen.size() < 2;
                       });
    QCOMPARE(seen, (QList<QByteArray>{"a", "b"}));
}

QTEST_GUILESS_MAIN(TestRecordScan)
#include "tst_recordscan.moc"
