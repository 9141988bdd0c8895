#include "emulator/EmulatorConfig.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace nodrix::emulator {
namespace {

std::string Trim(const std::string& s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Decimal, or hexadecimal with a 0x prefix.
bool ParseNumber(const std::string& text, std::uint32_t& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    unsigned long v = std::strtoul(text.c_str(), &end, 0);
    if (end == nullptr || *end != '\0' || v > 0xFFFFFFFFul) return false;
    value = static_cast<std::uint32_t>(v);
    return true;
}

bool ParseHex16(const std::string& text, std::uint16_t& value) {
    std::string t = text;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) t = t.substr(2);
    if (t.empty() || t.size() > 4) return false;
    for (char c : t) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    }
    value = static_cast<std::uint16_t>(std::strtoul(t.c_str(), nullptr, 16));
    return true;
}

bool ParseFlag(const std::string& text, bool& value) {
    std::string t = Lower(text);
    if (t == "1" || t == "true" || t == "yes" || t == "on") {
        value = true;
        return true;
    }
    if (t == "0" || t == "false" || t == "no" || t == "off") {
        value = false;
        return true;
    }
    return false;
}

bool IsAllDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

void Note(std::string* error, const std::string& what) {
    if (error == nullptr) return;
    if (!error->empty()) *error += "; ";
    *error += what;
}

// Applies one key=value pair; false when the key is unknown or the value bad.
bool ApplyPair(const std::string& key, const std::string& value, EmulatorConfig& c,
               std::vector<std::uint16_t>& products, std::string& serialBase) {
    std::uint32_t n = 0;
    FaultConfig& f = c.faults;
    if (key == "cameras") {
        if (IsAllDigits(value) && value.size() < 4) {
            if (!ParseNumber(value, n) || n > 32) return false;
            products.assign(n, kProductT520);
            return true;
        }
        products.clear();
        std::size_t start = 0;
        while (start <= value.size()) {
            std::size_t comma = value.find(',', start);
            if (comma == std::string::npos) comma = value.size();
            std::string item = Trim(value.substr(start, comma - start));
            std::uint16_t pid = 0;
            if (!item.empty()) {
                if (!ParseHex16(item, pid)) return false;
                products.push_back(pid);
            }
            start = comma + 1;
        }
        return true;
    }
    if (key == "pattern") {
        std::string v = Lower(value);
        if (v == "ramp") c.pattern = Pattern::Ramp;
        else if (v == "scene") c.pattern = Pattern::Scene;
        else return false;
        return true;
    }
    if (key == "pace") {
        std::string v = Lower(value);
        if (v == "sensor") c.pace = Pace::Sensor;
        else if (v == "max") c.pace = Pace::Max;
        else if (v == "link") c.pace = Pace::Link;
        else return false;
        return true;
    }
    if (key == "serial") {
        serialBase = value;
        return true;
    }
    if (key == "vendor") return ParseHex16(value, c.vendorId);
    if (key == "firmware") {
        if (!ParseNumber(value, n) || n > 0xFFFF) return false;
        c.firmwareVersion = static_cast<std::uint16_t>(n);
        return true;
    }
    if (key == "fpga_version") {
        if (!ParseNumber(value, n) || n > 0xFFFF) return false;
        c.fpgaVersion = static_cast<std::uint16_t>(n);
        return true;
    }
    if (key == "nak_bus_address") {
        if (!ParseNumber(value, n) || n > 0xFF) return false;
        f.nakBusAddress = static_cast<std::uint8_t>(n);
        return true;
    }
    if (key == "fpga_never_ready") return ParseFlag(value, f.fpgaNeverReady);
    if (key == "sensor_never_ready") return ParseFlag(value, f.sensorNeverReady);
    if (key == "bus_busy") return ParseFlag(value, f.busBusy);

    struct NumberKey {
        const char* name;
        std::uint32_t* field;
    };
    const NumberKey numbers[] = {
        {"trigger_interval_ms", &c.triggerIntervalMs},
        {"fpga_ready_delay_ms", &c.fpgaReadyDelayMs},
        {"frame_start", &c.frameNumberStart},
        {"unplug_after_ms", &c.unplugAfterMs},
        {"replug_after_ms", &c.replugAfterMs},
        {"speed", &c.busSpeed},
        {"eeprom_write_ms", &c.eepromWriteMs},
        {"fail_header", &f.failHeaderReads},
        {"fail_payload", &f.failPayloadReads},
        {"truncate_header", &f.truncateHeaderReads},
        {"truncate_payload", &f.truncatePayloadReads},
        {"delay_header", &f.delayHeaderReads},
        {"delay_payload", &f.delayPayloadReads},
        {"delay_ms", &f.delayMs},
        {"drop_frames", &f.droppedFrames},
        {"nak_bus", &f.nakBusTransfers},
    };
    for (const NumberKey& k : numbers) {
        if (key == k.name) return ParseNumber(value, *k.field);
    }
    return false;
}

}  // namespace

double LinkBytesPerSecond(std::uint32_t busSpeed) {
    // The signalling rate less line coding, packet framing and the gaps
    // between transactions, as a bulk stream measures it.
    switch (busSpeed) {
        case 1:
            return 0.1e6;
        case 2:
            return 1.0e6;
        case 3:
            return 40e6;
        default:
            return 380e6;
    }
}

std::string SerialForCamera(const std::string& base, std::size_t k) {
    char digits[16];
    std::snprintf(digits, sizeof(digits), "%02u", static_cast<unsigned>(k % 100));
    return base + digits;
}

bool ParseEmulatorConfig(const std::string& rawText, EmulatorConfig& config, std::string* error) {
    std::string text = Trim(rawText);
    if (text.empty() || text == "0") return false;

    std::vector<std::uint16_t> products{kProductT520};
    std::string serialBase = "T520EMU";
    if (IsAllDigits(text)) {
        std::uint32_t n = 0;
        if (!ParseNumber(text, n) || n > 32) {
            Note(error, "camera count out of range: " + text);
            n = 1;
        }
        products.assign(n, kProductT520);
    } else {
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t semi = text.find(';', start);
            if (semi == std::string::npos) semi = text.size();
            std::string pair = Trim(text.substr(start, semi - start));
            start = semi + 1;
            if (pair.empty()) continue;
            std::size_t eq = pair.find('=');
            std::string key = Lower(Trim(pair.substr(0, eq)));
            std::string value = eq == std::string::npos ? "" : Trim(pair.substr(eq + 1));
            if (!ApplyPair(key, value, config, products, serialBase)) {
                Note(error, "ignored: " + pair);
            }
        }
    }
    config.cameras.clear();
    for (std::size_t k = 0; k < products.size(); ++k) {
        CameraSettings cam;
        cam.productId = products[k];
        cam.serial = SerialForCamera(serialBase, k);
        config.cameras.push_back(cam);
    }
    return true;
}

}  // namespace nodrix::emulator
