#include "library/ProgramNames.h"

#include <QTest>

using Records = QList<Record>;

class TestProgramNames : public QObject
{
    Q_OBJECT
private slots:
    void typedNames_data();
    void typedNames();
    void refusedNames_data();
    void refusedNames();
    void typedCharacters_data();
    void typedCharacters();
    void findIgnoresLetterCase();
    void tickedAsRecorded_data();
    void tickedAsRecorded();
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
    QVERIFY(ProgramNames::checkNewName(name).ok());
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
    const Outcome refusal = ProgramNames::checkNewName(ProgramNames::trimmed(typed));
    QVERIFY(!refusal.ok());
    QVERIFY2(refusal.why().contains(why), qPrintable(refusal.why()));
}

void TestProgramNames::typedCharacters_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("accepted");
    QTest::addColumn<int>("refused");
    QTest::newRow("letters, digits, spaces") << "Ab 9z"
                                             << "Ab 9z" << 0;
    QTest::newRow("both ends of each range") << "AZaz09"
                                             << "AZaz09" << 0;
    QTest::newRow("next to the ranges") << "@[`{/:"
                                        << "" << 6;
    QTest::newRow("punctuation among letters") << "a.b,c-d"
                                               << "abcd" << 3;
    QTest::newRow("accented letter") << QString::fromUtf8("caf\u00e9") << "caf" << 1;
    QTest::newRow("a letter beyond the BMP counts once")
        << QString::fromUtf8("x\U0001D400") << "x" << 1;
    QTest::newRow("backspace and delete edit, add nothing, refuse nothing")
        << QStringLiteral("a\bb\x7f") << "ab" << 0;
    QTest::newRow("Enter, Escape, Tab, Ctrl+V") << QStringLiteral("\r\x1b\t\x16") << "" << 4;
}

void TestProgramNames::typedCharacters()
{
    QFETCH(QString, typed);
    QFETCH(QString, accepted);
    QFETCH(int, refused);
    const ProgramNames::Typed filtered = ProgramNames::filterTyped(typed);
    QCOMPARE(filtered.accepted, accepted);
    QCOMPARE(filtered.refused, refused);
}

void TestProgramNames::findIgnoresLetterCase()
{
    const Records programs{{"Calm", false}, {QString::fromUtf8("\u00c9t\u00e9"), true}};
    QCOMPARE(ProgramNames::find(programs, "cALM"), 0);
    QCOMPARE(ProgramNames::find(programs, QString::fromUtf8("\u00e9T\u00c9")), 1);
    QCOMPARE(ProgramNames::find(programs, "Calm "), -1);
    QCOMPARE(ProgramNames::find({}, "Calm"), -1);
}

void TestProgramNames::tickedAsRecorded_data()
{
    QTest::addColumn<Records>("programs");
    QTest::addColumn<Records>("records");
    QTest::addColumn<Records>("ticked");
    QTest::newRow("no records: every tick cleared")
        << Records{{"a", true}, {"b", false}} << Records{} << Records{{"a", false}, {"b", false}};
    QTest::newRow("unnamed stays unticked")
        << Records{{"a", true}, {"b", false}} << Records{{"b", true}, {"gone", true}}
        << Records{{"a", false}, {"b", true}};
    QTest::newRow("letter case ignored, listed name kept")
        << Records{{"Calm", false}, {"ÉTÉ", false}} << Records{{"cALM", true}, {"été", true}}
        << Records{{"Calm", true}, {"ÉTÉ", true}};
    QTest::newRow("last record decides")
        << Records{{"a", false}} << Records{{"a", true}, {"A", false}} << Records{{"a", false}};
    QTest::newRow("the first of equal names takes the tick")
        << Records{{"A", false}, {"a", false}} << Records{{"a", true}}
        << Records{{"A", true}, {"a", false}};
}

void TestProgramNames::tickedAsRecorded()
{
    QFETCH(Records, programs);
    QFETCH(Records, records);
    QFETCH(Records, ticked);
    QCOMPARE(ProgramNames::tickedAsRecorded(programs, records), ticked);
}

QTEST_GUILESS_MAIN(TestProgramNames)
#include "tst_programnames.moc"
