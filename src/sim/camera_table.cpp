#include "sim/camera_table.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "sim/driver_protocol.h"
#include "platform/device_io.h"

namespace kvx::sim {

namespace {

struct Table {
    std::mutex lock;  // guards cameras
    std::array<std::shared_ptr<VirtualCamera>, kMaxInstances> cameras;
};

bool ParseNumber(const std::string& text, unsigned long max, unsigned long* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    unsigned long v = std::strtoul(text.c_str(), &end, 0);
    if (*end != '\0' || v > max) return false;
    *out = v;
    return true;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

bool ParseOption(const std::string& option, CameraOptions* options) {
    size_t eq = option.find('=');
    if (eq == std::string::npos) return false;
    const std::string key = option.substr(0, eq), value = option.substr(eq + 1);
    unsigned long n = 0;
    if (key == "fps") {
        if (value == "max") options->fastFrames = true;
        else if (value == "sensor") options->fastFrames = false;
        else return false;
        return true;
    }
    if (key == "variant" && ParseNumber(value, 255, &n)) {
        options->variant = static_cast<uint8_t>(n);
        return true;
    }
    if (key == "counter" && ParseNumber(value, 0xFFFFFFFFul, &n)) {
        options->firstFrameCounter = static_cast<uint32_t>(n);
        return true;
    }
    return false;
}

Table& TheTable() {
    // Never destroyed: device handles may outlive static destruction.
    static Table* table = [] {
        auto* t = new Table;
        CameraList list;
        const char* setting = std::getenv("KOLVEX_SIMULATOR");
        if (!setting) {
            if (!platform::NativeDeviceBackend()) list.push_back({0, CameraOptions{}});
        } else if (!ParseSimulatorSetting(setting, &list)) {
            // Told once, here, since no call of the interface could carry it:
            // guessing at a misspelt setting would serve cameras nobody asked for.
            std::fprintf(stderr,
                         "kolvex: KOLVEX_SIMULATOR=%s is not understood: expected device numbers 0 to 31 separated "
                         "by commas, each optionally followed by :fps=max or :fps=sensor, :variant=V and "
                         ":counter=C (or none); no virtual camera is served\n",
                         setting);
        }
        for (auto& [number, options] : list)
            t->cameras[static_cast<size_t>(number)] = std::make_shared<VirtualCamera>(number, options);
        return t;
    }();
    return *table;
}

}  // namespace

bool ParseSimulatorSetting(const std::string& text, CameraList* out) {
    CameraList list;
    std::string trimmed;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c))) trimmed += c;
    if (trimmed.empty() || trimmed == "none") {
        *out = list;
        return true;
    }
    for (const std::string& entry : Split(trimmed, ',')) {
        std::vector<std::string> fields = Split(entry, ':');
        unsigned long number = 0;
        if (!ParseNumber(fields[0], kMaxInstances - 1, &number)) return false;
        CameraOptions options;
        for (size_t i = 1; i < fields.size(); ++i)
            if (!ParseOption(fields[i], &options)) return false;
        list.push_back({static_cast<int>(number), options});
    }
    *out = list;
    return true;
}

std::shared_ptr<VirtualCamera> Plug(int deviceNumber, const CameraOptions& options) {
    if (deviceNumber < 0 || deviceNumber >= kMaxInstances) return nullptr;
    auto camera = std::make_shared<VirtualCamera>(deviceNumber, options);
    Table& t = TheTable();
    std::lock_guard<std::mutex> hold(t.lock);
    t.cameras[static_cast<size_t>(deviceNumber)] = camera;
    return camera;
}

void Unplug(int deviceNumber) {
    if (deviceNumber < 0 || deviceNumber >= kMaxInstances) return;
    Table& t = TheTable();
    std::shared_ptr<VirtualCamera> gone;
    {
        std::lock_guard<std::mutex> hold(t.lock);
        gone.swap(t.cameras[static_cast<size_t>(deviceNumber)]);
    }
    // Whoever still holds a handle finds the camera gone from the cable.
    if (gone) gone->SetUnplugged(true);
}

void UnplugAll() {
    for (int n = 0; n < kMaxInstances; ++n) Unplug(n);
}

std::shared_ptr<VirtualCamera> FindCamera(int deviceNumber) {
    if (deviceNumber < 0 || deviceNumber >= kMaxInstances) return nullptr;
    Table& t = TheTable();
    std::lock_guard<std::mutex> hold(t.lock);
    return t.cameras[static_cast<size_t>(deviceNumber)];
}

std::shared_ptr<VirtualCamera> CameraForPath(const char* path) {
    // \\.\<driver name>-<digit>, compared without regard to case as Windows
    // compares device names.
    const std::string prefix = std::string("\\\\.\\") + kDriverDeviceName + "-";
    const size_t length = std::strlen(path);
    if (length != prefix.size() + 1) return nullptr;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(path[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return nullptr;
    const char digit = static_cast<char>(std::toupper(static_cast<unsigned char>(path[prefix.size()])));
    const char* found = std::strchr(kInstanceDigits, digit);
    if (!found || digit == '\0') return nullptr;
    int number = static_cast<int>(found - kInstanceDigits);
    if (number >= kMaxInstances) return nullptr;
    return FindCamera(number);
}

}  // namespace kvx::sim
