#pragma once
// The camera's serial number and identifier bytes in its configuration
// EEPROM, read and written through the camera core.

#include <cstddef>

namespace nodrix {

class CNodrixU3T2Base;

namespace core {

inline constexpr int kSerialNumberAddress = 0x1040;
inline constexpr int kSerialNumberBytes = 32;

enum class SerialRead {
    Text,     // text holds the serial number
    Empty,    // the area starts with 0xFF: text left as it was
    Failed,   // the first byte could not be read: text left as it was
};

// Reads EEPROM bytes from 0x1040 upward, 10 ms apart, until a 0xFF, a failed
// read or 32 bytes. The characters are written to text (size bytes, at least
// 1) as a terminated string; a serial number of 32 characters keeps its first
// 31 so that the terminator fits a 32-byte buffer.
SerialRead ReadSerialNumber(CNodrixU3T2Base& core, char* text, std::size_t size);

enum class VerifiedWrite {
    Written,         // the first write was accepted and every read-back worked
    WriteFailed,     // the first write was refused
    ReadBackFailed,  // written, but a read-back failed
};

// Writes one EEPROM byte and reads it back up to 10 times, writing again
// after each mismatch.
VerifiedWrite WriteConfigByteVerified(CNodrixU3T2Base& core, int address, int value);

}  // namespace core
}  // namespace nodrix
