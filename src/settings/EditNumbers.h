#pragma once
// Numbers typed into the dialogs' edit fields. Text that is not a number
// reads as 0, as does a number too large for 32 bits.

#include <cstdint>
#include <string>

namespace nodrix::settings {

// An optional minus sign and decimal digits, blanks around them allowed.
std::int32_t ParseSignedEdit(const std::string& text);
// Decimal digits only; a minus sign makes the text not a number.
std::uint32_t ParseUnsignedEdit(const std::string& text);
// A decimal number such as "12.5" or "1e-3".
double ParseDecimalEdit(const std::string& text);

}  // namespace nodrix::settings
