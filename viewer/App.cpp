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

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

}  // namespace

App::App(Options options) : options_(std::move(options)), probe_(options_.probe) {
    std::snprintf(folder_, sizeof folder_, "%s", options_.folder.c_str());
    fit_ = !options_.oneToOne;
}

App::~App() {
    camera_.Stop();
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

void App::Title() {
    std::string title = "nodrix-viewer";
    if (!view_.name.empty()) {
        title += " - " + view_.name;
        if (!view_.serial.empty()) title += " (" + view_.serial + ")";
    }
    if (EmulationAsked()) title += " - emulated camera";
    if (view_.state == CameraState::kLost) title += " - camera lost";
    SDL_SetWindowTitle(window_, title.c_str());
}

void App::ShowError(const std::string& text) {
    error_ = text;
    std::fprintf(stderr, "nodrix-viewer: %s\n", text.c_str());
}

void App::TakeCamera() {
    messages_.clear();
    const CameraState before = view_.state;
    const std::string name = view_.name;
    const bool changed = camera_.Take(&view_, &messages_);
    for (const CameraMessage& m : messages_) {
        if (m.error) {
            error_ = m.text;
        } else {
            notice_ = m.text;
        }
    }
    if (before == CameraState::kLost && view_.state == CameraState::kStreaming) error_.clear();
    if (changed && (before != view_.state || name != view_.name)) Title();
}

void App::Periodic() {
    const auto now = Clock::now();
    if (now - lastPeriodic_ < kPeriodic) return;
    const double elapsed = Seconds(now - rateMark_);
    if (elapsed >= 1.0) {
        shownRate_ = static_cast<double>(shown_ - shownAtMark_) / elapsed;
        shownAtMark_ = shown_;
        rateMark_ = now;
    }
    lastPeriodic_ = now;
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
    const LookupKey key = KeyOf(frame_, histogram_, display_);
    if (lookup_.empty() || !(key == lookupKey_)) {
        BuildLookup(frame_, histogram_, display_, lookup_);
        lookupKey_ = key;
    }
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
    if (view_.state != CameraState::kStreaming || frame_.Empty()) {
        ShowError("no picture to save yet");
        return;
    }
    const StillFormat& format = StillFormats()[formatIndex_];
    camera_.SaveImage(UniqueFileName(folder_, format.extension), format.code);
}

void App::ToggleRecording() {
    if (view_.state != CameraState::kStreaming) return;
    if (view_.recording) {
        camera_.StopRecording();
        return;
    }
    recordStart_ = Clock::now();
    camera_.StartRecording(UniqueFileName(folder_, "avi"),
                           static_cast<int>(options_.recordSeconds * 1000.0));
}

void App::ApplyWindow(int x, int y, int width, int height) {
    const Control* window = view_.Find("window");
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
    camera_.Set("window", 0, text);
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
    camera_.Start(options_.device, options_.settings);
    Title();
    rateMark_ = lastPeriodic_ = Clock::now();
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
        TakeCamera();
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
