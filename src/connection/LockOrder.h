#pragma once
// The lock order of a connection, written here and nowhere else. A thread
// takes these locks only in rising rank; it may re-enter a lock it holds.
// Debug builds stop the program at a lock taken out of this order
// (platform/LockRank.h), so every test run checks it.
//
//   frame callback slot -> control -> frame -> mask -> camera controls
//     -> live dialogs -> metadata -> error stack
//
// - The frame callback slot (the frame record's) is held while the
//   application's callback runs; the callback may call any export that does
//   not start or stop the acquisition, so every other lock comes after it.
// - control (the acquisition's) serialises the application's starts, stops
//   and snapshots, the stream's included; it is never taken by a worker.
// - frame (the acquisition's) guards the image buffers and the delivered
//   frame; the worker holds it for a whole frame cycle (conversion, copy,
//   recording queue, drawing), the stream's thread for one conversion.
// - mask guards the mask planes and configuration pairs; the conversion
//   takes it inside the frame lock.
// - camera controls guards the camera parameter block and its writes to the
//   core; the automatic exposure goes through it inside the frame lock.
// - live dialogs guards the open dialogs' listeners.
// - metadata (the frame record's) and the error stack hold no other lock of
//   the connection.
//
// The core's locks (frame ring slot before its aside buffer, the statistics)
// and the transport's are below all of these: they are taken inside them and
// take none of them.

#include "platform/LockRank.h"

namespace nodrix {

enum ConnectionLockRank : int {
    kLockRankFrameCallback = 10,
    kLockRankControl = 20,
    kLockRankFrame = 30,
    kLockRankMask = 40,
    kLockRankCameraControls = 50,
    kLockRankLiveDialogs = 60,
    kLockRankMetadata = 70,
    kLockRankError = 80,
};

}  // namespace nodrix
