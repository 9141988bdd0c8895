#pragma once
// The tool's commands over an open SDK connection, and what they share.

#include <string>
#include <vector>

#include "Session.h"

namespace nodrix_tool {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitSizeLimit = 3;      // a recording stopped at the file-size limit
inline constexpr int kExitInterrupted = 130;  // Ctrl-C

struct Options {
    std::string command;
    std::vector<std::string> args;  // positional arguments after the command
    std::string out;
    std::string device;  // --device: index, name or serial number
    std::string mask;    // --mask: a mask file for snap, stream and record
    int bits = 0;        // 8 or 16; 0: chosen by the output kind
    double seconds = 3.0;
    int buffers = 16;      // stream: buffers queued
    bool trigger = false;  // stream: a frame per trigger
    double timeout = 0.0;  // stream: longest wait for a frame, seconds; 0: none
    int quality = 100;     // JPEG quality: 100, 70 or 20
    bool qualityGiven = false;
    bool json = false;
    bool save = false;
    bool noEmulation = false;
    bool confirmWrite = false;
    bool help = false;
    bool version = false;
};

// Reports a failed call with the SDK's newest error code; returns kExitFailed.
int Fail(const Session& session, const char* what);

using CommandFunction = int (*)(Session& session, const Options& options);
int List(Session& session, const Options& options);
int Info(Session& session, const Options& options);
int Get(Session& session, const Options& options);
int Set(Session& session, const Options& options);
int Regs(Session& session, const Options& options);
int Eeprom(Session& session, const Options& options);
int Snap(Session& session, const Options& options);
int Stream(Session& session, const Options& options);
int Record(Session& session, const Options& options);
int Mask(Session& session, const Options& options);
int Config(Session& session, const Options& options);
int Dialog(Session& session, const Options& options);

// Applies the NAME=VALUE arguments of a capturing command (snap, stream,
// record), its --bits and its --mask file; returns an exit status, 0 when
// all applied.
int ApplyCaptureSettings(Session& session, const Options& options);

}  // namespace nodrix_tool
