#pragma once
// The texts the dialogs put into their lists and tabs, in the two languages
// the dialog resources come in. Texts are UTF-8; the views convert them.

#include <array>
#include <string>

namespace nodrix::settings {

enum class DialogLanguage { English, Japanese };

// The language of the user interface: Japanese on a Japanese system
// (language id 1041), English otherwise.
DialogLanguage LanguageForSystem(int systemLanguageId);
// Makes the dialogs use this language id instead of the system's (0: the
// system's again), e.g. to show the Japanese dialogs on any system.
void OverrideDialogLanguageId(int languageId);
int DialogLanguageIdOverride();

// The six colour-format labels, by colour mode 0..5.
std::array<std::string, 6> FormatLabels(DialogLanguage language);
std::string CustomSizeLabel(DialogLanguage language);
// The three clock entries: normal, half and high speed.
std::array<std::string, 3> ClockLabels(DialogLanguage language);
std::string StreamFormatTab(DialogLanguage language);
std::string ImageFilterTab(DialogLanguage language);
std::string GrayFilterTab(DialogLanguage language);
std::string AnalogGainTab(DialogLanguage language);
// "%d x %d" of a size preset.
std::string SizeLabel(int width, int height);

}  // namespace nodrix::settings
