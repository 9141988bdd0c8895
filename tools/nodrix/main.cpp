// nodrix: the command-line tool over the SDK's exported functions.
#include <cstdio>

#include "NodrixSdk.h"

int main() {
    std::printf("NodrixT520 SDK version %d\n", Nodrix_GetDllVersion());
    return 0;
}
