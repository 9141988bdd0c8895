#pragma once
// The identifiers the driver writes into its device paths: four hexadecimal
// digits of the vendor identifier at character 12 and of the product
// identifier at character 21 ("\\?\usb#vid_vvvv&pid_pppp#...").

#include <cstdint>

namespace nodrix::transport {

inline constexpr int kPathVendorPosition = 12;
inline constexpr int kPathProductPosition = 21;

// Up to four hexadecimal digits at position of the NUL-terminated path,
// stopping at the first other character; never reads past the terminator.
std::uint16_t HexFieldAt(const char* path, int position);

}  // namespace nodrix::transport
