#include "Json.h"

#include <cmath>
#include <cstdio>

namespace nodrix_tool {
namespace {

std::string Quoted(const std::string& value) {
    std::string out = "\"";
    for (const char c : value) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

void JsonWriter::Key(const char* key) {
    if (!first_.back()) text_ += ",";
    first_.back() = false;
    if (key != nullptr) text_ += Quoted(key) + ":";
}

JsonWriter& JsonWriter::BeginObject(const char* key) {
    Key(key);
    text_ += "{";
    first_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    text_ += "}";
    first_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::BeginArray(const char* key) {
    Key(key);
    text_ += "[";
    first_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    text_ += "]";
    first_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::String(const char* key, const std::string& value) {
    Key(key);
    text_ += Quoted(value);
    return *this;
}

JsonWriter& JsonWriter::Number(const char* key, double value) {
    Key(key);
    if (!std::isfinite(value)) {
        text_ += "null";
        return *this;
    }
    char number[40];
    std::snprintf(number, sizeof number, "%.10g", value);
    text_ += number;
    return *this;
}

JsonWriter& JsonWriter::Bool(const char* key, bool value) {
    Key(key);
    text_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null(const char* key) {
    Key(key);
    text_ += "null";
    return *this;
}

void JsonWriter::Print() const {
    std::printf("%s\n", text_.c_str());
}

}  // namespace nodrix_tool
