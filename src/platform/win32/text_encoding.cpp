#include "platform/text_encoding.h"

#include <windows.h>

#include <cwchar>
#include <vector>

namespace kvx::platform {

bool WideToAnsi(const wchar_t* in, char* out, size_t outSize) {
    if (!in || !out || outSize == 0) return false;
    out[0] = '\0';
    // No flags: WC_NO_BEST_FIT_CHARS and the used-default test are refused
    // for UTF-8 (code page 65001). A character missing from the code page
    // becomes '?' or a look-alike, and an unpaired surrogate U+FFFD, so the
    // result is converted back and must give the very same path: otherwise
    // the caller would open some other file.
    const int n = WideCharToMultiByte(CP_THREAD_ACP, 0, in, -1, out, static_cast<int>(outSize), nullptr, nullptr);
    if (n == 0) {
        out[0] = '\0';
        return false;
    }
    const size_t length = std::wcslen(in) + 1;
    std::vector<wchar_t> back(length + 1);
    const int m = MultiByteToWideChar(CP_THREAD_ACP, 0, out, n, back.data(), static_cast<int>(back.size()));
    if (m != static_cast<int>(length) || std::wmemcmp(back.data(), in, length) != 0) {
        out[0] = '\0';
        return false;
    }
    return true;
}

std::wstring AnsiToWide(const std::string& in) {
    int n = MultiByteToWideChar(CP_ACP, 0, in.c_str(), -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(n));
    MultiByteToWideChar(CP_ACP, 0, in.c_str(), -1, buffer.data(), n);
    return std::wstring(buffer.data());
}

}  // namespace kvx::platform
