// The SDK's release as text. The build passes the project's version to this
// file alone, so that a new release recompiles one object.
#include "NodrixSdkEx.h"

#ifndef NODRIX_SDK_VERSION_TEXT
#error "the build defines NODRIX_SDK_VERSION_TEXT for this file"
#endif

extern "C" const char* NODRIX_CALL NodrixEx_GetVersionText(void) {
    return NODRIX_SDK_VERSION_TEXT;
}
