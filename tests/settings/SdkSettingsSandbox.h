#pragma once
// Keeps the SDK's settings of a test program away from the user's: natively
// a settings file of the program's own, on Windows the registry of the
// build's private Wine prefix. Linking SdkSettingsSandbox.cpp empties the
// SDK's settings before the first test.

namespace nodrix::test {

// Removes every setting of the SDK (its root key and all below it).
void ResetSdkSettings();

}  // namespace nodrix::test
