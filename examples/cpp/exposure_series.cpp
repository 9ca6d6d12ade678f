// exposure_series.cpp - the same scene at three exposure times, through
// the RAII wrapper of kolvex_camera.hpp: the handle is released and the
// exposure the camera keeps is put back however the program leaves.
//
//   exposure_series [DEVICE]
#include <cstdlib>
#include <iostream>

#include "kolvex_camera.hpp"

namespace {

double MeanLevel(const kolvex::Frame& frame) {
    unsigned long long sum = 0;
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x) sum += frame.pixels[static_cast<size_t>(y * frame.stride + x)];
    return static_cast<double>(sum) / (static_cast<double>(frame.width) * frame.height);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        kolvex::Camera camera(argc > 1 ? std::atoi(argv[1]) : 0);
        // The raw 8-bit mosaic of the whole sensor: one byte per pixel.
        camera.SetColorMode(8);
        camera.SetSubsample(false);
        std::cout << "exposure before: " << camera.ExposureLines() << " lines\n";
        for (int microseconds : {5000, 20000, 40000}) {
            kolvex::ScopedExposure exposure(camera, microseconds);
            const kolvex::Frame frame = camera.Snapshot();
            // The exposure is cut to whole sensor lines: read back what it became.
            std::cout << "exposure " << camera.ExposureMicroseconds() << " us: " << frame.width << " x " << frame.height
                      << ", mean level " << MeanLevel(frame) << "\n";
        }
        std::cout << "exposure after: " << camera.ExposureLines() << " lines\n";
    } catch (const kolvex::Error& error) {
        std::cerr << "exposure_series: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
