#include "settings/DialogText.h"

#include <atomic>
#include <cstdio>

namespace nodrix::settings {

namespace {

constexpr int kJapaneseLanguageId = 1041;
// Bits per sample of the 16-bit grey output, as the label shows it.
constexpr int kSixteenBitDepth = 12;
constexpr int kHighClockMHz = 37;

std::string Formatted(const char* format, int value) {
    char text[256];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::atomic<int> languageOverride{0};

bool IsJapanese(DialogLanguage language) { return language == DialogLanguage::Japanese; }

}  // namespace

DialogLanguage LanguageForSystem(int systemLanguageId) {
    return systemLanguageId == kJapaneseLanguageId ? DialogLanguage::Japanese
                                                   : DialogLanguage::English;
}

void OverrideDialogLanguageId(int languageId) { languageOverride = languageId; }

int DialogLanguageIdOverride() { return languageOverride.load(); }

std::array<std::string, 6> FormatLabels(DialogLanguage language) {
    if (IsJapanese(language)) {
        return {"モノクロ 8bit", Formatted("モノクロ %dbit *", kSixteenBitDepth), "カラー 24bit",
                "カラー 32bit", "カラー 48bit *", "カラー 64bit *"};
    }
    return {"Monochrome 8bit", Formatted("Monochrome %dbit *", kSixteenBitDepth), "Color 24bit",
            "Color 32bit", "Color 48bit *", "Color 64bit *"};
}

std::string CustomSizeLabel(DialogLanguage language) {
    return IsJapanese(language) ? "カスタム" : "Custom";
}

std::array<std::string, 3> ClockLabels(DialogLanguage language) {
    if (IsJapanese(language)) {
        return {"標準(24MHz)", "ハーフ(12MHz)", Formatted("高速(%dMHz)", kHighClockMHz)};
    }
    return {"Nomal(24MHz)", "Half(12MHz)", Formatted("High(%dMHz)", kHighClockMHz)};
}

std::string StreamFormatTab(DialogLanguage language) {
    return IsJapanese(language) ? "ストリーム形式" : "Stream Format";
}

std::string ImageFilterTab(DialogLanguage language) {
    return IsJapanese(language) ? "画像フィルタ" : "Image Filter";
}

std::string GrayFilterTab(DialogLanguage language) {
    return IsJapanese(language) ? "グレーフィルタ" : "Gray Filter";
}

std::string AnalogGainTab(DialogLanguage language) {
    return IsJapanese(language) ? "アナログゲイン" : "Analog Gain";
}

std::string SizeLabel(int width, int height) {
    char text[64];
    std::snprintf(text, sizeof text, "%d x %d", width, height);
    return text;
}

}  // namespace nodrix::settings
