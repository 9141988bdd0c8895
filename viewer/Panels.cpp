// The panels on the left: camera, display, histogram and focus, stream,
// controls, files, configuration.
#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "App.h"
#include "Files.h"
#include "Spawn.h"

namespace nodrix_viewer {
namespace {

const ImVec4 kErrorColour(1.0f, 0.45f, 0.4f, 1.0f);
const ImVec4 kNoticeColour(0.6f, 0.9f, 0.6f, 1.0f);

bool IsSwitch(const nodrix_tool::Parameter& p) {
    return p.range == nodrix_tool::Range::kFixed && p.low == 0 && p.high == 1;
}

}  // namespace

void App::NoteWidget(const std::string& name) {
    const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
    widgetRects_.push_back({name, {min.x, min.y, max.x - min.x, max.y - min.y}});
    if (ImGui::IsItemActive() && ImGui::GetIO().WantTextInput) editing_ = name;
}

void App::DrawPanels() {
    const ImGuiViewport* viewport = ImGui::GetMainViewport();
    ImGui::SetNextWindowPos(viewport->Pos);
    ImGui::SetNextWindowSize(ImVec2(kPanelWidth, viewport->Size.y));
    ImGui::Begin("panels", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoBringToFrontOnFocus |
                     ImGuiWindowFlags_AlwaysVerticalScrollbar);
    ImGui::PushItemWidth(-170.0f);
    if (!error_.empty()) {
        ImGui::PushStyleColor(ImGuiCol_Text, kErrorColour);
        ImGui::TextWrapped("%s", error_.c_str());
        ImGui::PopStyleColor();
        if (view_.state != CameraState::kLost && ImGui::SmallButton("Dismiss")) error_.clear();
    }
    if (!notice_.empty()) ImGui::TextColored(kNoticeColour, "%s", notice_.c_str());
    CameraPanel();
    DisplayPanel();
    HistogramPanel();
    StreamPanel();
    FilesPanel();
    ControlsPanel();
    ConfigurationPanel();
    ImGui::PopItemWidth();
    panelsList_ = ImGui::GetWindowDrawList();
    ImGui::End();
    regionX_ = viewport->Pos.x + kPanelWidth;
    regionY_ = viewport->Pos.y;
    regionW_ = std::max(1.0f, viewport->Size.x - kPanelWidth);
    regionH_ = viewport->Size.y;
}

void App::CameraPanel() {
    if (!ImGui::CollapsingHeader("Camera", ImGuiTreeNodeFlags_DefaultOpen)) return;
    const char* states[] = {"no camera", "live", "lost"};
    ImGui::Text("%s  %s  %s", view_.name.c_str(), view_.serial.c_str(),
                states[static_cast<int>(view_.state)]);
    if (EmulationAsked()) ImGui::TextDisabled("emulated camera (NODRIX_EMULATION)");
    if (view_.temperatureOk) ImGui::Text("Temperature: %.1f °C", view_.temperature);
    for (std::size_t i = 0; i < view_.cameras.size(); ++i) {
        ImGui::PushID(static_cast<int>(i));
        const bool self = static_cast<int>(i) == view_.device;
        ImGui::BulletText("%s%s", view_.cameras[i].c_str(), self ? " (this window)" : "");
        if (!self) {
            ImGui::SameLine();
            if (ImGui::SmallButton("Open in a new window") && !SpawnViewer(static_cast<int>(i))) {
                ShowError("could not start another viewer");
            }
            NoteWidget("open-" + std::to_string(i + 1));
        }
        ImGui::PopID();
    }
}

void App::DisplayPanel() {
    if (!ImGui::CollapsingHeader("Display", ImGuiTreeNodeFlags_DefaultOpen)) return;
    int mapping = display_.mapping == Mapping::kLinear ? 0 : 1;
    if (ImGui::Combo("Mapping (A)", &mapping, "Linear\0Auto contrast\0")) {
        display_.mapping = mapping == 0 ? Mapping::kLinear : Mapping::kAutoContrast;
        displayChanged_ = true;
    }
    if (ImGui::Checkbox("Mark clipping (M)", &display_.markClipping)) displayChanged_ = true;
    if (ImGui::IsItemHovered()) ImGui::SetTooltip("saturated samples red, black ones blue");
    ImGui::Checkbox("Crosshair (C)", &crosshair_);
    ImGui::SameLine();
    ImGui::Checkbox("Grid (G)", &grid_);
    ImGui::SameLine();
    ImGui::Checkbox("Pause (Space)", &paused_);
    if (ImGui::Button("Fit (F)")) fit_ = true;
    ImGui::SameLine();
    if (ImGui::Button("1:1 (1)")) {
        fit_ = false;
        scale_ = 1.0f;
        offsetX_ = offsetY_ = 0.0f;
    }
    ImGui::SameLine();
    ImGui::Text("zoom %.0f %%", scale_ * 100.0f);
    if (!frame_.Empty()) {
        ImGui::Text("%d x %d, %d bits per pixel, %d significant", frame_.width, frame_.height,
                    frame_.bitsPerPixel, frame_.significantBits);
    }
    if (cursorX_ >= 0 && cursorY_ >= 0 && cursorX_ < frame_.width && cursorY_ < frame_.height) {
        if (frame_.Channels() == 1) {
            ImGui::Text("x %d  y %d  value %d", cursorX_, cursorY_,
                        frame_.Sample(cursorX_, cursorY_, 0));
        } else {
            ImGui::Text("x %d  y %d  R %d G %d B %d", cursorX_, cursorY_,
                        frame_.Sample(cursorX_, cursorY_, 2), frame_.Sample(cursorX_, cursorY_, 1),
                        frame_.Sample(cursorX_, cursorY_, 0));
        }
    } else {
        ImGui::TextDisabled("point at the picture for a pixel's value");
    }
}

void App::HistogramPanel() {
    if (!ImGui::CollapsingHeader("Histogram and focus", ImGuiTreeNodeFlags_DefaultOpen)) return;
    float bins[Histogram::kBins];
    float top = 1.0f;
    for (int i = 0; i < Histogram::kBins; ++i) {
        bins[i] =
            std::log10(1.0f + static_cast<float>(histogram_.bins[static_cast<std::size_t>(i)]));
        top = std::max(top, bins[i]);
    }
    ImGui::PlotHistogram("##histogram", bins, Histogram::kBins, 0, "log count", 0.0f, top,
                         ImVec2(kPanelWidth - 30.0f, 110.0f));
    const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
    histogramRect_[0] = min.x;
    histogramRect_[1] = min.y;
    histogramRect_[2] = max.x - min.x;
    histogramRect_[3] = max.y - min.y;
    const double total = histogram_.samples > 0 ? static_cast<double>(histogram_.samples) : 1.0;
    ImGui::Text("0 .. %d   mean %.1f   0.5%%..99.5%%: %d .. %d",
                frame_.Empty() ? 0 : frame_.MaxSample(), histogram_.mean, histogram_.low,
                histogram_.high);
    ImGui::PushStyleColor(ImGuiCol_Text, histogram_.saturated > 0
                                             ? kErrorColour
                                             : ImGui::GetStyleColorVec4(ImGuiCol_Text));
    ImGui::Text("saturated %llu (%.3f %%)", static_cast<unsigned long long>(histogram_.saturated),
                100.0 * static_cast<double>(histogram_.saturated) / total);
    ImGui::PopStyleColor();
    ImGui::SameLine();
    ImGui::Text("  black %llu (%.3f %%)", static_cast<unsigned long long>(histogram_.black),
                100.0 * static_cast<double>(histogram_.black) / total);
    char focus[64];
    std::snprintf(focus, sizeof focus, "focus %.2f", focus_);
    ImGui::PlotLines("##focus", focusTrend_.data(), static_cast<int>(focusTrend_.size()), focusAt_,
                     focus, 0.0f, FLT_MAX, ImVec2(kPanelWidth - 30.0f, 50.0f));
    if (ImGui::IsItemHovered()) {
        ImGui::SetTooltip(
            "mean squared difference of neighbouring pixels in the middle of the "
            "picture; turn the lens for the highest value");
    }
}

void App::StreamPanel() {
    if (!ImGui::CollapsingHeader("Stream", ImGuiTreeNodeFlags_DefaultOpen)) return;
    const NodrixExStreamStatistics& s = view_.statistics;
    ImGui::Text("received %.1f fps   delivered %.1f fps   shown %.1f fps", s.receivedRate,
                s.deliveredRate, shownRate_);
    ImGui::Text("frames %llu received, %llu delivered",
                static_cast<unsigned long long>(s.framesReceived),
                static_cast<unsigned long long>(s.framesDelivered));
    if (ImGui::BeginTable("losses", 2, ImGuiTableFlags_SizingStretchProp)) {
        const std::pair<const char*, std::uint64_t> rows[] = {
            {"lost: header", s.lostHeader},
            {"lost: payload", s.lostPayload},
            {"lost: skipped by the camera", s.lostGap},
            {"lost: overwritten", s.lostOverwritten},
            {"lost: buffer too small", s.lostBufferTooSmall},
            {"lost: no empty buffer", s.lostNoBuffer},
            {"recoveries", s.recoveries}};
        for (const auto& row : rows) {
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            ImGui::TextUnformatted(row.first);
            ImGui::TableNextColumn();
            ImGui::Text("%llu", static_cast<unsigned long long>(row.second));
        }
        ImGui::EndTable();
    }
    if (ImGui::SmallButton("Reset statistics")) camera_.ResetStatistics();
}

void App::ControlWidget(Control& c) {
    const nodrix_tool::Parameter& p = *c.parameter;
    const char* name = p.info.name;
    ImGui::PushID(name);
    bool changed = false;
    double value = c.value;
    std::string text;
    if (p.kind == nodrix_tool::Kind::kWindow) {
        if (!ImGui::IsAnyItemActive())
            std::snprintf(windowText_, sizeof windowText_, "%s", c.text.c_str());
        if (ImGui::InputText(name, windowText_, sizeof windowText_,
                             ImGuiInputTextFlags_EnterReturnsTrue)) {
            SetWindow(windowText_);
        }
    } else if (p.kind == nodrix_tool::Kind::kBits) {
        int choice = c.value == 16 ? 1 : 0;
        if (ImGui::Combo(name, &choice, "8\00016\0")) {
            value = choice == 1 ? 16 : 8;
            changed = true;
        }
    } else if (p.kind == nodrix_tool::Kind::kAutoIris) {
        int choice = std::clamp(static_cast<int>(c.value), 0, 2);
        if (ImGui::Combo(name, &choice, "off\0mode 1\0mode 2\0")) {
            value = choice;
            changed = true;
        }
    } else if (IsSwitch(p)) {
        bool on = c.value != 0;
        if (ImGui::Checkbox(name, &on)) {
            value = on ? 1 : 0;
            changed = true;
        }
    } else {
        const bool whole = p.kind != nodrix_tool::Kind::kExposureMs;
        ImGui::SetNextItemWidth(110.0f);
        if (ImGui::InputDouble("##typed", &value, 0.0, 0.0, whole ? "%.0f" : "%.3f",
                               ImGuiInputTextFlags_EnterReturnsTrue)) {
            changed = true;
        }
        NoteWidget(name);
        ImGui::SameLine();
        ImGui::SetNextItemWidth(std::max(40.0f, kPanelWidth - 300.0f));
        double slider = c.value;
        const ImGuiSliderFlags log =
            p.kind == nodrix_tool::Kind::kExposureMs ? ImGuiSliderFlags_Logarithmic : 0;
        if (ImGui::SliderScalar("##slider", ImGuiDataType_Double, &slider, &c.low, &c.high,
                                whole ? "%.0f" : "%.3f", log | ImGuiSliderFlags_AlwaysClamp) &&
            !ImGui::IsMouseDragging(ImGuiMouseButton_Left, 0.0f)) {
            value = slider;
            changed = true;
        }
        if (ImGui::IsItemDeactivatedAfterEdit()) {
            value = slider;
            changed = true;
        }
        ImGui::SameLine();
        ImGui::TextUnformatted(name);
    }
    if (ImGui::IsItemHovered()) {
        ImGui::SetTooltip("%s\nrange %g .. %g%s", p.info.meaning, c.low, c.high,
                          p.info.stored ? "" : "\n(not stored with the camera's settings)");
    }
    if (changed) {
        camera_.Set(name, value, text);
        c.value = value;  // shown until the worker reads the camera's own
    }
    ImGui::PopID();
}

void App::ControlsPanel() {
    if (!ImGui::CollapsingHeader("Camera controls", ImGuiTreeNodeFlags_DefaultOpen)) return;
    for (Control& c : view_.controls) {
        if (c.parameter->kind == nodrix_tool::Kind::kExposureS) continue;  // the same in ms
        ControlWidget(c);
    }
    if (ImGui::Checkbox("Draw the capture window", &drawingWindow_) && drawingWindow_) {
        notice_ = "drag over the rows to capture (the camera reads whole rows)";
    }
    NoteWidget("draw-window");
    ImGui::SameLine();
    if (ImGui::SmallButton("Full sensor") && view_.maxWidth > 0) {
        const Control* window = view_.Find("window");
        int w = 0, h = 0, x = 0, y = 0;
        if (window != nullptr) std::sscanf(window->text.c_str(), "%dx%d+%d+%d", &w, &h, &x, &y);
        ApplyWindow(-x, -y, view_.maxWidth, view_.maxHeight);
    }
}

void App::FilesPanel() {
    if (!ImGui::CollapsingHeader("Snapshot and recording", ImGuiTreeNodeFlags_DefaultOpen)) return;
    ImGui::InputText("Folder", folder_, sizeof folder_);
    const StillFormat* formats = StillFormats();
    if (ImGui::BeginCombo("Still format", formats[formatIndex_].label)) {
        for (int i = 0; i < StillFormatCount(); ++i) {
            if (ImGui::Selectable(formats[i].label, i == formatIndex_)) formatIndex_ = i;
        }
        ImGui::EndCombo();
    }
    if (frame_.bitsPerPixel == 16 && formats[formatIndex_].code == NODRIX_IMAGE_BMP) {
        ImGui::TextDisabled("a 16-bit BMP holds the raw samples");
    } else if (frame_.bitsPerPixel == 16 && std::string(formats[formatIndex_].extension) == "jpg") {
        ImGui::TextDisabled("JPEG keeps the top eight significant bits");
    }
    if (ImGui::Button("Snapshot (S)")) Snapshot();
    if (!view_.lastSnapshot.empty()) {
        ImGui::SameLine();
        ImGui::TextDisabled("%s", view_.lastSnapshot.c_str());
    }
    ImGui::InputDouble("Recording seconds", &options_.recordSeconds, 1.0, 10.0, "%.1f");
    options_.recordSeconds = std::clamp(options_.recordSeconds, 0.1, 86400.0);
    if (ImGui::Button(view_.recording ? "Stop recording (R)" : "Record AVI (R)")) {
        ToggleRecording();
    }
    if (view_.recording) {
        const double elapsed = std::chrono::duration<double>(Clock::now() - recordStart_).count();
        char progress[128];
        std::snprintf(progress, sizeof progress, "%.1f s of %.1f s, %.1f MB", elapsed,
                      options_.recordSeconds, FileBytes(view_.recordFile) / 1e6);
        ImGui::ProgressBar(static_cast<float>(std::min(1.0, elapsed / options_.recordSeconds)),
                           ImVec2(-1.0f, 0.0f), progress);
    } else if (!view_.lastRecording.empty()) {
        ImGui::SameLine();
        ImGui::TextDisabled("%s (%.1f MB)", view_.lastRecording.c_str(),
                            FileBytes(view_.lastRecording) / 1e6);
    }
}

void App::ConfigurationPanel() {
    if (!ImGui::CollapsingHeader("Configuration", ImGuiTreeNodeFlags_DefaultOpen)) return;
    ImGui::InputText("File", configPath_, sizeof configPath_);
    if (ImGui::Button("Load")) camera_.LoadConfiguration(configPath_);
    NoteWidget("configuration-load");
    ImGui::SameLine();
    if (ImGui::Button("Save")) camera_.SaveConfiguration(configPath_);
    NoteWidget("configuration-save");
    if (ImGui::Checkbox("Store the settings in the camera", &storeAtClose_)) {
        camera_.StoreAtClose(storeAtClose_);
    }
    NoteWidget("store-settings");
    if (ImGui::IsItemHovered()) {
        ImGui::SetTooltip(
            "On: the camera stores the values in effect when the viewer closes.\n"
            "Off: the camera's stored settings stay as they were.");
    }
}

}  // namespace nodrix_viewer
