#include "parameters.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "KolvexSdk.h"
#include "error_report.h"

namespace {

struct CaptureWindow {
    int horizontalTotal = 0, x = 0, width = 0, verticalTotal = 0, y = 0, height = 0;
    int* Field(const std::string& name) {
        if (name == "window-x") return &x;
        if (name == "window-y") return &y;
        if (name == "window-width") return &width;
        return &height;
    }
};

CaptureWindow ReadWindow(int handle) {
    CaptureWindow w;
    Kolvex_GetCaptureWindowEx(handle, &w.horizontalTotal, &w.x, &w.width, &w.verticalTotal, &w.y, &w.height);
    return w;
}

// The parameters without a filter identifier, by the getter the table names.
// A getter without an ok flag cannot fail on a live handle.
bool Get(int handle, const ParameterInfo& p, int* value) {
    int ok = 1;
    const std::string getter = p.getter;
    if (p.id != 0) *value = Kolvex_GetFilterValue(handle, p.id, &ok);
    else if (getter == "Kolvex_GetRealExposureTime") *value = Kolvex_GetRealExposureTime(handle, &ok);
    else if (getter == "Kolvex_GetAutoIris") *value = Kolvex_GetAutoIris(handle, &ok);
    else if (getter == "Kolvex_GetMirrorH") *value = Kolvex_GetMirrorH(handle);
    else if (getter == "Kolvex_GetMirrorV") *value = Kolvex_GetMirrorV(handle);
    else if (getter == "Kolvex_GetColorMode") *value = BitsOfDepthCode(Kolvex_GetColorMode(handle));
    else if (getter == "Kolvex_GetSubSample") *value = Kolvex_GetSubSample(handle);
    else if (getter == "Kolvex_GetWaitTime") *value = Kolvex_GetWaitTime(handle);
    else if (getter == "Kolvex_GetCaptureWindowEx") *value = *ReadWindow(handle).Field(p.name);
    else ok = 0;
    return ok != 0;
}

bool Set(int handle, const ParameterInfo& p, int value) {
    const std::string setter = p.setter;
    if (p.id != 0) return Kolvex_SetFilterValue(handle, p.id, value) != 0;
    if (setter == "Kolvex_SetRealExposureTime") return Kolvex_SetRealExposureTime(handle, value) != 0;
    if (setter == "Kolvex_SetAutoIris") return Kolvex_SetAutoIris(handle, value) != 0;
    if (setter == "Kolvex_SetMirrorH") return Kolvex_SetMirrorH(handle, value) != 0;
    if (setter == "Kolvex_SetMirrorV") return Kolvex_SetMirrorV(handle, value) != 0;
    if (setter == "Kolvex_SetColorMode") return Kolvex_SetColorMode(handle, value) != 0;
    if (setter == "Kolvex_SetSubSample") return Kolvex_SetSubSample(handle, value) != 0;
    if (setter == "Kolvex_SetWaitTime") return Kolvex_SetWaitTime(handle, value) != 0;
    if (setter == "Kolvex_SetCaptureWindowEx") {
        CaptureWindow w = ReadWindow(handle);
        *w.Field(p.name) = value;
        return Kolvex_SetCaptureWindowEx(handle, w.horizontalTotal, w.x, w.width, w.verticalTotal, w.y, w.height) !=
               0;
    }
    return false;
}

std::string Range(const ParameterInfo& p) {
    if (*p.values) return std::string(p.values);
    return std::to_string(p.min) + ".." + std::to_string(p.max);
}

}  // namespace

const std::vector<ParameterInfo>& Parameters() { return ParameterTable(); }

// The 16-bit modes report their significant bits.
int BitsOfDepthCode(int code) {
    switch (code) {
        case 12: return 16;
        case 44: return 48;
        case 60: return 64;
        default: return code;
    }
}

const ParameterInfo* FindParameter(const std::string& nameOrId) {
    for (const ParameterInfo& p : Parameters())
        if (nameOrId == p.name || (p.id != 0 && nameOrId == std::to_string(p.id))) return &p;
    return nullptr;
}

bool ParameterAccepts(const ParameterInfo& p, long long value, std::string* why) {
    bool ok = value >= p.min && value <= p.max && (value - p.min) % p.step == 0;
    if (ok && *p.values) {
        ok = false;
        for (const char* at = p.values; *at && !ok;) {
            char* end = nullptr;
            ok = std::strtoll(at, &end, 10) == value;
            at = *end ? end + 1 : end;
        }
    }
    if (!ok) {
        *why = std::string(p.name) + " takes " + (*p.values ? "one of " : "") + Range(p);
        if (p.step > 1 && !*p.values) *why += " in steps of " + std::to_string(p.step);
        *why += ", not " + std::to_string(value);
    }
    return ok;
}

bool ParseParameterValue(const ParameterInfo& p, const std::string& text, int* value, std::string* why) {
    const char* s = text.c_str();
    const bool hex = (s[0] == '0' && (s[1] == 'x' || s[1] == 'X'));
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(s, &end, hex ? 16 : 10);
    // Decimal digits with an optional sign, or 0x and hexadecimal digits: no
    // spaces, fractions or exponents.
    if (text.empty() || end != s + text.size() || errno == ERANGE || std::strchr(" \t+", s[0]) ||
        (!hex && s[0] == '0' && text.size() > 1)) {
        *why = std::string(p.name) + " takes a whole number (" + Range(p) + "), not '" + text + "'";
        return false;
    }
    if (!ParameterAccepts(p, v, why)) return false;
    *value = static_cast<int>(v);
    return true;
}

std::string FormatParameterValue(const ParameterInfo& p, int value) {
    if (std::strcmp(p.unit, "0xBBGGRR") == 0) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%06X", static_cast<unsigned>(value));
        return hex;
    }
    return std::to_string(value);
}

bool ReadParameter(int handle, const ParameterInfo& p, int* value) {
    if (Get(handle, p, value)) return true;
    if (!ReportCameraErrors(handle, p.name)) std::fprintf(stderr, "kolvex-cli: %s: cannot be read\n", p.name);
    return false;
}

bool WriteParameter(int handle, const ParameterInfo& p, int value) {
    if (Set(handle, p, value)) return true;
    // The library refuses some values without recording why.
    if (!ReportCameraErrors(handle, p.name))
        std::fprintf(stderr, "kolvex-cli: %s: the camera refused %s\n", p.name, FormatParameterValue(p, value).c_str());
    return false;
}

std::vector<const ParameterInfo*> StoredRowsOf(const ParameterInfo& p) {
    if (!*p.viewOf) return {&p};
    std::vector<const ParameterInfo*> rows;
    std::string names = p.viewOf;
    for (size_t start = 0; start < names.size();) {
        size_t end = names.find(',', start);
        if (end == std::string::npos) end = names.size();
        std::string name = names.substr(start, end - start);
        name.erase(0, name.find_first_not_of(' '));
        if (const ParameterInfo* row = FindParameter(name)) rows.push_back(row);
        start = end + 1;
    }
    return rows;
}

bool PrintParameters(int handle, const ParameterInfo* only) {
    bool ok = true;
    for (const ParameterInfo& p : Parameters()) {
        if (only && only != &p) continue;
        int value = 0;
        if (ReadParameter(handle, p, &value)) std::printf("%-18s %s\n", p.name, FormatParameterValue(p, value).c_str());
        else ok = false;
    }
    return ok;
}

bool PrintParameterTable(int handle) {
    std::printf("%-18s %9s  %-18s %9s  %-8s %-4s %s\n", "parameter", "value", "range", "default", "unit", "kept",
                "meaning");
    bool ok = true;
    for (const ParameterInfo& p : Parameters()) {
        int value = 0;
        std::string now = "?";
        if (ReadParameter(handle, p, &value)) now = FormatParameterValue(p, value);
        else ok = false;
        std::printf("%-18s %9s  %-18s %9s  %-8s %-4s %s\n", p.name, now.c_str(), Range(p).c_str(),
                    FormatParameterValue(p, p.defaultValue).c_str(), p.unit, p.kept ? "yes" : "no", p.meaning);
    }
    return ok;
}

bool ResetParameters(int handle) {
    bool ok = true;
    for (const ParameterInfo& p : Parameters())
        if (p.kept && !*p.viewOf) ok = WriteParameter(handle, p, p.defaultValue) && ok;
    return ok;
}

bool OneShotParameters::Apply(const std::vector<Setting>& settings) {
    for (const auto& [p, value] : settings) {
        for (const ParameterInfo* row : StoredRowsOf(*p)) {
            if (!row->kept) continue;  // the camera forgets it anyway
            int was = 0;
            if (!ReadParameter(handle_, *row, &was)) return false;
            saved_.push_back({row, was});
        }
        if (!WriteParameter(handle_, *p, value)) return false;
    }
    return true;
}

void OneShotParameters::Restore() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) WriteParameter(handle_, *it->first, it->second);
    saved_.clear();
}
