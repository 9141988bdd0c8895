#pragma once
// The one place that decides which vectorised kernels run. The processor is
// probed once per process (NODRIX_SIMD may lower the level), and one table
// gives every kernel family: the row loops with the 16-bit curves, the
// demosaic runs, and the processor record the 8-bit demosaic interior's
// formula depends on. ActiveRows, ActiveSpans and ActiveSimdLevel read this
// table; no other code looks at the processor.

#include "imaging/DemosaicSpans.h"
#include "imaging/ProcessorFeatures.h"
#include "imaging/RowKernels.h"

namespace nodrix::imaging {

struct KernelTable {
    SimdLevel level = SimdLevel::None;
    ProcessorFeatures processor;  // as reported, whatever the level
    rows::RowSet rows;
    demosaic::SpanSet spans;
};

// The table for a level on a processor with this record (tests and
// benchmarks build tables of lower levels to compare them).
KernelTable BuildKernelTable(SimdLevel level, const ProcessorFeatures& processor);

// The table of this process, built at the first call.
const KernelTable& Kernels();

}  // namespace nodrix::imaging
