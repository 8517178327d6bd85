#!/usr/bin/env bash
# Builds rigDials in Release with the benchmarks and runs them, then prints a
# markdown table of the results (the one in docs/benchmarks.md).
#   scripts/bench.sh            everything (about 5 minutes on 2 cores)
#   BUILD_DIR=dir scripts/bench.sh
# Needs no display: the host starts a private Xvfb when DISPLAY is unset.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh >&2
build=${BUILD_DIR:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DRIGDIALS_BENCH=ON -DRIGDIALS_TESTS=OFF >&2
cmake --build "$build" -j2 --target rigdials_bench rigDials >&2
bin="$build/bin/rigdials_bench"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export RIGDIALS_BENCH_DIR="$out"   # where the 10,000-shape scene is written

# Graph, viewport and files in one process (it also writes the scene file and
# checks the floors against the plug-in's draws)...
"$bin" --benchmark_filter='PlugRead|Drag|RefreshPair|RendererPair|RefreshGrowth|RefreshHeap|File|TracedPlayblast' \
       --benchmark_out="$out/main.json" --benchmark_out_format=json >&2
# ...and memory in a fresh one, so its peak resident size is the scene's.
"$bin" --no-floor-check --benchmark_filter='SceneMemory' \
       --benchmark_out="$out/memory.json" --benchmark_out_format=json >&2

python3 - "$out/main.json" "$out/memory.json" <<'PY'
import json, sys
runs = {}
for path in sys.argv[1:]:
    for b in json.load(open(path))["benchmarks"]:
        runs[b["name"].split("/min_time")[0].split("/iterations")[0]] = b

def ns(name):
    b = runs[name]
    scale = {"ns": 1, "us": 1e3, "ms": 1e6}[b["time_unit"]]
    return b["real_time"] * scale, b["cpu_time"] * scale

def ok(good):
    return "yes" if good else "**no**"

print("| Measure | Wall time | CPU time (main thread) | Target | Met |")
print("|---|---|---|---|---|")
for name, label in [("BM_PlugRead", "plug read, clean input (`size`)"),
                    ("BM_PlugReadCleanOutput", "plug read, clean output (`currentValue`)")]:
    w, c = ns(name)
    print(f"| {label} | {w:.1f} ns | {c:.1f} ns | < 50 ns | {ok(w < 50)} |")
for name, label in [("BM_DragSlider", "drag cycle, linear slider (`posHandle` -> `currentValue`)"),
                    ("BM_DragArcSlider", "drag cycle, arc slider (`currentAngle` -> `angleValue`)")]:
    w, c = ns(name)
    print(f"| {label} | {w:.0f} ns | {c:.0f} ns | < 1000 ns | {ok(w < 1000)} |")
w, c = ns("BM_FileOpen10k")
print(f"| open 10,000-shape scene (20,000 nodes) | {w/1e6:.0f} ms | {c/1e6:.0f} ms | < 1000 ms | {ok(w < 1e9)} |")
w, c = ns("BM_FileSave10k")
print(f"| save it | {w/1e6:.0f} ms | {c/1e6:.0f} ms | | |")
m = runs["BM_SceneMemory10k"]
print(f"| memory of the open scene: heap in use (mallinfo2) | {m['heap_bytes']/2**20:.1f} MiB | | | |")
print(f"| memory of the open scene: peak RSS growth (ru_maxrss) | {m['maxrss_delta_bytes']/2**20:.1f} MiB | | | |")
t = runs["BM_TracedPlayblastHeap"]
print(f"| heap kept per traced playblast (mallinfo2, 300 in a row) | {t['heap_kept_bytes']/1024:.1f} KiB | | < 4 KiB | {ok(t['heap_kept_bytes'] < 4096)} |")
print()
print("| Viewport refresh | N | Host (median) | Floor (median) | Ratio | Target | Met | Main-thread CPU: host / floor |")
print("|---|---|---|---|---|---|---|---|")
types = {"0": "primitive locator", "1": "linear slider", "2": "arc slider"}
for t in "012":
    for n in ("100", "1000"):
        b = runs[f"BM_RefreshPair/type:{t}/N:{n}"]
        target = "<= 1.10" if n == "1000" else ""
        met = ok(b["ratio"] <= 1.10) if n == "1000" else ""
        print(f"| {types[t]} | {int(n):,} | {b['host_ms']:.1f} ms | {b['floor_ms']:.1f} ms | "
              f"{b['ratio']:.3f} | {target} | {met} | "
              f"{b['host_cpu_ms']:.1f} / {b['floor_cpu_ms']:.1f} ms = {b['cpu_ratio']:.3f} |")
print()
print("| Renderers | N | base_OpenGL_Renderer | vp2Renderer | VP2 / legacy | Batched floor | VP2 / batched floor | Main-thread CPU: legacy / VP2 / batched floor |")
print("|---|---|---|---|---|---|---|---|")
for t in "012":
    for n in ("100", "1000"):
        b = runs[f"BM_RendererPair/type:{t}/N:{n}"]
        print(f"| {types[t]} | {int(n):,} | {b['legacy_ms']:.1f} ms | {b['vp2_ms']:.1f} ms | {b['ratio']:.3f} | "
              f"{b['batched_floor_ms']:.1f} ms | {b['vp2_over_batched']:.3f} | "
              f"{b['legacy_cpu_ms']:.1f} / {b['vp2_cpu_ms']:.1f} / {b['batched_floor_cpu_ms']:.1f} ms |")
print()
print("| Growth (per node: (t(N) - t(0)) / N) | Renderer | empty refresh | N = 10 | N = 100 | N = 1,000 | Largest / smallest | Target | Met |")
print("|---|---|---|---|---|---|---|---|---|")
for t in "012":
    for v, rname in (("0", "base_OpenGL_Renderer"), ("1", "vp2Renderer")):
        b = runs[f"BM_RefreshGrowth/type:{t}/vp2:{v}"]
        print(f"| {types[t]} | {rname} | {b['empty_ms']:.1f} ms | {b['us_per_node_N10']:.0f} us | "
              f"{b['us_per_node_N100']:.0f} us | {b['us_per_node_N1000']:.0f} us | {b['spread']:.2f} | "
              f"<= 1.5 | {ok(b['spread'] <= 1.5)} |")
print()
print("| Heap across 10,000 refreshes (mallinfo2) | After the first | Grown by the 1,000th | Grown by the 10,000th | Per refresh | Target | Met |")
print("|---|---|---|---|---|---|---|")
for v, rname in (("0", "base_OpenGL_Renderer"), ("1", "vp2Renderer")):
    b = runs[f"BM_RefreshHeap/vp2:{v}"]
    print(f"| {rname} | {b['heap_after_first_kb']:.0f} KiB | {b['heap_grown_at_tenth_bytes']/1024:.1f} KiB | "
          f"{b['heap_grown_bytes']/1024:.1f} KiB | "
          f"{b['heap_grown_per_refresh_bytes']:.1f} B | no growth | {ok(b['heap_grown_bytes'] <= 0)} |")
PY
