// Natively there is no GDI: images keep plain heap pixels and no context.

#include "imaging/DibSurface.h"

namespace nodrix::imaging {

std::uint8_t* CreateDibSurface(DibSurface& surface, const DibInfo&, void*) {
    surface = DibSurface{};
    return nullptr;
}

void SetDibSurfaceColorTable(DibSurface&, const DibRgbQuad*, int) {}

void ReleaseDibSurface(DibSurface& surface) {
    surface = DibSurface{};
}

}  // namespace nodrix::imaging
