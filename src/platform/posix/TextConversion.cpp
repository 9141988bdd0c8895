#include "platform/TextConversion.h"

#include <cstdint>
#include <string>

namespace nodrix::platform {
namespace {

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at text; false for malformed, overlong or
// surrogate encodings.
bool DecodeUtf8(const unsigned char*& text, char32_t* cp) {
    const unsigned char lead = *text++;
    if (lead < 0x80) {
        *cp = lead;
        return true;
    }
    int extra;
    char32_t value;
    char32_t minimum;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, value = lead & 0x07, minimum = 0x10000;
    } else {
        return false;
    }
    for (int i = 0; i < extra; ++i) {
        const unsigned char next = *text;
        if ((next & 0xC0) != 0x80) return false;  // also stops at the NUL
        value = (value << 6) | (next & 0x3F);
        ++text;
    }
    if (value < minimum || value > 0x10FFFF || IsHighSurrogate(value) || IsLowSurrogate(value)) {
        return false;
    }
    *cp = value;
    return true;
}

}  // namespace

bool Utf16ToAnsi(const char16_t* text, char* out, std::size_t outSize) {
    if (outSize > 0) out[0] = '\0';
    if (!text || !out) return false;
    std::string converted;
    for (const char16_t* p = text; *p; ++p) {
        char32_t cp = *p;
        if (IsHighSurrogate(cp)) {
            if (!IsLowSurrogate(p[1])) return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<char32_t>(p[1]) - 0xDC00);
            ++p;
        } else if (IsLowSurrogate(cp)) {
            return false;
        }
        AppendUtf8(converted, cp);
        if (converted.size() >= outSize) return false;
    }
    if (converted.size() >= outSize) return false;
    converted.copy(out, converted.size());
    out[converted.size()] = '\0';
    return true;
}

bool AnsiToUtf16(const char* text, char16_t* out, std::size_t outUnits) {
    if (outUnits > 0) out[0] = u'\0';
    if (!text || !out) return false;
    std::u16string converted;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        char32_t cp;
        if (!DecodeUtf8(p, &cp)) return false;
        if (cp >= 0x10000) {
            converted += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            converted += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            converted += static_cast<char16_t>(cp);
        }
        if (converted.size() >= outUnits) return false;
    }
    if (converted.size() >= outUnits) return false;
    converted.copy(out, converted.size());
    out[converted.size()] = u'\0';
    return true;
}

}  // namespace nodrix::platform
