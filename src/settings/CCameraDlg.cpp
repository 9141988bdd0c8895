#include "settings/CCameraDlg.h"

#include <algorithm>

#include "settings/EditNumbers.h"

namespace nodrix::settings {

namespace {

// The clock list always ends on its third entry: the camera runs at one
// clock only.
constexpr int kFixedClockEntry = 2;
constexpr std::int32_t kCustomBufferCount = 4;

std::int32_t CaptureGeometry::*const kFieldMembers[CCameraDlg::kFieldCount] = {
    &CaptureGeometry::horizontalTotal, &CaptureGeometry::verticalTotal,
    &CaptureGeometry::width,           &CaptureGeometry::height,
    &CaptureGeometry::horizontalStart, &CaptureGeometry::verticalStart};

}  // namespace

CCameraDlg::CCameraDlg(const CameraRanges& ranges, int cameraIndex, bool canChangeWidth,
                       bool canChangeHeight)
    : ranges_(ranges),
      cameraIndex_(cameraIndex),
      canChangeWidth_(canChangeWidth),
      canChangeHeight_(canChangeHeight) {}

void CCameraDlg::Initialise(DialogLanguage language) {
    language_ = language;
    LoadDialogValues(cameraIndex_, values_);

    const bool eightBit = ranges_.output8Bit;
    const bool sixteenBit = ranges_.output16Bit;
    const bool color = ranges_.colorOutput;
    formatLabels_ = FormatLabels(language);
    formatEntries_.clear();
    if (eightBit) formatEntries_.push_back(formatLabels_[0]);
    if (sixteenBit) formatEntries_.push_back(formatLabels_[1]);
    if (color) {
        for (int mode = 2; mode < 6; ++mode) formatEntries_.push_back(formatLabels_[mode]);
    }
    if (!color) {
        if (sixteenBit) {
            values_.colorMode = 1;
        } else if (eightBit) {
            values_.colorMode = 0;
        }
    }
    formatSelection_ = 0;
    if (values_.colorMode >= 0 && values_.colorMode < 6) {
        const auto found = std::find(formatEntries_.begin(), formatEntries_.end(),
                                     formatLabels_[values_.colorMode]);
        if (found != formatEntries_.end()) {
            formatSelection_ = static_cast<int>(found - formatEntries_.begin());
        }
    }

    clockEntries_ = ClockLabels(language);
    clockSelection_ = kFixedClockEntry;

    // A stored index past the presets would leave the list without a
    // selection: the last preset (or "Custom" when there is none) stands in.
    sizeSelection_ = std::clamp<int>(values_.sizeIndex, 0, std::max(values_.presetCount - 1, 0));
    ShowPreset(std::min(sizeSelection_, kMaxPresets - 1));
    waitTime_ = std::to_string(static_cast<std::uint32_t>(values_.waitTime));
    applyEnabled_ = false;
}

std::vector<std::string> CCameraDlg::SizeEntries() const {
    std::vector<std::string> entries;
    for (int i = 0; i < values_.presetCount; ++i) {
        entries.push_back(SizeLabel(values_.presets[i].width, values_.presets[i].height));
    }
    entries.push_back(CustomSizeLabel(language_));
    return entries;
}

bool CCameraDlg::FieldEnabled(int field) const {
    const bool horizontal = field == kHorizontalTotal || field == kWidth || field == kHorizontalStart;
    return horizontal ? canChangeWidth_ : canChangeHeight_;
}

void CCameraDlg::ShowPreset(int index) {
    const CaptureGeometry& preset = values_.presets[index];
    for (int i = 0; i < kFieldCount; ++i) fields_[i] = std::to_string(preset.*kFieldMembers[i]);
}

void CCameraDlg::SelectFormat(int entry) {
    if (entry < 0 || entry >= static_cast<int>(formatEntries_.size())) return;
    formatSelection_ = entry;
    applyEnabled_ = true;
}

void CCameraDlg::SelectSize(int entry) {
    if (entry < 0 || entry > values_.presetCount) return;
    sizeSelection_ = entry;
    if (!CustomSelected()) ShowPreset(entry);
    applyEnabled_ = true;
}

void CCameraDlg::EditField(int field, const std::string& text) {
    if (field < 0 || field >= kFieldCount) return;
    fields_[field] = text;
    applyEnabled_ = true;
}

void CCameraDlg::EditWaitTime(const std::string& text) {
    waitTime_ = text;
    applyEnabled_ = true;
}

bool CCameraDlg::ReadControls() {
    if (CustomSelected() && values_.presetCount >= kMaxPresets) return false;
    const auto mode = std::find(formatLabels_.begin(), formatLabels_.end(),
                                formatEntries_.empty() ? std::string() : formatEntries_[formatSelection_]);
    if (mode != formatLabels_.end()) values_.colorMode = static_cast<int>(mode - formatLabels_.begin());
    // Only "1/1" is offered.
    values_.subSample = 0;
    values_.clock = clockSelection_;
    // The wait time is a signed value in the store; larger numbers are
    // kept at its maximum.
    values_.waitTime = static_cast<std::int32_t>(
        std::min<std::uint32_t>(ParseUnsignedEdit(waitTime_), 0x7FFFFFFF));

    int index = sizeSelection_;
    if (CustomSelected()) {
        index = values_.presetCount++;
        values_.presets[index] = CaptureGeometry{};
        values_.presets[index].bufferCount = kCustomBufferCount;
    }
    CaptureGeometry& preset = values_.presets[index];
    for (int i = 0; i < kFieldCount; ++i) preset.*kFieldMembers[i] = ParseSignedEdit(fields_[i]);
    sizeSelection_ = index;
    values_.sizeIndex = index;
    return true;
}

bool CCameraDlg::Apply() {
    if (!ReadControls()) return false;
    SaveDialogValues(cameraIndex_, values_);
    applyEnabled_ = false;
    return true;
}

}  // namespace nodrix::settings
