#include "library/ProgramNames.h"

#include <QTest>

using Ticks = QList<bool>;
using Records = QList<SelectionEntry>;

class TestProgramNames : public QObject
{
    Q_OBJECT
private slots:
    void typedNames_data();
    void typedNames();
    void refusedNames_data();
    void refusedNames();
    void ticksAsRecorded_data();
    void ticksAsRecorded();
};

void TestProgramNames::typedNames_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("name");
    QTest::newRow("one dot inside") << "v1.2 notes"
                                    << "v1.2 notes";
    QTest::newRow("surrounding spaces") << "  Focus 2  "
                                        << "Focus 2";
    QTest::newRow("punctuation") << "a-b_c (1)"
                                 << "a-b_c (1)";
    QTest::newRow("like a device, but longer") << "CONSOLE"
                                               << "CONSOLE";
    QTest::newRow("com10") << "com10"
                           << "com10";
}

void TestProgramNames::typedNames()
{
    QFETCH(QString, typed);
    QFETCH(QString, name);
    QCOMPARE(ProgramNames::trimmed(typed), name);
    QCOMPARE(ProgramNames::refusal(name), QString());
}

void TestProgramNames::refusedNames_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("why");
    QTest::newRow("only spaces") << "   "
                                 << "it is empty.";
    QTest::newRow("slash") << "a/b"
                           << "slash";
    QTest::newRow("backslash") << "a\\b"
                               << "slash";
    QTest::newRow("parent") << "../x"
                            << "slash";
    QTest::newRow("dot dot") << ".."
                             << "\"..\"";
    QTest::newRow("dot dot inside") << "a..b"
                                    << "\"..\"";
    QTest::newRow("colon") << "c:x"
                           << "colon";
    QTest::newRow("tab") << "a\tb"
                         << "control character";
    QTest::newRow("a tab is no surrounding space") << "\tx"
                                                   << "control character";
    QTest::newRow("line break") << "a\r\nb"
                                << "control character";
    QTest::newRow("less") << "a<b"
                          << "character <";
    QTest::newRow("greater") << "a>b"
                             << "character >";
    QTest::newRow("quote") << "a\"b"
                           << "character \"";
    QTest::newRow("bar") << "a|b"
                         << "character |";
    QTest::newRow("question") << "a?b"
                              << "character ?";
    QTest::newRow("star") << "a*b"
                          << "character *";
    QTest::newRow("leading dot") << ".hidden"
                                 << "begins with a dot";
    QTest::newRow("trailing dot") << "name."
                                  << "ends with a dot";
    QTest::newRow("trailing dot before spaces") << "name.  "
                                                << "ends with a dot";
    QTest::newRow("CON") << "CON"
                         << "Windows keeps the name CON for a device.";
    QTest::newRow("con") << "con"
                         << "Windows keeps the name CON for a device.";
    QTest::newRow("com1") << "com1"
                          << "device";
    QTest::newRow("LPT9") << "LPT9"
                          << "device";
    QTest::newRow("Nul with spaces") << "  Nul  "
                                     << "device";
    QTest::newRow("con.txt") << "con.txt"
                             << "device";
    QTest::newRow("aux.anything") << "aux.anything"
                                  << "device";
    QTest::newRow("device before spaces and an extension") << "prn  .log"
                                                           << "device";
    QTest::newRow("outside Windows-1252") << QString::fromUtf8("\xe5\x90\x8d") << "Windows-1252";
}

// Every name is trimmed as the name box trims it before the rules see it.
void TestProgramNames::refusedNames()
{
    QFETCH(QString, typed);
    QFETCH(QString, why);
    const QString refusal = ProgramNames::refusal(ProgramNames::trimmed(typed));
    QVERIFY2(refusal.contains(why), qPrintable(refusal));
}

void TestProgramNames::ticksAsRecorded_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<Records>("records");
    QTest::addColumn<Ticks>("ticks");
    QTest::newRow("no records") << QStringList{"a", "b"} << Records{} << Ticks{false, false};
    QTest::newRow("unnamed stays unticked")
        << QStringList{"a", "b"} << Records{{"b", true}, {"gone", true}} << Ticks{false, true};
    QTest::newRow("letter case ignored")
        << QStringList{"Calm", "ÉTÉ"} << Records{{"cALM", true}, {"été", true}}
        << Ticks{true, true};
    QTest::newRow("last record decides")
        << QStringList{"a"} << Records{{"a", true}, {"A", false}} << Ticks{false};
    QTest::newRow("the first of equal names takes the tick")
        << QStringList{"A", "a"} << Records{{"a", true}} << Ticks{true, false};
}

void TestProgramNames::ticksAsRecorded()
{
    QFETCH(QStringList, names);
    QFETCH(Records, records);
    QFETCH(Ticks, ticks);
    QCOMPARE(ProgramNames::ticksAsRecorded(names, records), ticks);
}

QTEST_GUILESS_MAIN(TestProgramNames)
#include "tst_programnames.moc"
