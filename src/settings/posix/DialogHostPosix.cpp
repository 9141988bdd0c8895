// Without a window system there are no dialogs to show.
#include "settings/DialogHost.h"

namespace nodrix::settings {

DialogHost* PlatformDialogHost() { return nullptr; }

}  // namespace nodrix::settings
