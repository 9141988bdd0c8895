#pragma once
// The camera connection behind one handle, the facade the exports call. It
// keeps the camera core, the acquisition (modes, worker, image buffers,
// delivered frame) and the image parameters, and forwards the rest to owners
// of their own: the error stack, the mask store, the recorder, the preview
// window and the owner of the camera parameters. Lock order:
// connection/LockOrder.h.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "NodrixSdk.h"
#include "NodrixSdkEx.h"
#include "connection/CameraControls.h"
#include "connection/CoreLink.h"
#include "connection/DeviceNotification.h"
#include "connection/ErrorStack.h"
#include "connection/ImageSlots.h"
#include "connection/LockOrder.h"
#include "connection/MaskStore.h"
#include "connection/PreviewWindowOwner.h"
#include "connection/Recorder.h"
#include "connection/stream/BufferPool.h"
#include "connection/stream/BufferStream.h"
#include "connection/stream/FrameCallbackSlot.h"
#include "files/RecordFormat.h"
#include "imaging/CDibImage.h"
#include "pipeline/ParameterBlocks.h"
#include "platform/Event.h"
#include "platform/RecursiveLock.h"
#include "platform/Thread.h"
#include "platform/WindowMessages.h"
#include "settings/LiveDialogs.h"

namespace nodrix {

namespace pipeline {
struct PipelineContext;
}

// Acquisition modes.
enum AcquisitionState : int {
    kIdle = 0,
    kPreviewing = 1,
    kCapturing = 2,
    kTriggering = 3,
    kStreaming = 4,  // the stream of application buffers
};

// Wait for a single frame, in milliseconds.
inline constexpr int kDefaultFrameTimeoutMs = 3000;
inline constexpr int kDefaultWaitTimeMs = 10;
// The wait time a first start stores for the camera: the preview worker's
// pause per frame, short enough to keep up with the camera at full rate.
inline constexpr int kFirstStartWaitTimeMs = 1;

class CNodrix {
public:
    CNodrix();
    virtual ~CNodrix();
    CNodrix(const CNodrix&) = delete;
    CNodrix& operator=(const CNodrix&) = delete;

    // --- Lifecycle ---------------------------------------------------------
    int Initialize(platform::WindowHandle recipient);
    int Close();

    // --- Error stack ---------------------------------------------------------
    // Records the code as the newest entry (the oldest of the 20 is lost) and
    // posts it to the recipient window. Returns 1.
    int PushError(int code);
    // The newest code, removed from the stack; 0 when empty.
    int PopError();
    // Only notifies the recipient window of the code; nothing is recorded.
    void PostError(int code);
    // The setter's result, its error code (if any) recorded first.
    int Reported(const ControlResult& control);
    // A failed file read or write: keeps the system's reason noted on this
    // thread (or the reason given, when the system gave none) as the last
    // file failure and pushes NODRIX_ERROR_FILE. Returns 0.
    int FileFailed(const char* reason);
    // The last file failure's reason into the caller's buffer of size bytes
    // (empty when none has happened).
    int GetLastSystemError(char* text, int size);

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
    int ReadSromID(int address, int* ok);
    int WriteSromID(int address, int value);

    // --- Acquisition ---------------------------------------------------------
    int Preview();
    int CallBackPreview(platform::WindowHandle window, void* buffer, int size, int rowOrder);
    int Capture();
    int SnapShot(void* buffer, int size, int rowOrder);
    int GetImage(void* buffer, int size, int rowOrder);
    int Trigger(platform::WindowHandle window, void* buffer, int size, int rowOrder);
    int StartPreview();
    // Stops the acquisition and forgets the application's buffer.
    int StopPreview();
    // Stops the acquisition only: a start afterwards resumes with the same
    // buffer (a dialog's pause).
    int StopAcquisition();
    int Record(const char* fileName, int durationMs, int showWindow);
    int SetWaitTime(int milliseconds);
    int GetWaitTime() const { return waitTimeMs_; }

    // --- Frame metadata, stream statistics, frame callback (CNodrixStream.cpp)
    // Each record's first word is its size: filled up to it, then set to the
    // bytes filled.
    int GetFrameMetadata(NodrixExFrameMetadata* metadata);
    int GetStreamStatistics(NodrixExStreamStatistics* statistics);
    int ResetStreamStatistics();
    int SetFrameCallback(int handle, NodrixExFrameCallback callback, void* user);
    // Whether the camera's settings are stored when the connection ends or
    // changes camera (CNodrixSettings.cpp).
    int SetSaveOnRelease(int save);
    // The format of the next recordings (NODRIXEX_RECORD_...), and the
    // state of the running or last recording.
    int SetRecordFormat(int format);
    int GetRecordStatus(NodrixExRecordStatus* status);
    // Tests: smaller RIFFs for the next recordings of any length.
    void SetRecordRiffLimit(std::uint64_t bytes) { recorder_.SetRiffLimit(bytes); }
    // Whether the calling thread runs this connection's frame callback:
    // starting or stopping an acquisition from there would wait for the
    // call it is made from, so those calls fail with error 1 instead.
    bool InOwnFrameCallback() const { return frameCallback_.CallingThreadIsInCallback(); }
    // For the last reference let go inside this connection's own frame
    // callback, where the worker running it cannot be joined: the worker
    // stops once the callback returns and then destroys the connection as
    // its last act (its thread detaches instead of joining itself).
    void DestroyWhenWorkerEnds();

    // --- Stream of application buffers (CNodrixBufferStream.cpp) -------------
    int StreamGetInfo(NodrixExStreamInfo* info);
    int StreamAnnounceBuffer(void* memory, std::size_t bytes, void* user, int* id);
    int StreamRevokeBuffer(int id, void** memory, void** user);
    int StreamQueueBuffer(int id);
    int StreamStart(int flags);
    int StreamStop();
    // A NODRIXEX_WAIT_ result.
    int StreamWaitBuffer(int timeoutMs, NodrixExStreamBuffer* buffer);
    int StreamCancelWaits(int cancel);
    // The handle is gone: every wait returns at once, now and later.
    void StreamReleased() { streamPool_.Release(); }

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
    int SetMirrorH(int on);
    int SetMirrorV(int on);
    int GetMirrorH();
    int GetMirrorV();

    // --- Exposure, gain and parameters ---------------------------------------
    int SetExposureTimeEx(double seconds);
    double GetExposureTimeEx(int* ok);
    int SetRealExposureTime(int microseconds);
    int GetRealExposureTime(int* ok);
    int SetAutoIris(int mode);
    int GetAutoIris(int* ok);
    int SetFilterValue(int code, int value);
    int GetFilterValue(int code, int* ok);

    // --- Registers, I/O port, temperature ------------------------------------
    int ReadRegister(int address, int* ok);
    int WriteRegister(int address, int value);
    int ReadFpgaRegister(int reg, int* ok);
    int WriteFpgaRegister(int reg, int value);
    int SetIOPort(int value);
    int GetIOPort(unsigned char* value);
    int SetSamplingRate(int rate);
    double GetTemperatureEx(int* ok);

    // --- Dialogs and files ---------------------------------------------------
    int SetCameraDlg(platform::WindowHandle parent);
    int SetImageDlg(platform::WindowHandle parent);
    int SetAnalogDlg(platform::WindowHandle parent);
    int SaveImage(const char* fileName, int format);
    int LoadConfigFile(const char* fileName);
    int LoadMaskFile(const char* fileName);
    int SaveMaskFile(const char* fileName);
    int UpdateMaskData(int which);

    // --- State read by tests and by the other parts of the connection --------
    platform::WindowHandle Recipient() const { return errors_.Recipient(); }
    bool HasCore() const { return core_ != nullptr; }
    CNodrixU3T2Base* Core() const { return core_.get(); }
    imaging::CDibImage* Image(ImageSlot slot) const {
        return slot >= kFirstMaskSlot ? masks_.Plane(slot) : images_[slot].get();
    }
    const CaptureGeometry& Geometry() const { return geometry_; }
    const ImageParameters& ImageBlock() const { return imageParams_; }
    CameraParameters CameraBlock() const { return controls_.Parameters(); }
    CameraControls& Controls() { return controls_; }
    int ColorModeIndex() const { return colorMode_; }
    int DeviceNumber() const { return deviceNumber_; }
    int AcquisitionMode() const { return mode_.load(); }
    const FrameInfo* FrameInfoRecord() const { return &frameInfo_; }
    // Whether a recording runs; cleared once its file is complete.
    bool Recording() const { return recorder_.Running(); }
    MaskStore::ConfigPairs ConfigPairs() const { return masks_.GetConfigPairs(); }

    // Runs the conversion pipeline once on the current raw frame (raw16 in
    // colour modes 1, 4, 5, else raw8) into the output image of the colour
    // mode, or into output when it is given (for a grey mode, output holds
    // the raw frame and is converted in place). The caller holds the frame
    // lock.
    void Convert(imaging::CDibImage* output = nullptr);
    // Whether Convert would leave the frame as it came (a grey colour mode
    // with no pipeline step enabled).
    bool ConvertsNothing();

private:
    // Initialisation steps.
    bool CreateBuffers();
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
    // Colour mode corrected against the camera's output formats.
    void CorrectColorMode();
    int CameraIndex() const;
    // Joins the worker and recording threads after their flags were cleared.
    void JoinWorkers();
    // Releases the preview window's device context, destroys the window and
    // unregisters its class.
    void DestroyPreviewWindow();
    // The acquisition mode the camera dialog stopped or paused, and its
    // restart afterwards.
    int SuspendAcquisition();
    void ResumeAcquisition(int mode);

    // --- Acquisition internals (CNodrixAcquisition.cpp, CNodrixWorkers.cpp) --
    int Prepare();
    // Copies the image into the application's buffer, rows in memory order
    // (rowOrder non-zero) or last row first.
    int CopyOut(const imaging::CDibImage& image, int rowOrder, void* buffer, int size);
    imaging::CDibImage& RawImage() const;
    imaging::CDibImage& OutputImage() const;
    // The output image's size and format without its pixels: a frame that
    // went straight to the application stays in the ring until read.
    const imaging::CDibImage& OutputImageShape() const;
    ImageSlot OutputSlot() const;
    // ReadFrame into the raw image, rows spread to its stride; the core's
    // result (0 on success).
    int ReadRawFrame();
    // A frame that needs no conversion goes from the camera core straight
    // into the application's buffer; the raw image is filled from the frame
    // the core keeps only when something reads it (RawImage, OutputImage).
    bool CanDeliverStraight(const void* buffer, int size);
    int DeliverStraight(void* buffer, int rowOrder);
    void FillPendingRawFrame() const;
    // The context refers to the camera block given, a copy taken for the
    // one conversion.
    pipeline::PipelineContext PipelineContextOf(const CameraParameters& camera);
    void StopUnlessCapturing();
    int StartWorker();
    void WorkerMain();
    void PreviewLoop();
    // Ends the worker's loop on a camera that stopped answering: the lost
    // camera code on the stack, then the frame message carrying it.
    void ReportCameraLost();
    void TriggerLoop();
    // One frame cycle of a worker, under the frame lock; false when the
    // frame was dropped.
    bool DeliverFrame(int rate10, bool checkRead);
    // The frame just read: its metadata, then whether it reached the
    // application (delivered) or not (the buffer was too small). A straight
    // frame went into the application's buffer without the output image.
    // Under the frame lock.
    void StampConvertedFrame(bool straight);
    void RecordDelivery(bool straight);
    // CopyOut into the application's buffer when one is set; a refused copy
    // is counted as a frame lost to a buffer too small.
    bool CopyToApplicationBuffer();
    // Hands the delivered frame to the frame callback; outside the frame
    // lock, on the worker thread.
    void InvokeFrameCallback();
    // Where the delivered frame's pixels are for the callback: the output
    // image, or the application's buffer of a straight frame.
    void RememberDeliveredView(bool straight);
    void UpdateFrameRate();
    void PostFrameMessage(std::uintptr_t wParam, std::intptr_t lParam);
    // Creates the preview window when one is wanted; false (error 4 pushed)
    // when it cannot be made.
    bool OpenPreviewWindow();
    int StartPreviewWithWindow();

    // --- Stream internals (CNodrixBufferStream.cpp) -------------------------
    friend class StreamConnection;
    bool Streaming() const { return mode_.load() == kStreaming; }
    // Ends a running stream; the caller holds the control lock.
    void StopStreamLocked();
    // The stream's plan in the present settings; false (error pushed) when
    // no stream can start.
    bool PlanStream(int flags, stream::StreamPlan* plan);
    // Converts a raw frame into the application's buffer, on the stream's
    // thread.
    bool ConvertStreamFrame(const std::uint8_t* raw, std::uint8_t* out,
                            NodrixExFrameMetadata& metadata);
    // Starts the camera's transfer for a stream of these flags.
    bool StartStreamTransfer(int flags);
    // The camera dialog's pause: the camera stops, the waits and the queued
    // buffers stay, and the resume goes on with the same buffers, or ends
    // the stream when the dialog changed the frame they were shaped for.
    void PauseStream();
    void ResumeStream();

    // --- Recording (CNodrixRecording.cpp) -----------------------------------
    // Joins a recording thread that has ended by itself.
    void ReapRecorder();
    // The worker's side: the frame just converted into the recording's
    // queue, under the frame lock; counted as not recorded when the queue
    // is full.
    void QueueRecordingFrame();

    // --- Mask store (CNodrixMask.cpp) ----------------------------------------
    // The mask store's result as the code reported for it; 1 when done.
    int MaskReported(MaskStore::Result result);

    // --- Preview window (CNodrixPreview.cpp) --------------------------------
    void SizeDisplayToWindow();
    void Draw();
    int OutputWidth() const;
    int OutputHeight() const;

    CoreHandle core_;
    // The buffers of the acquisition and the conversion; the mask planes
    // are the mask store's.
    std::array<std::unique_ptr<imaging::CDibImage>, kFirstMaskSlot> images_;
    mutable MaskStore masks_;
    PreviewWindowOwner preview_{kSensorWidth, kSensorHeight};

    CaptureGeometry geometry_;
    ImageParameters imageParams_;
    CameraControls controls_;
    // The open image and analog dialogs, told of the automatic stages'
    // changes by the conversion.
    settings::LiveDialogs liveDialogs_{kLockRankLiveDialogs};

    platform::RecursiveLock frameLock_{kLockRankFrame};
    // Serialises the mode changes of the application's threads (start, stop,
    // snapshot); never taken by a worker.
    platform::RecursiveLock controlLock_{kLockRankControl};
    bool settingsSaved_ = false;
    std::atomic<bool> saveOnRelease_{true};
    // Whether a camera has been opened: only then are there camera settings
    // worth saving.
    bool cameraOpened_ = false;

    // Worker thread (preview or trigger).
    std::atomic<int> runFlag_{0};  // 0 stop, 1 run, 2 paused
    std::atomic<bool> destroyedByWorker_{false};
    std::unique_ptr<platform::Thread> worker_;
    std::unique_ptr<platform::Event> workerEnded_;
    // Set by a stop: ends the worker's waits between frames (the wait time,
    // the trigger worker's exposure wait) at once.
    platform::Event workerStop_{platform::EventReset::Manual, false};
    platform::WindowHandle callbackWindow_ = 0;
    void* appBuffer_ = nullptr;
    int appBufferSize_ = 0;
    int rowOrder_ = 0;
    FrameInfo frameInfo_ = {};
    // Metadata of the frame in the output image (under the frame lock), and
    // of the frame last delivered (under the metadata lock).
    NodrixExFrameMetadata outputMetadata_ = {};
    mutable platform::RecursiveLock metadataLock_{kLockRankMetadata};
    NodrixExFrameMetadata deliveredMetadata_ = {};
    bool anyDelivered_ = false;
    std::uint64_t lostAtLastDelivery_ = 0;
    stream::FrameCallbackSlot frameCallback_{kLockRankFrameCallback};
    // The delivered frame as the callback sees it; written under the frame
    // lock by the thread that delivers and then calls back.
    NodrixExFrame deliveredView_ = {};

    std::atomic<int> mode_{kIdle};
    int colorMode_ = 0;
    int subSample_ = 0;
    int waitTimeMs_ = kDefaultWaitTimeMs;
    int clock_ = 0;
    std::atomic<int> frameReady_{0};
    // The raw image (kRaw8 or kRaw16) whose frame is still in the core, or -1.
    mutable int pendingRawSlot_ = -1;
    int frameRate10_ = 0;
    int frameCount_ = 0;
    std::uint32_t rateWindowStart_ = 0;

    // The error stack, with the recipient window it posts each code to.
    ErrorStack errors_;

    int frameTimeoutMs_ = kDefaultFrameTimeoutMs;
    int deviceNumber_ = 0;
    int maskFilter_ = 0;
    int dotFilter_ = 0;

    DeviceNotificationToken notification_ = 0;

    // The recorder reads the worker's side of a recording under the frame
    // lock and ends with the acquisition.
    Recorder recorder_{frameLock_, runFlag_, errors_};

    // The stream: its buffers live as long as the connection; the running
    // stream goes first when the connection ends.
    stream::BufferPool streamPool_;
    std::unique_ptr<stream::StreamHost> streamHost_;
    std::unique_ptr<stream::BufferStream> stream_;
    // Set while a stream runs: the sensor reads its rows the other way
    // round, so that they arrive top first.
    bool streamFlippedV_ = false;
    // Set while the camera dialog pauses the stream (under the control lock).
    bool streamPaused_ = false;
    int streamColorMode_ = 0;
    std::size_t streamFrameBytes_ = 0;
    // The application buffer being converted into, viewed as an image for
    // the duration of one conversion only (under the frame lock).
    imaging::CDibImage streamView_;
};

}  // namespace nodrix
