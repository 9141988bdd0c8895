#include "settings/CImageDlg.h"

#include "settings/DialogIds.h"

namespace nodrix::settings {

namespace {

constexpr int kNeutralGain = 100;
constexpr int kNeutralGamma = 100;
constexpr int kDefaultBayerMode = 3;
constexpr int kNeutralGrey = 128;

using Block = ImageParameters;

std::array<TrackbarGroup, 9> FilterGroups(bool colorOutput) {
    return {{
        {IDC_BRIGHTNESS_BAR, IDC_BRIGHTNESS_EDIT, IDC_BRIGHTNESS_SPIN, -255, 255, 64, true},
        {IDC_CONTRAST_BAR, IDC_CONTRAST_EDIT, IDC_CONTRAST_SPIN, -127, 127, 32, true},
        {IDC_HUE_BAR, IDC_HUE_EDIT, IDC_HUE_SPIN, -360, 360, 90, colorOutput},
        {IDC_SATURATION_BAR, IDC_SATURATION_EDIT, IDC_SATURATION_SPIN, -255, 255, 64, colorOutput},
        {IDC_SHARPNESS_BAR, IDC_SHARPNESS_EDIT, IDC_SHARPNESS_SPIN, 0, 30, 4, true},
        {IDC_RGAIN_BAR, IDC_RGAIN_EDIT, IDC_RGAIN_SPIN, 0, 400, 32, colorOutput},
        {IDC_GGAIN_BAR, IDC_GGAIN_EDIT, IDC_GGAIN_SPIN, 0, 400, 32, colorOutput},
        {IDC_BGAIN_BAR, IDC_BGAIN_EDIT, IDC_BGAIN_SPIN, 0, 400, 32, colorOutput},
        {IDC_GAMMA_BAR, IDC_GAMMA_EDIT, IDC_GAMMA_SPIN, 0, 200, 32, true},
    }};
}

constexpr std::array<ImageGroupPage<9>::Field, 9> kFilterFields = {
    [](Block& b) -> std::int32_t& { return b.brightness; },
    [](Block& b) -> std::int32_t& { return b.contrast; },
    [](Block& b) -> std::int32_t& { return b.hue; },
    [](Block& b) -> std::int32_t& { return b.saturation; },
    [](Block& b) -> std::int32_t& { return b.sharpness; },
    [](Block& b) -> std::int32_t& { return b.bayerGainRed; },
    [](Block& b) -> std::int32_t& { return b.bayerGainGreen; },
    [](Block& b) -> std::int32_t& { return b.bayerGainBlue; },
    [](Block& b) -> std::int32_t& { return b.gamma; },
};

// Gains red, green1, green2, blue, then the offsets in the same order;
// three consecutive control ids per group from 2100 on.
std::array<TrackbarGroup, 8> GreyGroups() {
    std::array<TrackbarGroup, 8> groups{};
    for (int i = 0; i < 8; ++i) {
        const int first = IDC_GRAY_FIRST + 3 * i;
        const bool gain = i < 4;
        groups[i] = {first, first + 1, first + 2, gain ? 0 : -255, gain ? 400 : 255, 32, true};
    }
    return groups;
}

constexpr std::array<ImageGroupPage<8>::Field, 8> kGreyFields = {
    [](Block& b) -> std::int32_t& { return b.greyGain[0]; },
    [](Block& b) -> std::int32_t& { return b.greyGain[1]; },
    [](Block& b) -> std::int32_t& { return b.greyGain[2]; },
    [](Block& b) -> std::int32_t& { return b.greyGain[3]; },
    [](Block& b) -> std::int32_t& { return b.greyOffset[0]; },
    [](Block& b) -> std::int32_t& { return b.greyOffset[1]; },
    [](Block& b) -> std::int32_t& { return b.greyOffset[2]; },
    [](Block& b) -> std::int32_t& { return b.greyOffset[3]; },
};

bool IsColorOutput(int colorMode) {
    return colorMode >= 2 && colorMode <= 5;
}

}  // namespace

CImageFilterPage::CImageFilterPage(LiveImageBlock block, bool colorOutput)
    : ImageGroupPage<9>(block, FilterGroups(colorOutput), kFilterFields),
      colorOutput_(colorOutput) {}

void CImageFilterPage::SetBayerMode(int mode) {
    if (mode >= 0 && mode <= 3) block_.With([&](Block& b) { b.bayerMode = mode; });
}

void CImageFilterPage::WhiteBalanceOnce() {
    block_.With([](Block& b) {
        b.autoWhiteBalance = 1;
        b.whiteBalanceWord1 = 1;
        b.whiteBalanceWord2 = 1;
    });
}

void CImageFilterPage::WhiteBalanceAllFrames(bool checked) {
    block_.With([&](Block& b) {
        b.autoWhiteBalance = checked ? 1 : 0;
        b.whiteBalanceWord1 = 0;
        b.whiteBalanceWord2 = 0;
    });
}

CGrayFilterPage::CGrayFilterPage(LiveImageBlock block)
    : ImageGroupPage<8>(block, GreyGroups(), kGreyFields) {}

void CGrayFilterPage::SetGreyMode(int mode) {
    if (mode >= 0 && mode <= 2) block_.With([&](Block& b) { b.greyMode = mode; });
}

void CGrayFilterPage::SetBayerMode(int mode) {
    if (mode >= 0 && mode <= 3) block_.With([&](Block& b) { b.bayerMode = mode; });
}

void CGrayFilterPage::GreyGainOnce() {
    block_.With([](Block& b) { b.autoGreyGain = 1; });
}

void CGrayFilterPage::GreyGainAllFrames() {
    block_.With([](Block& b) { b.autoGreyGain = b.autoGreyGain == 0 ? -1 : 0; });
}

CImageDlg::CImageDlg(LiveImageBlock block, int colorMode)
    : colorOutput_(IsColorOutput(colorMode)), filterPage_(block, colorOutput_), grayPage_(block) {}

void CImageDlg::Defaults() {
    CImageFilterPage& f = filterPage_;
    for (int g :
         {CImageFilterPage::kBrightness, CImageFilterPage::kContrast, CImageFilterPage::kHue,
          CImageFilterPage::kSaturation, CImageFilterPage::kSharpness}) {
        f.SetValue(g, 0);
    }
    for (int g :
         {CImageFilterPage::kRedGain, CImageFilterPage::kGreenGain, CImageFilterPage::kBlueGain}) {
        f.SetValue(g, kNeutralGain);
    }
    f.SetValue(CImageFilterPage::kGamma, kNeutralGamma);
    f.SetBayerMode(kDefaultBayerMode);
    if (HasGrayPage()) {
        for (int g = 0; g < CGrayFilterPage::kGroupCount; ++g) grayPage_.SetValue(g, kNeutralGrey);
    }
}

}  // namespace nodrix::settings
