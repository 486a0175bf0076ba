// Times the page's work natively: WebMap's generate and render, in process,
// on one thread, after one untimed run that builds the stencil table.
// Usage: native-timing default|largest REPEATS; prints one JSON line: the
// settings and, per run, the milliseconds of generate and render.

#include "web/bench/Settings.h"

#include "core/ParameterTable.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The settings as the page's generate takes them, by the parameter table's names.
std::string SettingsJson(const GEO_MakeLand& settings) {
    std::string json = "{";
    for (const ParameterRow& row : ParameterTable()) {
        json += "\"" + std::string(row.name) + "\": ";
        if (row.kind == ParameterKind::Seed)
            json += "\"" + row.Text(settings) + "\"";
        else if (row.kind == ParameterKind::Flag)
            json += row.Number(settings) != 0 ? "true" : "false";
        else
            json += row.Text(settings);
        json += ", ";
    }
    return json + "\"points\": []}";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: native-timing default|largest REPEATS\n");
        return 2;
    }
    const GEO_MakeLand request = BenchSettings(argv[1]);
    const int repeats = std::atoi(argv[2]);
    const ProgressSink quiet = [](GEO_MakeLand&, const ProgressReport&) { return true; };
    WebMap map;
    std::string runs;
    for (int i = 0; i <= repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const std::string failure = map.Generate(request, quiet);
        const auto generated = std::chrono::steady_clock::now();
        const size_t bytes = map.Render(false, quiet).size();
        const auto rendered = std::chrono::steady_clock::now();
        if (!failure.empty() || bytes == 0) {
            std::fprintf(stderr, "native-timing: %s\n", failure.c_str());
            return 1;
        }
        if (i == 0)
            continue;
        char run[96];
        std::snprintf(run, sizeof run, "%s[%.3f,%.3f]", runs.empty() ? "" : ",",
                      Milliseconds(generated - start), Milliseconds(rendered - generated));
        runs += run;
    }
    // The settings go out with the runs, so the page is timed on exactly these.
    std::printf("{\"settings\": %s, \"runs\": [%s]}\n", SettingsJson(request).c_str(),
                runs.c_str());
    return 0;
}
