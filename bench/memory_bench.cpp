// Times the memory of a folder pair: walking both sides, writing the memory to the journal's database, and
// reading it back, on an existing pair (the 100,000-file pair of bench/gen_pair.py by default).
//
//   memory_bench <left> <right> [runs]
// The database is made in a temporary application folder of its own and removed at the end.

#include "sync/SyncJournal.h"
#include "sync/SyncMemory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

// The CPU time of this thread: what a phase costs, whatever else the machine is doing.
double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: memory_bench <left> <right> [runs]\n");
        return 2;
    }
    const QString left = QString::fromLocal8Bit(argv[1]);
    const QString right = QString::fromLocal8Bit(argv[2]);
    const int runs = argc > 3 ? std::max(1, atoi(argv[3])) : 5;
    QTemporaryDir appFolder;
    std::vector<double> walk, write, read, remember, writeCpu, readCpu;
    size_t objects = 0;
    for (int run = 0; run < runs; ++run) {
        SyncJournal journal(appFolder.path());
        QElapsedTimer t;
        t.start();
        SideWalk l;
        std::thread other([&] { l = WalkSide(left); });
        SideWalk r = WalkSide(right);
        other.join();
        walk.push_back(t.nsecsElapsed() / 1e9);
        MemoryMap both;
        both.reserve(l.objects.size() + r.objects.size());
        for (auto& [path, state] : l.objects)
            both[path].left = state;
        for (auto& [path, state] : r.objects)
            both[path].right = state;
        MemoryList map(both.begin(), both.end());
        std::sort(map.begin(), map.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        objects = map.size();
        SyncMemory memory(journal);
        t.restart();
        double cpu = CpuSeconds();
        if (!memory.Store(left, right, map))
            return 1;
        write.push_back(t.nsecsElapsed() / 1e9);
        writeCpu.push_back(CpuSeconds() - cpu);
        t.restart();
        cpu = CpuSeconds();
        const std::optional<MemoryMap> back = memory.Load(left, right);
        read.push_back(t.nsecsElapsed() / 1e9);
        readCpu.push_back(CpuSeconds() - cpu);
        if (!back || back->size() != map.size())
            return 1;
        t.restart();
        if (!RememberPair(journal, left, right).isEmpty())
            return 1;
        remember.push_back(t.nsecsElapsed() / 1e9);
    }
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("paths %zu, medians of %d runs: walk both sides %.3f s, write %.3f s (cpu %.3f), read %.3f s "
                "(cpu %.3f), read+write %.3f s; after a synchronisation (walk, read, merge, write) %.3f s\n",
                objects, runs, median(walk), median(write), median(writeCpu), median(read), median(readCpu),
                median(write) + median(read), median(remember));
    return 0;
}
