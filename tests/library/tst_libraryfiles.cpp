#include "TestFiles.h"
#include "library/LibraryFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace TestFiles;

using Entries = QList<SelectionEntry>;

class TestLibraryFiles : public QObject
{
    Q_OBJECT
private slots:
    void loadProgramList_data();
    void loadProgramList();
    void noSelectionListWritesNone();
    void listsOnlyOrdinaryTxtFiles();
    void hostileNamesReadNothingOutsidePlugins_data();
    void hostileNamesReadNothingOutsidePlugins();
    void programFilesRoundTrip();
    void failedWriteKeepsOldFile();
};

void TestLibraryFiles::loadProgramList_data()
{
    QTest::addColumn<QStringList>("programs");
    QTest::addColumn<QByteArray>("selection");
    QTest::addColumn<Entries>("list");
    QTest::addColumn<QByteArray>("rewritten");

    QTest::newRow("empty plugins, selection list rewritten as zero bytes")
        << QStringList{} << QByteArray("\"gone\",#TRUE#\r\n") << Entries{} << QByteArray();
    QTest::newRow("new file recorded unticked")
        << QStringList{"a", "b"} << QByteArray("\"a\",#TRUE#\r\n")
        << Entries{{"a", true}, {"b", false}} << QByteArray("\"a\",#TRUE#\r\n\"b\",#FALSE#\r\n");
    QTest::newRow("vanished program dropped")
        << QStringList{"b"} << QByteArray("\"a\",#TRUE#\r\n\"b\",#TRUE#\r\n")
        << Entries{{"b", true}} << QByteArray("\"b\",#TRUE#\r\n");
    QTest::newRow("letter case ignored, listed name kept")
        << QStringList{"Calm"} << QByteArray("\"cALM\",#TRUE#\r\n") << Entries{{"Calm", true}}
        << QByteArray("\"Calm\",#TRUE#\r\n");
    QTest::newRow("last record decides")
        << QStringList{"a"} << QByteArray("\"a\",#TRUE#\r\n\"a\",#FALSE#\r\n")
        << Entries{{"a", false}} << QByteArray("\"a\",#FALSE#\r\n");
    QTest::newRow("listing order, case ignored")
        << QStringList{"beta", "Alpha", "gamma"} << QByteArray("\"gamma\",#TRUE#\r\n")
        << Entries{{"Alpha", false}, {"beta", false}, {"gamma", true}}
        << QByteArray("\"Alpha\",#FALSE#\r\n\"beta\",#FALSE#\r\n\"gamma\",#TRUE#\r\n");
    QTest::newRow("hostile names match nothing")
        << QStringList{"a"}
        << QByteArray("\"../a\",#TRUE#\r\n\"plugins/a\",#TRUE#\r\n\"a\r\n\",#TRUE#\r\n")
        << Entries{{"a", false}} << QByteArray("\"a\",#FALSE#\r\n");
}

void TestLibraryFiles::loadProgramList()
{
    QFETCH(QStringList, programs);
    QFETCH(QByteArray, selection);
    QFETCH(Entries, list);
    QFETCH(QByteArray, rewritten);
    QTemporaryDir dir;
    Files files{{"FileNames.txt", selection}};
    for (const QString& p : programs)
        files.append({"plugins/" + p + ".txt", "\"m\",#TRUE#\r\n"});
    QDir(dir.path()).mkdir("plugins");
    writeFiles(dir.path(), files);

    LibraryFiles lib(dir.path());
    QString error = "unset";
    QCOMPARE(lib.LoadProgramList(&error), list);
    QVERIFY(error.isEmpty());
    QCOMPARE(readFile(lib.selectionPath()), rewritten);
}

void TestLibraryFiles::noSelectionListWritesNone()
{
    QTemporaryDir dir;
    writeFiles(dir.path(), {{"plugins/a.txt", ""}});
    LibraryFiles lib(dir.path());
    QCOMPARE(lib.LoadProgramList(), (Entries{{"a", false}}));
    QVERIFY(!QFile::exists(lib.selectionPath()));
}

void TestLibraryFiles::listsOnlyOrdinaryTxtFiles()
{
    QTemporaryDir dir;
    writeFiles(dir.path(), {{"plugins/Upper.TXT", ""},
                            {"plugins/mixed.Txt", ""},
                            {"plugins/.hidden.txt", ""},
                            {"plugins/notes.md", ""},
                            {"plugins/.txt", ""},
                            {"plugins/folder.txt/inner.txt", ""}});
    LibraryFiles lib(dir.path());
    QCOMPARE(lib.listPrograms(), (QStringList{"mixed", "Upper"}));
    // A program is found by its name whatever the letter case of its file's extension.
    QVERIFY(lib.programExists("Upper"));
    QVERIFY(lib.programExists("upper"));
    QVERIFY(!lib.programExists("folder"));
}

void TestLibraryFiles::hostileNamesReadNothingOutsidePlugins_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("dot dot") << "../secret";
    QTest::newRow("slash") << "sub/secret";
    QTest::newRow("backslash") << "..\\secret";
    QTest::newRow("drive") << "C:secret";
    QTest::newRow("control character") << "sec\tret";
    QTest::newRow("absolute") << "/etc/passwd";
}

void TestLibraryFiles::hostileNamesReadNothingOutsidePlugins()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    writeFiles(dir.path(), {{"plugins/x.txt", ""},
                            {"secret.txt", "\"leaked\",#TRUE#\r\n"},
                            {"plugins/sub/secret.txt", "\"leaked\",#TRUE#\r\n"}});
    LibraryFiles lib(dir.path());
    QVERIFY(!LibraryFiles::isSafeName(name));
    QVERIFY(lib.programPath(name).isEmpty());
    QVERIFY(!lib.readProgram(name));
    QVERIFY(!lib.writeProgram(name, {{"x", true}}).isEmpty());
    QCOMPARE(readFile(dir.path() + "/secret.txt"), QByteArray("\"leaked\",#TRUE#\r\n"));
}

void TestLibraryFiles::programFilesRoundTrip()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("plugins");
    LibraryFiles lib(dir.path());
    QVERIFY(lib.createProgram("p").isEmpty());
    QCOMPARE(readFile(lib.programPath("p")), QByteArray());
    const QList<MessageEntry> messages{{"one, two", true}, {"", false}, {"a\r\nb", true}};
    QVERIFY(lib.writeProgram("p", messages).isEmpty());
    QCOMPARE(readFile(lib.programPath("p")),
             QByteArray("\"one, two\",#TRUE#\r\n\"\",#FALSE#\r\n\"a\r\nb\",#TRUE#\r\n"));
    QCOMPARE(*lib.readProgram("p"), messages);
    QVERIFY(lib.writeProgram("p", {}).isEmpty());
    QCOMPARE(readFile(lib.programPath("p")), QByteArray());
    QVERIFY(lib.deleteProgram("p"));
    QVERIFY(!lib.readProgram("p"));
}

void TestLibraryFiles::failedWriteKeepsOldFile()
{
    QTemporaryDir dir;
    writeFiles(dir.path(), {{"plugins/p.txt", "\"old\",#TRUE#\r\n"}});
    LibraryFiles lib(dir.path());
    // A text the format cannot hold is refused before anything touches the disk.
    QVERIFY(!lib.writeProgram("p", {{"new \"quoted\"", true}}).isEmpty());
    QCOMPARE(readFile(lib.programPath("p")), QByteArray("\"old\",#TRUE#\r\n"));
    // A selection list that is a folder cannot be replaced: the error comes back and the
    // folder is left as it was.
    QDir(dir.path()).mkdir("FileNames.txt");
    QVERIFY(!lib.writeSelectionList({{"p", true}}).isEmpty());
    QVERIFY(QFileInfo(lib.selectionPath()).isDir());
}

QTEST_APPLESS_MAIN(TestLibraryFiles)
#include "tst_libraryfiles.moc"
