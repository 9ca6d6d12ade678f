// Shared by the file writer tests: a scratch directory per test, whole-file
// reads, and frame bitmaps filled with patterns that tell rows, columns and
// channels apart.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "display/frame_bitmap.h"
#include "unique_name.h"

namespace kvx::test {

class ScratchDirectory {
public:
    ScratchDirectory() : path_(std::filesystem::temp_directory_path() / UniqueName("kolvex-output")) {
        std::filesystem::create_directories(path_);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    // Every name in the directory: a writer must leave only its file.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

private:
    std::filesystem::path path_;
};

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint32_t>(bytes.at(offset)) | static_cast<uint32_t>(bytes.at(offset + 1)) << 8 |
           static_cast<uint32_t>(bytes.at(offset + 2)) << 16 | static_cast<uint32_t>(bytes.at(offset + 3)) << 24;
}

inline uint16_t U16At(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint16_t>(bytes.at(offset) | bytes.at(offset + 1) << 8);
}

inline uint16_t Word(const FrameBitmap& b, int x, int y, int sample) {
    uint16_t v;
    std::memcpy(&v, b.bits() + static_cast<size_t>(y) * b.stride() + x * b.bytesPerPixel() + 2 * sample, 2);
    return v;
}

inline uint8_t Byte(const FrameBitmap& b, int x, int y, int sample) {
    return b.bits()[static_cast<size_t>(y) * b.stride() + x * b.bytesPerPixel() + sample];
}

// A sample value that differs by position and channel. For 16-bit samples
// it stays within 12 bits, like the camera's.
inline uint16_t PatternSample(int x, int y, int sample, int bitsPerPixel) {
    const uint32_t v = static_cast<uint32_t>(x * 7 + y * 13 + sample * 61);
    const bool words = bitsPerPixel == 16 || bitsPerPixel == 48 || bitsPerPixel == 64;
    return static_cast<uint16_t>(words ? v % 4096 : v % 256);
}

// Fills every sample with PatternSample and the row filler with 0xEE.
inline void FillPattern(FrameBitmap& b) {
    const bool words = b.bitsPerPixel() == 16 || b.bitsPerPixel() == 48 || b.bitsPerPixel() == 64;
    const int samples = words ? b.bytesPerPixel() / 2 : b.bytesPerPixel();
    for (int y = 0; y < b.height(); ++y) {
        uint8_t* row = b.bits() + static_cast<size_t>(y) * b.stride();
        std::memset(row, 0xEE, static_cast<size_t>(b.stride()));
        for (int x = 0; x < b.width(); ++x) {
            for (int s = 0; s < samples; ++s) {
                const uint16_t v = PatternSample(x, y, s, b.bitsPerPixel());
                if (words) {
                    std::memcpy(row + x * b.bytesPerPixel() + 2 * s, &v, 2);
                } else {
                    row[x * b.bytesPerPixel() + s] = static_cast<uint8_t>(v);
                }
            }
        }
    }
}

inline void SetWord(FrameBitmap& b, int x, int y, int sample, uint16_t v) {
    std::memcpy(b.bits() + static_cast<size_t>(y) * b.stride() + x * b.bytesPerPixel() + 2 * sample, &v, 2);
}

}  // namespace kvx::test
