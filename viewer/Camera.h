#pragma once
// The viewer's camera worker: the one thread that calls the library, apart
// from the frame source's delivery. It opens the camera, reads and writes
// its parameters, polls its errors, statistics and temperature, takes
// snapshots and recordings, and follows a lost camera until it is back.
// The window posts requests and reads a copy of what the worker published
// last, so that a call waiting for the camera never holds up the picture
// or the input.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Connection.h"
#include "Controls.h"
#include "FrameSource.h"
#include "NodrixSdkEx.h"

namespace nodrix_viewer {

enum class CameraState { kNoCamera, kStreaming, kLost };

// What the window shows of the camera.
struct CameraView {
    CameraState state = CameraState::kNoCamera;
    std::string name;
    std::string serial;
    int device = 0;
    std::vector<std::string> cameras;  // on the bus, by name
    std::vector<Control> controls;
    NodrixExStreamStatistics statistics{};
    double temperature = 0.0;
    bool temperatureOk = false;
    int maxWidth = 0, maxHeight = 0;
    bool recording = false;
    std::string recordFile;
    std::string lastRecording;
    std::string lastSnapshot;
    bool storeAtClose = false;

    const Control* Find(const std::string& name) const;
};

struct CameraMessage {
    bool error = false;
    std::string text;
};

class Camera {
public:
    explicit Camera(FrameSource& source) : source_(source) {}
    ~Camera() { Stop(); }
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    // Starts the worker, which opens camera `device` (0-based), applies the
    // NAME=VALUE settings and starts the live picture.
    void Start(int device, std::vector<std::string> settings);
    // Ends the acquisition and the connection and joins the worker. The
    // camera's stored settings change only if StoreAtClose(true) was asked.
    void Stop();

    // Requests, carried out in the order posted.
    void Set(const std::string& name, double value, const std::string& text = "");
    void SaveImage(const std::string& path, int format);
    void StartRecording(const std::string& path, int durationMs);
    void StopRecording();
    void ResetStatistics();
    void LoadConfiguration(const std::string& path);
    void SaveConfiguration(const std::string& path);
    void StoreAtClose(bool store);

    // Copies the state published last into *view when it changed since the
    // last call (true), and moves the messages since then into *messages.
    bool Take(CameraView* view, std::vector<CameraMessage>* messages);

private:
    using Clock = std::chrono::steady_clock;

    void Post(std::function<void()> job);
    void Run(int device, const std::vector<std::string>& settings);
    void Open(int device, const std::vector<std::string>& settings);
    void StartStream();
    // Each true when it changed what the window is shown. PollErrors takes
    // codes equal to ignored off the error stack without showing them.
    bool PollErrors(int ignored = 0);
    bool Periodic();
    void Reconnect();
    void EndRecording();     // stops it and goes back to the stream
    void FinishRecording();  // what remains of it once its acquisition stopped
    void SetParameter(const std::string& name, double value, const std::string& text);
    void Error(const std::string& text);
    void Notice(const std::string& text);
    void Failure(const std::string& what);
    void Publish();

    FrameSource& source_;
    std::thread thread_;

    std::mutex lock_;
    std::condition_variable wake_;
    bool stop_ = false;                       // guarded by lock_
    std::deque<std::function<void()>> jobs_;  // guarded by lock_
    CameraView published_;                    // guarded by lock_
    std::uint64_t version_ = 0;               // guarded by lock_
    std::vector<CameraMessage> messages_;     // guarded by lock_
    std::uint64_t taken_ = 0;                 // the window's

    // The worker's own.
    Connection connection_;
    Controls controls_;
    CameraView view_;
    std::vector<double> wanted_;  // the user's values, set again after a replug
    int recordMs_ = 0;
    Clock::time_point recordStart_;
    Clock::time_point lastStatistics_, lastControls_, lastRetry_;
};

}  // namespace nodrix_viewer
