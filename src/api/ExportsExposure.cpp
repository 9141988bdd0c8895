// Exports: exposure, automatic exposure mode and the channel gains and
// offsets.
#include "api/ExportPrologue.h"

using namespace nodrix;

namespace {
// Channels 1-4 name filter codes 29-32 (gain) and 33-36 (offset); 0 for any
// other channel.
int ChannelCode(int firstCode, int channel) {
    return channel >= 1 && channel <= 4 ? firstCode + channel - 1 : 0;
}
}  // namespace

extern "C" {

int NODRIX_CALL Nodrix_SetExposureTimeEx(int handle, double seconds) {
    return api::Call(handle, 0,
                     [&](CNodrix& c) { return c.Requests().SetExposureTimeEx(seconds); });
}

double NODRIX_CALL Nodrix_GetExposureTimeEx(int handle, int* ok) {
    return api::Call(handle, 0.0, [&](CNodrix& c) { return c.Requests().GetExposureTimeEx(ok); });
}

int NODRIX_CALL Nodrix_SetRealExposureTime(int handle, int microseconds) {
    return api::Call(handle, 0,
                     [&](CNodrix& c) { return c.Requests().SetRealExposureTime(microseconds); });
}

int NODRIX_CALL Nodrix_GetRealExposureTime(int handle, int* ok) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Requests().GetRealExposureTime(ok); });
}

int NODRIX_CALL Nodrix_SetAutoIris(int handle, int mode) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Requests().SetAutoIris(mode); });
}

int NODRIX_CALL Nodrix_GetAutoIris(int handle, int* ok) {
    return api::Call(handle, 0, [&](CNodrix& c) { return c.Requests().GetAutoIris(ok); });
}

int NODRIX_CALL Nodrix_SetChannelGain(int handle, int channel, int value) {
    const int code = ChannelCode(NODRIX_FILTER_CHANNEL_GAIN_1, channel);
    return code != 0 ? Nodrix_SetFilterValue(handle, code, value) : 0;
}

int NODRIX_CALL Nodrix_SetChannelOffset(int handle, int channel, int value) {
    const int code = ChannelCode(NODRIX_FILTER_CHANNEL_OFFSET_1, channel);
    return code != 0 ? Nodrix_SetFilterValue(handle, code, value) : 0;
}

int NODRIX_CALL Nodrix_GetChannelGain(int handle, int channel, int* ok) {
    const int code = ChannelCode(NODRIX_FILTER_CHANNEL_GAIN_1, channel);
    return code != 0 ? Nodrix_GetFilterValue(handle, code, ok) : 0;
}

int NODRIX_CALL Nodrix_GetChannelOffset(int handle, int channel, int* ok) {
    const int code = ChannelCode(NODRIX_FILTER_CHANNEL_OFFSET_1, channel);
    return code != 0 ? Nodrix_GetFilterValue(handle, code, ok) : 0;
}

}  // extern "C"
