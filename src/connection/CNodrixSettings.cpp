// Where the connection reads and writes its settings.
#include "connection/CNodrix.h"

namespace nodrix {

void CNodrix::LoadCaptureGeometry() {}
void CNodrix::LoadImageGroups(int) {}
void CNodrix::LoadCameraGroup(int) {}
void CNodrix::SaveGroups(int) {}
void CNodrix::LoadConnectionValues() { CorrectColorMode(); }

void CNodrix::CorrectColorMode() {
#if NODRIX_HAVE_CORE
    if (!core_) return;
    const bool has8 = core_->Supports8BitOutput() != 0;
    const bool has16 = core_->Supports16BitOutput() != 0;
    const bool hasColor = core_->SupportsColorOutput() != 0;
    if (!has8 && (colorMode_ == 0 || colorMode_ == 3)) colorMode_ = has16 ? 1 : 2;
    if (!hasColor && colorMode_ == 2) colorMode_ = has16 ? 1 : 0;
    if (!has16 && colorMode_ == 1) colorMode_ = hasColor ? 2 : 0;
#endif
}

}  // namespace nodrix
