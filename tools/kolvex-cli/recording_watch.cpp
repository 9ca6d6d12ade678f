#include "recording_watch.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

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
