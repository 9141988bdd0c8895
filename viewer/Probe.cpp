#include "Probe.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace nodrix_viewer {
namespace {

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

void Probe::Begin() {
    json_ = "{";
    first_.assign(1, true);
}

void Probe::Key(const char* key) {
    if (!first_.back()) json_ += ",";
    first_.back() = false;
    json_ += "\n" + Quoted(key) + ": ";
}

void Probe::Number(const char* key, double value) {
    Key(key);
    char text[64];
    std::snprintf(text, sizeof text, "%.10g", value);
    json_ += text;
}

void Probe::Text(const char* key, const std::string& value) {
    Key(key);
    json_ += Quoted(value);
}

void Probe::Rect(const char* key, float x, float y, float w, float h) {
    Key(key);
    char text[128];
    std::snprintf(text, sizeof text, "[%.1f, %.1f, %.1f, %.1f]", x, y, w, h);
    json_ += text;
}

void Probe::Object(const char* key) {
    Key(key);
    json_ += "{";
    first_.push_back(true);
}

void Probe::End() {
    json_ += "}";
    if (first_.size() > 1) first_.pop_back();
}

void Probe::Write() {
    if (!Enabled()) return;
    const std::string temporary = path_ + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << json_ << "}\n";
        if (!out) return;
    }
    std::error_code error;
    std::filesystem::rename(temporary, path_, error);
}

}  // namespace nodrix_viewer
