#pragma once
// A small writer of one JSON document on standard output: objects, arrays,
// strings, numbers and booleans, with commas and escapes handled.

#include <string>
#include <vector>

namespace nodrix_tool {

class JsonWriter {
public:
    JsonWriter& BeginObject(const char* key = nullptr);
    JsonWriter& EndObject();
    JsonWriter& BeginArray(const char* key = nullptr);
    JsonWriter& EndArray();
    JsonWriter& String(const char* key, const std::string& value);
    JsonWriter& Number(const char* key, double value);
    JsonWriter& Bool(const char* key, bool value);
    JsonWriter& Null(const char* key);
    // Prints the document and a newline.
    void Print() const;

private:
    void Key(const char* key);
    std::string text_;
    std::vector<bool> first_{true};
};

}  // namespace nodrix_tool
