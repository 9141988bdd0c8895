// The tests start from the SDK's defaults: settings that other programs of
// this Wine prefix left in the registry are removed first.
#include <windows.h>

namespace {

const bool kIsolated = [] {
    return RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velmor\\NodrixT520U3T2Sdk") ==
           ERROR_SUCCESS;
}();

}  // namespace
