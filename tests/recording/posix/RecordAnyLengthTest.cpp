// Recordings of any length, as the system's media tools read them: OpenDML
// files across several RIFFs with every frame decoded against the emulated
// ramp, every delivered frame recorded in order, a recording killed midway
// or stopped by a file-size limit or a full file system still playable.
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "NodrixSdkEx.h"
#include "api/ExportPrologue.h"
#include "platform/Time.h"
#include "recording/RecordingFixture.h"
#include "recording/posix/MediaTools.h"

namespace nodrix::test {
namespace {

constexpr std::uint32_t kEndTimeoutMs = 60000;
// Small RIFFs, so that a recording of megabytes crosses several.
constexpr std::uint64_t kSmallRiff = 64 * 1024;

struct FormatCase {
    int format;
    int bits;            // of the acquisition
    const char* pixFmt;  // what ffmpeg decodes the frames into
    int sampleBytes;     // per pixel of the decoded frames
    bool raw;            // ffmpeg is told the codec; ffprobe counts packets
    int paletteBytes;    // after each decoded frame
};

// The sample the file keeps of the ramp at (x, imageY) of frame n.
int Expected(const FormatCase& c, int x, int imageY, std::uint32_t n) {
    if (c.bits == 8) return static_cast<int>((x + imageY + n) & 0xFF);
    const int ramp = static_cast<int>((4u * x + imageY + n) & 0x0FFF);
    return c.format == NODRIXEX_RECORD_GREY16 ? ramp : ramp >> 4;
}

// The frame numbers of the decoded frames (modulo the ramp's period), each
// frame checked pixel by pixel; empty with a failure noted otherwise.
std::vector<std::uint32_t> DecodedFrameNumbers(const FormatCase& c,
                                               const std::vector<std::uint8_t>& frames, int y,
                                               int height) {
    const int width = 1280;
    const std::size_t frameBytes =
        static_cast<std::size_t>(width) * height * c.sampleBytes + c.paletteBytes;
    const std::uint32_t period = c.bits == 8 ? 256 : 4096;
    std::vector<std::uint32_t> numbers;
    if (frameBytes == 0 || frames.size() % frameBytes != 0) {
        ADD_FAILURE() << frames.size() << " bytes are no whole number of frames";
        return {};
    }
    for (std::size_t f = 0; f < frames.size() / frameBytes; ++f) {
        const std::uint8_t* frame = frames.data() + f * frameBytes;
        const auto sample = [&](int row, int x) -> int {
            const std::uint8_t* p =
                frame + (static_cast<std::size_t>(row) * width + x) * c.sampleBytes;
            return c.sampleBytes == 2 ? p[0] | (p[1] << 8) : p[0];
        };
        // The number that explains the row's first samples.
        std::uint32_t n = period;
        for (std::uint32_t candidate = 0; candidate < period && n == period; ++candidate) {
            bool fits = true;
            for (int row = 0; row < height && fits; ++row) {
                for (int x = 0; x < 64 && fits; ++x) {
                    fits = sample(row, x) == Expected(c, x, y + row, candidate);
                }
            }
            if (fits) n = candidate;
        }
        if (n == period) {
            ADD_FAILURE() << "frame " << f << " is not the ramp";
            return {};
        }
        for (int row = 0; row < height; ++row) {
            for (int x = 0; x < width; ++x) {
                for (int channel = 0; channel < c.sampleBytes / (c.sampleBytes == 2 ? 2 : 1);
                     ++channel) {
                    const int got =
                        c.sampleBytes == 2
                            ? sample(row, x)
                            : frame[(static_cast<std::size_t>(row) * width + x) * c.sampleBytes +
                                    channel];
                    if (got != Expected(c, x, y + row, n)) {
                        ADD_FAILURE() << "frame " << f << " row " << row << " x " << x << ": "
                                      << got << " instead of " << Expected(c, x, y + row, n);
                        return {};
                    }
                }
            }
        }
        numbers.push_back(n);
    }
    return numbers;
}

// RIFFs at the top level of the file, and where the last one ends.
struct Riffs {
    int count = 0;
    long long end = 0;
};

Riffs RiffsOf(const std::string& file) {
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (f == nullptr) return {};
    Riffs riffs;
    std::uint8_t head[8];
    long long& at = riffs.end;
    while (std::fseek(f, static_cast<long>(at), SEEK_SET) == 0 && std::fread(head, 1, 8, f) == 8 &&
           std::memcmp(head, "RIFF", 4) == 0) {
        ++riffs.count;
        const std::uint32_t size =
            head[4] | head[5] << 8 | head[6] << 16 | static_cast<std::uint32_t>(head[7]) << 24;
        at += 8 + size + (size & 1);
    }
    std::fclose(f);
    return riffs;
}

NodrixExRecordStatus Status(int handle) {
    NodrixExRecordStatus status = {};
    status.size = sizeof status;
    EXPECT_EQ(NodrixEx_GetRecordStatus(handle, &status), 1);
    return status;
}

struct Delivered {
    std::mutex lock;
    std::vector<std::uint32_t> numbers;
    int y = 0;            // the picture's first row on the sensor
    int wrongPixels = 0;  // frames whose top row shown is not their ramp
};

// The frame numbers, and whether the pixels the callback is shown are the
// frame's own: also when the frame went into the file without them.
void NODRIX_CALL Collect(int, const NodrixExFrame* frame, void* user) {
    auto* delivered = static_cast<Delivered*>(user);
    const std::uint32_t n = frame->metadata.frameNumber;
    bool right = frame->topRowFirst == 1;
    const auto* p = static_cast<const std::uint8_t*>(frame->pixels);
    for (std::uint32_t x = 0; x < 64 && right; ++x) {
        const std::uint32_t ramp = x + delivered->y + n;
        right = frame->bitsPerPixel == 16
                    ? (p[2 * x] | p[2 * x + 1] << 8) == static_cast<int>((ramp + 3 * x) & 0xFFF)
                    : p[x] == (ramp & 0xFF);
    }
    std::lock_guard<std::mutex> guard(delivered->lock);
    delivered->numbers.push_back(n);
    if (!right) ++delivered->wrongPixels;
}

std::string CaseName(const FormatCase& c) {
    static const char* const kNames[] = {"Classic", "Bgr24", "Grey8", "Grey16"};
    return std::string(kNames[c.format]) + "From" + std::to_string(c.bits);
}

class RecordAnyLength : public RecordingTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(RecordAnyLength, EveryDeliveredFrameIsDecodedInOrderAcrossRiffs) {
    const FormatCase c = GetParam();
    if (c.bits != bits_ && !SetBits(c.bits)) GTEST_SKIP() << "no " << c.bits << "-bit output";
    bits_ = c.bits;
    ASSERT_EQ(NodrixEx_SetRecordFormat(handle_, c.format), 1);
    api::FindConnection(handle_)->Acquiring().SetRecordRiffLimit(kSmallRiff);
    Delivered delivered;
    delivered.y = kWindowY;
    delivered.numbers.reserve(1 << 16);
    ASSERT_EQ(NodrixEx_SetFrameCallback(handle_, Collect, &delivered), 1);
    const std::string file = folder_.File("long.avi");
    ASSERT_EQ(Nodrix_Record(handle_, file.c_str(), 400, 0), 1) << Nodrix_GetLastError(handle_);
    ASSERT_TRUE(WaitUntilRecorded(kEndTimeoutMs));
    ASSERT_EQ(Nodrix_StopPreview(handle_), 1);
    ASSERT_EQ(NodrixEx_SetFrameCallback(handle_, nullptr, nullptr), 1);
    const NodrixExRecordStatus status = Status(handle_);
    EXPECT_EQ(status.error, 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), 0);

    EXPECT_GE(RiffsOf(file).count, 3);
    EXPECT_EQ(FfprobeFrameCount(file, !c.raw), static_cast<long long>(status.framesWritten));
    EXPECT_EQ(GstreamerFrameCount(file), static_cast<long long>(status.framesWritten));
    const std::vector<std::uint32_t> recorded =
        DecodedFrameNumbers(c, FfmpegDecode(file, c.pixFmt, c.raw), kWindowY, kWindowHeight);
    ASSERT_EQ(recorded.size(), status.framesWritten);
    ASSERT_GE(recorded.size(), 2u);

    // The recorded frames are the delivered ones from the first on, in
    // order; any left out were counted as dropped.
    const std::uint32_t period = c.bits == 8 ? 256 : 4096;
    std::size_t best = ~std::size_t{0};
    for (std::size_t start = 0; start < delivered.numbers.size(); ++start) {
        if (delivered.numbers[start] % period != recorded[0]) continue;
        std::size_t at = start;
        std::size_t skipped = 0;
        bool all = true;
        for (std::uint32_t n : recorded) {
            while (at < delivered.numbers.size() && delivered.numbers[at] % period != n) {
                ++at;
                ++skipped;
            }
            if (at == delivered.numbers.size()) {
                all = false;
                break;
            }
            ++at;
        }
        if (all) best = std::min(best, skipped);
        if (best == 0) break;
    }
    EXPECT_EQ(best, status.framesDropped);
    EXPECT_EQ(delivered.wrongPixels, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, RecordAnyLength,
    ::testing::Values(FormatCase{NODRIXEX_RECORD_BGR24, 8, "bgr24", 3, false, 0},
                      FormatCase{NODRIXEX_RECORD_GREY8, 8, "pal8", 1, false, 1024},
                      FormatCase{NODRIXEX_RECORD_GREY8, 16, "pal8", 1, false, 1024},
                      FormatCase{NODRIXEX_RECORD_GREY16, 16, "gray16le", 2, true, 0}),
    [](const auto& info) { return CaseName(info.param); });

// A child process records until it is killed or its file may grow no more
// (a file-size limit, or a small file system of its own); it reports the
// frames written every 50 ms through a pipe, and at the end the frames
// ffprobe reads from the file it can see.
struct ChildSetup {
    const char* name;
    int format;
    std::uint64_t fileSizeLimit;    // 0: none
    std::uint64_t fileSystemBytes;  // 0: the temporary folder as it is
    int reason;                     // errno of the failed write
};

struct ChildReport {
    std::uint64_t microseconds;
    std::uint64_t frames;
    std::int32_t recording;
    std::int32_t error;
    std::int64_t probedFrames;     // in the last report
    std::int64_t bytesAfterRiffs;  // likewise: the file beyond its last RIFF
    char reason[128];
};

// Child exit status: a small file system could not be mounted here.
constexpr int kNoMount = 5;

bool WriteText(const char* file, const std::string& text) {
    std::FILE* f = std::fopen(file, "w");
    if (f == nullptr) return false;
    const bool ok = std::fputs(text.c_str(), f) >= 0;
    return std::fclose(f) == 0 && ok;
}

// Mounts a file system of the size on the folder, in a mount namespace of
// the child's own (a user namespace too when the child is no administrator),
// so that nothing outlives the child.
bool MountSmallFileSystem(const std::string& folder, std::uint64_t bytes) {
    if (unshare(CLONE_NEWNS) != 0) {
        const uid_t uid = getuid();
        const gid_t gid = getgid();
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
            !WriteText("/proc/self/setgroups", "deny") ||
            !WriteText("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
            !WriteText("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) {
            return false;
        }
    }
    const std::string options = "size=" + std::to_string(bytes);
    return mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount("nodrix_test", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

[[noreturn]] void RecordInChild(int out, const std::string& file, const ChildSetup& setup) {
    if (setup.fileSystemBytes != 0 &&
        !MountSmallFileSystem(file.substr(0, file.rfind('/')), setup.fileSystemBytes)) {
        _exit(kNoMount);
    }
    testing::InstalledEmulator emulator(testing::CamerasOf({0x33B0}, emulator::Pace::Max));
    if (setup.fileSizeLimit != 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{setup.fileSizeLimit, setup.fileSizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    const int handle = Nodrix_Initialize(0);
    if (handle == 0 || Nodrix_SetPreviewWindow(handle, 0, 0, 0, 0, 0) != 1 ||
        Nodrix_SetColorMode(handle, 8) != 1 ||
        Nodrix_SetCaptureWindowEx(handle, 1280, 0, 1280, 1024, 100, 12) != 1 ||
        NodrixEx_SetRecordFormat(handle, setup.format) != 1 ||
        Nodrix_Record(handle, file.c_str(), 600000, 0) != 1) {
        _exit(3);
    }
    for (;;) {
        NodrixExRecordStatus status = {};
        status.size = sizeof status;
        NodrixEx_GetRecordStatus(handle, &status);
        ChildReport report = {};
        report.microseconds = platform::MonotonicMicroseconds();
        report.frames = status.framesWritten;
        report.recording = status.recording;
        report.error = status.error;
        NodrixEx_GetLastSystemError(handle, report.reason, sizeof report.reason);
        if (write(out, &report, sizeof report) != static_cast<ssize_t>(sizeof report)) _exit(4);
        if (status.recording == 0) {
            report.error = Nodrix_GetLastError(handle);
            report.probedFrames = FfprobeFrameCount(file, true);
            std::error_code error;
            report.bytesAfterRiffs = static_cast<std::int64_t>(
                std::filesystem::file_size(file, error) - RiffsOf(file).end);
            if (write(out, &report, sizeof report) != static_cast<ssize_t>(sizeof report)) _exit(4);
            Nodrix_Release(handle);
            _exit(0);
        }
        platform::SleepMs(50);
    }
}

class ChildRecording : public ::testing::Test {
protected:
    // Starts the child; false when it could not be made.
    bool Start(const ChildSetup& setup) {
        if (setup.fileSystemBytes != 0) {
            const std::string small = folder_.File("small");
            std::filesystem::create_directory(small);
            file_ = small + "/child.avi";
        }
        int fds[2];
        if (pipe(fds) != 0) return false;
        child_ = fork();
        if (child_ == 0) {
            close(fds[0]);
            RecordInChild(fds[1], file_, setup);
        }
        close(fds[1]);
        in_ = fds[0];
        return child_ > 0;
    }
    // The child's next report; false once it has closed the pipe.
    bool Next(ChildReport& report) {
        return read(in_, &report, sizeof report) == static_cast<ssize_t>(sizeof report);
    }
    int Wait() {
        int status = 0;
        waitpid(child_, &status, 0);
        child_ = -1;
        return status;
    }
    void TearDown() override {
        if (child_ > 0) {
            kill(child_, SIGKILL);
            Wait();
        }
        if (in_ >= 0) close(in_);
    }

    testing::TempFolder folder_;
    std::string file_ = folder_.File("child.avi");
    pid_t child_ = -1;
    int in_ = -1;
};

TEST_F(ChildRecording, KilledMidwayLeavesEveryFrameUpToASecondBeforeTheKill) {
    ASSERT_TRUE(Start(ChildSetup{"", NODRIXEX_RECORD_GREY8, 0, 0, 0}));
    std::vector<ChildReport> reports;
    ChildReport report;
    // A few seconds of recording once the first frames are in.
    while (Next(report)) {
        reports.push_back(report);
        if (report.frames > 0 && report.microseconds - reports.front().microseconds > 3000000)
            break;
    }
    ASSERT_GT(report.frames, 0u);
    const std::uint64_t killedAt = platform::MonotonicMicroseconds();
    kill(child_, SIGKILL);
    const int status = Wait();
    ASSERT_TRUE(WIFSIGNALED(status));
    std::uint64_t framesASecondBefore = 0;
    for (const ChildReport& r : reports) {
        if (r.microseconds + 1000000 <= killedAt) framesASecondBefore = r.frames;
    }
    ASSERT_GT(framesASecondBefore, 0u);
    EXPECT_GE(FfprobeFrameCount(file_, true), static_cast<long long>(framesASecondBefore));
}

class ChildRecordingLimited : public ChildRecording,
                              public ::testing::WithParamInterface<ChildSetup> {};

TEST_P(ChildRecordingLimited, EndsWithTheFileErrorItsReasonAndAPlayableFile) {
    const ChildSetup& setup = GetParam();
    ASSERT_TRUE(Start(setup));
    ChildReport report = {};
    ChildReport last = {};
    while (Next(report)) last = report;
    const int status = Wait();
    if (WIFEXITED(status) && WEXITSTATUS(status) == kNoMount) {
        GTEST_SKIP() << "this machine lets no process mount a small file system (neither as "
                        "administrator nor in a user namespace)";
    }
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(last.error, NODRIX_ERROR_FILE);
    EXPECT_STREQ(last.reason, std::strerror(setup.reason));
    ASSERT_GT(last.frames, 0u);
    EXPECT_EQ(last.probedFrames, static_cast<long long>(last.frames));
    // Nothing of the write that failed is left behind the file's end.
    EXPECT_EQ(last.bytesAfterRiffs, 0);
}

// Small enough that two or three frames fit (1.3 MB in 8-bit grey, 3.9 MB in
// the classic 24 bits).
INSTANTIATE_TEST_SUITE_P(
    Limits, ChildRecordingLimited,
    ::testing::Values(ChildSetup{"FileSizeLimit", NODRIXEX_RECORD_GREY8, 3 << 20, 0, EFBIG},
                      ChildSetup{"FileSizeLimitClassic", NODRIXEX_RECORD_CLASSIC, 10 << 20, 0,
                                 EFBIG},
                      ChildSetup{"FullFileSystem", NODRIXEX_RECORD_GREY8, 0, 3 << 20, ENOSPC}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nodrix::test
