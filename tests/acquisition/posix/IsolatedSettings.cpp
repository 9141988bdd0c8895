// The tests keep their settings in a file of their own, not the user's nor
// one an earlier test program left behind.
#include "platform/posix/PrivateSettingsFile.h"

namespace {

[[maybe_unused]] const auto& kIsolated = nodrix::testing_support::ProgramSettingsFile();

}  // namespace
