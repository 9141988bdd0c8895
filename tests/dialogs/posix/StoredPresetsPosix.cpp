// The native store is one text file: the full table is written as that
// file at once (700 separate writes would each replace the whole file).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "dialogs/StoredPresets.h"
#include "settings/SettingsKeys.h"

namespace nodrix::test {

void StoreFullPresetTable(int camera) {
    const char* path = std::getenv("NODRIX_SETTINGS_FILE");
    if (path == nullptr) return;
    std::FILE* file = std::fopen(path, "w");
    if (file == nullptr) return;
    std::fprintf(file, "NodrixSettings 1\n[%s]\n", settings::kRootKey);
    std::fprintf(file, "[%s]\n\"Size\"=dword:00000000\n", settings::CameraKey(camera).c_str());
    for (int i = 0; i < settings::kMaxPresets; ++i) {
        std::fprintf(file, "[%s]\n", settings::CameraPresetKey(camera, i).c_str());
        const char* names[] = {"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"};
        const int values[] = {1280, 1024, 8 + i, 8, 0, 0, 4};
        for (int k = 0; k < 7; ++k) std::fprintf(file, "\"%s\"=dword:%08x\n", names[k], values[k]);
    }
    std::fclose(file);
}

}  // namespace nodrix::test
