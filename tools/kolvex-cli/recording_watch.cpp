#include "recording_watch.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "KolvexSdk.h"
#include "error_report.h"

namespace {

uint32_t U32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool ReadAt(std::ifstream& file, uint64_t offset, uint8_t* out, size_t size) {
    file.clear();
    file.seekg(static_cast<std::streamoff>(offset));
    return static_cast<bool>(file.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(size)));
}

uint64_t FileBytes(const std::string& path) {
    std::error_code error;
    const uint64_t bytes = std::filesystem::file_size(path, error);
    return error ? 0 : bytes;
}

// Takes the camera's error history into `history` (newest first); true
// when `code` was among the codes taken.
bool TakeErrors(int handle, std::vector<int>* history, int code = 0) {
    std::vector<int> newer;
    for (int c; (c = Kolvex_GetLastError(handle)) != 0;) newer.push_back(c);
    history->insert(history->begin(), newer.begin(), newer.end());
    return std::find(newer.begin(), newer.end(), code) != newer.end();
}

}  // namespace

bool ReadRecordingFigures(const std::string& path, RecordingFigures* figures) {
    std::ifstream file(path, std::ios::binary);
    uint8_t header[144];
    if (!ReadAt(file, 0, header, sizeof header) || std::memcmp(header, "RIFF", 4) != 0 ||
        std::memcmp(header + 8, "AVI ", 4) != 0)
        return false;
    figures->frames = U32(header + 140);  // the stream's length: the whole file
    figures->chunkBytes = U32(header + 60);
    figures->width = U32(header + 64);
    figures->height = U32(header + 68);
    const uint32_t scale = U32(header + 128), rate = U32(header + 132);
    figures->framesPerSecond = scale != 0 ? static_cast<double>(rate) / scale : 0;
    figures->bytes = FileBytes(path);
    return true;
}

uint32_t FramesSoFar(const std::string& path) {
    RecordingFigures headers;
    if (!ReadRecordingFigures(path, &headers) || headers.chunkBytes == 0) return 0;
    std::ifstream file(path, std::ios::binary);
    const uint64_t bytes = headers.bytes;
    // The RIFF being written is the last one; its size is 0, or covers
    // what its last checkpoint saw.
    uint64_t at = 0, last = 0;
    uint8_t riff[12];
    while (at + sizeof riff <= bytes && ReadAt(file, at, riff, sizeof riff) && std::memcmp(riff, "RIFF", 4) == 0) {
        last = at;
        const uint32_t size = U32(riff + 4);
        if (size == 0) break;
        at += 8 + uint64_t{size} + (size & 1);
    }
    uint8_t hdrl[4];
    uint64_t firstFrame;
    if (last == 0) {
        if (!ReadAt(file, 16, hdrl, sizeof hdrl)) return 0;
        firstFrame = 20 + uint64_t{U32(hdrl)} + 12;  // past the header list and "LIST" size "movi"
    } else {
        firstFrame = last + 24;  // "RIFF" size "AVIX" "LIST" size "movi"
    }
    const uint32_t inLast = bytes > firstFrame ? static_cast<uint32_t>((bytes - firstFrame) / headers.chunkBytes) : 0;
    // The header counts the finished RIFFs once there are any.
    return last == 0 ? inLast : headers.frames + inLast;
}

std::string ProgressLine(double seconds, uint32_t frames, uint64_t bytes) {
    char line[96];
    std::snprintf(line, sizeof line, "  %7.1f s  %7u frames  %10.1f MB", seconds, frames, bytes / 1e6);
    return line;
}

bool DiskIsFull(const std::string& path, uint64_t bytes) {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::absolute(path, error).parent_path();
    const std::filesystem::space_info space = std::filesystem::space(folder, error);
    return !error && space.available < bytes;
}

RecordingOutcome FollowRecording(int handle, const std::string& path, double seconds, bool terminal,
                                 const std::function<void()>& pause) {
    using Clock = std::chrono::steady_clock;
    auto since = [](Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); };
    const auto start = Clock::now();
    const uint64_t headerBytes = FileBytes(path);
    RecordingOutcome outcome;
    Clock::time_point firstFrame;
    while (!outcome.started || since(firstFrame) < seconds) {
        pause();
        // The library tells of a recording's end only when a write failed.
        outcome.cutShort = TakeErrors(handle, &outcome.history, KOLVEX_ERR_PATH);
        outcome.lost = std::find(outcome.history.begin(), outcome.history.end(), KOLVEX_ERR_DEVICE_LOST) !=
                       outcome.history.end();
        if (outcome.cutShort || outcome.lost) break;
        const uint64_t bytes = FileBytes(path);
        if (!outcome.started && bytes > headerBytes) {
            outcome.started = true;
            firstFrame = Clock::now();
        }
        if (!outcome.started && since(start) > 10) break;
        if (terminal) {
            const double elapsed = outcome.started ? since(firstFrame) : 0;
            std::printf("\r%s", ProgressLine(elapsed, FramesSoFar(path), bytes).c_str());
            std::fflush(stdout);
        }
    }
    if (terminal) std::printf("\n");
    return outcome;
}

bool ReportRecording(int handle, const std::string& path, RecordingOutcome outcome, const char* what) {
    TakeErrors(handle, &outcome.history);
    std::vector<int>& history = outcome.history;
    RecordingFigures figures;
    if (!ReadRecordingFigures(path, &figures)) {
        ReportErrorCodes(history, what);
        std::fprintf(stderr, "kolvex-cli: %s is not a finished recording\n", path.c_str());
        return false;
    }
    std::printf("recorded:  %u frames of %u x %u (24-bit), %llu bytes, %.2f frames per second over %.2f s\n",
                figures.frames, figures.width, figures.height, static_cast<unsigned long long>(figures.bytes),
                figures.framesPerSecond, figures.seconds());
    if (outcome.cutShort) {
        history.erase(std::remove(history.begin(), history.end(), KOLVEX_ERR_PATH), history.end());
        std::fprintf(stderr, "kolvex-cli: %s: the recording stopped after %u frames: %s\n", what, figures.frames,
                     ExplainRecordingCutShort(DiskIsFull(path, 2 * uint64_t{figures.chunkBytes})).c_str());
    }
    if (!outcome.started && !outcome.cutShort && history.empty())
        std::fprintf(stderr, "kolvex-cli: %s: the camera delivered no frame\n", what);
    const bool failed = ReportErrorCodes(history, what);
    return outcome.started && !outcome.cutShort && !failed;
}
