#pragma once
// The viewer's window: the camera's picture on the right, the panels on the
// left, the camera connection behind them.

#include <SDL.h>

#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "Analysis.h"
#include "Camera.h"
#include "DrawBackend.h"
#include "Frame.h"
#include "FrameSource.h"
#include "NodrixSdkEx.h"
#include "Probe.h"

struct ImDrawList;

namespace nodrix_viewer {

inline constexpr float kPanelWidth = 400.0f;  // the panels on the left; the picture beside them

struct Options {
    int device = 0;                     // 0-based
    std::vector<std::string> settings;  // NAME=VALUE applied after opening
    std::string folder = ".";           // snapshots and recordings
    double recordSeconds = 10.0;
    bool oneToOne = false;
    int width = 1400, height = 900;
    std::string probe;  // JSON state file for tests
};

class App {
public:
    explicit App(Options options);
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Opens the window and the camera and runs until the window closes.
    int Run();

private:
    using Clock = std::chrono::steady_clock;

    bool OpenWindow();
    void HandleEvent(const SDL_Event& event);
    void Shortcut(const SDL_Keysym& key);
    void Periodic();
    void TakeCamera();
    void TakeFrame();
    void Analyse();
    void UpdatePicture();
    bool PanelTexture();
    void Render(bool input);
    void TrackPointer();
    void Title();
    void ShowError(const std::string& text);

    // Panels.cpp
    void DrawPanels();
    void CameraPanel();
    void DisplayPanel();
    void HistogramPanel();
    void StreamPanel();
    void ControlsPanel();
    void FilesPanel();
    void ConfigurationPanel();
    void ControlWidget(Control& control);
    void NoteWidget(const std::string& name);  // the last item's rectangle, for --probe
    // PictureView.cpp
    void DrawPicture();
    void PictureInput(float x, float y, float w, float h);
    void Overlays(ImDrawList* draw);

    // Actions
    void Snapshot();
    void ToggleRecording();
    void ApplyWindow(int x, int y, int width, int height);
    void SetWindow(const std::string& text);
    void WriteProbe();

    Options options_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    std::unique_ptr<DrawBackend> draw_;
    // The picture as it is shown (mapped and scaled by the viewer, copied
    // 1:1 by the renderer), the size of the picture region.
    SDL_Texture* texture_ = nullptr;
    int textureWidth_ = 0, textureHeight_ = 0;
    SDL_Rect shownRect_{};  // where the picture lies in the region
    std::vector<int> columns_, rows_;
    struct Geometry {
        float scale = 0, left = 0, top = 0;
        int regionW = 0, regionH = 0, width = 0, height = 0;
        bool operator==(const Geometry&) const = default;
    } geometry_;  // what texture_ was drawn for
    bool pictureStale_ = true;
    // The panels, drawn again only when they may look different: after
    // input, a change reported by the camera worker, or kPanelPeriod.
    SDL_Texture* panels_ = nullptr;
    int panelsHeight_ = 0;
    const ImDrawList* panelsList_ = nullptr;  // this frame's draw list of the panels
    bool panelsStale_ = true;
    std::chrono::steady_clock::time_point panelsDrawn_;
    bool analysisStale_ = false;  // frame_ is newer than the histogram and focus
    std::chrono::steady_clock::time_point analysedAt_;
    bool quit_ = false;

    FrameSource source_;
    Camera camera_{source_};  // the only caller of the library besides the frame source
    CameraView view_;         // the camera as the worker published it last
    std::vector<CameraMessage> messages_;
    bool storeAtClose_ = false;

    nodrix_viewer::Frame frame_;
    Histogram histogram_;
    std::vector<std::uint32_t> lookup_;
    LookupKey lookupKey_;  // what lookup_ was built from
    DisplayOptions display_;
    bool displayChanged_ = false;
    bool paused_ = false;
    double focus_ = 0.0;
    std::array<float, 120> focusTrend_{};
    int focusAt_ = 0;

    // View: image pixel (0, 0) at picture-region position offset_, scaled.
    bool fit_ = true;
    float scale_ = 1.0f;
    float offsetX_ = 0.0f, offsetY_ = 0.0f;
    float regionX_ = 0, regionY_ = 0, regionW_ = 0, regionH_ = 0;
    bool crosshair_ = false;
    bool grid_ = false;
    bool drawingWindow_ = false;
    bool dragging_ = false;
    float dragX_ = 0, dragY_ = 0;  // image position where the drag began
    int cursorX_ = -1, cursorY_ = -1;
    float histogramRect_[4] = {};

    std::uint64_t shown_ = 0;
    std::uint64_t renders_ = 0;  // windows drawn
    std::uint64_t shownAtMark_ = 0;
    double shownRate_ = 0.0;
    Clock::time_point rateMark_;
    Clock::time_point lastPeriodic_;

    std::string error_;
    std::string notice_;
    int formatIndex_ = 0;
    Clock::time_point recordStart_;
    char folder_[512] = {};
    char configPath_[512] = "nodrix-viewer.conf";
    char windowText_[64] = {};

    Probe probe_;
    std::vector<std::pair<std::string, std::array<float, 4>>> widgetRects_;
    // What the last window drawn made of the input, for the probe: where
    // the pointer was, whether its left button was down, which text field
    // was being edited.
    float seenMouse_[2] = {};
    bool seenButton_ = false;
    std::string editing_;
};

}  // namespace nodrix_viewer
