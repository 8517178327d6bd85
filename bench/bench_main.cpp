// Runs the benchmarks. Before timing the viewport it checks that each floor
// issues the same geometry and texts as the plug-in's draw through the host,
// so the ratio compares like with like.
#include "floor.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    bool check = true;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--no-floor-check") == 0) check = false;
    if (check && !bench::checkFloors()) {
        std::fprintf(stderr, "bench: a floor does not match its node's draw; ratios would mislead\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
