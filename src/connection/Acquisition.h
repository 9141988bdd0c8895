#pragma once
// The acquisition of a connection: its modes (preview, capture, snapshot,
// trigger, recording), the worker thread, the image buffers with the
// conversion into them, and the delivered frame. It owns the control and
// frame locks (order: connection/LockOrder.h), and the two owners beside
// it: the frame record (metadata, statistics, frame callback) and the
// stream of application buffers, a mode of its own.
//
// It reads and drives the rest of its connection through the links it is
// made with: the camera core, the camera's controls, the capture window, the
// image block, the mask planes, the preview window, the error stack, the
// open dialogs, and the settings the connection loads and saves with the
// camera (colour mode, subsampling, wait time, the dot and mask filters).

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "NodrixSdk.h"
#include "NodrixSdkEx.h"
#include "connection/AcquisitionState.h"
#include "connection/ApplicationStream.h"
#include "connection/CameraControls.h"
#include "connection/CoreLink.h"
#include "connection/ErrorStack.h"
#include "connection/FrameRecord.h"
#include "connection/ImageSlots.h"
#include "connection/LockOrder.h"
#include "connection/MaskStore.h"
#include "connection/PreviewWindowOwner.h"
#include "connection/Recorder.h"
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

// Wait for a single frame, in milliseconds.
inline constexpr int kDefaultFrameTimeoutMs = 3000;
inline constexpr int kDefaultWaitTimeMs = 10;

// The parts of the connection the acquisition reads and drives; each lives
// as long as the acquisition.
struct AcquisitionLinks {
    CoreHandle& core;
    CameraControls& controls;
    const CaptureGeometry& geometry;
    ImageParameters& imageParams;
    MaskStore& masks;
    PreviewWindowOwner& preview;
    ErrorStack& errors;
    settings::LiveDialogs& liveDialogs;
    // The connection's settings, loaded and saved with the camera's.
    const int& colorMode;
    const int& subSample;
    const int& waitTimeMs;
    const int& maskFilter;
    const int& dotFilter;
    const bool& cameraOpened;
};

class Acquisition final : private StreamFrames {
public:
    // destroyOwner(owner) ends the connection when the worker ends after
    // DestroyWhenWorkerEnds; owner also names the preview window's class.
    Acquisition(const AcquisitionLinks& links, void* owner, void (*destroyOwner)(void*));
    Acquisition(const Acquisition&) = delete;
    Acquisition& operator=(const Acquisition&) = delete;

    // The image buffers: made once the connection initialises, freed after
    // its camera core.
    bool CreateBuffers();
    void ReleaseBuffers();

    // --- Modes (Acquisition.cpp) -----------------------------------------------
    int Preview();
    int CallBackPreview(platform::WindowHandle window, void* buffer, int size, int rowOrder);
    int Capture();
    int SnapShot(void* buffer, int size, int rowOrder);
    int GetImage(void* buffer, int size, int rowOrder);
    int Trigger(platform::WindowHandle window, void* buffer, int size, int rowOrder);
    int StartPreview();
    // Stops the acquisition and forgets the application's buffer.
    int StopPreview();
    // Stops the acquisition, then destroys the preview window.
    int Close();
    // The acquisition mode the camera dialog stopped or paused, and its
    // restart afterwards.
    int SuspendAcquisition();
    void ResumeAcquisition(int mode);

    // --- Recording (AcquisitionRecording.cpp) ----------------------------------
    int Record(const char* fileName, int durationMs, int showWindow);
    // The format of the next recordings (NODRIXEX_RECORD_...), and the
    // state of the running or last recording.
    int SetRecordFormat(int format);
    int GetRecordStatus(NodrixExRecordStatus* status);
    // Tests: smaller RIFFs for the next recordings of any length.
    void SetRecordRiffLimit(std::uint64_t bytes) { recorder_.SetRiffLimit(bytes); }
    // Whether a recording runs; cleared once its file is complete.
    bool Recording() const { return recorder_.Running(); }

    // --- The owners beside it ---------------------------------------------------
    FrameRecord& Frames() { return frames_; }
    ApplicationStream& Stream() { return stream_; }
    // For the last reference let go inside this connection's own frame
    // callback, where the worker running it cannot be joined: the worker
    // stops once the callback returns and then destroys the connection as
    // its last act (its thread detaches instead of joining itself).
    void DestroyWhenWorkerEnds();

    bool Streaming() const { return mode_.load() == kStreaming; }

    // --- State read by the connection and by tests -----------------------------
    // The frame lock guards the image buffers and the delivered frame; the
    // connection takes it around the image block and the mask planes too.
    platform::RecursiveLock& FrameLock() { return frameLock_; }
    int Mode() const { return mode_.load(); }
    bool FrameReady() const { return frameReady_.load() != 0; }
    imaging::CDibImage* Image(ImageSlot slot) const { return images_[slot].get(); }
    // The raw image of the colour mode and the output image, with the frame
    // kept in the core copied in first; under the frame lock.
    imaging::CDibImage& RawImage() const;
    imaging::CDibImage& OutputImage() const;

private:
    int PushError(int code) { return errors_.Push(code), 1; }
    void PostError(int code) { errors_.Post(code); }
    // Stops the acquisition only: a start afterwards resumes with the same
    // buffer (a dialog's pause).
    int StopAcquisition();

    // --- Conversion (AcquisitionConversion.cpp) --------------------------------
    // Runs the conversion pipeline once on the current raw frame (raw16 in
    // colour modes 1, 4, 5, else raw8) into the output image of the colour
    // mode, or into output when it is given (for a grey mode, output holds
    // the raw frame and is converted in place). The caller holds the frame
    // lock.
    void Convert(imaging::CDibImage* output = nullptr);
    // Whether Convert would leave the frame as it came (a grey colour mode
    // with no pipeline step enabled).
    bool ConvertsNothing() override;

    // The output image's size in the present capture window and subsampling.
    int OutputWidth() const override;
    int OutputHeight() const override;

    // --- Acquisition internals (Acquisition.cpp, AcquisitionWorker.cpp) -------
    int Prepare() override;
    // Copies the image into the application's buffer, rows in memory order
    // (rowOrder non-zero) or last row first.
    int CopyOut(const imaging::CDibImage& image, int rowOrder, void* buffer, int size);
    // The output image's size and format without its pixels: a frame that
    // went straight to the application stays in the ring until read.
    const imaging::CDibImage& OutputImageShape() const;
    ImageSlot OutputSlot() const override;
    // ReadFrame into the raw image, rows spread to its stride; the core's
    // result (0 on success).
    int ReadRawFrame();
    // A frame that needs no conversion goes from the camera core straight
    // into the application's buffer; the raw image is filled from the frame
    // the core keeps only when something reads it (RawImage, OutputImage).
    bool CanDeliverStraight(const void* buffer, int size);
    // The raw image when the frame would come out of the pipeline as the
    // core delivers it (grey, rows unpadded, nothing to convert); null
    // otherwise.
    const imaging::CDibImage* FrameGoingAsItComes();
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
    // pixelsPending: the output image's pixels are still in the core (a
    // frame recorded straight), filled only for whoever reads them.
    void RecordDelivery(bool straight, bool pixelsPending = false);
    // CopyOut into the application's buffer when one is set; a refused copy
    // is counted as a frame lost to a buffer too small.
    bool CopyToApplicationBuffer();
    // Hands the delivered frame to the frame callback; outside the frame
    // lock, on the worker thread.
    void InvokeFrameCallback();
    void UpdateFrameRate();
    void PostFrameMessage(std::uintptr_t wParam, std::intptr_t lParam);
    // Creates the preview window when one is wanted; false (error 4 pushed)
    // when it cannot be made.
    bool OpenPreviewWindow();
    int StartPreviewWithWindow();
    // Joins the worker and recording threads after their flags were cleared.
    void JoinWorkers();

    // --- The stream's view of the image buffers --------------------------------
    void ConvertInto(imaging::CDibImage& output) override { Convert(&output); }
    imaging::CDibImage& Slot(ImageSlot slot) override { return *images_[slot]; }
    void DropPendingRawFrame() override { pendingRawSlot_ = -1; }
    bool InOwnFrameCallback() const { return frames_.InOwnFrameCallback(); }

    // --- Recording (AcquisitionRecording.cpp) ----------------------------------
    // Joins a recording thread that has ended by itself.
    void ReapRecorder();
    // The worker's side: the frame just converted into the recording's
    // queue, under the frame lock; counted as not recorded when the queue
    // is full.
    void QueueRecordingFrame();
    // A frame that is already the recording's frame as the core delivers it
    // goes from the core straight into the recording's queue, the only copy
    // (the output image is filled from the frame the core keeps only when
    // something reads it): the slot it goes to and the row order for
    // DeliverStraight, or null when it takes the usual way. Under the frame
    // lock.
    std::uint8_t* StraightRecordingSlot(int* rowOrder);

    // --- Preview window (AcquisitionPreview.cpp) -------------------------------
    // Releases the preview window's device context, destroys the window and
    // unregisters its class.
    void DestroyPreviewWindow();
    void SizeDisplayToWindow();
    void Draw();

    // The links to the rest of the connection.
    CoreHandle& core_;
    CameraControls& controls_;
    const CaptureGeometry& geometry_;
    ImageParameters& imageParams_;
    MaskStore& masks_;
    PreviewWindowOwner& preview_;
    ErrorStack& errors_;
    settings::LiveDialogs& liveDialogs_;
    const int& colorMode_;
    const int& subSample_;
    const int& waitTimeMs_;
    const int& maskFilter_;
    const int& dotFilter_;
    const bool& cameraOpened_;
    void* const owner_;
    void (*const destroyOwner_)(void*);

    // The buffers of the acquisition and the conversion; the mask planes
    // are the mask store's.
    std::array<std::unique_ptr<imaging::CDibImage>, kFirstMaskSlot> images_;

    platform::RecursiveLock frameLock_{kLockRankFrame};
    // Serialises the mode changes of the application's threads (start, stop,
    // snapshot); never taken by a worker.
    platform::RecursiveLock controlLock_{kLockRankControl};

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
    // The delivered frames' metadata, statistics and callback.
    FrameRecord frames_{core_, errors_};

    std::atomic<int> mode_{kIdle};
    std::atomic<int> frameReady_{0};
    // The raw image (kRaw8 or kRaw16) whose frame is still in the core, or -1.
    mutable int pendingRawSlot_ = -1;
    // Worker's: the last frame went straight into the recording.
    bool recordedStraight_ = false;
    int frameRate10_ = 0;
    int frameCount_ = 0;
    std::uint32_t rateWindowStart_ = 0;
    int frameTimeoutMs_ = kDefaultFrameTimeoutMs;

    // The recorder reads the worker's side of a recording under the frame
    // lock and ends with the acquisition.
    Recorder recorder_{frameLock_, runFlag_, errors_};

    // Last: its buffers live as long as the connection; the running stream
    // goes first when the connection ends.
    ApplicationStream stream_{StreamLinks{core_, controls_, geometry_, errors_, frames_, *this,
                                          mode_, controlLock_, frameLock_, colorMode_}};
};

}  // namespace nodrix
