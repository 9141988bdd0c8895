#pragma once
// The viewer's connection: one handle, the camera chosen on it, its
// identity, and what to do when it is lost and comes back.

#include <string>
#include <vector>

namespace nodrix_viewer {

class Connection {
public:
    Connection() = default;
    ~Connection() { Close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens a handle and selects camera `device` (0-based). false with the
    // reason in *error.
    bool Open(int device, std::string* error);
    void Close();
    // Opens the same camera again after it was lost; false while it is
    // not back.
    bool Reopen();

    int Handle() const { return handle_; }
    int Device() const { return device_; }
    const std::string& Name() const { return name_; }
    const std::string& Serial() const { return serial_; }
    // The cameras on the bus now, by name.
    std::vector<std::string> CameraNames() const;

private:
    void ReadIdentity();

    int handle_ = 0;
    int device_ = 0;
    std::string name_;
    std::string serial_;
};

// Whether NODRIX_EMULATION asks for the emulated camera.
bool EmulationAsked();

// "the camera was lost during acquisition (13)", or "" for code 0.
std::string ErrorMessage(int code);

}  // namespace nodrix_viewer
