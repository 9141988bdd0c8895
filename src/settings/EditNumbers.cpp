#include "settings/EditNumbers.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace nodrix::settings {

namespace {

// The text without the blanks around it.
std::string Trimmed(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(begin, end - begin);
}

template <typename T>
T ParseWhole(const std::string& text) {
    const std::string t = Trimmed(text);
    const char* first = t.data();
    const char* last = first + t.size();
    if (first != last && *first == '+') ++first;
    T value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last) return 0;
    return value;
}

}  // namespace

std::int32_t ParseSignedEdit(const std::string& text) { return ParseWhole<std::int32_t>(text); }

std::uint32_t ParseUnsignedEdit(const std::string& text) {
    const std::string t = Trimmed(text);
    if (!t.empty() && t[0] == '-') return 0;
    return ParseWhole<std::uint32_t>(t);
}

double ParseDecimalEdit(const std::string& text) {
    const std::string t = Trimmed(text);
    if (t.empty()) return 0.0;
    char* end = nullptr;
    const double value = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || !std::isfinite(value)) return 0.0;
    return value;
}

}  // namespace nodrix::settings
