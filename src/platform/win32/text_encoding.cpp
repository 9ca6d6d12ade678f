#include "platform/text_encoding.h"

#include <windows.h>

#include <vector>

namespace kvx::platform {

bool WideToAnsi(const wchar_t* in, char* out, size_t outSize) {
    if (!in || !out || outSize == 0) return false;
    out[0] = '\0';
    // Without WC_NO_BEST_FIT_CHARS and the default-character check, a
    // character missing from the code page silently becomes '?' or a look-
    // alike, and the caller would open some other file.
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(CP_THREAD_ACP, WC_NO_BEST_FIT_CHARS, in, -1, out, static_cast<int>(outSize),
                                nullptr, &usedDefault);
    if (n == 0 || usedDefault) {
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
