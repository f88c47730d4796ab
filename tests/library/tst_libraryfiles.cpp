#include "../goals/DiskFull.h"
#include "TestFiles.h"
#include "core/AtomicWrite.h"
#include "library/LibraryFiles.h"
#include "library/RecordFormat.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace TestFiles;

using Entries = QList<Record>;

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
    void namesFromTheFolderAreUsable_data();
    void namesFromTheFolderAreUsable();
    void unreadableSelectionListIsKept_data();
    void unreadableSelectionListIsKept();
    void unreadableProgramIsNeverWrittenOver();
    void utf8FilesAreReadAndKept_data();
    void utf8FilesAreReadAndKept();
    void unstorableNameKeepsNoTickAndBlocksNothing();
    void failedWritesKeepEveryByte_data();
    void failedWritesKeepEveryByte();
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
    // Records that lead to a listed file, or near it, only as paths: a record names a
    // program, and never reaches a file through folders.
    QTest::newRow("hostile names match nothing")
        << QStringList{"a"}
        << QByteArray("\"../a\",#TRUE#\r\n\"plugins/a\",#TRUE#\r\n\"./a\",#TRUE#\r\n"
                      "\"../plugins/a\",#TRUE#\r\n\"x/../a\",#TRUE#\r\n")
        << Entries{{"a", false}} << QByteArray("\"a\",#FALSE#\r\n");
    // Two files whose names differ only in letter case, as a copy from another system may
    // bring: capitals are listed first, and a record of either name ticks the first one.
    QTest::newRow("names differing in letter case only, the first is ticked")
        << QStringList{"calm", "Calm"} << QByteArray("\"calm\",#TRUE#\r\n")
        << Entries{{"Calm", true}, {"calm", false}}
        << QByteArray("\"Calm\",#TRUE#\r\n\"calm\",#FALSE#\r\n");
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
    const LibraryFiles::ProgramList loaded = lib.LoadProgramList();
    QCOMPARE(loaded.entries, list);
    QVERIFY(loaded.selectionRead.ok());
    QVERIFY(loaded.selectionRewrite.ok());
    QCOMPARE(readFile(lib.selectionPath()), rewritten);
}

void TestLibraryFiles::noSelectionListWritesNone()
{
    QTemporaryDir dir;
    writeFiles(dir.path(), {{"plugins/a.txt", ""}});
    LibraryFiles lib(dir.path());
    QCOMPARE(lib.LoadProgramList().entries, (Entries{{"a", false}}));
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
    QTest::newRow("only dot dot") << "..";
    QTest::newRow("only a dot") << ".";
    QTest::newRow("slash") << "sub/secret";
    QTest::newRow("control character") << "sec\tret";
    QTest::newRow("absolute") << "/etc/passwd";
#ifdef Q_OS_WIN
    QTest::newRow("backslash") << "..\\secret";
    QTest::newRow("drive") << "C:secret";
#endif
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
    QVERIFY(!lib.readProgram(name).ok());
    QVERIFY(!lib.writeProgram(name, {{"x", true}}).ok());
    QCOMPARE(readFile(dir.path() + "/secret.txt"), QByteArray("\"leaked\",#TRUE#\r\n"));
}

void TestLibraryFiles::programFilesRoundTrip()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("plugins");
    LibraryFiles lib(dir.path());
    QVERIFY(lib.createProgram("p").ok());
    QCOMPARE(readFile(lib.programPath("p")), QByteArray());
    const QList<Record> messages{{"one, two", true}, {"", false}, {"a\r\nb", true}};
    QVERIFY(lib.writeProgram("p", messages).ok());
    QCOMPARE(readFile(lib.programPath("p")),
             QByteArray("\"one, two\",#TRUE#\r\n\"\",#FALSE#\r\n\"a\r\nb\",#TRUE#\r\n"));
    const LibraryFiles::Read read = lib.readProgram("p");
    QVERIFY(read.ok());
    QCOMPARE(read.records, messages);
    QVERIFY(lib.writeProgram("p", {}).ok());
    QCOMPARE(readFile(lib.programPath("p")), QByteArray());
    QVERIFY(lib.deleteProgram("p").ok());
    const LibraryFiles::Read gone = lib.readProgram("p");
    QVERIFY(!gone.ok());
    QVERIFY(gone.missing);
    QCOMPARE(gone.records, QList<Record>{});
    // Nothing left to remove: the delete fails, in words that follow the file's name.
    QCOMPARE(lib.deleteProgram("p").why(), QStringLiteral("could not be removed"));
}

void TestLibraryFiles::failedWriteKeepsOldFile()
{
    QTemporaryDir dir;
    writeFiles(dir.path(), {{"plugins/p.txt", "\"old\",#TRUE#\r\n"}});
    LibraryFiles lib(dir.path());
    // A text the format cannot hold is refused before anything touches the disk.
    QVERIFY(!lib.writeProgram("p", {{"new \"quoted\"", true}}).ok());
    QCOMPARE(readFile(lib.programPath("p")), QByteArray("\"old\",#TRUE#\r\n"));
    // A selection list that is a folder cannot be replaced: the error comes back and the
    // folder is left as it was.
    QDir(dir.path()).mkdir("FileNames.txt");
    QVERIFY(!lib.writeSelectionList({{"p", true}}).ok());
    QVERIFY(QFileInfo(lib.selectionPath()).isDir());
}

void TestLibraryFiles::namesFromTheFolderAreUsable_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("two dots inside") << "Wait..Relax";
    QTest::newRow("colon") << "Focus: Morning";
    QTest::newRow("ends in two dots") << "To be continued..";
    QTest::newRow("backslash") << "Mind\\Body";
}

// A name the folder listing gives is a file in that folder: its messages are read and its
// tick is kept, whatever characters a typed name would be refused for.
void TestLibraryFiles::namesFromTheFolderAreUsable()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QByteArray record = "\"" + name.toLatin1() + "\",#TRUE#\r\n";
    writeFiles(dir.path(),
               {{"plugins/" + name + ".txt", "\"m\",#TRUE#\r\n"}, {"FileNames.txt", record}});
    LibraryFiles lib(dir.path());
    QCOMPARE(lib.LoadProgramList().entries, (Entries{{name, true}}));
    QCOMPARE(readFile(lib.selectionPath()), record);
    QCOMPARE(lib.readProgram(name).records, (QList<Record>{{"m", true}}));
    QVERIFY(lib.writeProgram(name, {{"n", false}}).ok());
    QCOMPARE(readFile(dir.path() + "/plugins/" + name + ".txt"), QByteArray("\"n\",#FALSE#\r\n"));
}

void TestLibraryFiles::unreadableSelectionListIsKept_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("folder") << "folder";
    QTest::newRow("link to a FIFO") << "link-to-fifo";
}

// What cannot be read is never rewritten, and opening it never waits: a FIFO under the
// list's name once held start-up for good.
void TestLibraryFiles::unreadableSelectionListIsKept()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    writeFiles(dir.path(), {{"plugins/a.txt", ""}});
    const QString list = dir.filePath("FileNames.txt");
    const QString fifo = dir.filePath("fifo");
    if (kind == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(list).constData(), 0600), 0);
    else if (kind == "folder")
        QVERIFY(QDir().mkdir(list));
    else {
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(QFile::link(fifo, list));
    }
    const QFileInfo before(list);
    ::alarm(20); // a blocked open ends the suite here instead of at the global time limit
    LibraryFiles lib(dir.path());
    const LibraryFiles::ProgramList loaded = lib.LoadProgramList();
    const LibraryFiles::Read read = lib.readSelectionList();
    QVERIFY(!lib.writeSelectionList({{"a", true}}).ok());
    ::alarm(0);
    QVERIFY(!read.ok());
    QVERIFY(!read.missing);
    QCOMPARE(loaded.entries, (Entries{{"a", false}}));
    QCOMPARE(loaded.selectionRead.why(), read.why());
    QVERIFY(!loaded.selectionRead.why().isEmpty());
    QVERIFY(loaded.selectionRewrite.ok());
    const QFileInfo after(list);
    QCOMPARE(after.isSymLink(), before.isSymLink());
    QCOMPARE(after.isDir(), before.isDir());
    QCOMPARE(after.isFile(), false);
}

// A program file that exists but cannot be read (here a FIFO, which root cannot read
// either) gives an error, and no write replaces it.
void TestLibraryFiles::unreadableProgramIsNeverWrittenOver()
{
    QTemporaryDir dir;
    writeFiles(dir.path(), {{"plugins/a.txt", ""}});
    const QString path = dir.filePath("plugins/p.txt");
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    ::alarm(20);
    LibraryFiles lib(dir.path());
    const LibraryFiles::Read read = lib.readProgram("p");
    const Outcome written = lib.writeProgram("p", {{"new", true}});
    QVERIFY(!read.ok());
    QVERIFY(!read.missing);
    QVERIFY(!read.why().isEmpty());
    QVERIFY2(written.why().startsWith("cannot be read (" + read.why() + ")"),
             qPrintable(written.why()));
    ::alarm(0);
    struct stat st = {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QVERIFY(S_ISFIFO(st.st_mode));
}

void TestLibraryFiles::utf8FilesAreReadAndKept_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<Record>>("messages");
    QTest::addColumn<QByteArray>("writtenBack");
    const QByteArray bom("\xEF\xBB\xBF");
    QTest::newRow("fits Windows-1252: written back in it")
        << bom + "\"caf\xC3\xA9\",#TRUE#\r\n\"b\",#FALSE#\r\n"
        << QList<Record>{{QString::fromUtf8("caf\xC3\xA9"), true}, {"b", false}}
        << QByteArray("\"caf\xE9\",#TRUE#\r\n\"b\",#FALSE#\r\n");
    QTest::newRow("does not fit: stays UTF-8")
        << bom + "\"\xCE\xA9mega\",#TRUE#\r\n"
        << QList<Record>{{QString::fromUtf8("\xCE\xA9mega"), true}}
        << bom + "\"\xCE\xA9mega\",#TRUE#\r\n";
}

// Many Windows editors put a UTF-8 byte-order mark before the first record; it once
// unticked the first program at every start.
void TestLibraryFiles::utf8FilesAreReadAndKept()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<Record>, messages);
    QFETCH(QByteArray, writtenBack);
    QTemporaryDir dir;
    writeFiles(dir.path(), {{"plugins/p.txt", file},
                            {"plugins/q.txt", ""},
                            {"FileNames.txt", "\xEF\xBB\xBF\"p\",#TRUE#\r\n\"q\",#TRUE#\r\n"}});
    LibraryFiles lib(dir.path());
    QCOMPARE(lib.LoadProgramList().entries, (Entries{{"p", true}, {"q", true}}));
    QCOMPARE(readFile(lib.selectionPath()), QByteArray("\"p\",#TRUE#\r\n\"q\",#TRUE#\r\n"));
    QCOMPARE(lib.readProgram("p").records, messages);
    QVERIFY(lib.writeProgram("p", messages).ok());
    QCOMPARE(readFile(dir.filePath("plugins/p.txt")), writtenBack);
}

// A file name the list cannot hold is left out of it; every other program keeps its tick.
void TestLibraryFiles::unstorableNameKeepsNoTickAndBlocksNothing()
{
    QTemporaryDir dir;
    const QString omega = QString::fromUtf8("\xCE\xA9mega");
    writeFiles(dir.path(), {{"plugins/" + omega + ".txt", ""},
                            {"plugins/a.txt", ""},
                            {"plugins/say \"hi\".txt", ""},
                            {"FileNames.txt", "\"a\",#TRUE#\r\n"}});
    LibraryFiles lib(dir.path());
    const LibraryFiles::ProgramList loaded = lib.LoadProgramList();
    QVERIFY(loaded.selectionRewrite.ok());
    QCOMPARE(readFile(lib.selectionPath()), QByteArray("\"a\",#TRUE#\r\n"));
    QVERIFY(lib.writeSelectionList({{"a", false}, {omega, true}, {"say \"hi\"", true}}).ok());
    QCOMPARE(readFile(lib.selectionPath()), QByteArray("\"a\",#FALSE#\r\n"));
    // The character the page names when the user ticks such a program.
    QCOMPARE(RecordFormat::firstUnstorable(omega), QString::fromUtf8("\xCE\xA9"));
    QCOMPARE(RecordFormat::firstUnstorable("say \"hi\""), QStringLiteral("\""));
    QCOMPARE(RecordFormat::firstUnstorable("a"), QString());
}

void TestLibraryFiles::failedWritesKeepEveryByte_data()
{
    QTest::addColumn<int>("step"); // AtomicWrite::Step, or -1 for a real file-size limit
    QTest::addColumn<bool>("selectionList");
    for (const bool list : {false, true}) {
        const char* what = list ? "selection list" : "program";
        QTest::addRow("%s, file-size limit", what) << -1 << list;
        const QList<QPair<AtomicWrite::Step, const char*>> steps{
            {AtomicWrite::Step::Open, "open"},
            {AtomicWrite::Step::Write, "write"},
            {AtomicWrite::Step::Flush, "flush"},
            {AtomicWrite::Step::Sync, "sync"},
            {AtomicWrite::Step::Commit, "commit"}};
        for (const auto& [step, name] : steps)
            QTest::addRow("%s, fails at %s", what, name) << int(step) << list;
    }
}

// A write that fails at any step, a real one past the file-size limit included, reports it
// and leaves the old file byte for byte and no temporary file beside it.
void TestLibraryFiles::failedWritesKeepEveryByte()
{
    QFETCH(int, step);
    QFETCH(bool, selectionList);
    QTemporaryDir dir;
    const QByteArray old("\"Breathe in\",#TRUE#\r\n\"Breathe out\",#FALSE#\r\n");
    writeFiles(dir.path(), {{"plugins/p.txt", old}, {"FileNames.txt", "\"p\",#TRUE#\r\n"}});
    LibraryFiles lib(dir.path());
    const QString path = selectionList ? lib.selectionPath() : lib.programPath("p");
    const QByteArray before = readFile(path);
    Outcome written;
    {
        // Smaller than the new content, which still fits Qt's write buffer: the failure
        // shows only when the buffer is flushed.
        std::optional<DiskFull> full;
        if (step < 0)
            full.emplace(8);
        else
            AtomicWrite::failAtForTests(AtomicWrite::Step(step));
        written = selectionList ? lib.writeSelectionList({{"p", false}, {"q", true}})
                                : lib.writeProgram("p", {{"Breathe in", false}, {"Smile", true}});
        AtomicWrite::failAtForTests(AtomicWrite::Step::None);
        if (full)
            QVERIFY(full->active());
    }
    QVERIFY(!written.ok());
    QVERIFY2(written.why().startsWith("could not be written ("), qPrintable(written.why()));
    QCOMPARE(readFile(path), before);
    // Nothing beside the file: no temporary file was left behind.
    QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QFileInfo(path).fileName()});
}

QTEST_APPLESS_MAIN(TestLibraryFiles)
#include "tst_libraryfiles.moc"
