#include "recording/AviFileParse.h"

#include <fstream>
#include <iterator>

namespace nodrix::test {
namespace {

class Reader {
public:
    explicit Reader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    bool Has(std::size_t n) const { return at_ + n <= bytes_.size(); }
    std::uint32_t U32() {
        if (!Has(4)) {
            short_ = true;
            at_ = bytes_.size();
            return 0;
        }
        const std::uint8_t* p = bytes_.data() + at_;
        at_ += 4;
        return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }
    std::uint16_t U16() {
        if (!Has(2)) {
            short_ = true;
            at_ = bytes_.size();
            return 0;
        }
        const std::uint8_t* p = bytes_.data() + at_;
        at_ += 2;
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }
    std::string Code() {
        if (!Has(4)) {
            short_ = true;
            at_ = bytes_.size();
            return "";
        }
        std::string code(reinterpret_cast<const char*>(bytes_.data() + at_), 4);
        at_ += 4;
        return code;
    }
    std::size_t At() const { return at_; }
    void Skip(std::size_t n) { at_ += n; }
    bool Short() const { return short_; }

private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t at_ = 0;
    bool short_ = false;
};

}  // namespace

ParsedAvi ReadAvi(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        ParsedAvi avi;
        avi.problem = "cannot open " + fileName;
        return avi;
    }
    return ParseAvi(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {}));
}

ParsedAvi ParseAvi(std::vector<std::uint8_t> bytes) {
    ParsedAvi avi;
    avi.bytes = std::move(bytes);
    Reader r(avi.bytes);
    const auto expect = [&](const char* code) {
        const std::string got = r.Code();
        if (got != code && avi.problem.empty()) {
            avi.problem = std::string("expected ") + code + " at " + std::to_string(r.At() - 4) +
                          ", found '" + got + "'";
        }
    };
    expect("RIFF");
    avi.riffSize = r.U32();
    expect("AVI ");
    expect("LIST");
    avi.hdrlSize = r.U32();
    expect("hdrl");
    expect("avih");
    if (r.U32() != 56 && avi.problem.empty()) avi.problem = "avih size";
    avi.microSecPerFrame = r.U32();
    avi.maxBytesPerSec = r.U32();
    avi.padding = r.U32();
    avi.flags = r.U32();
    avi.totalFrames = r.U32();
    avi.initialFrames = r.U32();
    avi.streams = r.U32();
    avi.suggestedBuffer = r.U32();
    avi.width = r.U32();
    avi.height = r.U32();
    for (int i = 0; i < 4; ++i) {
        if (r.U32() != 0 && avi.problem.empty()) avi.problem = "avih reserved";
    }
    expect("LIST");
    avi.strlSize = r.U32();
    expect("strl");
    expect("strh");
    if (r.U32() != 64 && avi.problem.empty()) avi.problem = "strh size";
    avi.streamType = r.Code();
    avi.handler = r.Code();
    avi.streamFlags = r.U32();
    avi.priorityLanguage = r.U32();
    avi.streamInitialFrames = r.U32();
    avi.scale = r.U32();
    avi.rate = r.U32();
    avi.start = r.U32();
    avi.length = r.U32();
    avi.streamSuggestedBuffer = r.U32();
    avi.quality = r.U32();
    avi.sampleSize = r.U32();
    for (std::uint32_t& v : avi.frameRect) v = r.U32();
    expect("strf");
    if (r.U32() != 40 && avi.problem.empty()) avi.problem = "strf size";
    avi.formatSize = r.U32();
    avi.formatWidth = static_cast<std::int32_t>(r.U32());
    avi.formatHeight = static_cast<std::int32_t>(r.U32());
    avi.planes = r.U16();
    avi.bitCount = r.U16();
    avi.compression = r.U32();
    avi.imageSize = r.U32();
    for (std::uint32_t& v : avi.formatTail) v = r.U32();
    expect("LIST");
    avi.moviSize = r.U32();
    expect("movi");
    if (r.Short() && avi.problem.empty()) avi.problem = "file shorter than its headers";
    if (!avi.problem.empty()) return avi;

    // Frame chunks up to the index (or the end of the file).
    while (r.Has(8)) {
        const std::size_t at = r.At();
        const std::string code = r.Code();
        const std::uint32_t size = r.U32();
        if (code == "idx1") {
            avi.hasIndex = true;
            avi.indexSize = size;
            for (std::uint32_t i = 0; i + 16 <= size && r.Has(16); i += 16) {
                ParsedAviIndexEntry e;
                e.chunk = r.Code();
                e.flags = r.U32();
                e.offset = r.U32();
                e.size = r.U32();
                avi.index.push_back(e);
            }
            break;
        }
        if (code != "00db") {
            avi.problem = "unexpected chunk '" + code + "' at " + std::to_string(at);
            break;
        }
        if (!r.Has(size)) {
            avi.problem = "frame chunk at " + std::to_string(at) + " cut short";
            break;
        }
        avi.frames.push_back(ParsedAviFrame{static_cast<std::uint32_t>(at), size,
                                            avi.bytes.data() + r.At()});
        r.Skip(size);
    }
    return avi;
}

std::string CheckConsistent(const ParsedAvi& avi) {
    if (!avi.problem.empty()) return avi.problem;
    const std::uint64_t fileSize = avi.bytes.size();
    const std::uint64_t n = avi.frames.size();
    const std::uint64_t frameBytes = n == 0 ? 0 : avi.frames[0].size;
    if (!avi.hasIndex) return "no index";
    if (avi.riffSize != fileSize - 8) return "RIFF size is not the file size - 8";
    if (avi.moviSize != 4 + n * (8 + frameBytes)) return "movi size does not match its frames";
    if (avi.indexSize != 16 * n || avi.index.size() != n) return "index size does not match";
    if (avi.totalFrames != n || avi.length != n) return "frame count not patched";
    // Index offsets count from the "movi" code.
    constexpr std::uint32_t kMoviCode = 228;
    for (std::size_t i = 0; i < n; ++i) {
        const ParsedAviIndexEntry& e = avi.index[i];
        if (e.chunk != "00db" || e.flags != 0x10 || e.size != avi.frames[i].size ||
            kMoviCode + e.offset != avi.frames[i].fileOffset) {
            return "index entry " + std::to_string(i) + " does not describe its frame";
        }
    }
    return "";
}

}  // namespace nodrix::test
