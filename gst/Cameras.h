#pragma once
// Finding and opening cameras through the public API, shared by the source
// element and the device provider.

#include <string>
#include <vector>

namespace nodrix_gst {

struct CameraEntry {
    int index;
    std::string name;    // "NodrixT520_01"
    std::string serial;  // empty when the camera has none
};

// Every attached camera with its serial number (each is opened in turn to
// read it). The stored settings are left as they are.
std::vector<CameraEntry> ListCameras();

// The camera names alone, without opening any: cheap enough to poll.
std::vector<std::string> CameraNames();

// Opens the camera that `device` names (empty: the first; a number: that
// index; otherwise a name or a serial number) on a new connection that does
// not store settings when it ends. 0 with *error set when there is none.
int OpenCamera(const std::string& device, std::string* error);

// The SDK's text of the newest error on the connection, with its code.
std::string LastErrorText(int handle);

}  // namespace nodrix_gst
