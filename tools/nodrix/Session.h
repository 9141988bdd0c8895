#pragma once
// An SDK connection with one chosen camera, released at the end. Values the
// tool changed are put back before the release (the SDK stores the camera
// and image groups then) unless the user asked to save them.

#include <functional>
#include <string>
#include <vector>

namespace nodrix_tool {

struct Options;

class Session {
public:
    static constexpr int kOpened = -1;

    Session() = default;
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Opens a connection and selects the camera --device names (the first
    // by default). The emulated camera is used only when NODRIX_EMULATION
    // asks for it, or when no camera driver exists and emulation is not
    // refused. Returns kOpened, or the exit status to end with.
    int Open(const Options& options, int argc, char** argv);
    int Handle() const { return handle_; }
    int Cameras() const { return cameras_; }
    int Device() const { return device_; }
    bool Emulated() const { return emulated_; }

    // Registers how to put a value back at the end; the newest first.
    void OnRestore(std::function<void()> restore) { restores_.push_back(std::move(restore)); }
    // Keeps what the command set, in the camera and in the stored settings.
    void KeepChanges();

private:
    int SelectDevice(const std::string& wanted);

    int handle_ = 0;
    int cameras_ = 0;
    int device_ = 0;
    bool emulated_ = false;
    bool keep_ = false;
    std::vector<std::function<void()>> restores_;
};

}  // namespace nodrix_tool
