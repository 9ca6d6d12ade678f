// kolvex_camera.hpp - a small C++ owner of one camera handle: the handle is
// released when the object goes out of scope, and a failure becomes an
// exception that carries the codes the library recorded. Header-only, C++11.
#pragma once

#include <string>
#include <stdexcept>
#include <utility>
#include <vector>

#include <KolvexSdk.h>

namespace kolvex {

class Error : public std::runtime_error {
public:
    Error(const std::string& what, std::vector<int> codes)
        : std::runtime_error(what + Describe(codes)), codes_(std::move(codes)) {}
    // Newest first; the names are the KOLVEX_ERR_ codes of KolvexSdk.h.
    const std::vector<int>& codes() const { return codes_; }

private:
    static std::string Describe(const std::vector<int>& codes) {
        std::string text = codes.empty() ? "" : " (error";
        for (size_t i = 0; i < codes.size(); ++i) text += (i ? ", " : " ") + std::to_string(codes[i]);
        return codes.empty() ? text : text + ")";
    }
    std::vector<int> codes_;
};

// One frame in the colour mode that was set: rows top first, each padded
// to a multiple of 4 bytes.
struct Frame {
    int width = 0, height = 0, bitsPerPixel = 0, stride = 0;
    std::vector<unsigned char> pixels;
};

class Camera {
public:
    // Opens the camera at `device` (0 to 31) with the settings stored for it.
    explicit Camera(int device = 0) : handle_(Kolvex_Initialize(nullptr)) {
        if (handle_ == 0) throw Error("opening the camera library", {KOLVEX_ERR_RESOURCE});
        if (device != 0 && !Kolvex_SetDeviceNumber(handle_, device)) {
            Error failure = Failure("opening device " + std::to_string(device));
            Kolvex_Release(handle_);
            throw failure;
        }
    }
    // Stops whatever runs and stores the parameters the camera keeps.
    ~Camera() {
        if (handle_ != 0) Kolvex_Release(handle_);
    }
    Camera(Camera&& other) noexcept : handle_(other.handle_) { other.handle_ = 0; }
    Camera& operator=(Camera&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    // For the exports this class does not wrap.
    int handle() const { return handle_; }

    // 8, 16, 24, 32, 48 or 64 bits per pixel; not kept for later programs.
    void SetColorMode(int bitsPerPixel) {
        Check(Kolvex_SetColorMode(handle_, bitsPerPixel), "setting " + std::to_string(bitsPerPixel) + " bits");
    }
    // Half width and height (every other pixel and line); not kept.
    void SetSubsample(bool half) { Check(Kolvex_SetSubSample(handle_, half ? 1 : 0), "setting subsampling"); }

    // The exposure as the camera keeps it for later programs: in sensor
    // lines, whose length follows the capture window and subsampling.
    int ExposureLines() const { return Read(Kolvex_GetExposureTime, "reading the exposure"); }
    void SetExposureLines(int lines) {
        Check(Kolvex_SetExposureTime(handle_, lines), "setting the exposure to " + std::to_string(lines) + " lines");
    }
    // The same in microseconds, cut to whole lines of the current length.
    int ExposureMicroseconds() const { return Read(Kolvex_GetRealExposureTime, "reading the exposure"); }
    void SetExposureMicroseconds(int microseconds) {
        Check(Kolvex_SetRealExposureTime(handle_, microseconds),
              "setting the exposure to " + std::to_string(microseconds) + " us");
    }

    // One frame, taken outside acquisition.
    Frame Snapshot() const {
        static const int kBitsForDepth[][2] = {{8, 8}, {12, 16}, {24, 24}, {32, 32}, {44, 48}, {60, 64}};
        Frame frame;
        const int depth = Kolvex_GetColorMode(handle_);
        for (const auto& pair : kBitsForDepth)
            if (pair[0] == depth) frame.bitsPerPixel = pair[1];
        const int divisor = Kolvex_GetSubSample(handle_) == 1 ? 2 : 1;
        frame.width = Kolvex_Width(handle_) / divisor;
        frame.height = Kolvex_Height(handle_) / divisor;
        frame.stride = (frame.width * frame.bitsPerPixel / 8 + 3) & ~3;
        frame.pixels.resize(static_cast<size_t>(frame.stride) * static_cast<size_t>(frame.height));
        Check(Kolvex_SnapShot(handle_, frame.pixels.data(), static_cast<int>(frame.pixels.size()), 0),
              "taking a snapshot");
        return frame;
    }

private:
    // The library returns 0 for a failure and records why, newest first.
    Error Failure(const std::string& what) const {
        std::vector<int> codes;
        for (int code; (code = Kolvex_GetLastError(handle_)) != 0;) codes.push_back(code);
        return Error(what + " failed", codes);
    }
    void Check(int result, const std::string& what) const {
        if (result == 0) throw Failure(what);
    }
    // A getter that reports through an ok flag: its value can be 0.
    int Read(int(KOLVEX_CALL* getter)(int, int*), const std::string& what) const {
        int ok = 0;
        const int value = getter(handle_, &ok);
        Check(ok, what);
        return value;
    }

    int handle_;
};

// Changes the exposure for as long as it lives and puts the old value back:
// the camera keeps its exposure for every later program, and a change meant
// for one measurement should not become the next program's setting. It
// puts back the lines, not the microseconds: a start with another window or
// subsampling changes the line length, and the same microseconds would then
// be another number of lines.
class ScopedExposure {
public:
    ScopedExposure(Camera& camera, int microseconds) : camera_(camera), old_(camera.ExposureLines()) {
        camera_.SetExposureMicroseconds(microseconds);
    }
    ~ScopedExposure() {
        try {
            camera_.SetExposureLines(old_);
        } catch (const Error&) {
            // A destructor must not throw; the camera keeps the new value.
        }
    }
    ScopedExposure(const ScopedExposure&) = delete;
    ScopedExposure& operator=(const ScopedExposure&) = delete;

private:
    Camera& camera_;
    int old_;
};

}  // namespace kolvex
