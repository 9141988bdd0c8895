#include "App.h"

#include <backends/imgui_impl_sdl.h>
#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "Files.h"

namespace nodrix_viewer {
namespace {

// At most 60 pictures a second: a faster display gets no more, which keeps
// the window's processor time bounded at a fast camera.
constexpr int kMaxPicturesPerSecond = 60;
// Once a picture is due and no new frame or change is there yet, the
// window looks again this often.
constexpr int kLookAgainMs = 5;
constexpr auto kPeriodic = std::chrono::milliseconds(250);
// The panels' numbers, histogram and focus trend change this often at most
// without input: five times a second is live to the eye.
constexpr auto kPanelPeriod = std::chrono::milliseconds(200);

// Pixels of 32 bits, X or A, R, G, B from the top byte down: what the
// display lookup writes. The window's own format when it is that, so the
// renderer copies rows as they are; SDL converts otherwise.
std::uint32_t TextureFormat(SDL_Window* window) {
    return SDL_GetWindowPixelFormat(window) == SDL_PIXELFORMAT_RGB888 ? SDL_PIXELFORMAT_RGB888
                                                                      : SDL_PIXELFORMAT_ARGB8888;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The time from one picture to the next: the display's refresh period (no
// shorter than kMaxPicturesPerSecond allows, and that where the display does
// not say), so that each refresh can show a new frame and no picture is
// drawn that no refresh would show.
std::chrono::steady_clock::duration PicturePeriod(SDL_Window* window) {
    SDL_DisplayMode mode{};
    int rate = kMaxPicturesPerSecond;
    const int display = SDL_GetWindowDisplayIndex(window);
    if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0) {
        rate = std::min(mode.refresh_rate, kMaxPicturesPerSecond);
    }
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(1.0 / rate));
}

// Whole milliseconds until due, rounded up so the wait does not end early.
int MillisecondsUntil(std::chrono::steady_clock::time_point due) {
    const auto left = due - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) return 0;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

}  // namespace

App::App(Options options) : options_(std::move(options)), probe_(options_.probe) {
    std::snprintf(folder_, sizeof folder_, "%s", options_.folder.c_str());
    fit_ = !options_.oneToOne;
}

App::~App() {
    camera_.Stop();
    if (texture_ != nullptr) SDL_DestroyTexture(texture_);
    if (panels_ != nullptr) SDL_DestroyTexture(panels_);
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
    if (!messages_.empty()) panelsStale_ = true;  // errors and notices at once
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
    if (paused_ || !source_.TakeNewest(frame_)) return;
    analysisStale_ = true;
    pictureStale_ = true;
    ++shown_;
}

// The histogram, clipping counts and focus are shown in the panels only:
// they are computed for the picture on screen when the panels are drawn,
// not for every picture shown.
void App::Analyse() {
    analysisStale_ = false;
    ComputeHistogram(frame_, histogram_);
    focus_ = FocusMeasure(frame_);
    focusTrend_[static_cast<std::size_t>(focusAt_)] = static_cast<float>(focus_);
    focusAt_ = (focusAt_ + 1) % static_cast<int>(focusTrend_.size());
}

void App::UpdatePicture() {
    if (frame_.Empty()) return;
    const int regionW = static_cast<int>(regionW_), regionH = static_cast<int>(regionH_);
    if (texture_ == nullptr || textureWidth_ != regionW || textureHeight_ != regionH) {
        if (texture_ != nullptr) SDL_DestroyTexture(texture_);
        // No blending: the renderer copies the rows as they are.
        texture_ = SDL_CreateTexture(renderer_, TextureFormat(window_), SDL_TEXTUREACCESS_STREAMING,
                                     regionW, regionH);
        textureWidth_ = regionW;
        textureHeight_ = regionH;
        if (texture_ == nullptr) return;
        SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
        pictureStale_ = true;
    }
    const Geometry geometry{scale_,  offsetX_,     offsetY_,     regionW,
                            regionH, frame_.width, frame_.height};
    const LookupKey key = KeyOf(frame_, histogram_, display_);
    const bool lookupStale = lookup_.empty() || !(key == lookupKey_);
    if (!pictureStale_ && !lookupStale && !displayChanged_ && geometry == geometry_) return;
    pictureStale_ = displayChanged_ = false;
    geometry_ = geometry;
    if (lookupStale) {
        BuildLookup(frame_, histogram_, display_, lookup_);
        lookupKey_ = key;
    }
    // The screen pixels whose centres lie on the picture; each shows the
    // sample under its centre (the nearest, in every zoom).
    const auto first = [](float edge) { return static_cast<int>(std::ceil(edge - 0.5f)); };
    const int x0 = std::max(0, first(offsetX_));
    const int x1 = std::min(regionW, first(offsetX_ + frame_.width * scale_));
    const int y0 = std::max(0, first(offsetY_));
    const int y1 = std::min(regionH, first(offsetY_ + frame_.height * scale_));
    shownRect_ = {x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
    if (shownRect_.w == 0 || shownRect_.h == 0) return;
    SampleIndices(shownRect_.w, static_cast<float>(x0) - offsetX_, scale_, frame_.width, columns_);
    SampleIndices(shownRect_.h, static_cast<float>(y0) - offsetY_, scale_, frame_.height, rows_);
    void* pixels = nullptr;
    int pitch = 0;
    const SDL_Rect area = {0, 0, shownRect_.w, shownRect_.h};
    if (SDL_LockTexture(texture_, &area, &pixels, &pitch) != 0) return;
    RenderScaled(frame_, lookup_, columns_, rows_, static_cast<std::uint8_t*>(pixels), pitch);
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

bool App::PanelTexture() {
    const int height = static_cast<int>(ImGui::GetMainViewport()->Size.y);
    if (panels_ != nullptr && panelsHeight_ == height) return true;
    if (panels_ != nullptr) SDL_DestroyTexture(panels_);
    panels_ = SDL_CreateTexture(renderer_, TextureFormat(window_), SDL_TEXTUREACCESS_TARGET,
                                static_cast<int>(kPanelWidth), std::max(1, height));
    panelsHeight_ = height;
    panelsStale_ = true;
    if (panels_ == nullptr) return false;
    SDL_SetTextureBlendMode(panels_, SDL_BLENDMODE_NONE);
    return true;
}

// The toolkit's backend takes the pointer from the desktop's global position,
// which SDL on X11 refreshes only on input from a physical device: a pointer
// moved by warping (remote control, synthesised input) stayed where the last
// button left it, so the window highlighted and scrolled what was no longer
// under it. Over the window its own motion events are current.
void App::TrackPointer() {
    if (SDL_GetMouseFocus() != window_) return;
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    ImGui::GetIO().MousePos = ImVec2(static_cast<float>(x), static_cast<float>(y));
}

void App::Render(bool input) {
    ++renders_;
    const auto now = Clock::now();
    const bool panelsDue = input || panelsStale_ || now - panelsDrawn_ >= kPanelPeriod;
    if (panelsDue && analysisStale_ && (paused_ || now - analysedAt_ >= kPanelPeriod)) {
        analysedAt_ = now;
        Analyse();
    }
    ImGui_ImplSDL2_NewFrame();
    TrackPointer();
    ImGui::NewFrame();
    widgetRects_.clear();
    editing_.clear();
    const ImGuiIO& io = ImGui::GetIO();
    seenMouse_[0] = io.MousePos.x;
    seenMouse_[1] = io.MousePos.y;
    seenButton_ = io.MouseDown[0];
    DrawPanels();
    DrawPicture();
    ImGui::Render();
    const ImDrawData* data = ImGui::GetDrawData();
    const SDL_Color background = {24, 24, 28, 255};
    SDL_SetRenderDrawColor(renderer_, background.r, background.g, background.b, background.a);
    // The panels into their own texture when they may have changed; copied
    // as they are otherwise (rasterising text is most of a window's cost).
    const bool cached = PanelTexture();
    if (cached && (panelsDue || panelsStale_)) {
        SDL_SetRenderTarget(renderer_, panels_);
        SDL_RenderClear(renderer_);
        draw_->Render(data, panelsList_, DrawBackend::kOnly);
        SDL_SetRenderTarget(renderer_, nullptr);
        panelsDrawn_ = now;
        panelsStale_ = false;
    }
    UpdatePicture();
    const SDL_Rect region = {static_cast<int>(regionX_), static_cast<int>(regionY_),
                             static_cast<int>(regionW_), static_cast<int>(regionH_)};
    SDL_Rect picture = {0, 0, 0, 0};
    if (texture_ != nullptr && !frame_.Empty()) {
        picture = {region.x + shownRect_.x, region.y + shownRect_.y, shownRect_.w, shownRect_.h};
    }
    // The region around the picture: up to four bands of the background.
    const SDL_Rect bands[] = {
        {region.x, region.y, region.w, picture.y - region.y},
        {region.x, picture.y + picture.h, region.w, region.y + region.h - picture.y - picture.h},
        {region.x, picture.y, picture.x - region.x, picture.h},
        {picture.x + picture.w, picture.y, region.x + region.w - picture.x - picture.w, picture.h}};
    if (picture.w == 0 || picture.h == 0) {
        SDL_RenderFillRect(renderer_, &region);
    } else {
        for (const SDL_Rect& band : bands) {
            if (band.w > 0 && band.h > 0) SDL_RenderFillRect(renderer_, &band);
        }
        const SDL_Rect source = {0, 0, picture.w, picture.h};
        SDL_RenderCopy(renderer_, texture_, &source, &picture);
    }
    if (cached) {
        const SDL_Rect panels = {0, 0, static_cast<int>(kPanelWidth), panelsHeight_};
        SDL_RenderCopy(renderer_, panels_, nullptr, &panels);
        draw_->Render(data, panelsList_, DrawBackend::kAllBut);
    } else {
        draw_->Render(data, nullptr, DrawBackend::kAllBut);
    }
    SDL_RenderPresent(renderer_);
}

int App::Run() {
    if (!OpenWindow()) return 1;
    camera_.Start(options_.device, options_.settings);
    Title();
    rateMark_ = lastPeriodic_ = Clock::now();
    int redraws = 2;  // Dear ImGui settles a change in the frame after it
    const Clock::duration period = PicturePeriod(window_);
    auto due = Clock::now();  // when the next picture may be drawn
    auto lastDraw = due - period;
    std::vector<SDL_Event> events, later;
    // Dear ImGui reads keys and buttons as states once per frame: a release
    // is held back until a frame has been drawn after its press, or a quick
    // press and release (synthetic input, a fast typist) would be missed,
    // also when the two come in separate wake-ups before the next picture.
    bool pressUnseen = false;
    while (!quit_) {
        bool held = false;
        events.clear();
        events.swap(later);
        SDL_Event event;
        if (events.empty()) {
            // Asleep until input or the next picture's time; once that has
            // come, woken again shortly to look for a new frame.
            const int wait = MillisecondsUntil(due);
            if (SDL_WaitEventTimeout(&event, wait > 0 ? wait : kLookAgainMs)) {
                events.push_back(event);
            }
        }
        while (SDL_PollEvent(&event)) events.push_back(event);
        for (const SDL_Event& e : events) {
            const bool press = e.type == SDL_KEYDOWN || e.type == SDL_MOUSEBUTTONDOWN;
            const bool release = e.type == SDL_KEYUP || e.type == SDL_MOUSEBUTTONUP;
            if (held || (release && pressUnseen)) {
                held = true;
                later.push_back(e);
                continue;
            }
            pressUnseen = pressUnseen || press;
            HandleEvent(e);
        }
        if (!events.empty()) redraws = 2;
        const auto now = Clock::now();
        TakeCamera();
        Periodic();
        if (!held && now < due) continue;
        const std::uint64_t before = shown_;
        const bool changed = displayChanged_;
        TakeFrame();
        if (!held && shown_ == before && !changed && redraws == 0 && now - lastDraw < kPeriodic) {
            continue;
        }
        const bool input = held || redraws > 0;
        if (redraws > 0) --redraws;
        lastDraw = now;
        if (now >= due) {
            // A steady pace: the next picture is due one period after this
            // one was, so waking a little late does not add up from picture
            // to picture. After a stall of more than a period, one period
            // from now: no burst of pictures to catch up.
            due += period;
            if (due <= now) due = now + period;
        }
        Render(input);
        pressUnseen = false;
        // A test aiming input waits for each step to be seen in a window drawn.
        if (input && probe_.Enabled()) WriteProbe();
    }
    return 0;
}

}  // namespace nodrix_viewer
