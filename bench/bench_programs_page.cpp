// How quickly the Programs page lists a program of 32,767 messages and saves one tick change.
// Prints its figures; it is not a test and never fails on a slow machine. Run offscreen (the
// default) the painting goes to no X server, so the figures leave out the trip to the server
// and its drawing; run it under Xvfb with QT_QPA_PLATFORM=xcb to include them.
#include "core/Prompt.h"
#include "library/LibraryFiles.h"
#include "ui/ProgramsPage.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class SilentPrompt : public Prompt
{
public:
    int shown = 0;
    Answer ask(const QString&, Icon, Buttons) override
    {
        ++shown;
        return Answer::Ok;
    }
};

struct Figures
{
    std::vector<double> ms;
    void add(double v) { ms.push_back(v); }
    void print(const char* what, double aim) const
    {
        std::vector<double> s = ms;
        std::sort(s.begin(), s.end());
        std::printf("%-52s median %7.2f ms  min %7.2f  max %7.2f  (aim < %.0f ms, %zu runs)\n",
                    what, s[s.size() / 2], s.front(), s.back(), aim, s.size());
    }
};

double elapsedMs(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// A file of a megabyte or more is read on another thread: runs the event loop until the list
// holds the rows.
bool waitForRows(const QAbstractItemModel* model, int rows)
{
    QElapsedTimer t;
    t.start();
    while (model->rowCount() != rows) {
        if (t.elapsed() > 60000)
            return false;
        QApplication::processEvents();
        QThread::usleep(100);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        std::printf("offscreen: painting goes to no X server, so its trip there is left out\n");
    SilentPrompt prompt;
    Prompt::set(&prompt);

    constexpr int kMessages = 32767;
    constexpr int kRuns = 41;
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("plugins"));
    {
        QByteArray big;
        for (int i = 0; i < kMessages; ++i)
            big += "\"Message number " + QByteArray::number(i) + ", said calmly and often\"" +
                   (i % 3 ? ",#TRUE#\r\n" : ",#FALSE#\r\n");
        QFile f(dir.filePath(QStringLiteral("plugins/Big.txt")));
        if (!f.open(QIODevice::WriteOnly) || f.write(big) != big.size())
            return 1;
        QFile s(dir.filePath(QStringLiteral("plugins/Small.txt")));
        if (!s.open(QIODevice::WriteOnly) || s.write("\"one\",#TRUE#\r\n") != 14)
            return 1;
        std::printf("program file: %d messages, %lld bytes\n", kMessages,
                    static_cast<long long>(big.size()));
    }

    ProgramsPage page{LibraryFiles(dir.path())};
    page.show();
    page.LoadProgramList();
    QApplication::processEvents();
    auto* programs = page.findChild<QTableView*>(QStringLiteral("lvwDisplayFiles"));
    auto* messages = page.findChild<QTableView*>(QStringLiteral("lvwDisplay"));
    if (!programs || !messages || !waitForRows(messages->model(), kMessages)) {
        std::printf("the big program did not load\n");
        return 1;
    }

    // Selecting as the keyboard or a click does, until the list is filled and painted.
    Figures select;
    Figures scroll;
    for (int run = 0; run < kRuns; ++run) {
        programs->selectionModel()->setCurrentIndex(programs->model()->index(1, 0),
                                                    QItemSelectionModel::ClearAndSelect);
        QApplication::processEvents();
        QElapsedTimer t;
        t.start();
        programs->selectionModel()->setCurrentIndex(programs->model()->index(0, 0),
                                                    QItemSelectionModel::ClearAndSelect);
        if (!waitForRows(messages->model(), kMessages))
            return 1;
        messages->viewport()->repaint();
        QApplication::processEvents();
        select.add(elapsedMs(t));

        t.restart();
        messages->verticalScrollBar()->setValue(messages->verticalScrollBar()->maximum());
        messages->viewport()->repaint();
        QApplication::processEvents();
        scroll.add(elapsedMs(t));
    }

    // One tick change as the tick box makes it, until the file has been replaced.
    const QString path = dir.filePath(QStringLiteral("plugins/Big.txt"));
    Figures tick;
    for (int run = 0; run < kRuns; ++run) {
        const QModelIndex index = messages->model()->index(kMessages / 2 + run, 0);
        const bool ticked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        const QDateTime before = QFileInfo(path).lastModified();
        QElapsedTimer t;
        t.start();
        messages->model()->setData(index, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        tick.add(elapsedMs(t));
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly) || prompt.shown != 0) {
            std::printf("the tick was not saved\n");
            return 1;
        }
        const QByteArray bytes = f.readAll();
        const QByteArray expected = ticked ? ",#FALSE#\r\n" : ",#TRUE#\r\n";
        const QByteArray record = "\"Message number " + QByteArray::number(kMessages / 2 + run) +
                                  ", said calmly and often\"" + expected;
        if (!bytes.contains(record) || QFileInfo(path).lastModified() < before) {
            std::printf("the file does not hold the tick\n");
            return 1;
        }
    }

    // The same write without the page, to tell the page's share from the library's.
    const LibraryFiles files(dir.path());
    const LibraryFiles::Messages loaded = files.readMessages(QStringLiteral("Big"));
    Figures write;
    for (int run = 0; run < kRuns && loaded.ok(); ++run) {
        QElapsedTimer t;
        t.start();
        if (!files.writeMessages(QStringLiteral("Big"), loaded.records).ok())
            return 1;
        write.add(elapsedMs(t));
    }

    select.print("select a program of 32,767 messages, list filled", 100);
    scroll.print("scroll that list to its end, painted", 100);
    tick.print("tick one of its messages, file rewritten", 20);
    write.print("  of which the library's write of that file", 20);
    Prompt::set(nullptr);
    return 0;
}
