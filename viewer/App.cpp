#include "App.h"

#include <backends/imgui_impl_sdl.h>
#include <imgui.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "Files.h"

namespace nodrix_viewer {
namespace {

constexpr auto kFramePeriod = std::chrono::milliseconds(16);  // at most 60 pictures a second
constexpr auto kPeriodic = std::chrono::milliseconds(250);
constexpr auto kPollPeriod = std::chrono::milliseconds(50);  // the error stack
constexpr auto kControlsPeriod = std::chrono::seconds(1);
constexpr auto kRetryPeriod = std::chrono::seconds(1);

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

}  // namespace

App::App(Options options) : options_(std::move(options)), probe_(options_.probe) {
    std::snprintf(folder_, sizeof folder_, "%s", options_.folder.c_str());
    fit_ = !options_.oneToOne;
}

App::~App() {
    source_.Stop();
    if (connection_.Handle() != 0 && !keepSettings_) controls_.Restore();
    connection_.Close();
    if (texture_ != nullptr) SDL_DestroyTexture(texture_);
    draw_.reset();
    if (ImGui::GetCurrentContext() != nullptr) {
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext();
    }
    if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
    if (window_ != nullptr) SDL_DestroyWindow(window_);
    SDL_Quit();
}

bool App::OpenWindow() {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "nodrix-viewer: no display: %s\n", SDL_GetError());
        return false;
    }
    window_ = SDL_CreateWindow("nodrix-viewer", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                               options_.width, options_.height,
                               SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (window_ == nullptr) {
        std::fprintf(stderr, "nodrix-viewer: no window: %s\n", SDL_GetError());
        return false;
    }
    // SDL's own 2D renderer unless SDL_RENDER_DRIVER names another: the
    // window is one picture and a few panels, which it blits with less
    // processor time than OpenGL takes where OpenGL is itself rendered in
    // software (virtual displays, remote sessions, machines without a GPU).
    if (std::getenv("SDL_RENDER_DRIVER") == nullptr) {
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
        // The window's pixels go to the X server directly, not through a
        // software OpenGL of their own.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (renderer_ == nullptr) {
        std::fprintf(stderr, "nodrix-viewer: no renderer: %s\n", SDL_GetError());
        return false;
    }
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGui::GetIO().IniFilename = nullptr;  // nothing is written unless asked
    ImGui::StyleColorsDark();
    ImGui_ImplSDL2_InitForSDLRenderer(window_);
    draw_ = std::make_unique<DrawBackend>(renderer_);
    return draw_->Ok();
}

void App::OpenCamera() {
    std::string problem;
    if (!connection_.Open(options_.device, &problem)) {
        state_ = State::kNoCamera;
        ShowError(problem);
        Title();
        return;
    }
    controls_.Open(connection_.Handle());
    for (const std::string& assignment : options_.settings) {
        const std::size_t equals = assignment.find('=');
        const std::string name = assignment.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : assignment.substr(equals + 1);
        if (controls_.Find(name) == nullptr || value.empty() ||
            !controls_.Set(name, std::atof(value.c_str()), value)) {
            ReportFailure("setting " + assignment);
        }
    }
    cameras_ = connection_.CameraNames();
    StartStream();
    Title();
}

void App::StartStream() {
    if (source_.Start(connection_.Handle())) {
        state_ = State::kStreaming;
        NodrixEx_ResetStreamStatistics(connection_.Handle());
        return;
    }
    ReportFailure("starting the live picture");
}

void App::Title() {
    std::string title = "nodrix-viewer";
    if (connection_.Handle() != 0 && !connection_.Name().empty()) {
        title += " - " + connection_.Name();
        if (!connection_.Serial().empty()) title += " (" + connection_.Serial() + ")";
    }
    if (EmulationAsked()) title += " - emulated camera";
    if (state_ == State::kLost) title += " - camera lost";
    SDL_SetWindowTitle(window_, title.c_str());
}

void App::ShowError(const std::string& text) {
    error_ = text;
    std::fprintf(stderr, "nodrix-viewer: %s\n", text.c_str());
}

void App::ReportFailure(const std::string& what) {
    const int code = connection_.Handle() != 0 ? Nodrix_GetLastError(connection_.Handle()) : 0;
    ShowError(what + " failed" + (code != 0 ? ": " + ErrorMessage(code) : std::string()));
    while (connection_.Handle() != 0 && Nodrix_GetLastError(connection_.Handle()) != 0) {
    }
}

void App::PollErrors() {
    const int handle = connection_.Handle();
    if (handle == 0) return;
    for (int code = Nodrix_GetLastError(handle); code != 0; code = Nodrix_GetLastError(handle)) {
        if (code == NODRIX_ERROR_CAMERA_LOST && state_ == State::kStreaming) {
            // What the user chose stays wanted; the camera gets it again.
            wanted_.clear();
            for (const Control& c : controls_.All()) wanted_.push_back(c.value);
            source_.Stop();
            if (recording_) FinishRecording();
            state_ = State::kLost;
            ShowError(ErrorMessage(code) + "; waiting for the camera to come back");
            Title();
            lastRetry_ = Clock::now();
        } else if (state_ != State::kLost) {
            ShowError(ErrorMessage(code));
        }
    }
}

void App::Periodic() {
    const auto now = Clock::now();
    const int handle = connection_.Handle();
    if (state_ == State::kLost && now - lastRetry_ >= kRetryPeriod) {
        lastRetry_ = now;
        // Only the bus is asked until the camera is listed again: calls on
        // the lost camera itself would wait for it.
        if (static_cast<int>(connection_.CameraNames().size()) > connection_.Device()) {
            // Opening it again stores and reloads the connection's values;
            // the ones of the opening are put back when the viewer closes.
            // Whatever the new opening did not bring back is set again.
            if (connection_.Reopen()) {
                std::vector<Control>& all = controls_.All();
                controls_.Refresh();
                for (std::size_t i = 0; i < all.size() && i < wanted_.size(); ++i) {
                    const nodrix_tool::Kind kind = all[i].parameter->kind;
                    if (kind == nodrix_tool::Kind::kWindow ||
                        kind == nodrix_tool::Kind::kExposureS) {
                        continue;
                    }
                    if (all[i].readable && all[i].value != wanted_[i]) {
                        controls_.Set(all[i].parameter->info.name, wanted_[i]);
                    }
                }
                while (Nodrix_GetLastError(handle) != 0) {
                }
                StartStream();
                if (state_ == State::kStreaming) {
                    error_.clear();
                    notice_ = "the camera is back";
                }
                Title();
            }
        }
        while (Nodrix_GetLastError(handle) != 0) {
        }
    }
    if (now - lastPeriodic_ < kPeriodic) return;
    const double elapsed = Seconds(now - rateMark_);
    if (elapsed >= 1.0) {
        shownRate_ = static_cast<double>(shown_ - shownAtMark_) / elapsed;
        shownAtMark_ = shown_;
        rateMark_ = now;
    }
    lastPeriodic_ = now;
    if (handle == 0) return;
    if (state_ == State::kStreaming) {
        NodrixExStreamStatistics s{};
        s.size = sizeof s;
        if (NodrixEx_GetStreamStatistics(handle, &s)) statistics_ = s;
        int ok = 0;
        const double t = Nodrix_GetTemperatureEx(handle, &ok);
        temperatureOk_ = ok != 0;
        if (temperatureOk_) temperature_ = t;
        if (now - lastControls_ >= kControlsPeriod) {
            // Automatic exposure moves the exposure; the list follows plugging.
            controls_.RefreshAutomatic();
            cameras_ = connection_.CameraNames();
            lastControls_ = now;
        }
        while (Nodrix_GetLastError(handle) == NODRIX_ERROR_NOT_SUPPORTED) {
        }
    }
    if (recording_ && Seconds(now - recordStart_) > options_.recordSeconds + 1.0) FinishRecording();
    if (probe_.Enabled()) WriteProbe();
}

void App::TakeFrame() {
    if (paused_ || !source_.TakeNewest(frame_)) {
        if (displayChanged_) UpdatePicture();
        return;
    }
    ComputeHistogram(frame_, histogram_);
    focus_ = FocusMeasure(frame_);
    focusTrend_[static_cast<std::size_t>(focusAt_)] = static_cast<float>(focus_);
    focusAt_ = (focusAt_ + 1) % static_cast<int>(focusTrend_.size());
    UpdatePicture();
    ++shown_;
}

void App::UpdatePicture() {
    displayChanged_ = false;
    if (frame_.Empty()) return;
    if (texture_ == nullptr || textureWidth_ != frame_.width || textureHeight_ != frame_.height) {
        if (texture_ != nullptr) SDL_DestroyTexture(texture_);
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888,
                                     SDL_TEXTUREACCESS_STREAMING, frame_.width, frame_.height);
        textureWidth_ = frame_.width;
        textureHeight_ = frame_.height;
        if (texture_ == nullptr) return;
    }
    BuildLookup(frame_, histogram_, display_, lookup_);
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture_, nullptr, &pixels, &pitch) != 0) return;
    RenderPicture(frame_, lookup_, static_cast<std::uint8_t*>(pixels), pitch);
    SDL_UnlockTexture(texture_);
}

void App::HandleEvent(const SDL_Event& event) {
    ImGui_ImplSDL2_ProcessEvent(&event);
    if (event.type == SDL_QUIT) quit_ = true;
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) quit_ = true;
    if (event.type == SDL_KEYDOWN && !ImGui::GetIO().WantTextInput) Shortcut(event.key.keysym);
}

void App::Shortcut(const SDL_Keysym& key) {
    const bool control = (key.mod & KMOD_CTRL) != 0;
    switch (key.sym) {
        case SDLK_q:
            if (control) quit_ = true;
            break;
        case SDLK_s:
            Snapshot();
            break;
        case SDLK_r:
            ToggleRecording();
            break;
        case SDLK_f:
            fit_ = true;
            break;
        case SDLK_1:
            fit_ = false;
            scale_ = 1.0f;
            offsetX_ = offsetY_ = 0.0f;
            break;
        case SDLK_SPACE:
            paused_ = !paused_;
            break;
        case SDLK_c:
            crosshair_ = !crosshair_;
            break;
        case SDLK_g:
            grid_ = !grid_;
            break;
        case SDLK_m:
            display_.markClipping = !display_.markClipping;
            displayChanged_ = true;
            break;
        case SDLK_a:
            display_.mapping =
                display_.mapping == Mapping::kLinear ? Mapping::kAutoContrast : Mapping::kLinear;
            displayChanged_ = true;
            break;
        default:
            break;
    }
}

void App::Snapshot() {
    const int handle = connection_.Handle();
    if (handle == 0 || frame_.Empty()) {
        ShowError("no picture to save yet");
        return;
    }
    const StillFormat& format = StillFormats()[formatIndex_];
    const std::string path = UniqueFileName(folder_, format.extension);
    if (!Nodrix_SaveImage(handle, path.c_str(), format.code)) {
        ReportFailure("saving " + path);
        return;
    }
    lastSnapshot_ = path;
    notice_ = "saved " + path;
}

void App::ToggleRecording() {
    const int handle = connection_.Handle();
    if (handle == 0 || state_ != State::kStreaming) return;
    if (recording_) {
        // The recording ends with the acquisition; the live picture goes on.
        source_.Stop();
        FinishRecording();
        StartStream();
        return;
    }
    const std::string path = UniqueFileName(folder_, "avi");
    const int durationMs = static_cast<int>(options_.recordSeconds * 1000.0);
    if (!Nodrix_Record(handle, path.c_str(), durationMs, 0)) {
        ReportFailure("recording into " + path);
        return;
    }
    recording_ = true;
    recordFile_ = path;
    recordStart_ = Clock::now();
    notice_ = "recording into " + path;
}

void App::FinishRecording() {
    recording_ = false;
    lastRecording_ = recordFile_;
    notice_ = "recorded " + recordFile_;
}

void App::ApplyWindow(int x, int y, int width, int height) {
    const Control* window = controls_.Find("window");
    int oldX = 0, oldY = 0;
    if (window != nullptr) {
        int w = 0, h = 0;
        std::sscanf(window->text.c_str(), "%dx%d+%d+%d", &w, &h, &oldX, &oldY);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%dx%d+%d+%d", width, height, oldX + x, oldY + y);
    SetWindow(text);
}

void App::SetWindow(const std::string& text) {
    // The window changes between acquisitions.
    const bool running = source_.Running();
    source_.Stop();
    if (!controls_.Set("window", 0, text)) ReportFailure("capture window " + text);
    if (running) StartStream();
    fit_ = true;
}

void App::Render() {
    ++renders_;
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    widgetRects_.clear();
    DrawPanels();
    DrawPicture();
    ImGui::Render();
    SDL_SetRenderDrawColor(renderer_, 24, 24, 28, 255);
    SDL_RenderClear(renderer_);
    if (texture_ != nullptr && !frame_.Empty()) {
        SDL_SetTextureScaleMode(texture_,
                                scale_ >= 1.0f ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
        const SDL_Rect clip = {static_cast<int>(regionX_), static_cast<int>(regionY_),
                               static_cast<int>(regionW_), static_cast<int>(regionH_)};
        const SDL_FRect target = {regionX_ + offsetX_, regionY_ + offsetY_, frame_.width * scale_,
                                  frame_.height * scale_};
        SDL_RenderSetClipRect(renderer_, &clip);
        SDL_RenderCopyF(renderer_, texture_, nullptr, &target);
        SDL_RenderSetClipRect(renderer_, nullptr);
    }
    draw_->Render(ImGui::GetDrawData());
    SDL_RenderPresent(renderer_);
}

int App::Run() {
    if (!OpenWindow()) return 1;
    OpenCamera();
    rateMark_ = lastPeriodic_ = lastControls_ = Clock::now();
    int redraws = 2;  // Dear ImGui settles a change in the frame after it
    auto lastDraw = Clock::now() - kFramePeriod;
    std::vector<SDL_Event> events, later;
    while (!quit_) {
        // Dear ImGui reads keys and buttons as states once per frame: a
        // release is held back to the frame after its press, or a quick
        // press and release (synthetic input, a fast typist) would be missed.
        bool pressed = false, held = false;
        events.clear();
        events.swap(later);
        SDL_Event event;
        if (events.empty() && SDL_WaitEventTimeout(&event, 5)) events.push_back(event);
        while (SDL_PollEvent(&event)) events.push_back(event);
        for (const SDL_Event& e : events) {
            const bool press = e.type == SDL_KEYDOWN || e.type == SDL_MOUSEBUTTONDOWN;
            const bool release = e.type == SDL_KEYUP || e.type == SDL_MOUSEBUTTONUP;
            if (held || (release && pressed)) {
                held = true;
                later.push_back(e);
                continue;
            }
            pressed = pressed || press;
            HandleEvent(e);
        }
        if (!events.empty()) redraws = 2;
        const auto now = Clock::now();
        if (now - lastPoll_ >= kPollPeriod) {
            lastPoll_ = now;
            PollErrors();
        }
        Periodic();
        if (!held && now - lastDraw < kFramePeriod) continue;
        const std::uint64_t before = shown_;
        const bool changed = displayChanged_;
        TakeFrame();
        if (!held && shown_ == before && !changed && redraws == 0 && now - lastDraw < kPeriodic) {
            continue;
        }
        if (redraws > 0) --redraws;
        lastDraw = now;
        Render();
    }
    return 0;
}

}  // namespace nodrix_viewer
