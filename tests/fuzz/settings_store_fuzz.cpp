// The POSIX settings store's text, as a person or a hostile program may
// leave it: parsing never fails, what is written back parses to the same
// document, and whatever the file holds, the camera's settings load within
// the ranges their setters accept.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_target.h"
#include "platform/posix/reg_file.h"
#include "platform/posix/settings_file.h"
#include "settings/size_settings.h"
#include "settings/value_group.h"
#include "settings/value_ranges.h"
#include "settings_sandbox.h"

namespace {

using namespace kvx::settings;
using kvx::platform::posix::RegDocument;

kvx::test::SettingsSandbox* g_sandbox = nullptr;

void RemoveSandbox() {
    delete g_sandbox;
    g_sandbox = nullptr;
}

// Replaces the store file the way a writer does, so that the next read
// sees a new file even within one tick of the file system's clock.
void ReplaceStore(std::string_view text) {
    const std::string file = kvx::platform::posix::SettingsFile();
    const std::string temp = file + ".fuzz";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    FUZZ_CHECK(f != nullptr);
    if (!text.empty()) FUZZ_CHECK(std::fwrite(text.data(), 1, text.size(), f) == text.size());
    std::fclose(f);
    FUZZ_CHECK(std::rename(temp.c_str(), file.c_str()) == 0);
}

template <size_t N>
void CheckBlock(const int32_t (&block)[N], const ValueRange (&ranges)[N]) {
    for (size_t i = 0; i < N; ++i) FUZZ_CHECK(ranges[i].Contains(block[i]));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_sandbox = new kvx::test::SettingsSandbox;
    std::atexit(RemoveSandbox);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string once = RegDocument::Parse(text).Serialize();
    FUZZ_CHECK(RegDocument::Parse(once).Serialize() == once);

    ReplaceStore(text);
    int32_t filter[kFilterValues] = {0, 0, 0, 0, 0, 100, 100, 100, 100, 2};
    FilterGroup().Load(0, filter);
    CheckBlock(filter, {kBrightnessRange, kContrastRange, kHueRange, kSaturationRange, kSharpnessRange,
                        kBayerGainRange, kBayerGainRange, kBayerGainRange, kGammaRange, kBayerModeRange});
    int32_t gray[kGrayValues] = {0, 128, 128, 128, 128, 0, 0, 0, 0};
    GrayGroup().Load(0, gray);
    CheckBlock(gray, {kGrayModeRange, kGrayGainRange, kGrayGainRange, kGrayGainRange, kGrayGainRange,
                      kGrayOffsetRange, kGrayOffsetRange, kGrayOffsetRange, kGrayOffsetRange});
    int32_t analog[kAnalogValues] = {};
    AnalogGroup().Load(0, analog);
    constexpr ValueRange kFlag = {0, 1};
    CheckBlock(analog, {kGlobalGainRange, kGlobalGainRange, kGlobalGainRange, kGlobalGainRange, kGlobalGainRange,
                        kExposureLinesRange, kFlag, kFlag, kAutoIrisRange});

    FormatValues format = kFirstUseFormat;
    LoadFormat(0, &format);
    FUZZ_CHECK(kColorModeRange.Contains(format.colorMode));
    FUZZ_CHECK(kSubSampleRange.Contains(format.subSample));
    FUZZ_CHECK(kStoredWaitTimeRange.Contains(format.waitTime));
    FUZZ_CHECK(kClockRange.Contains(format.clock));

    SizeList list;
    LoadSizeList(0, &list);
    FUZZ_CHECK(list.count >= 0 && list.count <= kMaxSizeEntries);
    SizeEntry current = kDefaultSize;
    LoadCurrentSize(0, &current);
    return 0;
}
