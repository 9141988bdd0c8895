#pragma once
// A reader of the headers, export table and import table of a PE file,
// field by field from the file's bytes.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nodrix::test {

struct PeExport {
    std::string name;
    uint32_t rva = 0;        // address of the body, relative to the image base
    bool forwarded = false;  // the address points at a forwarder string
};

struct PeImage {
    uint16_t machine = 0;          // 0x014C: i386, 0x8664: x86-64
    uint16_t characteristics = 0;  // IMAGE_FILE_* flags of the file header
    uint16_t optionalMagic = 0;    // 0x010B: PE32, 0x020B: PE32+
    std::string exportDllName;     // the DLL name the export directory records
    uint32_t exportFunctionCount = 0;
    std::vector<uint32_t> exportAddresses;  // the address table, by ordinal index
    std::vector<PeExport> exports;          // in the order of the name table
    std::vector<std::string> imports;       // DLL names of the import directory
    std::vector<std::string> delayImports;  // DLL names of the delay-load directory
};

// Parses the file's bytes; an error message when the layout is broken.
std::optional<PeImage> ParsePeImage(const std::vector<uint8_t>& file, std::string& error);

std::vector<uint8_t> ReadWholeFile(const std::string& path);

}  // namespace nodrix::test
