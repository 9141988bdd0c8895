#pragma once
// Draws Dear ImGui's draw lists with SDL's 2D renderer (which needs no GPU
// and runs under a virtual X server). The font atlas is a texture of its own.

struct SDL_Renderer;
struct SDL_Texture;
struct ImDrawData;
struct ImDrawList;

namespace nodrix_viewer {

class DrawBackend {
public:
    explicit DrawBackend(SDL_Renderer* renderer);
    ~DrawBackend();
    DrawBackend(const DrawBackend&) = delete;
    DrawBackend& operator=(const DrawBackend&) = delete;

    bool Ok() const { return font_ != nullptr; }
    // Draws one list of data (kOnly) or every list but that one (kAllBut;
    // every list when it is null).
    enum Which { kOnly, kAllBut };
    void Render(const ImDrawData* data, const ImDrawList* list, Which which);

private:
    SDL_Renderer* renderer_;
    SDL_Texture* font_ = nullptr;
};

}  // namespace nodrix_viewer
