#include "display/MessagePool.h"
#include "display/Placement.h"
#include "display/RandomSource.h"

#include <QTest>

class TestPlacement : public QObject
{
    Q_OBJECT
private slots:
    void centre_data();
    void centre();
    void random_data();
    void random();
    void randomIndex_data();
    void randomIndex();
    void generatorStartsFromItsFixedState();
};

void TestPlacement::centre_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("label");
    QTest::addColumn<QPoint>("topLeft");

    QTest::newRow("1280x960, label 100x18")
        << QSize(1280, 960) << QSize(100, 18) << QPoint(590, 471);
    QTest::newRow("odd differences drop the half")
        << QSize(1281, 961) << QSize(100, 18) << QPoint(590, 471);
    QTest::newRow("wider than the screen starts left of it")
        << QSize(100, 50) << QSize(201, 53) << QPoint(-50, -1);
}

void TestPlacement::centre()
{
    QFETCH(QSize, screen);
    QFETCH(QSize, label);
    QFETCH(QPoint, topLeft);
    QCOMPARE(Placement::centre(screen, label), topLeft);
}

void TestPlacement::random_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<double>("rVertical");
    QTest::addColumn<double>("rHorizontal");
    QTest::addColumn<QPoint>("topLeft");

    const double highest = double((1u << 24) - 1) / double(1u << 24);
    QTest::newRow("lowest") << QSize(1280, 960) << 0.0 << 0.0 << QPoint(0, 0);
    QTest::newRow("highest stays within 1061 x 931")
        << QSize(1280, 960) << highest << highest << QPoint(1061, 931);
    QTest::newRow("vertical drawn first") << QSize(1280, 960) << 0.5 << 0.0 << QPoint(0, 466);
    QTest::newRow("half of one goes down to 0") << QSize(220, 30) << 0.5 << 0.5 << QPoint(0, 0);
    QTest::newRow("half of three goes up to 2") << QSize(222, 32) << 0.5 << 0.5 << QPoint(2, 2);
    QTest::newRow("just over half goes up") << QSize(220, 30) << 0.51 << 0.51 << QPoint(1, 1);
}

void TestPlacement::random()
{
    QFETCH(QSize, screen);
    QFETCH(double, rVertical);
    QFETCH(double, rHorizontal);
    QFETCH(QPoint, topLeft);
    QCOMPARE(Placement::random(screen, rVertical, rHorizontal), topLeft);
}

void TestPlacement::randomIndex_data()
{
    QTest::addColumn<int>("poolSize");
    QTest::addColumn<double>("r");
    QTest::addColumn<int>("index");

    QTest::newRow("one message") << 1 << 0.99 << 0;
    QTest::newRow("two, 0.5 gives the first") << 2 << 0.5 << 0;
    QTest::newRow("two, 0.51 gives the second") << 2 << 0.51 << 1;
    QTest::newRow("three, 0.7 gives 1") << 3 << 0.7 << 1;
    QTest::newRow("three, 0.75 goes to the even 2") << 3 << 0.75 << 2;
    QTest::newRow("three, 0.25 goes to the even 0") << 3 << 0.25 << 0;
    QTest::newRow("past 16 bits") << 100001 << 0.9 << 90000;
}

void TestPlacement::randomIndex()
{
    QFETCH(int, poolSize);
    QFETCH(double, r);
    QFETCH(int, index);
    QCOMPARE(MessagePool::randomIndex(r, poolSize - 1), index);
}

void TestPlacement::generatorStartsFromItsFixedState()
{
    RandomSource source;
    const QList<quint32> states{11837123, 8949370, 9722709, 4858052, 5065847};
    for (const quint32 state : states) {
        const double r = source.next();
        QCOMPARE(source.state(), state);
        QCOMPARE(r, double(state) / 16777216.0);
    }
}

QTEST_GUILESS_MAIN(TestPlacement)
#include "tst_placement.moc"
