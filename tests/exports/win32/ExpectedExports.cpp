// The export list of NodrixSdk_T520_USB3.dll, written out by hand so that a
// change to the .def file or the DLL has to be made here as well.
#include "ExpectedExports.h"

namespace nodrix::test {

const std::vector<ExpectedExport>& ExpectedExports() {
    static const std::vector<ExpectedExport> list = {
        // Lifecycle and errors
        {"Nodrix_Initialize", ""},
        {"Nodrix_Release", ""},
        {"Nodrix_Close", ""},
        {"Nodrix_GetLastError", ""},
        {"Nodrix_GetDllVersion", ""},
        {"Nodrix_GetStatus", ""},
        // Device selection and identity
        {"Nodrix_EnumDevice", ""},
        {"Nodrix_EnumDeviceW", ""},
        {"Nodrix_SetDeviceNumber", ""},
        {"Nodrix_GetDeviceName", ""},
        {"Nodrix_GetDeviceNameW", ""},
        {"Nodrix_GetCameraInfo", ""},
        {"Nodrix_ReadSerialNumberA", ""},
        {"Nodrix_ReadSerialNumberW", ""},
        {"Nodrix_ReadSromID", ""},
        {"Nodrix_WriteSromID", ""},
        // Acquisition
        {"Nodrix_Preview", ""},
        {"Nodrix_CallBackPreview", ""},
        {"Nodrix_Capture", ""},
        {"Nodrix_SnapShot", ""},
        {"Nodrix_GetImage", ""},
        {"Nodrix_Trigger", ""},
        {"Nodrix_StartPreview", ""},
        {"Nodrix_StopPreview", ""},
        {"Nodrix_Record", ""},
        {"Nodrix_RecordW", ""},
        {"Nodrix_SetWaitTime", ""},
        {"Nodrix_GetWaitTime", ""},
        // Preview window and capture geometry
        {"Nodrix_SetPreviewWindow", ""},
        {"Nodrix_SetCaptureWindow", ""},
        {"Nodrix_SetCaptureWindowEx", ""},
        {"Nodrix_GetCaptureWindowEx", ""},
        {"Nodrix_Width", ""},
        {"Nodrix_Height", ""},
        {"Nodrix_SetColorMode", ""},
        {"Nodrix_GetColorMode", ""},
        {"Nodrix_SetSubSample", ""},
        {"Nodrix_GetSubSample", ""},
        {"Nodrix_SetMirrorH", ""},
        {"Nodrix_SetMirrorV", ""},
        {"Nodrix_GetMirrorH", ""},
        {"Nodrix_GetMirrorV", ""},
        // Exposure, gain, automatic control
        {"Nodrix_SetExposureTimeEx", ""},
        {"Nodrix_GetExposureTimeEx", ""},
        {"Nodrix_SetRealExposureTime", ""},
        {"Nodrix_GetRealExposureTime", ""},
        {"Nodrix_SetAutoIris", ""},
        {"Nodrix_GetAutoIris", ""},
        {"Nodrix_SetChannelGain", ""},
        {"Nodrix_SetChannelOffset", ""},
        {"Nodrix_GetChannelGain", ""},
        {"Nodrix_GetChannelOffset", ""},
        // Generic parameter access
        {"Nodrix_SetFilterValue", ""},
        {"Nodrix_GetFilterValue", ""},
        // Named parameters over the two generic functions
        {"Nodrix_SetBrightness", ""},
        {"Nodrix_GetBrightness", ""},
        {"Nodrix_SetContrast", ""},
        {"Nodrix_GetContrast", ""},
        {"Nodrix_SetHue", ""},
        {"Nodrix_GetHue", ""},
        {"Nodrix_SetSaturation", ""},
        {"Nodrix_GetSaturation", ""},
        {"Nodrix_SetSharpness", ""},
        {"Nodrix_GetSharpness", ""},
        {"Nodrix_SetBayerGainRGB", ""},
        {"Nodrix_GetBayerGainRGB", ""},
        {"Nodrix_SetBayerGainRed", ""},
        {"Nodrix_GetBayerGainRed", ""},
        {"Nodrix_SetBayerGainGreen", ""},
        {"Nodrix_GetBayerGainGreen", ""},
        {"Nodrix_SetBayerGainBlue", ""},
        {"Nodrix_GetBayerGainBlue", ""},
        {"Nodrix_SetBayerGainAuto", ""},
        {"Nodrix_GetBayerGainAuto", ""},
        {"Nodrix_SetGamma", ""},
        {"Nodrix_GetGamma", ""},
        {"Nodrix_SetBayerMode", ""},
        {"Nodrix_GetBayerMode", ""},
        {"Nodrix_SetGlobalGain", ""},
        {"Nodrix_GetGlobalGain", ""},
        {"Nodrix_SetColorGainRed", ""},
        {"Nodrix_GetColorGainRed", ""},
        {"Nodrix_SetColorGainGreen1", ""},
        {"Nodrix_GetColorGainGreen1", ""},
        {"Nodrix_SetColorGainGreen2", ""},
        {"Nodrix_GetColorGainGreen2", ""},
        {"Nodrix_SetColorGainBlue", ""},
        {"Nodrix_GetColorGainBlue", ""},
        {"Nodrix_SetExposureTime", ""},
        {"Nodrix_GetExposureTime", ""},
        {"Nodrix_SetGrayMode", ""},
        {"Nodrix_GetGrayMode", ""},
        {"Nodrix_SetGrayGainR", ""},
        {"Nodrix_GetGrayGainR", ""},
        {"Nodrix_SetGrayGainG1", ""},
        {"Nodrix_GetGrayGainG1", ""},
        {"Nodrix_SetGrayGainG2", ""},
        {"Nodrix_GetGrayGainG2", ""},
        {"Nodrix_SetGrayGainB", ""},
        {"Nodrix_GetGrayGainB", ""},
        {"Nodrix_SetGrayOffsetR", ""},
        {"Nodrix_GetGrayOffsetR", ""},
        {"Nodrix_SetGrayOffsetG1", ""},
        {"Nodrix_GetGrayOffsetG1", ""},
        {"Nodrix_SetGrayOffsetG2", ""},
        {"Nodrix_GetGrayOffsetG2", ""},
        {"Nodrix_SetGrayOffsetB", ""},
        {"Nodrix_GetGrayOffsetB", ""},
        {"Nodrix_SetPeltier", ""},
        {"Nodrix_GetPeltier", ""},
        {"Nodrix_SetDotFilter", ""},
        {"Nodrix_GetDotFilter", ""},
        {"Nodrix_SetMaskFilter", ""},
        {"Nodrix_GetMaskFilter", ""},
        // Registers and I/O port
        {"Nodrix_ReadRegister", ""},
        {"Nodrix_ReadRegisterEx", ""},
        {"Nodrix_WriteRegister", ""},
        {"Nodrix_WriteRegisterEx", ""},
        {"Nodrix_Fpga_ReadRegister", ""},
        {"Nodrix_Fpga_WriteRegister", ""},
        {"Nodrix_SetIOPort", ""},
        {"Nodrix_GetIOPort", ""},
        {"Nodrix_SetSamplingRate", ""},
        {"Nodrix_GetSamplingRate", ""},
        // Temperature
        {"Nodrix_GetTemperatureEx", ""},
        {"Nodrix_GetTemperature", ""},
        // Dialogs and files
        {"Nodrix_SetCameraDlg", ""},
        {"Nodrix_SetImageDlg", ""},
        {"Nodrix_SetAnalogDlg", ""},
        {"Nodrix_SaveImage", ""},
        {"Nodrix_SaveImageW", ""},
        {"Nodrix_LoadConfigFileA", ""},
        {"Nodrix_LoadConfigFileW", ""},
        {"Nodrix_LoadMaskFile", ""},
        {"Nodrix_LoadMaskFileW", ""},
        {"Nodrix_SaveMaskFile", ""},
        {"Nodrix_SaveMaskFileW", ""},
        {"Nodrix_UpdateMaskData", ""},
        // Functions without an effect
        {"Nodrix_Fps", ""},
        {"Nodrix_SendText", ""},
        {"Nodrix_SetConfigFilter", ""},
        {"Nodrix_GetConfigFilter", ""},
        // Exports that share another export's body
        {"Nodrix_GetVideoFormat", "Nodrix_GetSamplingRate"},
        {"Nodrix_GetHalfClock", "Nodrix_Fps"},
        {"Nodrix_GetInternalCorrection", "Nodrix_Fps"},
        {"Nodrix_SetCrossbar", "Nodrix_Fps"},
        {"Nodrix_SetHalfClock", "Nodrix_Fps"},
        {"Nodrix_SetInternalCorrection", "Nodrix_Fps"},
        {"Nodrix_ReceiveText", "Nodrix_SendText"},
    };
    return list;
}

const std::vector<ExpectedExport>& ExtensionExports() {
    static const std::vector<ExpectedExport> list = {
        {"NodrixEx_GetApiVersion", ""},         {"NodrixEx_ErrorText", ""},
        {"NodrixEx_GetFrameMetadata", ""},      {"NodrixEx_GetStreamStatistics", ""},
        {"NodrixEx_ResetStreamStatistics", ""}, {"NodrixEx_SetFrameCallback", ""},
    };
    return list;
}

std::vector<ExpectedExport> AllExports() {
    std::vector<ExpectedExport> all = ExpectedExports();
    all.insert(all.end(), ExtensionExports().begin(), ExtensionExports().end());
    return all;
}

}  // namespace nodrix::test
