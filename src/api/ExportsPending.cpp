// Exported functions not yet wired to a connection: each answers as for a
// handle that is not registered.
#include "NodrixSdk.h"

extern "C" {

int NODRIX_CALL Nodrix_Initialize(NodrixHwnd) { return 0; }
int NODRIX_CALL Nodrix_Release(int) { return 0; }
int NODRIX_CALL Nodrix_Close(int) { return 0; }
int NODRIX_CALL Nodrix_GetLastError(int) { return 0; }
int NODRIX_CALL Nodrix_GetDllVersion(void) { return NODRIX_DLL_VERSION; }
int NODRIX_CALL Nodrix_GetStatus(int, int) { return 0; }
int NODRIX_CALL Nodrix_EnumDevice(int, char *) { return 0; }
int NODRIX_CALL Nodrix_EnumDeviceW(int, NodrixWChar *) { return 0; }
int NODRIX_CALL Nodrix_SetDeviceNumber(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetDeviceName(int, int, char *, int) { return 0; }
int NODRIX_CALL Nodrix_GetDeviceNameW(int, int, NodrixWChar *, int) { return 0; }
int NODRIX_CALL Nodrix_GetCameraInfo(int, NodrixCameraInfo *) { return 0; }
int NODRIX_CALL Nodrix_ReadSerialNumberA(int, char *, int) { return 0; }
int NODRIX_CALL Nodrix_ReadSerialNumberW(int, NodrixWChar *, int) { return 0; }
int NODRIX_CALL Nodrix_ReadSromID(int, int, int *) { return 0; }
int NODRIX_CALL Nodrix_WriteSromID(int, int, int) { return 0; }
int NODRIX_CALL Nodrix_Preview(int) { return 0; }
int NODRIX_CALL Nodrix_CallBackPreview(int, NodrixHwnd, void *, int, int) { return 0; }
int NODRIX_CALL Nodrix_Capture(int) { return 0; }
int NODRIX_CALL Nodrix_SnapShot(int, void *, int, int) { return 0; }
int NODRIX_CALL Nodrix_GetImage(int, void *, int, int) { return 0; }
int NODRIX_CALL Nodrix_Trigger(int, NodrixHwnd, void *, int, int) { return 0; }
int NODRIX_CALL Nodrix_StartPreview(int) { return 0; }
int NODRIX_CALL Nodrix_StopPreview(int) { return 0; }
int NODRIX_CALL Nodrix_Record(int, const char *, int, int) { return 0; }
int NODRIX_CALL Nodrix_RecordW(int, const NodrixWChar *, int, int) { return 0; }
int NODRIX_CALL Nodrix_SetWaitTime(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetWaitTime(int) { return -1; }
int NODRIX_CALL Nodrix_SetPreviewWindow(int, NodrixHwnd, int, int, int, int) { return 0; }
int NODRIX_CALL Nodrix_SetCaptureWindow(int, int, int) { return 0; }
int NODRIX_CALL Nodrix_SetCaptureWindowEx(int, int, int, int, int, int, int) { return 0; }
int NODRIX_CALL Nodrix_GetCaptureWindowEx(int, int *, int *, int *, int *, int *, int *) { return 0; }
int NODRIX_CALL Nodrix_Width(int) { return 0; }
int NODRIX_CALL Nodrix_Height(int) { return 0; }
int NODRIX_CALL Nodrix_SetColorMode(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetColorMode(int) { return -1; }
int NODRIX_CALL Nodrix_SetSubSample(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetSubSample(int) { return -1; }
int NODRIX_CALL Nodrix_SetMirrorH(int, int) { return 0; }
int NODRIX_CALL Nodrix_SetMirrorV(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetMirrorH(int) { return 0; }
int NODRIX_CALL Nodrix_GetMirrorV(int) { return 0; }
int NODRIX_CALL Nodrix_SetExposureTimeEx(int, double) { return 0; }
double NODRIX_CALL Nodrix_GetExposureTimeEx(int, int *) { return 0.0; }
int NODRIX_CALL Nodrix_SetRealExposureTime(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetRealExposureTime(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetAutoIris(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetAutoIris(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetChannelGain(int, int, int) { return 0; }
int NODRIX_CALL Nodrix_SetChannelOffset(int, int, int) { return 0; }
int NODRIX_CALL Nodrix_GetChannelGain(int, int, int *) { return 0; }
int NODRIX_CALL Nodrix_GetChannelOffset(int, int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetFilterValue(int, int, int) { return 0; }
int NODRIX_CALL Nodrix_GetFilterValue(int, int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetBrightness(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetBrightness(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetContrast(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetContrast(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetHue(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetHue(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetSaturation(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetSaturation(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetSharpness(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetSharpness(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetBayerGainRGB(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetBayerGainRGB(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetBayerGainRed(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetBayerGainRed(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetBayerGainGreen(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetBayerGainGreen(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetBayerGainBlue(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetBayerGainBlue(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetBayerGainAuto(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetBayerGainAuto(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetGamma(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetGamma(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetBayerMode(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetBayerMode(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetGlobalGain(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetGlobalGain(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetColorGainRed(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetColorGainRed(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetColorGainGreen1(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetColorGainGreen1(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetColorGainGreen2(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetColorGainGreen2(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetColorGainBlue(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetColorGainBlue(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetExposureTime(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetExposureTime(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetGrayMode(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetGrayMode(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetGrayGainR(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetGrayGainR(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetGrayGainG1(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetGrayGainG1(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetGrayGainG2(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetGrayGainG2(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetGrayGainB(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetGrayGainB(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetGrayOffsetR(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetGrayOffsetR(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetGrayOffsetG1(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetGrayOffsetG1(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetGrayOffsetG2(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetGrayOffsetG2(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetGrayOffsetB(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetGrayOffsetB(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetPeltier(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetPeltier(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetDotFilter(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetDotFilter(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetMaskFilter(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetMaskFilter(int, int *) { return 0; }
int NODRIX_CALL Nodrix_ReadRegister(int, int, int *) { return 0; }
int NODRIX_CALL Nodrix_ReadRegisterEx(int, int, int *) { return 0; }
int NODRIX_CALL Nodrix_WriteRegister(int, int, int) { return 0; }
int NODRIX_CALL Nodrix_WriteRegisterEx(int, int, int) { return 0; }
int NODRIX_CALL Nodrix_Fpga_ReadRegister(int, int, int *) { return 0; }
int NODRIX_CALL Nodrix_Fpga_WriteRegister(int, int, int) { return 0; }
int NODRIX_CALL Nodrix_SetIOPort(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetIOPort(int, unsigned char *, int, int) { return 0; }
int NODRIX_CALL Nodrix_SetSamplingRate(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetSamplingRate(int, int *) { return 0; }
int NODRIX_CALL Nodrix_GetVideoFormat(int, int *) { return 0; }
double NODRIX_CALL Nodrix_GetTemperatureEx(int, int *) { return 0.0; }
int NODRIX_CALL Nodrix_GetTemperature(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetCameraDlg(int, NodrixHwnd) { return 0; }
int NODRIX_CALL Nodrix_SetImageDlg(int, NodrixHwnd) { return 0; }
int NODRIX_CALL Nodrix_SetAnalogDlg(int, NodrixHwnd) { return 0; }
int NODRIX_CALL Nodrix_SaveImage(int, const char *, int) { return 0; }
int NODRIX_CALL Nodrix_SaveImageW(int, const NodrixWChar *, int) { return 0; }
int NODRIX_CALL Nodrix_LoadConfigFileA(int, const char *) { return 0; }
int NODRIX_CALL Nodrix_LoadConfigFileW(int, const NodrixWChar *) { return 0; }
int NODRIX_CALL Nodrix_LoadMaskFile(int, const char *) { return 0; }
int NODRIX_CALL Nodrix_LoadMaskFileW(int, const NodrixWChar *) { return 0; }
int NODRIX_CALL Nodrix_SaveMaskFile(int, const char *) { return 0; }
int NODRIX_CALL Nodrix_SaveMaskFileW(int, const NodrixWChar *) { return 0; }
int NODRIX_CALL Nodrix_UpdateMaskData(int, int) { return 0; }
int NODRIX_CALL Nodrix_Fps(int) { return 0; }
int NODRIX_CALL Nodrix_GetHalfClock(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetHalfClock(int, int) { return 0; }
int NODRIX_CALL Nodrix_GetInternalCorrection(int, int *) { return 0; }
int NODRIX_CALL Nodrix_SetInternalCorrection(int, int) { return 0; }
int NODRIX_CALL Nodrix_SetCrossbar(int, int, int) { return 0; }
int NODRIX_CALL Nodrix_SendText(int, const char *, int) { return 0; }
int NODRIX_CALL Nodrix_ReceiveText(int, char *, int) { return 0; }
int NODRIX_CALL Nodrix_SetConfigFilter(int, int, int) { return 0; }
int NODRIX_CALL Nodrix_GetConfigFilter(int, int, int *) { return 0; }

}  // extern "C"
