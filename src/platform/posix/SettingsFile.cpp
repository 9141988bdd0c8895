#include "platform/posix/SettingsFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace nodrix::platform::detail {
namespace {

constexpr const char* kHeader = "NodrixSettings 1";

std::string Lower(const std::string& text) {
    std::string result = text;
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

bool SameName(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

std::string QuoteName(const std::string& name) {
    std::string result = "\"";
    for (char c : name) {
        if (c == '"' || c == '\\') result += '\\';
        result += c;
    }
    return result + "\"";
}

// Reads a quoted name at text[pos]; pos ends after the closing quote.
bool UnquoteName(const std::string& text, std::size_t* pos, std::string* name) {
    if (*pos >= text.size() || text[*pos] != '"') return false;
    name->clear();
    for (std::size_t i = *pos + 1; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            *name += text[++i];
        } else if (text[i] == '"') {
            *pos = i + 1;
            return true;
        } else {
            *name += text[i];
        }
    }
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ParseValue(const std::string& line, SettingsValue* value) {
    std::size_t pos = 0;
    if (!UnquoteName(line, &pos, &value->name)) return false;
    const std::string rest = line.substr(pos);
    if (rest.rfind("=dword:", 0) == 0) {
        const std::string digits = rest.substr(7);
        if (digits.size() != 8) return false;
        std::uint32_t number = 0;
        for (char c : digits) {
            const int digit = HexDigit(c);
            if (digit < 0) return false;
            number = (number << 4) | static_cast<std::uint32_t>(digit);
        }
        value->type = SettingsValueType::Dword;
        value->data = {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                       static_cast<std::uint8_t>(number >> 16),
                       static_cast<std::uint8_t>(number >> 24)};
        return true;
    }
    if (rest.rfind("=hex:", 0) == 0) {
        const std::string bytes = rest.substr(5);
        value->type = SettingsValueType::Binary;
        value->data.clear();
        for (std::size_t i = 0; i < bytes.size();) {
            if (i + 2 > bytes.size()) return false;
            const int high = HexDigit(bytes[i]);
            const int low = HexDigit(bytes[i + 1]);
            if (high < 0 || low < 0) return false;
            value->data.push_back(static_cast<std::uint8_t>(high * 16 + low));
            i += 2;
            if (i < bytes.size() && bytes[i++] != ',') return false;
        }
        return true;
    }
    return false;
}

std::string FormatValue(const SettingsValue& value) {
    static const char digits[] = "0123456789abcdef";
    std::string line = QuoteName(value.name);
    if (value.type == SettingsValueType::Dword && value.data.size() == 4) {
        const std::uint32_t number = value.data[0] | (value.data[1] << 8) |
                                     (value.data[2] << 16) |
                                     (static_cast<std::uint32_t>(value.data[3]) << 24);
        char text[9];
        std::snprintf(text, sizeof text, "%08x", number);
        return line + "=dword:" + text;
    }
    line += "=hex:";
    for (std::size_t i = 0; i < value.data.size(); ++i) {
        if (i) line += ',';
        line += digits[value.data[i] >> 4];
        line += digits[value.data[i] & 15];
    }
    return line;
}

int LockFile(int fd, int operation) {
    int result;
    do {
        result = flock(fd, operation);
    } while (result != 0 && errno == EINTR);
    return result;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadAll(const std::string& path, std::string* text) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[8192];
    text->clear();
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text->append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return true;
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void MakeDirectories(const std::string& directory) {
    for (std::size_t slash = directory.find('/', 1); ; slash = directory.find('/', slash + 1)) {
        mkdir(directory.substr(0, slash).c_str(), 0700);
        if (slash == std::string::npos) break;
    }
}

// Writes text beside path, flushes it to disk and renames it over path:
// the file is always either entirely old or entirely new.
bool ReplaceFile(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".tmp";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, text) && fsync(fd) == 0;
    close(fd);
    // The folder is not flushed: after a power failure the rename may be
    // lost, which leaves the old file, complete as well.
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

bool SettingsTree::NormalisePath(const std::string& path, std::string* normalised) {
    normalised->clear();
    std::string component;
    std::istringstream parts(path);
    while (std::getline(parts, component, '\\')) {
        if (component.empty()) continue;
        for (char c : component) {
            if (c == '\n' || c == '\r' || c == '[' || c == ']') return false;
        }
        if (!normalised->empty()) *normalised += '\\';
        *normalised += component;
    }
    return true;
}

bool SettingsTree::HasKey(const std::string& path) const {
    return path.empty() || keys_.count(Lower(path)) != 0;
}

void SettingsTree::CreateKey(const std::string& path) {
    for (std::size_t end = path.find('\\'); ; end = path.find('\\', end + 1)) {
        const std::string prefix = path.substr(0, end);
        if (!prefix.empty()) keys_.try_emplace(Lower(prefix), SettingsKeyData{prefix, {}});
        if (end == std::string::npos) break;
    }
}

bool SettingsTree::DeleteTree(const std::string& path) {
    if (!HasKey(path)) return false;
    const std::string key = Lower(path);
    const std::string below = key.empty() ? "" : key + "\\";
    for (auto it = keys_.begin(); it != keys_.end();) {
        if (it->first == key || it->first.rfind(below, 0) == 0) {
            it = keys_.erase(it);
        } else {
            ++it;
        }
    }
    return true;
}

const SettingsValue* SettingsTree::FindValue(const std::string& path,
                                             const std::string& name) const {
    const auto key = keys_.find(Lower(path));
    if (key == keys_.end()) return nullptr;
    for (const SettingsValue& value : key->second.values) {
        if (SameName(value.name, name)) return &value;
    }
    return nullptr;
}

bool SettingsTree::SetValue(const std::string& path, const SettingsValue& value) {
    const auto key = keys_.find(Lower(path));
    if (key == keys_.end()) return false;
    for (SettingsValue& existing : key->second.values) {
        if (SameName(existing.name, value.name)) {
            existing.type = value.type;
            existing.data = value.data;
            return true;
        }
    }
    key->second.values.push_back(value);
    return true;
}

std::string SettingsTree::Serialise() const {
    std::string text = std::string(kHeader) + "\n";
    for (const auto& [lower, key] : keys_) {
        text += "\n[" + key.path + "]\n";
        for (const SettingsValue& value : key.values) text += FormatValue(value) + "\n";
    }
    return text;
}

SettingsTree SettingsTree::Parse(const std::string& text) {
    SettingsTree tree;
    std::istringstream lines(text);
    std::string line;
    std::string current;
    bool inKey = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            inKey = NormalisePath(line.substr(1, line.size() - 2), &current) && !current.empty();
            if (inKey) tree.CreateKey(current);
            continue;
        }
        SettingsValue value;
        if (inKey && ParseValue(line, &value)) tree.SetValue(current, value);
    }
    return tree;
}

std::string SettingsFilePath() {
    if (const char* file = std::getenv("NODRIX_SETTINGS_FILE"); file && *file) return file;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
        return std::string(config) + "/nodrix/settings.reg";
    }
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.config/nodrix/settings.reg";
}

SettingsTree LoadSettings() {
    std::string text;
    if (!ReadAll(SettingsFilePath(), &text)) return {};
    return SettingsTree::Parse(text);
}

bool UpdateSettings(const std::function<bool(SettingsTree&)>& change) {
    const std::string path = SettingsFilePath();
    MakeDirectories(DirectoryOf(path));
    const int lock = open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0) return false;
    bool done = false;
    if (LockFile(lock, LOCK_EX) == 0) {
        SettingsTree tree = LoadSettings();
        const std::string before = tree.Serialise();
        if (change(tree)) {
            // Settings are saved whole, mostly unchanged; a flushed rewrite
            // costs milliseconds, so an identical file is left alone.
            const std::string after = tree.Serialise();
            done = after == before || ReplaceFile(path, after);
        }
    }
    close(lock);  // releases the lock
    return done;
}

}  // namespace nodrix::platform::detail
