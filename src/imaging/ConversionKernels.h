#pragma once
// Kernels that turn a raw frame into its output formats: grey correction,
// Bayer statistics, demosaicing, colour to grey, the display and recording
// reductions, preview scaling and row expansion. All follow the calling
// convention of PixelKernel.h (ScaleNearest that of ScaleKernel).

#include <cstdint>

#include "imaging/KernelParams.h"
#include "imaging/PixelKernel.h"

namespace nodrix::imaging {

#define NODRIX_PIXEL_KERNEL(name)                                                          \
    int name(std::uint8_t* dst, const std::uint8_t* src, const KernelRect& rect, int dstX, \
             int dstY, int dstBpp, int srcBpp, int dstStride, int srcStride, void* param)

// Mean sample of the source rectangle on the 0..255 scale, 0 when empty.
// 16-bit samples count with the top byte of their significant bits: the
// parameter points to the image's significant bits (int; null: 16).
NODRIX_PIXEL_KERNEL(MeanOfRect8);
NODRIX_PIXEL_KERNEL(MeanOfRect16);

// value = offset + gain * sample / 128 per Bayer position, limited to the
// sample range. GreyGainOffsetParams.
NODRIX_PIXEL_KERNEL(GreyGainOffset8);
NODRIX_PIXEL_KERNEL(GreyGainOffset16);

// Grey gains that bring each position's mean to that of position (0,0),
// written into GreyGainOffsetParams::gains (left unchanged where a position
// has no samples or a zero mean).
NODRIX_PIXEL_KERNEL(GreyBalanceStats8);

// Red, green and blue gains (percent) that balance the colours' means, written
// into DemosaicParams (left unchanged where a colour has no samples or a zero
// mean).
NODRIX_PIXEL_KERNEL(WhiteBalanceStats8);
NODRIX_PIXEL_KERNEL(WhiteBalanceStats16);

// Bilinear demosaic of the interior (two pixels from every edge) into 24/32
// or 48/64-bit colour. DemosaicParams. DemosaicInterior8 is the plain formula
// (full-precision products); DemosaicInterior8Vector the one of the vector
// kernels (sum truncated to /16 before the gain, 16-bit lanes), usable only
// for 24-bit output and gains up to 200: outside that it runs the plain one.
NODRIX_PIXEL_KERNEL(DemosaicInterior8);
NODRIX_PIXEL_KERNEL(DemosaicInterior8Vector);
NODRIX_PIXEL_KERNEL(DemosaicInterior16);
// The two outer rows and columns, with neighbours outside the rectangle
// taken from four positions further in. Runs after the interior kernel.
NODRIX_PIXEL_KERNEL(DemosaicBorder8);
NODRIX_PIXEL_KERNEL(DemosaicBorder16);

// grey = (59 G + 30 R + 11 B) / 100 from 24/32-bit colour into 8-bit grey.
NODRIX_PIXEL_KERNEL(ColorToGrey);

// The reductions of 16-bit samples take the top eight of the significant
// bits (s >> (bits - 8), limited to 255, so nothing wraps); the parameter
// points to the source image's significant bits (int; null: 16).
//
// Display reductions, row order kept: 16-bit grey -> 8-bit; 24/32-bit ->
// 24-bit; 48/64-bit -> 24-bit.
NODRIX_PIXEL_KERNEL(ReduceGrey16ForDisplay);
NODRIX_PIXEL_KERNEL(ReduceColorForDisplay);
NODRIX_PIXEL_KERNEL(ReduceColor16ForDisplay);

// Recording reductions, rows reversed: 16-bit grey -> 8-bit; 48/64-bit ->
// 24-bit; 24/32-bit -> 24-bit.
NODRIX_PIXEL_KERNEL(ReduceGrey16ForRecording);
NODRIX_PIXEL_KERNEL(ReduceColor16ForRecording);
NODRIX_PIXEL_KERNEL(ReduceColorForRecording);

// Moves rows packed at width * bytes per pixel out to the image stride, in
// place (source and destination are the same image).
NODRIX_PIXEL_KERNEL(ExpandRows8);
NODRIX_PIXEL_KERNEL(ExpandRows16);

// count grey bytes to count B, G, R pixels of three equal bytes (the grey
// colour table maps i to (i, i, i)): 24-bit frames from 8-bit grey.
void GreyRowToBgr(const std::uint8_t* src, std::uint8_t* dst, int count);

// Nearest-neighbour scaling with the rows turned over (the preview).
int ScaleNearest8(std::uint8_t* dst, const std::uint8_t* src, const ScaleGeometry& g);
int ScaleNearest24(std::uint8_t* dst, const std::uint8_t* src, const ScaleGeometry& g);

}  // namespace nodrix::imaging

namespace nodrix::imaging {

struct ProcessorFeatures;

// The 8-bit demosaic interior for these features, output bytes per pixel
// and gains: the plain formula for 32-bit output or any gain above 200;
// otherwise the vector formula when SSE3, SSE2 or MMX is both reported and
// usable; else the plain formula.
PixelKernel ChooseDemosaicInterior8(const ProcessorFeatures& features, int dstBpp,
                                    const DemosaicParams& params);
// The same for this process's processor, as the dispatcher probed it.
PixelKernel DemosaicInterior8For(int dstBpp, const DemosaicParams& params);

}  // namespace nodrix::imaging
