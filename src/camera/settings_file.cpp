// Settings files: pairs of 32-bit values the application keeps with the camera.
#include "camera/kolvex.h"
#include "device/blob_reader.h"
#include "platform/text_encoding.h"

namespace kvx {

int CKolvex::LoadConfigFile(const char* path) {
    if (!path) return 0;
    CBlobReader reader;
    // A file that cannot be opened or read whole loads nothing: partial
    // data must not pass for the file's contents. Nor does anything that is
    // not a plain file, or more than the buffer is meant to hold.
    if (!reader.LoadFile(path, settings::kMaxConfigFileBytes)) return 0;
    std::vector<settings::ValuePair> pairs = settings::ParseConfigPairs(reader.data(), reader.size());
    std::lock_guard<std::mutex> hold(settingsFileLock_);
    settingsFile_ = std::move(pairs);
    return 1;
}

int CKolvex::LoadConfigFileWide(const wchar_t* path) {
    char narrow[kWidePathBytes];
    if (!path || !platform::WideToAnsi(path, narrow, sizeof narrow)) {
        RecordError(KOLVEX_ERR_PATH);
        return 0;
    }
    return LoadConfigFile(narrow);
}

std::vector<settings::ValuePair> CKolvex::ConfigPairs() const {
    std::lock_guard<std::mutex> hold(settingsFileLock_);
    return settingsFile_;
}

}  // namespace kvx
