#include "error_report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "KolvexSdk.h"
#include "frame_stats.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

TEST(ErrorMeanings, EveryCodeTheLibraryProducesHasAMeaningAndARemedy) {
    for (int code : {KOLVEX_ERR_NO_DEVICE, KOLVEX_ERR_DEVICE_NUMBER, KOLVEX_ERR_THREAD, KOLVEX_ERR_WINDOW,
                     KOLVEX_ERR_RESOURCE, KOLVEX_ERR_DEVICE_IO, KOLVEX_ERR_GEOMETRY, KOLVEX_ERR_FRAME,
                     KOLVEX_ERR_ARGUMENT, KOLVEX_ERR_UNSUPPORTED, KOLVEX_ERR_PATH, KOLVEX_ERR_DEVICE_LOST}) {
        const ErrorMeaning* m = FindErrorMeaning(code);
        ASSERT_NE(m, nullptr) << code;
        EXPECT_GT(std::string(m->meaning).size(), 10u) << code;
        EXPECT_GT(std::string(m->remedy).size(), 10u) << code;
    }
    EXPECT_EQ(FindErrorMeaning(10), nullptr);
    EXPECT_EQ(FindErrorMeaning(0), nullptr);
}

TEST(ErrorMeanings, MissingCameraNamesTheDeviceAndHowToListCameras) {
    EXPECT_EQ(ExplainError(KOLVEX_ERR_DEVICE_NUMBER, 3),
              "no camera at device 3, or another program is streaming from it: "
              "`kolvex-cli list` shows the cameras present");
}

TEST(ErrorMeanings, UnknownCodeStillNamesItsNumber) {
    EXPECT_THAT(ExplainError(42, 0), HasSubstr("42"));
    EXPECT_THAT(ExplainError(KOLVEX_ERR_FRAME, 0), Not(HasSubstr("{device}")));
}

TEST(ErrorsToReport, CauseComesAloneWithoutTheFailuresItCaused) {
    // What a snapshot without a camera leaves: newest first.
    EXPECT_THAT(CodesToReport({KOLVEX_ERR_FRAME, KOLVEX_ERR_NO_DEVICE, KOLVEX_ERR_DEVICE_NUMBER}),
                ElementsAre(KOLVEX_ERR_DEVICE_NUMBER));
}

TEST(ErrorsToReport, EachCodeOnceOldestFirst) {
    EXPECT_THAT(CodesToReport({KOLVEX_ERR_ARGUMENT, KOLVEX_ERR_GEOMETRY, KOLVEX_ERR_ARGUMENT}),
                ElementsAre(KOLVEX_ERR_ARGUMENT, KOLVEX_ERR_GEOMETRY));
}

TEST(ErrorsToReport, FollowOnCodesAreToldWhenNothingElseExplainsThem) {
    EXPECT_THAT(CodesToReport({KOLVEX_ERR_FRAME, KOLVEX_ERR_NO_DEVICE, KOLVEX_ERR_FRAME}),
                ElementsAre(KOLVEX_ERR_FRAME, KOLVEX_ERR_NO_DEVICE));
    EXPECT_THAT(CodesToReport({}), ElementsAre());
}

TEST(RateMeter, FirstFigureIsMeasuredBeforeAWholeSecond) {
    RateMeter meter;
    EXPECT_FALSE(meter.Frame(5.0));
    EXPECT_EQ(meter.rate(), 0.0);
    EXPECT_FALSE(meter.Frame(5.1));
    EXPECT_FALSE(meter.Frame(5.2));
    EXPECT_NEAR(meter.rate(), 10.0, 1e-9);
}

TEST(RateMeter, WindowsCloseAboutEverySecondWithTheirOwnRate) {
    RateMeter meter;
    meter.Frame(0.0);
    int closed = 0;
    for (int i = 1; i <= 20; ++i) closed += meter.Frame(i * 0.1);  // 10 fps for 2 s
    EXPECT_EQ(closed, 2);
    EXPECT_NEAR(meter.rate(), 10.0, 1e-6);
    // A slower second window: the figure follows it, not the average.
    for (int i = 1; i <= 5; ++i) closed += meter.Frame(2.0 + i * 0.25);
    EXPECT_EQ(closed, 3);
    EXPECT_NEAR(meter.rate(), 4.0, 1e-6);
    // Partial windows after the first do not disturb the figure.
    meter.Frame(3.26);
    EXPECT_NEAR(meter.rate(), 4.0, 1e-6);
}

}  // namespace
