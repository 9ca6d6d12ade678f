// Where each image setting lives in the camera's filter block: thirty
// 32-bit words, in the order they are stored and loaded.
#pragma once

namespace kvx {

enum FilterIndex : int {
    kBrightness = 0,
    kContrast = 1,
    kHue = 2,
    kSaturation = 3,
    kSharpness = 4,
    kBayerGainRed = 5,
    kBayerGainGreen = 6,
    kBayerGainBlue = 7,
    kGamma = 8,
    kBayerMode = 9,
    kFilterSpare = 10,  // stored with the block, never interpreted
    kGrayMode = 11,
    kGrayGainR = 12,
    kGrayGainG1 = 13,
    kGrayGainG2 = 14,
    kGrayGainB = 15,
    kGrayOffsetR = 16,
    kGrayOffsetG1 = 17,
    kGrayOffsetG2 = 18,
    kGrayOffsetB = 19,
    kAutoWhiteBalance = 25,   // Bayer gain auto
    kWhiteBalanceOnce1 = 26,  // single-shot white balance requests
    kWhiteBalanceOnce2 = 27,
    kAutoGrayGain = 29,       // 0 off, 1 once, -1 every frame
    kFilterBlockSize = 30,
};

}  // namespace kvx
