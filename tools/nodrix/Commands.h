#pragma once
// The tool's commands over an open SDK connection.

#include <string>

namespace nodrix_tool {

struct Options {
    std::string out;
    int bits = 0;  // 8 or 16; 0: the grey format the settings chose
    double exposureMs = -1.0;  // negative: leave the exposure as it is
    int gain = 0;
    bool haveGain = false;
    double seconds = 3.0;
    int quality = 100;  // JPEG quality of snap: 100, 70 or 20
};

// An SDK connection with a camera, released at the end.
class Session {
public:
    static constexpr int kOpened = -1;

    Session() = default;
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Opens a connection and makes sure a camera is there. With no camera
    // and no emulation asked for, says so and runs the command again on the
    // emulated camera. Returns kOpened, or the exit status to end with.
    int Open(int argc, char** argv);
    int Handle() const { return handle_; }
    int Cameras() const { return cameras_; }

private:
    int handle_ = 0;
    int cameras_ = 0;
};

// Reports a failed call with the SDK's newest error code and returns the
// exit status 1.
int Fail(const Session& session, const char* what);

using Command = int (*)(Session& session, const Options& options);
int List(Session& session, const Options& options);
int Info(Session& session, const Options& options);
int Snap(Session& session, const Options& options);
int Stream(Session& session, const Options& options);
int Record(Session& session, const Options& options);

}  // namespace nodrix_tool
