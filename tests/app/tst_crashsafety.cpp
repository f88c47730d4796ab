// A process that is killed while it rewrites the library and a goal leaves every file whole:
// each holds either all of its old content or all of its new content, never anything else.
#include "goals/GoalFile.h"
#include "library/LibraryFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <csignal>

namespace {

struct Version
{
    QList<Record> program;
    QList<Record> selection;
    QString goal;
};

Version version(char tag)
{
    Version v;
    for (int i = 0; i < 32767; ++i)
        v.program.append({QStringLiteral("%1 message number %2 of a large program").arg(tag).arg(i),
                          (i + tag) % 3 != 0});
    for (int i = 0; i < 200; ++i)
        v.selection.append({QStringLiteral("%1 program %2").arg(tag).arg(i), (i + tag) % 2 == 0});
    v.goal = QStringLiteral("%1: run a marathon\nand write a book").arg(tag);
    return v;
}

// The three files a version rewrites, in the order the writer rewrites them.
constexpr int kFiles = 3;

void write(const QString& folder, const Version& v, int file)
{
    // Whether a write worked the test reads from the files themselves.
    const LibraryFiles lib(folder);
    if (file == 0)
        (void)lib.writeProgram(QStringLiteral("big"), v.program);
    else if (file == 1)
        (void)lib.writeSelectionList(v.selection);
    else
        (void)GoalFile::save(GoalFile::pathIn(folder, 1), v.goal);
}

// The process that gets killed: rewrites the three files, new content and old in turn, and
// says before and after each file what it does, so the test knows where a kill landed.
int runWriter(const QString& folder)
{
    const Version a = version('a');
    const Version b = version('b');
    QFile out;
    out.open(stdout, QIODevice::WriteOnly);
    auto say = [&out](const QByteArray& line) {
        out.write(line + '\n');
        out.flush();
    };
    say("ready");
    for (;;) {
        for (const Version* v : {&b, &a}) {
            for (int file = 0; file < kFiles; ++file) {
                say("writing " + QByteArray::number(file));
                write(folder, *v, file);
                say("written " + QByteArray::number(file));
            }
        }
    }
}

// The writer's next line, or nothing when it says nothing more.
QByteArray nextLine(QProcess& writer)
{
    while (!writer.canReadLine()) {
        if (!writer.waitForReadyRead(20000))
            return {};
    }
    return writer.readLine().trimmed();
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT
private slots:
    void killedWriterLeavesWholeFiles();
};

void TestCrashSafety::killedWriterLeavesWholeFiles()
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    QDir(folder).mkdir(QStringLiteral("plugins"));

    // The two contents every file may hold, as the program's own writers produce them, and
    // how long the large program takes to write here, to spread the kills across it.
    QHash<QString, QSet<QByteArray>> allowed;
    const LibraryFiles lib(folder);
    const QStringList paths{lib.programPath(QStringLiteral("big")), lib.selectionPath(),
                            GoalFile::pathIn(folder, 1)};
    qint64 programWriteMs = 1;
    for (const char tag : {'b', 'a'}) {
        const Version v = version(tag);
        for (int file = 0; file < kFiles; ++file) {
            QElapsedTimer took;
            took.start();
            write(folder, v, file);
            if (file == 0)
                programWriteMs = std::max(programWriteMs, took.elapsed());
        }
        for (const QString& p : paths)
            allowed[p].insert(bytesOf(p));
    }
    for (const QString& p : paths)
        QCOMPARE(allowed[p].size(), 2);
    const QByteArray oldProgram = bytesOf(paths[0]); // 'a' was written last

    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    const int kills = 200;
    int checked = 0;
    int midWrite = 0;
    int midProgram = 0;
    int sawNew = 0;
    for (int i = 0; i < kills; ++i) {
        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--writer"), folder});
        QVERIFY(writer.waitForStarted());
        QCOMPARE(nextLine(writer), QByteArray("ready"));
        // The kill comes after a chosen number of whole files, at a chosen moment of the write
        // that follows, however fast or slow the writer is.
        QByteArray last = "ready";
        for (int done = int(random.bounded(2 * kFiles)); done > 0;) {
            last = nextLine(writer);
            QVERIFY2(!last.isEmpty(), "the writer stopped writing");
            if (last.startsWith("written"))
                --done;
        }
        QTest::qSleep(int(random.bounded(programWriteMs + 1)));
        ::kill(pid_t(writer.processId()), SIGKILL);
        QVERIFY(writer.waitForFinished(10000));
        for (const QByteArray& line : writer.readAllStandardOutput().split('\n')) {
            if (!line.trimmed().isEmpty())
                last = line.trimmed();
        }
        if (last.startsWith("writing")) {
            ++midWrite;
            if (last == "writing 0")
                ++midProgram;
        }
        for (const QString& p : paths) {
            const QByteArray now = bytesOf(p);
            QVERIFY2(allowed[p].contains(now),
                     qPrintable(QStringLiteral("kill %1 (seed %2): %3 holds %4 bytes, neither "
                                               "its old nor its new content")
                                    .arg(i)
                                    .arg(seed)
                                    .arg(p)
                                    .arg(now.size())));
            ++checked;
        }
        if (bytesOf(paths[0]) != oldProgram)
            ++sawNew;
    }
    qInfo("%d kills, %d files checked, all whole; %d kills caught a write in progress, %d of "
          "them the large program's; %d found the large program in its new content (seed %u)",
          kills, checked, midWrite, midProgram, sawNew, seed);
    // Whole files prove nothing unless kills did land inside writes, the large program's
    // included, and after some new content had replaced the old.
    QVERIFY2(midProgram > 0, "no kill landed while the large program was being written");
    QVERIFY2(sawNew > 0, "no kill found the large program in its new content");
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--writer") == 0)
        return runWriter(QString::fromLocal8Bit(argv[2]));
    TestCrashSafety test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crashsafety.moc"
