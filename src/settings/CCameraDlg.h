#pragma once
// The camera dialog's model: the output format, the size preset or custom
// window, the subsampling, the wait time and the clock, read from the
// settings store when the dialog opens and written back on OK or Apply.
// The Win32 view mirrors these controls; natively the model is driven
// directly.

#include <array>
#include <string>
#include <vector>

#include "settings/CameraControlsPort.h"
#include "settings/DialogResults.h"
#include "settings/DialogText.h"
#include "settings/DialogValues.h"

namespace nodrix::settings {

class CCameraDlg {
public:
    // The six fields of the window group, in control order (1039 to 1044).
    enum Field { kHorizontalTotal, kVerticalTotal, kWidth, kHeight, kHorizontalStart, kVerticalStart };
    static constexpr int kFieldCount = 6;

    // The format list offers only the outputs the camera has (ranges).
    CCameraDlg(const CameraRanges& ranges, int cameraIndex, bool canChangeWidth,
               bool canChangeHeight);

    // Loads the values and presets and fills the controls' contents.
    void Initialise(DialogLanguage language);

    // --- What the controls show ---------------------------------------------
    const std::vector<std::string>& FormatEntries() const { return formatEntries_; }
    int FormatSelection() const { return formatSelection_; }
    // "%d x %d" of every preset, then "Custom".
    std::vector<std::string> SizeEntries() const;
    int SizeSelection() const { return sizeSelection_; }
    bool CustomSelected() const { return sizeSelection_ == values_.presetCount; }
    std::vector<std::string> SubSampleEntries() const { return {"1/1"}; }
    const std::array<std::string, 3>& ClockEntries() const { return clockEntries_; }
    int ClockSelection() const { return clockSelection_; }
    const std::array<std::string, kFieldCount>& FieldTexts() const { return fields_; }
    const std::string& WaitTimeText() const { return waitTime_; }
    bool ApplyEnabled() const { return applyEnabled_; }
    bool FieldEnabled(int field) const;
    bool SizeListEnabled() const { return canChangeWidth_ || canChangeHeight_; }

    // --- What the user does -------------------------------------------------
    void SelectFormat(int entry);
    // Unless "Custom" is chosen the fields show the chosen preset.
    void SelectSize(int entry);
    void EditField(int field, const std::string& text);
    void EditWaitTime(const std::string& text);
    // Reads the controls into the values and saves them; the dialog stays
    // open. False, with nothing changed or saved, when a custom window is
    // to be added but every preset slot is taken.
    bool Apply();
    // Apply, then the dialog may end with kDialogOk.
    bool Ok() { return Apply(); }

    const DialogValues& Values() const { return values_; }
    int ColorMode() const { return values_.colorMode; }

private:
    void ShowPreset(int index);
    bool ReadControls();

    CameraRanges ranges_;
    int cameraIndex_;
    bool canChangeWidth_;
    bool canChangeHeight_;
    DialogLanguage language_ = DialogLanguage::English;

    DialogValues values_;
    std::array<std::string, 6> formatLabels_;
    std::vector<std::string> formatEntries_;
    int formatSelection_ = 0;
    int sizeSelection_ = 0;
    std::array<std::string, 3> clockEntries_;
    int clockSelection_ = 2;
    std::array<std::string, kFieldCount> fields_;
    std::string waitTime_;
    bool applyEnabled_ = false;
};

}  // namespace nodrix::settings
