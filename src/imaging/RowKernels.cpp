#include "imaging/RowKernels.h"

#include "imaging/ProcessorFeatures.h"

namespace nodrix::imaging::rows {

const RowSet& ActiveRows() {
    static const RowSet rows = ActiveSimdLevel() >= SimdLevel::Avx512 ? Avx512Rows()
                               : ActiveSimdLevel() >= SimdLevel::Avx2 ? Avx2Rows()
                                                                      : RowSet{};
    return rows;
}

}  // namespace nodrix::imaging::rows
