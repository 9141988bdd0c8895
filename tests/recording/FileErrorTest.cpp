// Failed file reads and writes through the exports: each pushes the file
// error (or keeps its specified code on top of it) and leaves the system's
// reason for NodrixEx_GetLastSystemError.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "NodrixSdkEx.h"
#include "recording/RecordingFixture.h"

namespace nodrix::test {
namespace {

std::string Reason(int handle) {
    char text[256] = "untouched";
    EXPECT_EQ(NodrixEx_GetLastSystemError(handle, text, sizeof text), 1);
    return text;
}

class FileErrors : public RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        if (HasFatalFailure()) return;
        std::vector<std::uint8_t> frame(static_cast<std::size_t>(StrideOf(1280, bits_)) *
                                        kWindowHeight);
        ASSERT_EQ(Nodrix_SnapShot(handle_, frame.data(), static_cast<int>(frame.size()), 1), 1);
        // A regular file where a folder is expected: no name below it can
        // be made, for any user.
        std::ofstream(folder_.File("plain")) << "x";
    }
};

struct FileCase {
    const char* what;
    // The call on the handle with a name inside the test's folder.
    int (*call)(int handle, const std::string& name);
    const char* name;
    std::vector<int> codes;  // newest first
    bool withReason;
};

int SavePng(int handle, const std::string& name) {
    return Nodrix_SaveImage(handle, name.c_str(), NODRIX_IMAGE_PNG);
}
int SaveBmp(int handle, const std::string& name) {
    return Nodrix_SaveImage(handle, name.c_str(), NODRIX_IMAGE_BMP);
}
int SaveJpeg(int handle, const std::string& name) {
    return Nodrix_SaveImage(handle, name.c_str(), NODRIX_IMAGE_JPEG_70);
}
int SaveTiff(int handle, const std::string& name) {
    return Nodrix_SaveImage(handle, name.c_str(), NODRIX_IMAGE_TIFF);
}
int SaveUnknownKind(int handle, const std::string& name) {
    return Nodrix_SaveImage(handle, name.c_str(), 7);
}
int Record(int handle, const std::string& name) {
    return Nodrix_Record(handle, name.c_str(), 100, 0);
}
int LoadConfig(int handle, const std::string& name) {
    return Nodrix_LoadConfigFileA(handle, name.c_str());
}
int LoadMask(int handle, const std::string& name) {
    return Nodrix_LoadMaskFile(handle, name.c_str());
}
int SaveMask(int handle, const std::string& name) {
    return Nodrix_SaveMaskFile(handle, name.c_str());
}

const FileCase kCases[] = {
    {"png into a missing folder", SavePng, "missing/x.png", {NODRIX_ERROR_FILE}, true},
    {"bmp below a plain file", SaveBmp, "plain/x.bmp", {NODRIX_ERROR_FILE}, true},
    {"jpeg into a missing folder", SaveJpeg, "missing/x.jpg", {NODRIX_ERROR_FILE}, true},
    {"tiff into a missing folder", SaveTiff, "missing/x.tif", {NODRIX_ERROR_FILE}, true},
    {"image with an empty name", SavePng, "", {NODRIX_ERROR_FILE}, false},
    {"image of an unknown kind", SaveUnknownKind, "x.img", {NODRIX_ERROR_INVALID_ARGUMENT}, false},
    {"recording into a missing folder", Record, "missing/x.avi", {NODRIX_ERROR_FILE}, true},
    {"missing configuration file", LoadConfig, "missing.cfg", {NODRIX_ERROR_FILE}, true},
    {"missing mask file",
     LoadMask,
     "missing.msk",
     {NODRIX_ERROR_MASK_FILE, NODRIX_ERROR_FILE},
     true},
    {"mask into a missing folder",
     SaveMask,
     "missing/x.msk",
     {NODRIX_ERROR_MASK_FILE, NODRIX_ERROR_FILE},
     true},
};

TEST_F(FileErrors, EveryFailedReadOrWriteCarriesItsCodeAndTheSystemsReason) {
    for (const FileCase& c : kCases) {
        SCOPED_TRACE(c.what);
        const std::string name = c.name[0] == '\0' ? std::string() : folder_.File(c.name);
        EXPECT_EQ(c.call(handle_, name), 0);
        for (int code : c.codes) EXPECT_EQ(Nodrix_GetLastError(handle_), code);
        EXPECT_EQ(Nodrix_GetLastError(handle_), 0);
        if (c.withReason) {
            const std::string reason = Reason(handle_);
            // The system's words: errno texts natively; Windows says it
            // cannot find the path or file (Wine: "Path not found").
            const bool known = reason.find("No such file") != std::string::npos ||
                               reason.find("Not a directory") != std::string::npos ||
                               reason.find("cannot find the") != std::string::npos ||
                               reason.find("not found") != std::string::npos;
            EXPECT_TRUE(known) << reason;
        }
        EXPECT_FALSE(std::filesystem::exists(name + "x")) << name;
    }
    // The preview a failed recording started is stopped again.
    EXPECT_EQ(Nodrix_StopPreview(handle_), 1);
}

TEST_F(FileErrors, TheReasonComesOnlyIntoABufferThatHoldsIt) {
    EXPECT_EQ(SavePng(handle_, folder_.File("missing/x.png")), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_FILE);
    const std::string reason = Reason(handle_);
    ASSERT_FALSE(reason.empty());
    std::vector<char> exact(reason.size() + 1, 'x');
    EXPECT_EQ(NodrixEx_GetLastSystemError(handle_, exact.data(), static_cast<int>(exact.size())),
              1);
    EXPECT_EQ(std::string(exact.data()), reason);
    std::vector<char> small(reason.size(), 'x');
    EXPECT_EQ(NodrixEx_GetLastSystemError(handle_, small.data(), static_cast<int>(small.size())),
              0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_MEMORY);
    EXPECT_EQ(small[0], 'x');
    EXPECT_EQ(NodrixEx_GetLastSystemError(handle_, nullptr, 10), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(NodrixEx_GetLastSystemError(handle_, exact.data(), 0), 0);
    EXPECT_EQ(Nodrix_GetLastError(handle_), NODRIX_ERROR_INVALID_ARGUMENT);
}

}  // namespace
}  // namespace nodrix::test
