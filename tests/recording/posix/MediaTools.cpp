#include "recording/posix/MediaTools.h"

#include <cstdio>
#include <cstdlib>

namespace nodrix::test {
namespace {

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string Output(const std::string& command) {
    std::string out;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[1 << 16];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
        if (pclose(pipe) != 0) return {};
    }
    return out;
}

}  // namespace

long long FfprobeFrameCount(const std::string& file, bool decode) {
    const std::string what = decode ? "frames" : "packets";
    const std::string out = Output(
        "ffprobe -v error -count_" + what + " -select_streams v:0 -show_entries stream=nb_read_" +
        what + " -of default=nokey=1:noprint_wrappers=1 " + Quoted(file) + " 2>/dev/null");
    if (out.empty()) return -1;
    return std::strtoll(out.c_str(), nullptr, 10);
}

long long GstreamerFrameCount(const std::string& file) {
    // The sink announces every buffer it takes in a line of its own.
    const std::string out = Output("gst-launch-1.0 -v filesrc location=" + Quoted(file) +
                                   " ! avidemux ! fakesink silent=false 2>/dev/null");
    if (out.empty()) return -1;
    long long count = 0;
    for (std::size_t at = out.find("last-message = chain"); at != std::string::npos;
         at = out.find("last-message = chain", at + 1)) {
        ++count;
    }
    return count;
}

std::vector<std::uint8_t> FfmpegDecode(const std::string& file, const std::string& pixFmt,
                                       bool raw) {
    const std::string out =
        Output("ffmpeg -v error " + std::string(raw ? "-c:v rawvideo " : "") + "-i " +
               Quoted(file) + " -f rawvideo -pix_fmt " + pixFmt + " - 2>/dev/null");
    return {out.begin(), out.end()};
}

}  // namespace nodrix::test
