#pragma once
// The AVI writer's file: a CBinaryFile opened for writing (an existing file
// is emptied, a missing one created).

#include <memory>

#include "files/AviSink.h"

namespace nodrix::files {

// Null when the file can be neither emptied nor created.
std::unique_ptr<AviSink> OpenAviFile(const char* fileName);

}  // namespace nodrix::files
