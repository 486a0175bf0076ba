// The benchmark program's entry, and peak memory at the largest settings, at
// the dialog's largest size and beyond it.
//
// The peak resident size of a process only grows, so it is measured in a
// fresh copy of this program started for that alone: it builds the disc
// table, generates the map and renders its picture, and reports its peak
// (and its size before generating) to the benchmark that started it.

#include "BenchSupport.h"

#include "core/Picture.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* childFlag = "--peak-child=";  // followed by SIZE,THREADS

double PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss);  // kilobytes on Linux
}

int PeakChild(const char* arguments) {
    int size = 0, threads = 0;
    if (std::sscanf(arguments, "%d,%d", &size, &threads) != 2)
        return 2;
    DiscTable();
    const double before = PeakKilobytes();
    GEO_MakeLand t;
    Largest(t);
    t.width = t.height = size;
    t.twoThreads = threads == 2;
    t.Generate(DiscTable());
    Picture picture(t.width, t.height);
    t.Render(picture, false);
    std::printf("%.0f %.0f\n", before, PeakKilobytes());
    return 0;
}

// Runs the child; false when it could not be run or said nothing usable.
bool RunChild(int32_t size, bool twoThreads, double& beforeKb, double& peakKb) {
    int out[2];
    if (pipe(out) != 0)
        return false;
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        const std::string flag =
            std::string(childFlag) + std::to_string(size) + (twoThreads ? ",2" : ",1");
        execl("/proc/self/exe", "glenvar_bench", flag.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    char text[128] = {};
    size_t used = 0;
    for (ssize_t n;
         used + 1 < sizeof text && (n = read(out[0], text + used, sizeof text - 1 - used)) > 0;)
        used += size_t(n);
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
           std::sscanf(text, "%lf %lf", &beforeKb, &peakKb) == 2;
}

// The first argument is the thread count; size 0 keeps the dialog's largest.
void PeakMemory(benchmark::State& state, int32_t size) {
    GEO_MakeLand t;
    Largest(t);
    if (size > 0)
        t.width = t.height = size;
    double before = 0, peak = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!RunChild(t.width, state.range(0) == 2, before, peak)) {
            state.SkipWithError("the measuring process failed");
            return;
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    const double budget = BudgetMegabytes(t);
    state.counters["peak_MB"] = peak / 1024.0;
    state.counters["before_MB"] = before / 1024.0;
    state.counters["budget_MB"] = budget;
    state.counters["peak_per_budget"] = peak / 1024.0 / budget;
}
void BM_LargestPeakMemory(benchmark::State& state) {
    PeakMemory(state, 0);
}
BENCHMARK(BM_LargestPeakMemory)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

// Linear cost: the same settings on a grid seven times the cells.
void BM_ScalePeakMemory(benchmark::State& state) {
    PeakMemory(state, int32_t(state.range(1)));
}
BENCHMARK(BM_ScalePeakMemory)
    ->ArgNames({"threads", "size"})
    ->Args({1, 8192})
    ->Args({2, 8192})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strncmp(argv[1], childFlag, std::strlen(childFlag)) == 0)
        return PeakChild(argv[1] + std::strlen(childFlag));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
