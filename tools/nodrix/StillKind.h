#pragma once
// The file an --out name asks for, from its extension.

#include <string>

namespace nodrix_tool {

// PGM is written by the tool itself; the others by Nodrix_SaveImage.
inline constexpr int kPgmFile = -1;
inline constexpr int kUnknownFile = -2;

// The Nodrix_SaveImage kind of the name's extension (JPEG at the given
// quality: 100, 70 or 20), kPgmFile, or kUnknownFile.
int StillKindFor(const std::string& name, int jpegQuality);

// Whether the kind takes a quality (JPEG).
bool HasQuality(int kind);

// Bits per sample the file holds when the frame has frameBits: JPEG files
// hold 8, the others what the frame has.
int FileBits(int kind, int frameBits);

// The file's format in words, e.g. "JPEG, quality 70".
const char* KindName(int kind);

}  // namespace nodrix_tool
