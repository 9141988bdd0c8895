#pragma once
// Fills Camera_NN with every preset slot taken (Size_00 to Size_99, widths
// 8 to 107), written in one go rather than value by value.

namespace nodrix::test {

void StoreFullPresetTable(int camera);

}  // namespace nodrix::test
