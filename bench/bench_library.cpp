// How fast the library files are read, written and listed: a program file of 32,767 messages
// (about 1 MB), as a list of records (the show's read) and as the message list's compact store,
// and a plugins folder of 1,000 programs.
#include "library/LibraryFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QList<Record> bigProgram()
{
    QList<Record> messages;
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
    if (const Outcome written = lib.writeProgram(QStringLiteral("big"), bigProgram());
        !written.ok())
        state.SkipWithError(qPrintable(written.why()));
    const qint64 bytes = QFileInfo(lib.programPath(QStringLiteral("big"))).size();
    for (auto _ : state) {
        auto messages = lib.readProgram(QStringLiteral("big"));
        benchmark::DoNotOptimize(messages);
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["file_bytes"] = double(bytes);
}

void ReadMessages(benchmark::State& state)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("plugins"));
    LibraryFiles lib(dir.path());
    if (const Outcome written = lib.writeProgram(QStringLiteral("big"), bigProgram());
        !written.ok())
        state.SkipWithError(qPrintable(written.why()));
    const qint64 bytes = QFileInfo(lib.programPath(QStringLiteral("big"))).size();
    for (auto _ : state) {
        auto messages = lib.readMessages(QStringLiteral("big"));
        benchmark::DoNotOptimize(messages);
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

void WriteMessages(benchmark::State& state)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("plugins"));
    LibraryFiles lib(dir.path());
    if (const Outcome written = lib.writeProgram(QStringLiteral("big"), bigProgram());
        !written.ok())
        state.SkipWithError(qPrintable(written.why()));
    const LibraryFiles::Messages messages = lib.readMessages(QStringLiteral("big"));
    const qint64 bytes = QFileInfo(lib.programPath(QStringLiteral("big"))).size();
    for (auto _ : state) {
        if (const Outcome written = lib.writeMessages(QStringLiteral("big"), messages.records);
            !written.ok())
            state.SkipWithError(qPrintable(written.why()));
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

void WriteProgram(benchmark::State& state)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("plugins"));
    LibraryFiles lib(dir.path());
    const QList<Record> messages = bigProgram();
    if (const Outcome written = lib.writeProgram(QStringLiteral("big"), messages); !written.ok())
        state.SkipWithError(qPrintable(written.why()));
    const qint64 bytes = QFileInfo(lib.programPath(QStringLiteral("big"))).size();
    for (auto _ : state) {
        if (const Outcome written = lib.writeProgram(QStringLiteral("big"), messages);
            !written.ok())
            state.SkipWithError(qPrintable(written.why()));
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

void LoadProgramList(benchmark::State& state)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("plugins"));
    LibraryFiles lib(dir.path());
    QList<Record> selection;
    Outcome written;
    for (int i = 0; i < 1000 && written.ok(); ++i) {
        const QString name = QStringLiteral("Program %1").arg(i, 4, 10, QLatin1Char('0'));
        written =
            lib.writeProgram(name, {{QStringLiteral("one"), true}, {QStringLiteral("two"), true}});
        selection.append({name, i % 2 == 0});
    }
    if (written.ok())
        written = lib.writeSelectionList(selection);
    if (!written.ok())
        state.SkipWithError(qPrintable(written.why()));
    for (auto _ : state) {
        auto list = lib.LoadProgramList();
        benchmark::DoNotOptimize(list);
    }
}

} // namespace

BENCHMARK(ReadProgram)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadMessages)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteProgram)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteMessages)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadProgramList)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
