// A process that is killed while it rewrites the library and a goal leaves every file whole:
// each holds either all of its old content or all of its new content, never anything else.
#include "goals/GoalFile.h"
#include "library/LibraryFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {

struct Version
{
    QList<MessageEntry> program;
    QList<SelectionEntry> selection;
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

void write(const QString& folder, const Version& v)
{
    const LibraryFiles lib(folder);
    lib.writeProgram(QStringLiteral("big"), v.program);
    lib.writeSelectionList(v.selection);
    GoalFile::save(GoalFile::pathIn(folder, 1), v.goal);
}

// The process that gets killed: rewrites the three files, old and new content in turn.
int runWriter(const QString& folder)
{
    const Version a = version('a');
    const Version b = version('b');
    QFile out;
    out.open(stdout, QIODevice::WriteOnly);
    out.write("ready\n");
    out.flush();
    for (;;) {
        write(folder, b);
        write(folder, a);
    }
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

    // The two contents every file may hold, as the program's own writers produce them.
    QHash<QString, QSet<QByteArray>> allowed;
    const LibraryFiles lib(folder);
    const QStringList paths{lib.programPath(QStringLiteral("big")), lib.selectionPath(),
                            GoalFile::pathIn(folder, 1)};
    for (const char tag : {'b', 'a'}) {
        write(folder, version(tag));
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
    int sawNew = 0;
    for (int i = 0; i < kills; ++i) {
        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--writer"), folder});
        QVERIFY(writer.waitForStarted());
        QVERIFY(writer.waitForReadyRead(20000));
        QTest::qSleep(int(random.bounded(1, 120)));
        ::kill(pid_t(writer.processId()), SIGKILL);
        QVERIFY(writer.waitForFinished(10000));
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
    qInfo("%d kills, %d files checked, all whole; %d kills found the large program in its new "
          "content (seed %u)",
          kills, checked, sawNew, seed);
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
