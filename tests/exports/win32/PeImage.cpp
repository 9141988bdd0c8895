#include "PeImage.h"

#include <fstream>
#include <iterator>

namespace nodrix::test {
namespace {

constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr size_t kFileHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kExportDirectorySize = 40;
constexpr size_t kImportDescriptorSize = 20;
constexpr size_t kDelayDescriptorSize = 32;
constexpr uint16_t kPe32Magic = 0x010B;
constexpr size_t kPe32DataDirectoryOffset = 96;
constexpr size_t kPe32RvaCountOffset = 92;
// PE32+ (64-bit images): the image base and the stack and heap sizes are
// 8 bytes wide and there is no base of data, so the tail moves by 16.
constexpr uint16_t kPe32PlusMagic = 0x020B;
constexpr size_t kPe32PlusDataDirectoryOffset = 112;
constexpr size_t kPe32PlusRvaCountOffset = 108;
constexpr uint32_t kExportDirectory = 0;
constexpr uint32_t kImportDirectory = 1;
constexpr uint32_t kDelayImportDirectory = 13;

struct Section {
    uint32_t virtualAddress = 0;
    uint32_t virtualSize = 0;
    uint32_t rawOffset = 0;
    uint32_t rawSize = 0;
};

// Bounds-checked little-endian reads; a read past the end marks the reader
// as failed and yields 0.
class ByteReader {
public:
    explicit ByteReader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

    bool Has(size_t offset, size_t size) const {
        return offset <= bytes_.size() && size <= bytes_.size() - offset;
    }
    uint8_t U8(size_t offset) {
        if (!Has(offset, 1)) {
            failed_ = true;
            return 0;
        }
        return bytes_[offset];
    }
    uint16_t U16(size_t offset) {
        return static_cast<uint16_t>(U8(offset) | (U8(offset + 1) << 8));
    }
    uint32_t U32(size_t offset) {
        return static_cast<uint32_t>(U16(offset)) | (static_cast<uint32_t>(U16(offset + 2)) << 16);
    }
    // A zero-terminated string that must end inside the file.
    std::string CString(size_t offset) {
        std::string text;
        for (size_t at = offset;; ++at) {
            if (!Has(at, 1)) {
                failed_ = true;
                return {};
            }
            if (bytes_[at] == 0) {
                return text;
            }
            text.push_back(static_cast<char>(bytes_[at]));
        }
    }
    bool failed() const { return failed_; }

private:
    const std::vector<uint8_t>& bytes_;
    bool failed_ = false;
};

class Parser {
public:
    Parser(const std::vector<uint8_t>& file, std::string& error) : in_(file), error_(error) {}

    std::optional<PeImage> Run() {
        if (in_.U16(0) != 0x5A4D) {  // "MZ"
            return Fail("no MZ header");
        }
        const uint32_t peOffset = in_.U32(0x3C);
        if (in_.U32(peOffset) != kPeSignature) {
            return Fail("no PE signature");
        }
        const size_t fileHeader = peOffset + 4;
        image_.machine = in_.U16(fileHeader + 0);
        const uint16_t sectionCount = in_.U16(fileHeader + 2);
        const uint16_t optionalSize = in_.U16(fileHeader + 16);
        image_.characteristics = in_.U16(fileHeader + 18);
        const size_t optional = fileHeader + kFileHeaderSize;
        image_.optionalMagic = in_.U16(optional);
        if (image_.optionalMagic != kPe32Magic && image_.optionalMagic != kPe32PlusMagic) {
            return Fail("not a PE32 or PE32+ optional header");
        }
        const bool plus = image_.optionalMagic == kPe32PlusMagic;
        const size_t directories = plus ? kPe32PlusDataDirectoryOffset : kPe32DataDirectoryOffset;
        const uint32_t rvaCount =
            in_.U32(optional + (plus ? kPe32PlusRvaCountOffset : kPe32RvaCountOffset));
        ReadSections(optional + optionalSize, sectionCount);
        if (in_.failed()) {
            return Fail("headers run past the end of the file");
        }
        auto directory = [&](uint32_t index, uint32_t& rva, uint32_t& size) {
            rva = size = 0;
            if (index < rvaCount && directories + 8 * (index + 1) <= optionalSize) {
                rva = in_.U32(optional + directories + 8 * index);
                size = in_.U32(optional + directories + 8 * index + 4);
            }
        };
        uint32_t rva = 0, size = 0;
        directory(kExportDirectory, rva, size);
        if (rva != 0 && !ReadExports(rva, size)) {
            return std::nullopt;
        }
        directory(kImportDirectory, rva, size);
        if (rva != 0 && !ReadImports(rva, kImportDescriptorSize, 12, image_.imports)) {
            return std::nullopt;
        }
        directory(kDelayImportDirectory, rva, size);
        if (rva != 0 && !ReadImports(rva, kDelayDescriptorSize, 4, image_.delayImports)) {
            return std::nullopt;
        }
        if (in_.failed()) {
            return Fail("a table runs past the end of the file");
        }
        return image_;
    }

private:
    std::nullopt_t Fail(const std::string& why) {
        error_ = why;
        return std::nullopt;
    }

    void ReadSections(size_t table, uint16_t count) {
        for (uint16_t i = 0; i < count; ++i) {
            const size_t at = table + i * kSectionHeaderSize;
            Section s;
            s.virtualSize = in_.U32(at + 8);
            s.virtualAddress = in_.U32(at + 12);
            s.rawSize = in_.U32(at + 16);
            s.rawOffset = in_.U32(at + 20);
            sections_.push_back(s);
        }
    }

    // The file offset of an address, when a section holds its bytes in the file.
    std::optional<size_t> Offset(uint32_t rva) const {
        for (const Section& s : sections_) {
            if (rva >= s.virtualAddress && rva - s.virtualAddress < s.rawSize) {
                return size_t{s.rawOffset} + (rva - s.virtualAddress);
            }
        }
        return std::nullopt;
    }

    bool ReadExports(uint32_t directoryRva, uint32_t directorySize) {
        const auto dir = Offset(directoryRva);
        if (!dir || !in_.Has(*dir, kExportDirectorySize)) {
            Fail("export directory outside the file");
            return false;
        }
        const uint32_t nameRva = in_.U32(*dir + 12);
        const uint32_t functionCount = in_.U32(*dir + 20);
        const uint32_t nameCount = in_.U32(*dir + 24);
        const auto functions = Offset(in_.U32(*dir + 28));
        const auto names = Offset(in_.U32(*dir + 32));
        const auto ordinals = Offset(in_.U32(*dir + 36));
        const auto dllName = Offset(nameRva);
        if (!functions || !names || !ordinals || !dllName) {
            Fail("export tables outside the file");
            return false;
        }
        image_.exportDllName = in_.CString(*dllName);
        image_.exportFunctionCount = functionCount;
        for (uint32_t i = 0; i < functionCount; ++i) {
            image_.exportAddresses.push_back(in_.U32(*functions + 4 * size_t{i}));
        }
        for (uint32_t i = 0; i < nameCount; ++i) {
            const auto name = Offset(in_.U32(*names + 4 * size_t{i}));
            const uint16_t index = in_.U16(*ordinals + 2 * size_t{i});
            if (!name || index >= functionCount) {
                Fail("export name or ordinal out of range");
                return false;
            }
            PeExport e;
            e.name = in_.CString(*name);
            e.rva = image_.exportAddresses[index];
            e.forwarded = e.rva >= directoryRva && e.rva - directoryRva < directorySize;
            image_.exports.push_back(e);
        }
        return true;
    }

    // Import and delay-import descriptors both end with an all-zero entry;
    // the DLL name's address sits at nameField within each.
    bool ReadImports(uint32_t rva, size_t entrySize, size_t nameField,
                     std::vector<std::string>& out) {
        const auto table = Offset(rva);
        if (!table) {
            Fail("import directory outside the file");
            return false;
        }
        for (size_t at = *table;; at += entrySize) {
            if (!in_.Has(at, entrySize)) {
                Fail("unterminated import directory");
                return false;
            }
            bool allZero = true;
            for (size_t b = 0; b < entrySize; b += 4) {
                allZero = allZero && in_.U32(at + b) == 0;
            }
            if (allZero) {
                return true;
            }
            const auto name = Offset(in_.U32(at + nameField));
            if (!name) {
                Fail("imported DLL name outside the file");
                return false;
            }
            out.push_back(in_.CString(*name));
        }
    }

    ByteReader in_;
    std::string& error_;
    PeImage image_;
    std::vector<Section> sections_;
};

}  // namespace

std::optional<PeImage> ParsePeImage(const std::vector<uint8_t>& file, std::string& error) {
    return Parser(file, error).Run();
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

}  // namespace nodrix::test
