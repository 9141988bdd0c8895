// The picture region: fit, 1:1 and wheel zoom, panning, the pixel under the
// cursor, the crosshair, grid and capture-window overlays.
#include <imgui.h>

#include <algorithm>
#include <cmath>

#include "App.h"

namespace nodrix_viewer {

void App::DrawPicture() {
    ImGui::SetNextWindowPos(ImVec2(regionX_, regionY_));
    ImGui::SetNextWindowSize(ImVec2(regionW_, regionH_));
    ImGui::Begin("picture", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoBackground | ImGuiWindowFlags_NoBringToFrontOnFocus |
                     ImGuiWindowFlags_NoScrollWithMouse);
    if (!frame_.Empty() && fit_) {
        scale_ = std::min(regionW_ / frame_.width, regionH_ / frame_.height);
        offsetX_ = (regionW_ - frame_.width * scale_) / 2.0f;
        offsetY_ = (regionH_ - frame_.height * scale_) / 2.0f;
    }
    ImGui::InvisibleButton("picture-input", ImVec2(regionW_, regionH_),
                           ImGuiButtonFlags_MouseButtonLeft | ImGuiButtonFlags_MouseButtonMiddle);
    PictureInput(regionX_, regionY_, regionW_, regionH_);
    ImDrawList* draw = ImGui::GetWindowDrawList();
    Overlays(draw);
    if (frame_.Empty()) {
        const char* text = view_.state == CameraState::kLost ? "camera lost" : "no picture";
        draw->AddText(ImVec2(regionX_ + 20, regionY_ + 20), IM_COL32(200, 200, 200, 255), text);
    }
    if (!error_.empty()) {
        // Errors stand over the picture as well, where the user looks.
        const ImVec2 at(regionX_ + 10, regionY_ + regionH_ - 34);
        const ImVec2 size = ImGui::CalcTextSize(error_.c_str());
        draw->AddRectFilled(at, ImVec2(at.x + size.x + 16, at.y + size.y + 10),
                            IM_COL32(120, 20, 20, 230), 4.0f);
        draw->AddText(ImVec2(at.x + 8, at.y + 5), IM_COL32(255, 255, 255, 255), error_.c_str());
    }
    ImGui::End();
}

void App::PictureInput(float x, float y, float, float) {
    const ImGuiIO& io = ImGui::GetIO();
    const bool hovered = ImGui::IsItemHovered();
    const float imageX = (io.MousePos.x - x - offsetX_) / scale_;
    const float imageY = (io.MousePos.y - y - offsetY_) / scale_;
    cursorX_ = hovered ? static_cast<int>(std::floor(imageX)) : -1;
    cursorY_ = hovered ? static_cast<int>(std::floor(imageY)) : -1;
    if (hovered && io.MouseWheel != 0.0f && !frame_.Empty()) {
        // The point under the cursor stays where it is.
        const float factor = std::pow(1.25f, io.MouseWheel);
        const float next = std::clamp(scale_ * factor, 0.05f, 64.0f);
        offsetX_ = io.MousePos.x - x - imageX * next;
        offsetY_ = io.MousePos.y - y - imageY * next;
        scale_ = next;
        fit_ = false;
    }
    if (drawingWindow_) {
        if (ImGui::IsItemActivated()) {
            dragging_ = true;
            dragX_ = std::clamp(imageX, 0.0f, static_cast<float>(frame_.width));
            dragY_ = std::clamp(imageY, 0.0f, static_cast<float>(frame_.height));
        }
        if (dragging_ && ImGui::IsItemDeactivated()) {
            dragging_ = false;
            drawingWindow_ = false;
            const float endX = std::clamp(imageX, 0.0f, static_cast<float>(frame_.width));
            const float endY = std::clamp(imageY, 0.0f, static_cast<float>(frame_.height));
            // The camera reads whole rows of its sensor: the rectangle
            // chooses the rows, the width stays (any other is refused).
            const int top = static_cast<int>(std::min(dragY_, endY));
            const int width = static_cast<int>(std::fabs(endX - dragX_));
            const int height = static_cast<int>(std::fabs(endY - dragY_));
            if (width >= 8 && height >= 8) ApplyWindow(0, top, frame_.width, height);
        }
        return;
    }
    if (ImGui::IsItemActive() && (ImGui::IsMouseDragging(ImGuiMouseButton_Left) ||
                                  ImGui::IsMouseDragging(ImGuiMouseButton_Middle))) {
        offsetX_ += io.MouseDelta.x;
        offsetY_ += io.MouseDelta.y;
        fit_ = false;
    }
}

void App::Overlays(ImDrawList* draw) {
    if (frame_.Empty()) return;
    const float left = regionX_ + offsetX_, top = regionY_ + offsetY_;
    const float width = frame_.width * scale_, height = frame_.height * scale_;
    const ImU32 line = IM_COL32(255, 210, 0, 200);
    if (grid_) {
        for (int i = 1; i < 8; ++i) {
            const float gx = left + width * i / 8.0f, gy = top + height * i / 8.0f;
            draw->AddLine(ImVec2(gx, top), ImVec2(gx, top + height), IM_COL32(255, 255, 255, 90));
            draw->AddLine(ImVec2(left, gy), ImVec2(left + width, gy), IM_COL32(255, 255, 255, 90));
        }
    }
    if (crosshair_) {
        const float cx = left + width / 2.0f, cy = top + height / 2.0f;
        draw->AddLine(ImVec2(cx, top), ImVec2(cx, top + height), line, 1.5f);
        draw->AddLine(ImVec2(left, cy), ImVec2(left + width, cy), line, 1.5f);
        draw->AddCircle(ImVec2(cx, cy), 20.0f, line, 32, 1.5f);
    }
    if (drawingWindow_ && dragging_) {
        const ImGuiIO& io = ImGui::GetIO();
        draw->AddRect(ImVec2(left, top + dragY_ * scale_), ImVec2(left + width, io.MousePos.y),
                      IM_COL32(80, 200, 255, 255), 0.0f, 0, 2.0f);
    }
}

void App::WriteProbe() {
    probe_.Begin();
    int wx = 0, wy = 0, ww = 0, wh = 0;
    SDL_GetWindowPosition(window_, &wx, &wy);
    SDL_GetWindowSize(window_, &ww, &wh);
    probe_.Rect("window", static_cast<float>(wx), static_cast<float>(wy), static_cast<float>(ww),
                static_cast<float>(wh));
    probe_.Rect("picture", regionX_, regionY_, regionW_, regionH_);
    probe_.Rect("image", regionX_ + offsetX_, regionY_ + offsetY_, frame_.width * scale_,
                frame_.height * scale_);
    probe_.Number("scale", scale_);
    probe_.Rect("histogram", histogramRect_[0], histogramRect_[1], histogramRect_[2],
                histogramRect_[3]);
    const char* states[] = {"no camera", "streaming", "lost"};
    probe_.Text("state", states[static_cast<int>(view_.state)]);
    probe_.Text("error", error_);
    probe_.Text("notice", notice_);
    probe_.Text("title", SDL_GetWindowTitle(window_));
    probe_.Number("shown", static_cast<double>(shown_));
    probe_.Number("renders", static_cast<double>(renders_));
    probe_.Rect("mouse", seenMouse_[0], seenMouse_[1], 0, 0);
    probe_.Number("mouse_down", seenButton_ ? 1 : 0);
    probe_.Text("editing", editing_);
    probe_.Number("received", static_cast<double>(source_.Received()));
    // Frames lost for want of an empty buffer: the one loss the viewer controls.
    probe_.Number("lost_no_buffer", static_cast<double>(view_.statistics.lostNoBuffer));
    probe_.Number("lost_overwritten", static_cast<double>(view_.statistics.lostOverwritten));
    probe_.Number("frame_number", frame_.frameNumber);
    probe_.Number("frame_width", frame_.width);
    probe_.Number("frame_height", frame_.height);
    probe_.Number("frame_bits", frame_.bitsPerPixel);
    probe_.Number("saturated", static_cast<double>(histogram_.saturated));
    probe_.Number("histogram_samples", static_cast<double>(histogram_.samples));
    probe_.Number("focus", focus_);
    probe_.Number("frame_exposure_ms", frame_.exposureMs);
    probe_.Number("paused", paused_ ? 1 : 0);
    probe_.Number("marks", display_.markClipping ? 1 : 0);
    probe_.Number("crosshair", crosshair_ ? 1 : 0);
    probe_.Number("grid", grid_ ? 1 : 0);
    probe_.Number("recording", view_.recording ? 1 : 0);
    probe_.Number("store_settings", view_.storeAtClose ? 1 : 0);
    probe_.Text("snapshot", view_.lastSnapshot);
    probe_.Text("recorded", view_.lastRecording);
    probe_.Object("widgets");
    for (const auto& [name, r] : widgetRects_) probe_.Rect(name.c_str(), r[0], r[1], r[2], r[3]);
    probe_.End();
    probe_.Object("values");
    for (const Control& c : view_.controls) {
        if (c.parameter->kind == nodrix_tool::Kind::kWindow) {
            probe_.Text(c.parameter->info.name, c.text);
        } else if (c.readable) {
            probe_.Number(c.parameter->info.name, c.value);
        }
    }
    probe_.End();
    probe_.Write();
}

}  // namespace nodrix_viewer
