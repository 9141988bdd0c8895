#pragma once
// The link between the frame conversion and an open image or analog
// dialog. The conversion runs on the worker thread while the dialog lives
// on the application's thread, so the conversion never touches the dialog
// itself: it tells the listener attached here, under a lock that the
// dialog also takes to attach and detach, and the listener only queues the
// update for the dialog's own thread.

#include "platform/RecursiveLock.h"

namespace nodrix::settings {

class DialogListener {
public:
    virtual ~DialogListener() = default;
    // The automatic white balance or grey gain changed the image block.
    virtual void ImageParametersMeasured() {}
    // The automatic exposure set a new gain or exposure.
    virtual void GainCorrected(int /*gain*/) {}
    virtual void ExposureCorrected(int /*tenths*/) {}
};

class LiveDialogs {
public:
    // The rank of the lock in its owner's lock order (platform/LockRank.h).
    explicit LiveDialogs(int lockRank = platform::kUnranked) : lock_(lockRank) {}

    void AttachImage(DialogListener* listener);
    void DetachImage();
    void AttachAnalog(DialogListener* listener);
    void DetachAnalog();

    void ImageParametersMeasured();
    void GainCorrected(int gain);
    void ExposureCorrected(int tenths);

private:
    platform::RecursiveLock lock_;
    DialogListener* image_ = nullptr;
    DialogListener* analog_ = nullptr;
};

}  // namespace nodrix::settings
