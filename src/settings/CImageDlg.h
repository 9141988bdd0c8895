#pragma once
// The image dialog's model: the software image parameters shown on the
// filter page and, for grey output, the grey filter page. Every change goes
// straight into the connection's live image parameter block; the connection
// restores the block when the dialog is cancelled.

#include <array>
#include <cstdint>
#include <string>

#include "pipeline/ParameterBlocks.h"
#include "settings/EditNumbers.h"
#include "settings/LiveImageBlock.h"
#include "settings/TrackbarGroup.h"

namespace nodrix::settings {

// One page's trackbar groups, each bound to a word of the block.
template <int N>
class ImageGroupPage {
public:
    static constexpr int kGroupCount = N;
    using Field = std::int32_t& (*)(ImageParameters&);

    const TrackbarGroup& Group(int index) const { return groups_[index]; }
    // The group whose trackbar, edit or up-down has this id; -1 for none.
    int GroupOfControl(int id) const {
        for (int i = 0; i < N; ++i) {
            const TrackbarGroup& g = groups_[i];
            if (id == g.trackbar || id == g.edit || id == g.upDown) return i;
        }
        return -1;
    }
    int Value(int index) const {
        return block_.With([&](ImageParameters& b) { return int{fields_[index](b)}; });
    }
    // Stores the value, kept in the group's range; returns what was stored.
    int SetValue(int index, int value) {
        const int stored = groups_[index].Clamp(value);
        block_.With([&](ImageParameters& b) { fields_[index](b) = stored; });
        return stored;
    }
    // Text that is not a number stores 0.
    int SetText(int index, const std::string& text) {
        return SetValue(index, ParseSignedEdit(text));
    }
    // One word of the block.
    int Word(std::int32_t ImageParameters::*word) const {
        return block_.With([&](ImageParameters& b) { return int{b.*word}; });
    }

    bool initialised = false;

protected:
    ImageGroupPage(LiveImageBlock block, const std::array<TrackbarGroup, N>& groups,
                   const std::array<Field, N>& fields)
        : block_(block), groups_(groups), fields_(fields) {}

    LiveImageBlock block_;
    std::array<TrackbarGroup, N> groups_;
    std::array<Field, N> fields_;
};

// The filter page: brightness, contrast, hue, saturation, sharpness, the
// three Bayer gains and gamma; white balance and Bayer mode.
class CImageFilterPage : public ImageGroupPage<9> {
public:
    enum FilterGroup {
        kBrightness,
        kContrast,
        kHue,
        kSaturation,
        kSharpness,
        kRedGain,
        kGreenGain,
        kBlueGain,
        kGamma
    };
    CImageFilterPage(LiveImageBlock block, bool colorOutput);

    bool WhiteBalanceEnabled() const { return colorOutput_; }
    int BayerMode() const { return Word(&ImageParameters::bayerMode); }
    void SetBayerMode(int mode);
    // "Once": one automatic white balance on the next frame.
    void WhiteBalanceOnce();
    // "All frames": automatic white balance on every frame while checked.
    void WhiteBalanceAllFrames(bool checked);

private:
    bool colorOutput_;
};

// The grey filter page: four grey gains and four grey offsets, the grey
// mode, the automatic grey gain and the Bayer mode.
class CGrayFilterPage : public ImageGroupPage<8> {
public:
    explicit CGrayFilterPage(LiveImageBlock block);

    int GreyMode() const { return Word(&ImageParameters::greyMode); }
    void SetGreyMode(int mode);
    int BayerMode() const { return Word(&ImageParameters::bayerMode); }
    void SetBayerMode(int mode);
    // "Once": the grey gains are measured on the next frame.
    void GreyGainOnce();
    // "All frames" toggles measuring on every frame (-1) and off (0).
    void GreyGainAllFrames();
};

class CImageDlg {
public:
    // colorMode 0..5; grey output (0, 1) shows the grey page and leaves the
    // colour controls disabled.
    CImageDlg(LiveImageBlock block, int colorMode);

    bool HasGrayPage() const { return !colorOutput_; }
    CImageFilterPage& FilterPage() { return filterPage_; }
    CGrayFilterPage& GrayPage() { return grayPage_; }
    // "Default": neutral filter values; grey gains and offsets 128 when the
    // grey page is shown. Automatic flags and the grey mode stay.
    void Defaults();

private:
    bool colorOutput_;
    CImageFilterPage filterPage_;
    CGrayFilterPage grayPage_;
};

}  // namespace nodrix::settings
