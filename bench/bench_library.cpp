// How fast the library files are read, written and listed: a program file of 32,767 messages
// (about 1 MB) and a plugins folder of 1,000 programs.
#include "library/LibraryFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QList<MessageEntry> bigProgram()
{
    QList<MessageEntry> messages;
    for (int i = 0; i < 32767; ++i)
        messages.append(
            {QStringLiteral("I keep going, step by step, message %1").arg(i), i % 7 != 0});
    return messages;
}

void ReadProgram(benchmark::State& state)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("plugins"));
    LibraryFiles lib(dir.path());
    lib.writeProgram(QStringLiteral("big"), bigProgram());
    const qint64 bytes = QFileInfo(lib.programPath(QStringLiteral("big"))).size();
    for (auto _ : state) {
        auto messages = lib.readProgram(QStringLiteral("big"));
        benchmark::DoNotOptimize(messages);
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["file_bytes"] = double(bytes);
}

void WriteProgram(benchmark::State& state)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("plugins"));
    LibraryFiles lib(dir.path());
    const QList<MessageEntry> messages = bigProgram();
    lib.writeProgram(QStringLiteral("big"), messages);
    const qint64 bytes = QFileInfo(lib.programPath(QStringLiteral("big"))).size();
    for (auto _ : state) {
        const QString error = lib.writeProgram(QStringLiteral("big"), messages);
        if (!error.isEmpty())
            state.SkipWithError(qPrintable(error));
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

void LoadProgramList(benchmark::State& state)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("plugins"));
    LibraryFiles lib(dir.path());
    QList<SelectionEntry> selection;
    for (int i = 0; i < 1000; ++i) {
        const QString name = QStringLiteral("Program %1").arg(i, 4, 10, QLatin1Char('0'));
        lib.writeProgram(name, {{QStringLiteral("one"), true}, {QStringLiteral("two"), true}});
        selection.append({name, i % 2 == 0});
    }
    lib.writeSelectionList(selection);
    for (auto _ : state) {
        auto list = lib.LoadProgramList();
        benchmark::DoNotOptimize(list);
    }
}

} // namespace

BENCHMARK(ReadProgram)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteProgram)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadProgramList)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
