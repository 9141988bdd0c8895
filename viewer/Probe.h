#pragma once
// For tests and scripts: the window's state written as a JSON file (where
// the picture, the histogram and every control are on the screen, the
// values read back from the camera, the error shown), so that a test can
// aim synthetic input and check what the window says.

#include <string>
#include <vector>

namespace nodrix_viewer {

class Probe {
public:
    explicit Probe(std::string path) : path_(std::move(path)) {}
    bool Enabled() const { return !path_.empty(); }

    void Begin();
    void Number(const char* key, double value);
    void Text(const char* key, const std::string& value);
    void Rect(const char* key, float x, float y, float w, float h);
    void Object(const char* key);  // starts a nested object
    void End();                    // ends the nested object
    // Writes the file at once (through a temporary, renamed).
    void Write();

private:
    void Key(const char* key);

    std::string path_;
    std::string json_;
    std::vector<bool> first_;
};

}  // namespace nodrix_viewer
