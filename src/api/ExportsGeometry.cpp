// Exports: preview window placement, capture window, output format,
// subsampling and mirroring.
#include "api/ExportPrologue.h"

using namespace nodrix;

extern "C" {

int NODRIX_CALL Nodrix_SetPreviewWindow(int handle, NodrixHwnd parent, int x, int y, int width,
                                        int height) {
    return api::Call(handle, 0, [&](CNodrix& c) {
        return c.SetPreviewWindow(api::ToWindow(parent), x, y, width, height);
    });
}

int NODRIX_CALL Nodrix_SetCaptureWindow(int handle, int width, int height) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.SetCaptureWindow(width, height); });
}

int NODRIX_CALL Nodrix_SetCaptureWindowEx(int handle, int horizontalTotal, int horizontalStart,
                                          int width, int verticalTotal, int verticalStart,
                                          int height) {
    return api::Call(handle, 0, [&](CNodrix& c) {
        return c.SetCaptureWindowEx(horizontalTotal, horizontalStart, width, verticalTotal,
                                    verticalStart, height);
    });
}

int NODRIX_CALL Nodrix_GetCaptureWindowEx(int handle, int* horizontalTotal, int* horizontalStart,
                                          int* width, int* verticalTotal, int* verticalStart,
                                          int* height) {
    return api::Call(handle, 0, [&](CNodrix& c) {
        return c.GetCaptureWindowEx(horizontalTotal, horizontalStart, width, verticalTotal,
                                    verticalStart, height);
    });
}

int NODRIX_CALL Nodrix_Width(int handle) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Width(); });
}

int NODRIX_CALL Nodrix_Height(int handle) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Height(); });
}

int NODRIX_CALL Nodrix_SetColorMode(int handle, int bitsPerPixel) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.SetColorMode(bitsPerPixel); });
}

int NODRIX_CALL Nodrix_GetColorMode(int handle) {
    return api::Call(handle, -1, [&](CNodrix& c) { return c.GetColorMode(); });
}

int NODRIX_CALL Nodrix_SetSubSample(int handle, int mode) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.SetSubSample(mode); });
}

int NODRIX_CALL Nodrix_GetSubSample(int handle) {
    return api::Call(handle, -1, [&](CNodrix& c) { return c.GetSubSample(); });
}

int NODRIX_CALL Nodrix_SetMirrorH(int handle, int on) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Requests().SetMirrorH(on); });
}

int NODRIX_CALL Nodrix_SetMirrorV(int handle, int on) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Requests().SetMirrorV(on); });
}

int NODRIX_CALL Nodrix_GetMirrorH(int handle) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Requests().GetMirrorH(); });
}

int NODRIX_CALL Nodrix_GetMirrorV(int handle) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Requests().GetMirrorV(); });
}

}  // extern "C"
