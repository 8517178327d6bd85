// One viewport refresh of N nodes of one type through the host (offscreen,
// picture read back, no PNG), next to its floor: the same GL calls issued
// directly (floor.h); and the host's two renderers side by side
// (base_OpenGL_Renderer, the legacy draws; vp2Renderer, the draw overrides).
// All end in glFinish and read the picture back.
#include "batched_floor.h"
#include "bench_scene.h"
#include "floor.h"
#include "view/playblast.h"
#include "view/render.h"
#include "view/vp2_render.h"

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

const char* typeOf(int64_t code) {
    return code == 0 ? bench::kLocator : code == 1 ? bench::kSlider : bench::kArc;
}

// A refresh draws from a camera that is already placed: the first render
// frames it and the measured ones keep it.
rdhost::RenderOptions options() {
    rdhost::RenderOptions o;
    o.showGrid = false;  // the floor draws no grid; nor does the host here
    return o;
}

// The floor issues the legacy draws' calls: the host refreshes it is set
// against draw with base_OpenGL_Renderer.
void BM_RefreshHost(benchmark::State& state) {
    bench::BenchScene s;
    s.createMany(typeOf(state.range(0)), static_cast<int>(state.range(1)));
    rdhost::setRenderer(s.scene(), rdhost::kLegacyRenderer);
    rdhost::RenderOptions o = options();
    o.view = rdhost::renderScene(s.scene(), o).camera;  // context, framebuffer, first computes, framing
    for (auto _ : state) {
        rdhost::RenderResult r = rdhost::renderScene(s.scene(), o);
        benchmark::DoNotOptimize(r.image.rgba.data());
    }
    state.counters["nodes"] = static_cast<double>(state.range(1));
}

void BM_RefreshFloor(benchmark::State& state) {
    bench::BenchScene s;
    const auto nodes = s.createMany(typeOf(state.range(0)), static_cast<int>(state.range(1)));
    rdhost::setRenderer(s.scene(), rdhost::kLegacyRenderer);
    rdhost::RenderOptions o = options();
    const rdhost::RenderResult first = rdhost::renderScene(s.scene(), o);
    o.view = first.camera;
    bench::FloorFrame frame;
    frame.width = o.width;
    frame.height = o.height;
    frame.view = rdhost::viewMatrix(first.camera);
    frame.projection = rdhost::projectionMatrix(first.camera);
    for (rdhost::Node* n : nodes) frame.nodes.push_back(bench::floorFor(s.scene(), n));
    for (auto _ : state) {
        bench::drawFloorFrame(frame);
        benchmark::DoNotOptimize(frame.pixels.data());
    }
    state.counters["nodes"] = static_cast<double>(state.range(1));
}

// CPU time of the calling thread: the host's and the plug-in's work runs here,
// the rasterising on the driver's own threads.
double threadCpuMs() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Host and floor refreshes of the same scene taken in turn, so a change in the
// machine's load touches both alike (the machine is shared). Reports the median
// wall time of each per refresh and their ratio.
void BM_RefreshPair(benchmark::State& state) {
    bench::BenchScene s;
    const auto nodes = s.createMany(typeOf(state.range(0)), static_cast<int>(state.range(1)));
    rdhost::setRenderer(s.scene(), rdhost::kLegacyRenderer);
    rdhost::RenderOptions o = options();
    const rdhost::RenderResult first = rdhost::renderScene(s.scene(), o);
    o.view = first.camera;
    bench::FloorFrame frame;
    frame.width = o.width;
    frame.height = o.height;
    frame.view = rdhost::viewMatrix(first.camera);
    frame.projection = rdhost::projectionMatrix(first.camera);
    for (rdhost::Node* n : nodes) frame.nodes.push_back(bench::floorFor(s.scene(), n));
    bench::drawFloorFrame(frame);
    using Clock = std::chrono::steady_clock;
    std::vector<double> host, floor, hostCpu, floorCpu;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const double c0 = threadCpuMs();
        rdhost::RenderResult r = rdhost::renderScene(s.scene(), o);
        benchmark::DoNotOptimize(r.image.rgba.data());
        const auto t1 = Clock::now();
        const double c1 = threadCpuMs();
        bench::drawFloorFrame(frame);
        benchmark::DoNotOptimize(frame.pixels.data());
        const auto t2 = Clock::now();
        const double c2 = threadCpuMs();
        host.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        floor.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
        hostCpu.push_back(c1 - c0);
        floorCpu.push_back(c2 - c1);
    }
    const double h = median(host), f = median(floor);
    state.counters["host_ms"] = h;
    state.counters["floor_ms"] = f;
    state.counters["ratio"] = h / f;
    state.counters["host_cpu_ms"] = median(hostCpu);
    state.counters["floor_cpu_ms"] = median(floorCpu);
    state.counters["cpu_ratio"] = median(hostCpu) / median(floorCpu);
    state.counters["nodes"] = static_cast<double>(state.range(1));
}

// The two renderers' refreshes of the same scene and its batched floor
// (batched_floor.h), taken in turn as BM_RefreshPair takes host and floor.
// Reports the median wall and main-thread CPU time of each per refresh, VP2
// over legacy and VP2 over the batched floor, and the share of pixels in which
// the batched floor's picture differs from the per-call floor's (the two must
// draw the same picture for the comparison to mean anything).
void BM_RendererPair(benchmark::State& state) {
    bench::BenchScene s;
    const auto nodes = s.createMany(typeOf(state.range(0)), static_cast<int>(state.range(1)));
    rdhost::RenderOptions o = options();
    rdhost::setRenderer(s.scene(), rdhost::kLegacyRenderer);
    const rdhost::RenderResult first = rdhost::renderScene(s.scene(), o);
    o.view = first.camera;
    bench::FloorFrame frame;
    frame.width = o.width;
    frame.height = o.height;
    frame.view = rdhost::viewMatrix(first.camera);
    frame.projection = rdhost::projectionMatrix(first.camera);
    for (rdhost::Node* n : nodes) frame.nodes.push_back(bench::floorFor(s.scene(), n));
    bench::BatchedFrame batched = bench::batchedFrameOf(frame);
    bench::drawFloorFrame(frame);
    bench::drawBatchedFrame(batched);
    std::size_t differ = 0;
    for (std::size_t i = 0; i + 3 < frame.pixels.size(); i += 4)
        for (int c = 0; c < 3; ++c)
            if (std::abs(int(frame.pixels[i + c]) - int(batched.pixels[i + c])) > 2) {
                ++differ;
                break;
            }
    rdhost::setRenderer(s.scene(), rdhost::kVp2Renderer);
    rdhost::renderScene(s.scene(), o);  // the overrides and their first data
    using Clock = std::chrono::steady_clock;
    std::vector<double> wall[3], cpu[3];
    const char* const renderers[2] = {rdhost::kLegacyRenderer, rdhost::kVp2Renderer};
    for (auto _ : state) {
        for (int r = 0; r < 3; ++r) {
            const auto t0 = Clock::now();
            const double c0 = threadCpuMs();
            if (r < 2) {
                rdhost::setRenderer(s.scene(), renderers[r]);
                rdhost::RenderResult res = rdhost::renderScene(s.scene(), o);
                benchmark::DoNotOptimize(res.image.rgba.data());
            } else {
                bench::drawBatchedFrame(batched);
                benchmark::DoNotOptimize(batched.pixels.data());
            }
            wall[r].push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
            cpu[r].push_back(threadCpuMs() - c0);
        }
    }
    state.counters["legacy_ms"] = median(wall[0]);
    state.counters["vp2_ms"] = median(wall[1]);
    state.counters["batched_floor_ms"] = median(wall[2]);
    state.counters["ratio"] = median(wall[1]) / median(wall[0]);
    state.counters["vp2_over_batched"] = median(wall[1]) / median(wall[2]);
    state.counters["legacy_cpu_ms"] = median(cpu[0]);
    state.counters["vp2_cpu_ms"] = median(cpu[1]);
    state.counters["batched_floor_cpu_ms"] = median(cpu[2]);
    state.counters["batched_floor_differs_pct"] = 100.0 * differ / (frame.pixels.size() / 4);
    state.counters["nodes"] = static_cast<double>(state.range(1));
}

// Heap kept per traced playblast (mallinfo2, after a warm-up): the trace's
// feedback pass must give back what it takes. A driver that holds the vertex
// buffers its feedback path reads shows here as tens of KB per playblast.
void BM_TracedPlayblastHeap(benchmark::State& state) {
    bench::BenchScene s;
    s.createMany(bench::kLocator, 20);
    s.createMany(bench::kArc, 2);
    s.createMany(bench::kSlider, 2);
    char folder[] = "/tmp/rdbench-XXXXXX";
    if (!mkdtemp(folder)) bench::fail("cannot make a temporary folder");
    rdhost::PlayblastOptions o;
    o.file = std::string(folder) + "/p.png";
    o.traceFile = std::string(folder) + "/p.json";
    o.width = o.height = 64;
    auto heapInUse = [] {
        const struct mallinfo2 m = ::mallinfo2();
        return static_cast<double>(m.uordblks + m.hblkhd);
    };
    for (int i = 0; i < 20; ++i) rdhost::playblast(s.scene(), o);
    const double before = heapInUse();
    for (auto _ : state) rdhost::playblast(s.scene(), o);
    state.counters["heap_kept_bytes"] = (heapInUse() - before) / static_cast<double>(state.iterations());
    std::remove(o.file.c_str());
    std::remove(o.traceFile.c_str());
    ::rmdir(folder);
}

// Shows the first `shown` of `nodes` (their transforms' visibility) and hides
// the rest.
void showFirst(const std::vector<rdhost::Node*>& nodes, std::size_t shown) {
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        rdhost::Node* t = nodes[i]->parent;
        rdhost::Attr* vis = t ? t->findAttr("visibility") : nullptr;
        if (!vis) bench::fail("'" + nodes[i]->name + "' has no transform with a visibility");
        t->setNumber(vis->index, i < shown ? 1.0 : 0.0);
    }
}

// How a refresh grows with the scene: one scene of 1,000 nodes of a type, of
// which 0, 10, 100 and 1,000 are shown in turn (the camera framed on all of
// them, so a node covers the same pixels at every N). A node's share of a
// refresh is (t(N) - t(0)) / N, the empty refresh (clear, read back) being what
// every N pays once. Reports that share at each N in microseconds and the
// largest over the smallest: linear growth keeps it near 1. range(0): type,
// range(1): 0 legacy, 1 vp2.
void BM_RefreshGrowth(benchmark::State& state) {
    bench::BenchScene s;
    const auto nodes = s.createMany(typeOf(state.range(0)), 1000);
    rdhost::setRenderer(s.scene(), state.range(1) ? rdhost::kVp2Renderer : rdhost::kLegacyRenderer);
    rdhost::RenderOptions o = options();
    o.view = rdhost::renderScene(s.scene(), o).camera;
    const std::size_t counts[4] = {0, 10, 100, 1000};
    std::vector<double> wall[4];
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        for (int k = 0; k < 4; ++k) {
            showFirst(nodes, counts[k]);
            rdhost::renderScene(s.scene(), o);  // not timed: the visibility change's first draw
            const auto t0 = Clock::now();
            rdhost::RenderResult r = rdhost::renderScene(s.scene(), o);
            benchmark::DoNotOptimize(r.image.rgba.data());
            wall[k].push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        }
    }
    const double empty = median(wall[0]);
    double lo = 1e300, hi = 0;
    for (int k = 1; k < 4; ++k) {
        const double perNode = 1e3 * (median(wall[k]) - empty) / static_cast<double>(counts[k]);
        state.counters["us_per_node_N" + std::to_string(counts[k])] = perNode;
        lo = std::min(lo, perNode);
        hi = std::max(hi, perNode);
    }
    state.counters["empty_ms"] = empty;
    state.counters["spread"] = lo > 0 ? hi / lo : 0.0;
}

// Heap in use across many refreshes of one scene (mallinfo2): after the first
// refresh the host and the plug-in keep nothing per refresh. Reports the heap
// after the first refresh and what the later ones added, in total and per
// refresh. range(0): 0 legacy, 1 vp2.
void BM_RefreshHeap(benchmark::State& state) {
    bench::BenchScene s;
    s.createMany(bench::kLocator, 4);
    s.createMany(bench::kSlider, 2);
    s.createMany(bench::kArc, 2);
    rdhost::setRenderer(s.scene(), state.range(0) ? rdhost::kVp2Renderer : rdhost::kLegacyRenderer);
    rdhost::RenderOptions o = options();
    o.width = 160;
    o.height = 120;
    o.view = rdhost::renderScene(s.scene(), o).camera;
    auto heapInUse = [] {
        const struct mallinfo2 m = ::mallinfo2();
        return static_cast<double>(m.uordblks + m.hblkhd);
    };
    const double first = heapInUse();
    // Also after a tenth of the run: growth that stops (a cache filling up)
    // shows the same figure at both, a leak ten times more at the end.
    const auto tenth = static_cast<std::int64_t>(state.max_iterations / 10);
    std::int64_t done = 0;
    double atTenth = 0;
    for (auto _ : state) {
        {
            rdhost::RenderResult r = rdhost::renderScene(s.scene(), o);
            benchmark::DoNotOptimize(r.image.rgba.data());
        }  // the picture is given back before the heap is read
        if (++done == tenth) atTenth = heapInUse() - first;
    }
    const double grown = heapInUse() - first;
    state.counters["heap_after_first_kb"] = first / 1024.0;
    state.counters["heap_grown_at_tenth_bytes"] = atTenth;
    state.counters["heap_grown_bytes"] = grown;
    state.counters["heap_grown_per_refresh_bytes"] = grown / static_cast<double>(state.iterations());
}

// type: 0 primitive locator, 1 linear slider, 2 arc slider; then N.
void refreshArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"type", "N"});
    for (int t = 0; t < 3; ++t)
        for (int n : {100, 1000}) b->Args({t, n});
    b->Unit(benchmark::kMillisecond)->MinTime(2.0);
}

BENCHMARK(BM_RefreshHost)->Apply(refreshArgs);
BENCHMARK(BM_RefreshFloor)->Apply(refreshArgs);
// The arc slider's refresh is long (its graduations are hundreds of lines and
// dozens of bitmap texts): a fixed number of turns instead of a minimum time.
BENCHMARK(BM_RefreshPair)
    ->ArgNames({"type", "N"})
    ->Args({0, 100})
    ->Args({0, 1000})
    ->Args({1, 100})
    ->Args({1, 1000})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);
BENCHMARK(BM_RefreshPair)
    ->ArgNames({"type", "N"})
    ->Args({2, 100})
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshPair)
    ->ArgNames({"type", "N"})
    ->Args({2, 1000})
    ->Iterations(7)
    ->Unit(benchmark::kMillisecond);
// Legacy and VP2 refreshes side by side; the arc sliders' in fixed turns.
BENCHMARK(BM_RendererPair)
    ->ArgNames({"type", "N"})
    ->Args({0, 100})
    ->Args({0, 1000})
    ->Args({1, 100})
    ->Args({1, 1000})
    ->Args({2, 100})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK(BM_RendererPair)
    ->ArgNames({"type", "N"})
    ->Args({2, 1000})
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TracedPlayblastHeap)->Iterations(300)->Unit(benchmark::kMillisecond);
// Growth from N = 10 to 1,000, both renderers; the arc sliders' in fewer turns.
BENCHMARK(BM_RefreshGrowth)
    ->ArgNames({"type", "vp2"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Iterations(15)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshGrowth)
    ->ArgNames({"type", "vp2"})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshHeap)
    ->ArgNames({"vp2"})
    ->Arg(0)
    ->Arg(1)
    ->Iterations(10000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
