// Large libraries on the Programs page: a program file of 100 MB, one of 1,000,000 short
// messages, and one message of 10 MB on one line. For each: the time until its messages are
// listed, the resident memory after every step, and the longest stall of the user-interface
// thread while the step ran. Prints its figures; it is not a test and never fails on a slow
// machine.
//
// The stall is the longest gap between two firings of a 5 ms timer on the user-interface
// thread: every step is started from the event loop and waited for there, so anything that
// holds the thread (reading, parsing, laying out a row or the edit box) shows as a gap.
//
// Run offscreen (the default) the painting never goes to an X server: the figures leave out
// the trip to the server and the server's own drawing. Run it under Xvfb with
// QT_QPA_PLATFORM=xcb to include them.
//
//   bench_large_programs [100mb] [million] [10mb]   (all three when none is named)
#include "core/Prompt.h"
#include "library/LibraryFiles.h"
#include "ui/ProgramsPage.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

class SilentPrompt : public Prompt
{
public:
    int shown = 0;
    Answer ask(const QString& text, Icon, Buttons) override
    {
        ++shown;
        std::printf("  (the page said: %s)\n", qPrintable(text.left(200)));
        return Answer::Ok;
    }
};

// The peak resident memory since the last resetPeak(), from the kernel.
double peakMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

double residentMb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / 1048576.0
                             : -1;
}

// The longest gap between firings of a 5 ms timer on this thread since the last reset.
class Watchdog : public QObject
{
public:
    Watchdog()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_longest = std::max(m_longest, m_since.nsecsElapsed());
            m_since.restart();
        });
        m_since.start();
        m_timer.start();
    }
    void reset()
    {
        m_longest = 0;
        m_since.restart();
    }
    double longestMs() const { return double(std::max(m_longest, m_since.nsecsElapsed())) / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_since;
    qint64 m_longest = 0;
};

// Runs the event loop until done() holds; false after a minute.
bool waitUntil(const std::function<bool()>& done)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > 600000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::usleep(200);
    }
    return true;
}

struct Step
{
    Watchdog& watchdog;
    double idleMb;
    // Starts `start` from the event loop, waits for `done`, prints the figures.
    void run(
        const char* what, const std::function<void()>& start,
        const std::function<bool()>& done = [] { return true; })
    {
        waitUntil([] { return true; });
        resetPeak();
        watchdog.reset();
        QElapsedTimer t;
        t.start();
        bool started = false;
        QTimer::singleShot(0, [&] {
            start();
            started = true;
        });
        const bool ended = waitUntil([&] { return started && done(); });
        const double ms = double(t.nsecsElapsed()) / 1e6;
        // One more turn of the loop, so the last stall is seen by the timer.
        waitUntil([] { return true; });
        const double rss = residentMb();
        std::printf("  %-38s %8.1f ms  RSS %6.1f MB (+%6.1f over idle, peak +%6.1f)  longest "
                    "stall %7.1f ms%s\n",
                    what, ms, rss, rss - idleMb, peakMb() - idleMb, watchdog.longestMs(),
                    ended ? "" : "  (did not end)");
        std::fflush(stdout);
    }
};

bool writeFile(const QString& path, const std::function<void(QFile&)>& fill)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    fill(f);
    return f.error() == QFileDevice::NoError;
}

void hundredMb(QFile& f)
{
    // 100,000 messages of about 1,000 characters.
    const QByteArray words = QByteArray("I keep going, calmly, step by step. ").repeated(28);
    for (int i = 0; i < 100000; ++i)
        f.write("\"" + QByteArray::number(i) + " " + words + "\"" +
                (i % 7 ? ",#TRUE#\r\n" : ",#FALSE#\r\n"));
}

void million(QFile& f)
{
    QByteArray all;
    for (int i = 0; i < 1000000; ++i)
        all += "\"m" + QByteArray::number(i).rightJustified(6, '0') + "\"" +
               (i % 7 ? ",#TRUE#\r\n" : ",#FALSE#\r\n");
    f.write(all);
}

void tenMbLine(QFile& f)
{
    QByteArray text = QByteArray("Every day in every way, better and better. ").repeated(250000);
    text.truncate(10 * 1000 * 1000);
    f.write("\"" + text + "\",#TRUE#\r\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SilentPrompt prompt;
    Prompt::set(&prompt);
    QStringList wanted = app.arguments().mid(1);
    if (wanted.isEmpty())
        wanted = {QStringLiteral("100mb"), QStringLiteral("million"), QStringLiteral("10mb")};
    const bool offscreen = QGuiApplication::platformName() == QLatin1String("offscreen");
    std::printf("platform %s%s\n", qPrintable(QGuiApplication::platformName()),
                offscreen ? ": painting goes to no X server, so its trip there is left out" : "");

    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("plugins"));
    const QString plugins = dir.filePath(QStringLiteral("plugins/"));
    // "A" sorts first: the page opens on a small program, as a library of a few programs does.
    writeFile(plugins + QStringLiteral("A small.txt"),
              [](QFile& f) { f.write("\"one\",#TRUE#\r\n\"two\",#TRUE#\r\n"); });
    const struct
    {
        const char* key;
        const char* file;
        const char* what;
        int rows;
        void (*fill)(QFile&);
    } cases[] = {
        {"100mb", "B hundred.txt", "100 MB program file, 100,000 messages", 100000, hundredMb},
        {"million", "C million.txt", "1,000,000 short messages", 1000000, million},
        {"10mb", "D ten.txt", "one message of 10 MB on one line", 1, tenMbLine}};
    for (const auto& c : cases) {
        if (wanted.contains(QLatin1String(c.key)) &&
            !writeFile(plugins + QLatin1String(c.file), c.fill))
            return 1;
    }

    Watchdog watchdog;
    ProgramsPage page{LibraryFiles(dir.path())};
    page.show();
    page.LoadProgramList();
    auto* programs = page.findChild<QTableView*>(QStringLiteral("lvwDisplayFiles"));
    auto* messages = page.findChild<QTableView*>(QStringLiteral("lvwDisplay"));
    auto* editBox = page.findChild<QLineEdit*>(QStringLiteral("txtEditText"));
    if (!programs || !messages || !editBox)
        return 1;
    waitUntil([&] { return messages->model()->rowCount() == 2; });
    const double idle = residentMb();
    std::printf("idle, a program of 2 messages listed: RSS %.1f MB\n", idle);

    Step step{watchdog, idle};
    const auto choose = [&](int row) {
        programs->selectionModel()->setCurrentIndex(programs->model()->index(row, 0),
                                                    QItemSelectionModel::ClearAndSelect);
    };
    for (int row = 1; row < programs->model()->rowCount(); ++row) {
        const QString name = programs->model()->index(row, 0).data().toString();
        const auto* c = std::find_if(std::begin(cases), std::end(cases), [&](const auto& k) {
            return QString::fromLatin1(k.file).chopped(4) == name;
        });
        const QString path = plugins + name + QStringLiteral(".txt");
        std::printf("%s (%s, %.1f MB):\n", c->what, qPrintable(name),
                    double(QFileInfo(path).size()) / 1048576.0);
        step.run(
            "select it until its messages are listed", [&] { choose(row); },
            [&] { return messages->model()->rowCount() == c->rows; });
        step.run("paint the list", [&] { messages->viewport()->repaint(); });
        step.run("scroll to the end, painted", [&] {
            messages->verticalScrollBar()->setValue(messages->verticalScrollBar()->maximum());
            messages->viewport()->repaint();
        });
        const int last = c->rows - 1;
        step.run("click the last message (edit box)", [&] {
            messages->selectionModel()->setCurrentIndex(messages->model()->index(last, 0),
                                                        QItemSelectionModel::ClearAndSelect);
            page.repaint();
        });
        const QDateTime before = QFileInfo(path).lastModified();
        step.run(
            "tick the last message, file rewritten",
            [&] {
                const QModelIndex index = messages->model()->index(last, 0);
                const bool ticked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
                messages->model()->setData(index, ticked ? Qt::Unchecked : Qt::Checked,
                                           Qt::CheckStateRole);
            },
            [&] { return QFileInfo(path).lastModified() != before; });
        step.run(
            "select the small program again", [&] { choose(0); },
            [&] { return messages->model()->rowCount() == 2; });
    }
    Prompt::set(nullptr);
    return prompt.shown == 0 ? 0 : 1;
}
