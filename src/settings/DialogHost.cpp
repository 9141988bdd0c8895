#include "settings/DialogHost.h"

#include <atomic>

namespace nodrix::settings {

namespace {
std::atomic<DialogHost*> installed{nullptr};
}

DialogHost* CurrentDialogHost() {
    DialogHost* host = installed.load();
    return host != nullptr ? host : PlatformDialogHost();
}

void InstallDialogHost(DialogHost* host) { installed = host; }

}  // namespace nodrix::settings
