// Opening and saving a scene of 10,000 rigDials shapes (each under its own
// transform: 20,000 nodes in all) through the file command, as a user does.
// The scene is written once by the host itself and reused.
#include "bench_scene.h"

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kShapes = 10000;

std::string scenePath() {
    const char* dir = std::getenv("RIGDIALS_BENCH_DIR");
    return std::string(dir ? dir : "/tmp") + "/rigdials_bench_10k.ma";
}

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// A third of each type, each with a few values off their defaults, so the file
// carries setAttr lines as a real rig does.
const std::string& benchScene() {
    static const std::string path = [] {
        const std::string p = scenePath();
        if (exists(p)) return p;
        bench::BenchScene s;
        const char* types[3] = {bench::kLocator, bench::kSlider, bench::kArc};
        for (int i = 0; i < kShapes; ++i) {
            rdhost::Node* n = s.create(types[i % 3], 4.0 * (i % 100), 0.0, 4.0 * (i / 100));
            rdhost::Node* shape = n;
            const std::string name = shape->name;
            std::string cmd = "setAttr -type \"string\" " + name + ".label \"ctl" + std::to_string(i) + "\";";
            if (i % 3 == 0) cmd += "setAttr " + name + ".radius 0.5; setAttr " + name + ".type 1;";
            if (i % 3 == 1) cmd += "setAttr " + name + ".posHandle 1.25; setAttr " + name + ".endValue 20;";
            if (i % 3 == 2) cmd += "setAttr " + name + ".currentAngle 45; setAttr " + name + ".radius 2;";
            s.run(cmd);
        }
        s.run("file -rename \"" + p + "\"; file -save");
        return p;
    }();
    return path;
}

void BM_FileOpen10k(benchmark::State& state) {
    const std::string& path = benchScene();
    bench::BenchScene s;
    for (auto _ : state) s.run("file -force -open \"" + path + "\"");
    state.counters["nodes"] = static_cast<double>(s.scene().nodes().size());
}
BENCHMARK(BM_FileOpen10k)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_FileSave10k(benchmark::State& state) {
    const std::string& path = benchScene();
    const std::string out = path + ".saved.ma";
    bench::BenchScene s;
    s.run("file -force -open \"" + path + "\"; file -rename \"" + out + "\"");
    for (auto _ : state) s.run("file -save");
    struct stat st;
    if (stat(out.c_str(), &st) == 0) state.counters["bytes"] = static_cast<double>(st.st_size);
    std::remove(out.c_str());
}
BENCHMARK(BM_FileSave10k)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// Memory the open scene holds: heap in use (mallinfo2 uordblks) after the open
// minus before, and the growth of the process's peak resident size
// (getrusage ru_maxrss). Meaningful in a fresh process whose scene file already
// exists (scripts/bench.sh runs it so).
void BM_SceneMemory10k(benchmark::State& state) {
    const std::string& path = benchScene();
    double heap = 0, peak = 0;
    for (auto _ : state) {
        struct rusage r0, r1;
        getrusage(RUSAGE_SELF, &r0);
        {
            bench::BenchScene s;  // plug-in loaded: counted before the open
            const size_t h0 = mallinfo2().uordblks;
            s.run("file -force -open \"" + path + "\"");
            heap = static_cast<double>(mallinfo2().uordblks - h0);
        }
        getrusage(RUSAGE_SELF, &r1);
        peak = static_cast<double>(r1.ru_maxrss - r0.ru_maxrss) * 1024.0;
    }
    state.counters["heap_bytes"] = heap;
    state.counters["maxrss_delta_bytes"] = peak;
}
BENCHMARK(BM_SceneMemory10k)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
