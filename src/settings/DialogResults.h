#pragma once
// How a property dialog ended.

namespace nodrix::settings {

inline constexpr int kDialogNotShown = 0;  // it could not be shown at all
inline constexpr int kDialogOk = 1;
inline constexpr int kDialogCancel = 2;

}  // namespace nodrix::settings
