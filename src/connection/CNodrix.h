#pragma once
// The camera connection behind one handle, the facade the exports call. It
// keeps the camera core, the capture window, the image parameters and the
// settings loaded and saved with them, and hands the exports the owners of
// the rest: the acquisition (modes, worker, image buffers, recorder, with
// the frame record and the stream of application buffers beside it), the
// camera's controls and the exports' requests on them, the registers, the
// error stack, the property dialogs, the mask store and the preview
// window. Lock order: connection/LockOrder.h.

#include <atomic>
#include <cstdint>

#include "NodrixSdk.h"
#include "NodrixSdkEx.h"
#include "connection/Acquisition.h"
#include "connection/CameraControls.h"
#include "connection/CameraRegisters.h"
#include "connection/ConnectionDialogs.h"
#include "connection/ConnectionErrors.h"
#include "connection/ControlRequests.h"
#include "connection/CoreLink.h"
#include "connection/DeviceNotification.h"
#include "connection/ImageSlots.h"
#include "connection/LockOrder.h"
#include "connection/MaskStore.h"
#include "connection/PreviewWindowOwner.h"
#include "imaging/CDibImage.h"
#include "pipeline/ParameterBlocks.h"
#include "platform/DriverPort.h"
#include "platform/WindowMessages.h"
#include "settings/LiveDialogs.h"

namespace nodrix {
// The wait time a first start stores for the camera: the preview worker's
// pause per frame, short enough to keep up with the camera at full rate.
inline constexpr int kFirstStartWaitTimeMs = 1;

class CNodrix : private DialogSettingsReload {
public:
    // The port is the driver the camera core's transport talks to; it
    // outlives the connection.
    explicit CNodrix(platform::DriverPort& port);
    virtual ~CNodrix();
    CNodrix(const CNodrix&) = delete;
    CNodrix& operator=(const CNodrix&) = delete;

    // --- Lifecycle ---------------------------------------------------------
    int Initialize(platform::WindowHandle recipient);
    int Close();

    // --- Error stack ----------------------------------------------------------
    ConnectionErrors& Errors() { return errors_; }

    // --- Device selection and identity --------------------------------------
    int SetDeviceNumber(int index);
    // names: NODRIX_ENUM_SLOTS slots of NODRIX_ENUM_SLOT_CHARS characters.
    // Returns the number of names written, -1 on failure.
    int EnumDevice(char* names);
    int GetDeviceName(int index, char* name, int size);
    // record: the caller's NodrixCameraInfo, whose first word is its size.
    int GetCameraInfo(void* record);
    // written (may be null) tells whether the buffer was written.
    int ReadSerialNumber(char* buffer, int size, bool* written);

    // --- Acquisition: the modes, the recorder, the frame metadata and
    // callback, the stream of application buffers ------------------------------
    Acquisition& Acquiring() { return acquisition_; }
    const Acquisition& Acquiring() const { return acquisition_; }
    int SetWaitTime(int milliseconds);
    int GetWaitTime() const { return waitTimeMs_; }

    // Whether the camera's settings are stored when the connection ends or
    // changes camera (CNodrixSettings.cpp).
    int SetSaveOnRelease(int save);

    // --- Preview window and capture geometry ---------------------------------
    int SetPreviewWindow(platform::WindowHandle parent, int x, int y, int width, int height);
    int SetCaptureWindow(int width, int height);
    int SetCaptureWindowEx(int horizontalTotal, int horizontalStart, int width, int verticalTotal,
                           int verticalStart, int height);
    int GetCaptureWindowEx(int* horizontalTotal, int* horizontalStart, int* width,
                           int* verticalTotal, int* verticalStart, int* height) const;
    int Width() const { return geometry_.width; }
    int Height() const { return geometry_.height; }
    int SetColorMode(int bitsPerPixel);
    int GetColorMode() const { return kColorModeBits[colorMode_]; }
    int SetSubSample(int mode);
    int GetSubSample() const { return subSample_; }

    // --- Mirroring, exposure, gain and parameters ----------------------------
    ControlRequests& Requests() { return requests_; }
    int SetFilterValue(int code, int value);
    int GetFilterValue(int code, int* ok);

    // --- Registers, I/O port, temperature, configuration memory -------------
    CameraRegisters& Registers() { return registers_; }

    // --- Dialogs and files ---------------------------------------------------
    ConnectionDialogs& Dialogs() { return dialogs_; }
    int SaveImage(const char* fileName, int format);
    int LoadConfigFile(const char* fileName);
    int LoadMaskFile(const char* fileName);
    int SaveMaskFile(const char* fileName);
    int UpdateMaskData(int which);

    // --- State read by tests and by the other parts of the connection --------
    platform::WindowHandle Recipient() const { return errors_.Stack().Recipient(); }
    bool HasCore() const { return core_ != nullptr; }
    CNodrixU3T2Base* Core() const { return core_.get(); }
    imaging::CDibImage* Image(ImageSlot slot) const {
        return slot >= kFirstMaskSlot ? masks_.Plane(slot) : acquisition_.Image(slot);
    }
    const CaptureGeometry& Geometry() const { return geometry_; }
    const ImageParameters& ImageBlock() const { return imageParams_; }
    CameraParameters CameraBlock() const { return controls_.Parameters(); }
    CameraControls& Controls() { return controls_; }
    int ColorModeIndex() const { return colorMode_; }
    int DeviceNumber() const { return deviceNumber_; }
    int AcquisitionMode() const { return acquisition_.Mode(); }
    MaskStore::ConfigPairs ConfigPairs() const { return masks_.GetConfigPairs(); }

private:
    // Initialisation steps.
    void SetUpCore();
    // The filter, grey and camera groups of the selected camera, and the
    // connection values, from and to the settings store.
    // True when this was the first start: the store held no settings and
    // their defaults have been created.
    bool LoadCaptureGeometry();
    void LoadImageGroups(int cameraIndex);
    void LoadCameraGroup(int cameraIndex);
    void SaveGroups(int cameraIndex);
    void LoadConnectionValues();
    // After the camera dialog's OK: what it wrote to the store, read again.
    void ReloadSettings() override {
        LoadCaptureGeometry();
        LoadConnectionValues();
    }
    // Colour mode corrected against the camera's output formats.
    void CorrectColorMode();
    int CameraIndex() const;
    // The frame lock: the worker converts with the image block and the mask
    // planes under it.
    platform::RecursiveLock& FrameLock() { return acquisition_.FrameLock(); }

    // The connection's own failures, as its operations report them.
    int PushError(int code) { return errors_.PushError(code); }
    int FileFailed(const char* reason) { return errors_.FileFailed(reason); }
    int Reported(const ControlResult& control) { return errors_.Reported(control); }

    // --- Mask store (CNodrixMask.cpp) ----------------------------------------
    // The mask store's result as the code reported for it; 1 when done.
    int MaskReported(MaskStore::Result result);

    platform::DriverPort& port_;
    CoreHandle core_;
    mutable MaskStore masks_;
    PreviewWindowOwner preview_{kSensorWidth, kSensorHeight};

    CaptureGeometry geometry_;
    ImageParameters imageParams_;
    CameraControls controls_;
    // The open image and analog dialogs, told of the automatic stages'
    // changes by the conversion.
    settings::LiveDialogs liveDialogs_{kLockRankLiveDialogs};

    bool settingsSaved_ = false;
    std::atomic<bool> saveOnRelease_{true};
    // Whether a camera has been opened: only then are there camera settings
    // worth saving.
    bool cameraOpened_ = false;

    int colorMode_ = 0;
    int subSample_ = 0;
    int waitTimeMs_ = kDefaultWaitTimeMs;
    int clock_ = 0;

    // The error stack, with the recipient window it posts each code to.
    ConnectionErrors errors_;
    CameraRegisters registers_{core_, errors_.Stack()};
    ControlRequests requests_{core_, controls_, errors_};

    int deviceNumber_ = 0;
    int maskFilter_ = 0;
    int dotFilter_ = 0;

    DeviceNotificationToken notification_ = 0;

    // Holds nothing: the dialogs act on the parts above and the acquisition.
    ConnectionDialogs dialogs_{DialogLinks{core_, controls_, imageParams_, colorMode_, liveDialogs_,
                                           acquisition_, errors_.Stack(), *this}};

    // Last: it reads and drives the parts above, and its worker and stream
    // end before any of them goes.
    Acquisition acquisition_;
};

}  // namespace nodrix
