#include "platform/text_encoding.h"

#include <cstring>
#include <cwchar>
#include <vector>

namespace kvx::platform {

bool WideToAnsi(const wchar_t* in, char* out, size_t outSize) {
    if (!in || !out || outSize == 0) return false;
    out[0] = '\0';
    std::mbstate_t state{};
    const wchar_t* src = in;
    size_t needed = std::wcsrtombs(nullptr, &src, 0, &state);
    if (needed == static_cast<size_t>(-1) || needed + 1 > outSize) return false;
    state = std::mbstate_t{};
    src = in;
    std::wcsrtombs(out, &src, outSize, &state);
    return true;
}

std::wstring AnsiToWide(const std::string& in) {
    std::mbstate_t state{};
    const char* src = in.c_str();
    size_t needed = std::mbsrtowcs(nullptr, &src, 0, &state);
    if (needed == static_cast<size_t>(-1)) {
        // Not valid in the current locale: keep the bytes as code units.
        return std::wstring(in.begin(), in.end());
    }
    std::vector<wchar_t> buffer(needed + 1);
    state = std::mbstate_t{};
    src = in.c_str();
    std::mbsrtowcs(buffer.data(), &src, buffer.size(), &state);
    return std::wstring(buffer.data(), needed);
}

}  // namespace kvx::platform
