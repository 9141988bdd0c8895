#include "DrawBackend.h"

#include <SDL.h>
#include <imgui.h>

#include <cstddef>

namespace nodrix_viewer {

DrawBackend::DrawBackend(SDL_Renderer* renderer) : renderer_(renderer) {
    ImGuiIO& io = ImGui::GetIO();
    io.BackendRendererName = "nodrix_sdl_renderer";
    io.BackendFlags |= ImGuiBackendFlags_RendererHasVtxOffset;
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    font_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC, width,
                              height);
    if (font_ == nullptr) return;
    SDL_UpdateTexture(font_, nullptr, pixels, width * 4);
    SDL_SetTextureBlendMode(font_, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(font_, SDL_ScaleModeLinear);
    io.Fonts->SetTexID(static_cast<ImTextureID>(font_));
}

DrawBackend::~DrawBackend() {
    if (font_ != nullptr) {
        ImGui::GetIO().Fonts->SetTexID(nullptr);
        SDL_DestroyTexture(font_);
    }
}

void DrawBackend::Render(const ImDrawData* data, const ImDrawList* chosen, Which which) {
    const ImVec2 origin = data->DisplayPos;
    SDL_Rect oldViewport;
    SDL_RenderGetViewport(renderer_, &oldViewport);
    for (int n = 0; n < data->CmdListsCount; ++n) {
        const ImDrawList* list = data->CmdLists[n];
        if ((list == chosen) != (which == kOnly)) continue;
        const ImDrawVert* vertices = list->VtxBuffer.Data;
        const ImDrawIdx* indices = list->IdxBuffer.Data;
        for (const ImDrawCmd& cmd : list->CmdBuffer) {
            if (cmd.UserCallback != nullptr) {
                cmd.UserCallback(list, &cmd);
                continue;
            }
            const ImVec2 clipMin(cmd.ClipRect.x - origin.x, cmd.ClipRect.y - origin.y);
            const ImVec2 clipMax(cmd.ClipRect.z - origin.x, cmd.ClipRect.w - origin.y);
            if (clipMax.x <= clipMin.x || clipMax.y <= clipMin.y) continue;
            const SDL_Rect clip = {static_cast<int>(clipMin.x), static_cast<int>(clipMin.y),
                                   static_cast<int>(clipMax.x - clipMin.x),
                                   static_cast<int>(clipMax.y - clipMin.y)};
            SDL_RenderSetClipRect(renderer_, &clip);
            const ImDrawVert* first = vertices + cmd.VtxOffset;
            const char* base = reinterpret_cast<const char*>(first);
            SDL_RenderGeometryRaw(
                renderer_, static_cast<SDL_Texture*>(cmd.GetTexID()),
                reinterpret_cast<const float*>(base + offsetof(ImDrawVert, pos)),
                sizeof(ImDrawVert),
                reinterpret_cast<const SDL_Color*>(base + offsetof(ImDrawVert, col)),
                sizeof(ImDrawVert), reinterpret_cast<const float*>(base + offsetof(ImDrawVert, uv)),
                sizeof(ImDrawVert), static_cast<int>(list->VtxBuffer.Size - cmd.VtxOffset),
                indices + cmd.IdxOffset, static_cast<int>(cmd.ElemCount), sizeof(ImDrawIdx));
        }
    }
    SDL_RenderSetClipRect(renderer_, nullptr);
    SDL_RenderSetViewport(renderer_, &oldViewport);
}

}  // namespace nodrix_viewer
