// Recording through the C interface: the file a recording leaves behind.
#include <cstdio>
#include <cstring>
#include <fstream>

#include "acquisition_fixture.h"
#include "unique_name.h"

namespace {

using kvx::AcquisitionState;
using kvx::test::AcquisitionTest;

class Recording : public AcquisitionTest {
protected:
    ~Recording() override {
        for (const std::string& path : paths_) std::remove(path.c_str());
    }
    std::string NewPath() {
        paths_.push_back(kvx::test::UniqueName("kolvex-recording") + ".avi");
        return paths_.back();
    }
    static std::vector<uint8_t> ReadAll(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    static uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
        return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
               static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
    }
    bool WaitUntilDone() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (Object()->recording() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return !Object()->recording();
    }
    std::vector<std::string> paths_;
};

TEST_F(Recording, ARecordingOfADurationLeavesAFinishedFileAndPreviewRunning) {
    ASSERT_NE(OpenWith(64, 48, 2), 0);
    NoPreviewWindow();
    const std::string path = NewPath();
    ASSERT_EQ(Kolvex_Record(handle_, path.c_str(), 200, 0), 1);
    EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Preview);
    ASSERT_TRUE(WaitUntilDone());
    EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Preview);
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);

    std::vector<uint8_t> file = ReadAll(path);
    ASSERT_GT(file.size(), 232u);
    EXPECT_EQ(std::memcmp(file.data(), "RIFF", 4), 0);
    EXPECT_EQ(U32(file, 4), file.size() - 8);
    EXPECT_EQ(std::memcmp(file.data() + 8, "AVI ", 4), 0);
    const uint32_t frames = U32(file, 48);
    EXPECT_GE(frames, 2u);
    EXPECT_EQ(U32(file, 140), frames);
    EXPECT_EQ(U32(file, 64), 64u);
    EXPECT_EQ(U32(file, 68), 48u);
    const uint32_t frameBytes = 192 * 48;
    EXPECT_EQ(file.size(), 232 + frames * (frameBytes + 8) + 8 + 16 * frames);
    EXPECT_EQ(Kolvex_GetLastError(handle_), 0);
}

TEST_F(Recording, StoppingAcquisitionFinishesTheRecording) {
    ASSERT_NE(OpenWith(64, 48, 4), 0);
    NoPreviewWindow();
    const std::string path = NewPath();
    ASSERT_EQ(Kolvex_Record(handle_, path.c_str(), 60000, 0), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);
    EXPECT_FALSE(Object()->recording());
    std::vector<uint8_t> file = ReadAll(path);
    ASSERT_GT(file.size(), 232u);
    EXPECT_EQ(U32(file, 4), file.size() - 8);
    EXPECT_EQ(std::memcmp(file.data() + file.size() - 16 * U32(file, 48) - 8, "idx1", 4), 0);
}

TEST_F(Recording, RefusedStartsSayWhy) {
    ASSERT_NE(OpenWith(64, 48, 2), 0);
    NoPreviewWindow();
    EXPECT_EQ(Kolvex_Record(handle_, nullptr, 100, 0), 0);
    EXPECT_EQ(Kolvex_Record(handle_, "", 100, 0), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_ARGUMENT);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_ARGUMENT);

    // A file that cannot be created: 12, and acquisition is stopped again.
    EXPECT_EQ(Kolvex_Record(handle_, "no-such-directory/recording.avi", 100, 0), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_PATH);
    EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Idle);

    EXPECT_EQ(Kolvex_RecordW(handle_, L"recording_\x65E5.avi", 100, 0), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_PATH);

    // In capture state preview cannot start: 12 after the start's own 1.
    ASSERT_EQ(Kolvex_Capture(handle_), 1);
    EXPECT_EQ(Kolvex_Record(handle_, NewPath().c_str(), 100, 0), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_PATH);
    EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Idle);

    // One recording at a time.
    const std::string path = NewPath();
    ASSERT_EQ(Kolvex_Record(handle_, path.c_str(), 60000, 0), 1);
    TakeErrors();
    EXPECT_EQ(Kolvex_Record(handle_, NewPath().c_str(), 100, 0), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_PATH);
    EXPECT_TRUE(Object()->recording());
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);
}

}  // namespace
