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

// A plugins folder holding the big program, written as the program writes it.
struct BigLibrary
{
    QTemporaryDir dir;
    LibraryFiles lib{dir.path()};
    qint64 bytes = 0;
    explicit BigLibrary(benchmark::State& state)
    {
        QDir(dir.path()).mkdir(QStringLiteral("plugins"));
        if (const Outcome written = lib.writeProgram(QStringLiteral("big"), bigProgram());
            !written.ok())
            state.SkipWithError(qPrintable(written.why()));
        bytes = QFileInfo(lib.programPath(QStringLiteral("big"))).size();
        state.counters["file_bytes"] = double(bytes);
    }
};

// Reads the big program again and again as `read` does.
template <typename Read> void readBig(benchmark::State& state, Read read)
{
    BigLibrary big(state);
    for (auto _ : state) {
        auto messages = read(big.lib);
        benchmark::DoNotOptimize(messages);
    }
    state.SetBytesProcessed(state.iterations() * big.bytes);
}

// Writes `messages` over the big program again and again as `write` does.
template <typename Messages, typename Write>
void writeBig(benchmark::State& state, const Messages& messages, Write write)
{
    BigLibrary big(state);
    for (auto _ : state) {
        if (const Outcome written = write(big.lib, messages); !written.ok())
            state.SkipWithError(qPrintable(written.why()));
    }
    state.SetBytesProcessed(state.iterations() * big.bytes);
}

const QString kBig = QStringLiteral("big");

void ReadProgram(benchmark::State& state)
{
    readBig(state, [](const LibraryFiles& lib) { return lib.readProgram(kBig); });
}

void ReadMessages(benchmark::State& state)
{
    readBig(state, [](const LibraryFiles& lib) { return lib.readMessages(kBig); });
}

void WriteProgram(benchmark::State& state)
{
    writeBig(state, bigProgram(), [](const LibraryFiles& lib, const QList<Record>& messages) {
        return lib.writeProgram(kBig, messages);
    });
}

void WriteMessages(benchmark::State& state)
{
    writeBig(state, RecordStore(bigProgram()),
             [](const LibraryFiles& lib, const RecordStore& messages) {
                 return lib.writeMessages(kBig, messages);
             });
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
