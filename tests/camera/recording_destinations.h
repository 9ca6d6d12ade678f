// Recording onto what is not a plain file (the platform's own kinds in
// posix/ and win32/): refused at once with 12, acquisition left idle.
#pragma once

#include <functional>
#include <future>
#include <string>

#include "acquisition_fixture.h"

namespace kvx::test {

class RecordingDestinations : public AcquisitionTest {
protected:
    void SetUp() override {
        ASSERT_NE(OpenWith(64, 48, 2), 0);
        NoPreviewWindow();
    }
    // `unblock` lets an opening that waits go on, so that a failing test
    // still ends.
    void ExpectRefusedAtOnce(const std::string& path, const std::function<void()>& unblock) {
        auto started = std::async(std::launch::async, [&] { return Kolvex_Record(handle_, path.c_str(), 60000, 0); });
        if (started.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            unblock();
            ADD_FAILURE() << "Kolvex_Record waited";
        }
        EXPECT_EQ(started.get(), 0);
        EXPECT_EQ(TakeErrors(), std::vector<int>{KOLVEX_ERR_PATH});
        EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Idle);
    }
};

}  // namespace kvx::test
