// Exports: preview window placement, capture window, output format,
// subsampling and mirroring.
#include "api/ExportPrologue.h"

using namespace nodrix;

extern "C" {

int NODRIX_CALL Nodrix_SetPreviewWindow(int handle, NodrixHwnd parent, int x, int y, int width,
                                        int height) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->SetPreviewWindow(api::ToWindow(parent), x, y, width, height) : 0;
}

int NODRIX_CALL Nodrix_SetCaptureWindow(int handle, int width, int height) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->SetCaptureWindow(width, height) : 0;
}

int NODRIX_CALL Nodrix_SetCaptureWindowEx(int handle, int horizontalTotal, int horizontalStart,
                                          int width, int verticalTotal, int verticalStart,
                                          int height) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->SetCaptureWindowEx(horizontalTotal, horizontalStart, width,
                                                verticalTotal, verticalStart, height)
                        : 0;
}

int NODRIX_CALL Nodrix_GetCaptureWindowEx(int handle, int* horizontalTotal, int* horizontalStart,
                                          int* width, int* verticalTotal, int* verticalStart,
                                          int* height) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->GetCaptureWindowEx(horizontalTotal, horizontalStart, width,
                                                verticalTotal, verticalStart, height)
                        : 0;
}

int NODRIX_CALL Nodrix_Width(int handle) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->Width() : 0;
}

int NODRIX_CALL Nodrix_Height(int handle) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->Height() : 0;
}

int NODRIX_CALL Nodrix_SetColorMode(int handle, int bitsPerPixel) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->SetColorMode(bitsPerPixel) : 0;
}

int NODRIX_CALL Nodrix_GetColorMode(int handle) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->GetColorMode() : -1;
}

int NODRIX_CALL Nodrix_SetSubSample(int handle, int mode) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->SetSubSample(mode) : 0;
}

int NODRIX_CALL Nodrix_GetSubSample(int handle) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->GetSubSample() : -1;
}

int NODRIX_CALL Nodrix_SetMirrorH(int handle, int on) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->SetMirrorH(on) : 0;
}

int NODRIX_CALL Nodrix_SetMirrorV(int handle, int on) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->SetMirrorV(on) : 0;
}

int NODRIX_CALL Nodrix_GetMirrorH(int handle) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->GetMirrorH() : 0;
}

int NODRIX_CALL Nodrix_GetMirrorV(int handle) {
    CNodrix* c = api::FindConnection(handle);
    return c != nullptr ? c->GetMirrorV() : 0;
}

}  // extern "C"
