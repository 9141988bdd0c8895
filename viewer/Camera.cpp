#include "Camera.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "ThreadName.h"

namespace nodrix_viewer {
namespace {

constexpr auto kPollPeriod = std::chrono::milliseconds(50);  // the error stack
constexpr auto kStatisticsPeriod = std::chrono::milliseconds(250);
constexpr auto kControlsPeriod = std::chrono::seconds(1);
constexpr auto kRetryPeriod = std::chrono::seconds(1);

void ClearErrors(int handle) {
    while (handle != 0 && Nodrix_GetLastError(handle) != 0) {
    }
}

}  // namespace

const Control* CameraView::Find(const std::string& wanted) const {
    for (const Control& c : controls) {
        if (wanted == c.parameter->info.name) return &c;
    }
    return nullptr;
}

void Camera::Start(int device, std::vector<std::string> settings) {
    Stop();
    {
        std::lock_guard<std::mutex> guard(lock_);
        stop_ = false;
    }
    thread_ =
        std::thread([this, device, settings = std::move(settings)] { Run(device, settings); });
}

void Camera::Stop() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard<std::mutex> guard(lock_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void Camera::Post(std::function<void()> job) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_all();
}

void Camera::Set(const std::string& name, double value, const std::string& text) {
    Post([this, name, value, text] { SetParameter(name, value, text); });
}

void Camera::SaveImage(const std::string& path, int format) {
    Post([this, path, format] {
        const int handle = connection_.Handle();
        if (handle == 0) return Error("no picture to save yet");
        // The library writes the frame it converted last, which the stream's
        // buffers bypass: between two frames of the stream, one snapshot.
        // (During a recording the preview converts every frame.)
        const bool restart = source_.Running() && !view_.recording;
        if (restart) source_.Stop();
        const bool saved = (!restart || Nodrix_SnapShot(handle, nullptr, 0, 1)) &&
                           Nodrix_SaveImage(handle, path.c_str(), format);
        if (!saved) Failure("saving " + path);
        if (restart) StartStream();
        if (!saved) return;
        view_.lastSnapshot = path;
        Notice("saved " + path);
    });
}

void Camera::StartRecording(const std::string& path, int durationMs) {
    Post([this, path, durationMs] {
        if (view_.state != CameraState::kStreaming || view_.recording) return;
        // A recording is an acquisition of its own: the picture comes from
        // the preview beside it until it ends.
        source_.Stop();
        if (!source_.StartPreview(connection_.Handle()) ||
            !Nodrix_Record(connection_.Handle(), path.c_str(), durationMs, 0)) {
            Failure("recording into " + path);
            return StartStream();
        }
        view_.recording = true;
        view_.recordFile = path;
        recordMs_ = durationMs;
        recordStart_ = Clock::now();
        Notice("recording into " + path);
    });
}

void Camera::StopRecording() {
    Post([this] {
        if (view_.recording) EndRecording();
    });
}

void Camera::ResetStatistics() {
    Post([this] {
        if (connection_.Handle() != 0) NodrixEx_ResetStreamStatistics(connection_.Handle());
    });
}

void Camera::LoadConfiguration(const std::string& path) {
    Post([this, path] {
        std::string problems;
        const bool running = source_.Running();
        // A file may change the sample size or the window: between acquisitions.
        source_.Stop();
        const bool read = controls_.Load(path, &problems);
        if (running) StartStream();
        view_.controls = controls_.All();
        if (!read) return Error("cannot read " + path);
        if (!problems.empty()) return Failure("applying " + problems);
        Notice("loaded " + path);
    });
}

void Camera::SaveConfiguration(const std::string& path) {
    Post([this, path] {
        if (controls_.Save(path)) return Notice("saved " + path);
        Error("cannot write " + path);
    });
}

void Camera::StoreAtClose(bool store) {
    Post([this, store] {
        view_.storeAtClose = store;
        if (connection_.Handle() != 0) NodrixEx_SetSaveOnRelease(connection_.Handle(), store);
    });
}

bool Camera::Take(CameraView* view, std::vector<CameraMessage>* messages) {
    std::lock_guard<std::mutex> guard(lock_);
    for (CameraMessage& m : messages_) messages->push_back(std::move(m));
    messages_.clear();
    if (version_ == taken_) return false;
    taken_ = version_;
    *view = published_;
    return true;
}

void Camera::Run(int device, const std::vector<std::string>& settings) {
    NameThisThread("viewer-camera");
    Open(device, settings);
    Publish();
    std::unique_lock<std::mutex> guard(lock_);
    while (!stop_) {
        wake_.wait_for(guard, kPollPeriod, [this] { return stop_ || !jobs_.empty(); });
        if (stop_) break;
        std::deque<std::function<void()>> jobs;
        jobs.swap(jobs_);
        guard.unlock();
        for (const auto& job : jobs) job();
        // Published only when something changed: the window takes a copy
        // and draws its panels again for each.
        const bool errors = PollErrors();
        const bool periodic = Periodic();
        if (!jobs.empty() || errors || periodic) Publish();
        guard.lock();
    }
    guard.unlock();
    source_.Stop();
    connection_.Close();
}

void Camera::Open(int device, const std::vector<std::string>& settings) {
    view_.device = device;
    std::string problem;
    if (!connection_.Open(device, &problem)) {
        view_.state = CameraState::kNoCamera;
        return Error(problem);
    }
    view_.name = connection_.Name();
    view_.serial = connection_.Serial();
    const int handle = connection_.Handle();
    NodrixCameraInfo info = {};
    info.size = NODRIX_CAMERA_INFO_BASIC_SIZE;
    if (Nodrix_GetCameraInfo(handle, &info)) {
        view_.maxWidth = info.maxWidth;
        view_.maxHeight = info.maxHeight;
    }
    controls_.Open(handle);
    for (const std::string& assignment : settings) {
        const std::size_t equals = assignment.find('=');
        const std::string name = assignment.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : assignment.substr(equals + 1);
        if (controls_.Find(name) == nullptr || value.empty() ||
            !controls_.Set(name, std::atof(value.c_str()), value)) {
            Failure("setting " + assignment);
        }
    }
    view_.controls = controls_.All();
    view_.cameras = connection_.CameraNames();
    StartStream();
    lastStatistics_ = lastControls_ = Clock::now();
}

void Camera::StartStream() {
    if (source_.Start(connection_.Handle())) {
        view_.state = CameraState::kStreaming;
        NodrixEx_ResetStreamStatistics(connection_.Handle());
        return;
    }
    Failure("starting the live picture");
}

void Camera::SetParameter(const std::string& name, double value, const std::string& text) {
    const Control* control = controls_.Find(name);
    if (control == nullptr || connection_.Handle() == 0) return;
    // A new sample size or capture window takes a new start of the acquisition.
    const nodrix_tool::Kind kind = control->parameter->kind;
    const bool restart = (kind == nodrix_tool::Kind::kBits || kind == nodrix_tool::Kind::kWindow) &&
                         source_.Running();
    if (restart) {
        source_.Stop();
        if (view_.recording) FinishRecording();
    }
    if (!controls_.Set(name, value, text)) Failure("setting " + name);
    if (restart) StartStream();
    view_.controls = controls_.All();
}

bool Camera::PollErrors(int ignored) {
    const int handle = connection_.Handle();
    if (handle == 0) return false;
    bool any = false;
    for (int code = Nodrix_GetLastError(handle); code != 0; code = Nodrix_GetLastError(handle)) {
        if (code == ignored) continue;
        any = true;
        if (code == NODRIX_ERROR_CAMERA_LOST && view_.state == CameraState::kStreaming) {
            // What the user chose stays wanted; the camera gets it again.
            wanted_.clear();
            for (const Control& c : controls_.All()) wanted_.push_back(c.value);
            source_.Stop();
            if (view_.recording) FinishRecording();
            view_.state = CameraState::kLost;
            Error(ErrorMessage(code) + "; waiting for the camera to come back");
            lastRetry_ = Clock::now();
        } else if (view_.state != CameraState::kLost) {
            Error(ErrorMessage(code));
        }
    }
    return any;
}

void Camera::Reconnect() {
    const int handle = connection_.Handle();
    // Only the bus is asked until the camera is listed again: calls on the
    // lost camera itself would wait for it.
    if (static_cast<int>(connection_.CameraNames().size()) > connection_.Device() &&
        connection_.Reopen()) {
        // Whatever the new opening did not bring back is set again.
        std::vector<Control>& all = controls_.All();
        controls_.Refresh();
        for (std::size_t i = 0; i < all.size() && i < wanted_.size(); ++i) {
            const nodrix_tool::Kind kind = all[i].parameter->kind;
            if (kind == nodrix_tool::Kind::kWindow || kind == nodrix_tool::Kind::kExposureS) {
                continue;
            }
            if (all[i].readable && all[i].value != wanted_[i]) {
                controls_.Set(all[i].parameter->info.name, wanted_[i]);
            }
        }
        ClearErrors(handle);
        view_.controls = controls_.All();
        StartStream();
        if (view_.state == CameraState::kStreaming) Notice("the camera is back");
    }
    ClearErrors(handle);
}

bool Camera::Periodic() {
    const auto now = Clock::now();
    const int handle = connection_.Handle();
    if (handle == 0) return false;
    if (view_.state == CameraState::kLost) {
        if (now - lastRetry_ < kRetryPeriod) return false;
        lastRetry_ = now;
        Reconnect();
        return true;
    }
    if (view_.state != CameraState::kStreaming || now - lastStatistics_ < kStatisticsPeriod) {
        return false;
    }
    lastStatistics_ = now;
    NodrixExStreamStatistics s{};
    s.size = sizeof s;
    if (NodrixEx_GetStreamStatistics(handle, &s)) view_.statistics = s;
    int ok = 0;
    const double t = Nodrix_GetTemperatureEx(handle, &ok);
    view_.temperatureOk = ok != 0;
    if (view_.temperatureOk) view_.temperature = t;
    if (now - lastControls_ >= kControlsPeriod) {
        // Automatic exposure moves the exposure; the list follows plugging.
        controls_.RefreshAutomatic();
        view_.controls = controls_.All();
        view_.cameras = connection_.CameraNames();
        lastControls_ = now;
    }
    // A camera without a temperature sensor says so each time; any other
    // code left by these reads is shown like every error.
    PollErrors(NODRIX_ERROR_NOT_SUPPORTED);
    if (view_.recording &&
        now - recordStart_ > std::chrono::milliseconds(recordMs_) + std::chrono::seconds(1)) {
        EndRecording();
    }
    return true;
}

void Camera::EndRecording() {
    // The recording ends with its acquisition; the live picture goes on.
    source_.Stop();
    FinishRecording();
    StartStream();
}

void Camera::FinishRecording() {
    view_.recording = false;
    view_.lastRecording = view_.recordFile;
    Notice("recorded " + view_.recordFile);
}

void Camera::Error(const std::string& text) {
    std::fprintf(stderr, "nodrix-viewer: %s\n", text.c_str());
    std::lock_guard<std::mutex> guard(lock_);
    messages_.push_back({true, text});
}

void Camera::Notice(const std::string& text) {
    std::lock_guard<std::mutex> guard(lock_);
    messages_.push_back({false, text});
}

void Camera::Failure(const std::string& what) {
    const int code = connection_.Handle() != 0 ? Nodrix_GetLastError(connection_.Handle()) : 0;
    Error(what + " failed" + (code != 0 ? ": " + ErrorMessage(code) : std::string()));
    ClearErrors(connection_.Handle());
}

void Camera::Publish() {
    std::lock_guard<std::mutex> guard(lock_);
    published_ = view_;
    ++version_;
}

}  // namespace nodrix_viewer
