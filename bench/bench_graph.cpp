// Plug reads and drag cycles, through the public plug API exactly as the
// plug-in and the manipulator runtime use it.
#include "bench_scene.h"

#include <maya/MAngle.h>
#include <maya/MDGContext.h>
#include <maya/MDistance.h>
#include <maya/MPlug.h>

#include <benchmark/benchmark.h>

namespace {

// A clean numeric plug of a loaded node: MPlug(node, attr).getValue(MDistance&),
// the plug-in's read, plug built each time as the plug-in does.
void BM_PlugRead(benchmark::State& state) {
    bench::BenchScene s;
    rdhost::Node* node = s.create(bench::kSlider);
    const MObject obj = s.object(node);
    const MObject attr = s.attribute(node, "size");
    for (auto _ : state) {
        MDistance d;
        MPlug(obj, attr).getValue(d, MDGContext::fsNormal);
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(BM_PlugRead);

// A clean computed output: the read finds it up to date.
void BM_PlugReadCleanOutput(benchmark::State& state) {
    bench::BenchScene s;
    rdhost::Node* node = s.create(bench::kSlider);
    const MObject obj = s.object(node);
    const MObject attr = s.attribute(node, "currentValue");
    MDistance warm;
    MPlug(obj, attr).getValue(warm);
    for (auto _ : state) {
        MDistance d;
        MPlug(obj, attr).getValue(d, MDGContext::fsNormal);
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(BM_PlugReadCleanOutput);

// Linear slider drag: posHandle set as a drag writes it, then currentValue
// read (computes ratio, then currentValue).
void BM_DragSlider(benchmark::State& state) {
    bench::BenchScene s;
    rdhost::Node* node = s.create(bench::kSlider);
    const MObject obj = s.object(node);
    const MObject handle = s.attribute(node, "posHandle");
    const MObject output = s.attribute(node, "currentValue");
    double x = 0.0;
    for (auto _ : state) {
        x = x >= 5.0 ? 0.0 : x + 0.01;
        MDistance in(x, MDistance::kCentimeters);
        MPlug(obj, handle).setValue(in);
        MDistance out;
        MPlug(obj, output).getValue(out, MDGContext::fsNormal);
        benchmark::DoNotOptimize(out);
    }
    s.scene().runIdle();
}
BENCHMARK(BM_DragSlider);

// Arc slider drag: currentAngle set, then angleValue read.
void BM_DragArcSlider(benchmark::State& state) {
    bench::BenchScene s;
    rdhost::Node* node = s.create(bench::kArc);
    const MObject obj = s.object(node);
    const MObject handle = s.attribute(node, "currentAngle");
    const MObject output = s.attribute(node, "angleValue");
    double a = 0.0;
    for (auto _ : state) {
        a = a >= 6.0 ? 0.0 : a + 0.01;
        MAngle in(a, MAngle::kRadians);
        MPlug(obj, handle).setValue(in);
        MDistance out;
        MPlug(obj, output).getValue(out, MDGContext::fsNormal);
        benchmark::DoNotOptimize(out);
    }
    s.scene().runIdle();
}
BENCHMARK(BM_DragArcSlider);

}  // namespace
