#pragma once
// Names the calling thread, so that a profiler or a per-thread processor
// time split (bench/bench_viewer_cpu.py) tells the viewer's threads apart.

namespace nodrix_viewer {

// At most 15 characters are kept.
void NameThisThread(const char* name);

}  // namespace nodrix_viewer
