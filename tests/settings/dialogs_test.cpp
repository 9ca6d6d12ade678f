// The three settings dialogs as the exports run them on a camera with a
// virtual device, each played by a script on in-memory controls.
#include <gtest/gtest.h>

#include "../camera/camera_fixture.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "fake_dialog.h"
#include "settings/analog_dialog.h"
#include "settings/camera_dialog.h"
#include "settings/image_dialog.h"

namespace kvx::test {
namespace {

using namespace settings;
using CameraControls = CameraSettingsDialog::Control;
using AnalogControls = AnalogPage::Control;
// The size edit boxes run TH, TV, EH, EV, EHS, EVS from the first.
constexpr int kWidthEdit = CameraControls::kTotalWidthEdit + 2;
constexpr int kHeightEdit = CameraControls::kTotalWidthEdit + 3;

class DialogTest : public CameraTest {
protected:
    void SetUp() override { ASSERT_NE(Open(), 0); }
    void TearDown() override { ForceDialogLanguageForTesting(0); }
    CKolvex410QFXZQPSdk& Device() { return *Object()->device(); }
    int DeviceExposure() {
        uint16_t lines = 0;
        Device().GetExposureLines(&lines);
        return lines;
    }
    int32_t* FilterBlock() { return const_cast<int32_t*>(Object()->filter().data()); }
};

// --- camera settings ------------------------------------------------------------

TEST_F(DialogTest, CameraDialogListsTheFormatChoicesInEachLanguage) {
    for (uint16_t language : {0x409, 0x411}) {
        ForceDialogLanguageForTesting(language);
        std::vector<std::string> colors, clocks, tabs;
        bool clockEnabled = true, applyEnabled = true;
        int templateId = 0;
        ScriptedDialogs dialogs([&](FakeDialog& d) {
            colors = d.ComboItems(CameraControls::kColorCombo);
            clocks = d.ComboItems(CameraControls::kClockCombo);
            tabs = d.tabs();
            clockEnabled = d.Enabled(CameraControls::kClockCombo);
            applyEnabled = d.Enabled(CameraControls::kApply);
            templateId = d.templateId();
            d.Click(kCancel);
        });
        EXPECT_EQ(Kolvex_SetCameraDlg(handle_, nullptr), 1);
        ASSERT_EQ(colors.size(), 6u);
        ASSERT_EQ(clocks.size(), 3u);
        EXPECT_FALSE(clockEnabled);
        EXPECT_FALSE(applyEnabled);
        if (language == 0x411) {
            EXPECT_EQ(templateId, 101);
            EXPECT_EQ(colors[1], "白黒 12bit ※");
            EXPECT_EQ(clocks[2], "高速(74MHz)");
            EXPECT_EQ(tabs, std::vector<std::string>{"ストリーム形式"});
        } else {
            EXPECT_EQ(templateId, 106);
            EXPECT_EQ(colors[1], "Monochrome 10bit *");
            EXPECT_EQ(clocks[0], "Nomal(24MHz)");
            EXPECT_EQ(clocks[2], "High(74MHz)");
            EXPECT_EQ(tabs, std::vector<std::string>{"Stream Format"});
        }
    }
}

TEST_F(DialogTest, CustomSizeAppliedIsStoredButTakenOnlyByOk) {
    const int width = Object()->Width();
    std::vector<std::string> sizes;
    ScriptedDialogs apply([&](FakeDialog& d) {
        const int custom = static_cast<int>(d.ComboItems(CameraControls::kSizeCombo).size()) - 1;
        d.Choose(CameraControls::kSizeCombo, custom);
        EXPECT_TRUE(d.Enabled(CameraControls::kApply));
        d.Type(kWidthEdit, "1024");
        d.Type(kHeightEdit, "768");
        d.Click(CameraControls::kApply);
        EXPECT_FALSE(d.Enabled(CameraControls::kApply));
        sizes = d.ComboItems(CameraControls::kSizeCombo);
        EXPECT_EQ(d.ComboSelection(CameraControls::kSizeCombo), custom);
        d.Click(kCancel);
    });
    ASSERT_EQ(Kolvex_SetCameraDlg(handle_, nullptr), 1);
    ASSERT_GE(sizes.size(), 2u);
    EXPECT_EQ(sizes[sizes.size() - 2], "1024 x 768");
    EXPECT_EQ(sizes.back(), "Custom");
    const std::string newKey = CameraKeyPath(0) + "\\" + SizeKeyName(static_cast<int>(sizes.size()) - 2);
    EXPECT_EQ(Stored(newKey, "EH"), 1024u);
    EXPECT_EQ(Stored(newKey, "EV"), 768u);
    EXPECT_EQ(Object()->Width(), width) << "Cancel leaves the camera as it was";

    ScriptedDialogs confirm([](FakeDialog& d) { d.Click(kOk); });
    ASSERT_EQ(Kolvex_SetCameraDlg(handle_, nullptr), 1);
    EXPECT_EQ(Object()->Width(), 1024);
    EXPECT_EQ(Object()->Height(), 768);
}

TEST_F(DialogTest, CameraDialogOkTakesTheChosenFormat) {
    ScriptedDialogs dialogs([](FakeDialog& d) {
        d.Choose(CameraControls::kColorCombo, 0);
        d.Type(CameraControls::kWaitTimeEdit, "25");
        d.Click(kOk);
    });
    ASSERT_EQ(Kolvex_SetCameraDlg(handle_, nullptr), 1);
    EXPECT_EQ(Object()->colorMode(), 0);
    EXPECT_EQ(Object()->waitTimeMs(), 25);
    EXPECT_EQ(Stored(CameraKeyPath(0), "WaitTime"), 25u);
}

// A size the dialog stored is checked when the camera takes it, as at
// initialisation: one the sensor cannot read out falls back to the full
// sensor with error 7 instead of sizing the next preview window.
TEST_F(DialogTest, ACustomSizeTheSensorCannotReadFallsBackToTheFullSensor) {
    ASSERT_EQ(Kolvex_SetCaptureWindowEx(handle_, 2048, 0, 1024, 1536, 0, 768), 1);
    for (const char* width : {"2", "100000"}) {
        ScriptedDialogs dialogs([&](FakeDialog& d) {
            d.Choose(CameraControls::kSizeCombo, static_cast<int>(d.ComboItems(CameraControls::kSizeCombo).size()) - 1);
            d.Type(kWidthEdit, width);
            d.Type(kHeightEdit, "768");
            d.Click(kOk);
        });
        ASSERT_EQ(Kolvex_SetCameraDlg(handle_, nullptr), 1);
        EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_GEOMETRY) << width;
        EXPECT_EQ(Object()->Width(), 2048);
        EXPECT_EQ(Object()->Height(), 1536);
    }
}

TEST_F(DialogTest, AWaitTimeBeyondTheLongestPauseIsStoredAsTheLongest) {
    for (const char* typed : {"2147483648", "4294967295"}) {
        ScriptedDialogs dialogs([&](FakeDialog& d) {
            d.Type(CameraControls::kWaitTimeEdit, typed);
            d.Click(kOk);
        });
        ASSERT_EQ(Kolvex_SetCameraDlg(handle_, nullptr), 1);
        EXPECT_EQ(Stored(CameraKeyPath(0), "WaitTime"), 0x7FFFFFFFu) << typed;
        EXPECT_EQ(Object()->waitTimeMs(), 0x7FFFFFFF);
    }
}

TEST_F(DialogTest, CameraDialogStopsPreviewWhileOpenAndRestartsIt) {
    ASSERT_EQ(Kolvex_StartPreview(handle_), 1);
    AcquisitionState during = AcquisitionState::Preview;
    ScriptedDialogs dialogs([&](FakeDialog& d) {
        during = Object()->acquisitionState();
        d.Click(kCancel);
    });
    ASSERT_EQ(Kolvex_SetCameraDlg(handle_, nullptr), 1);
    EXPECT_EQ(during, AcquisitionState::Idle);
    EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Preview);
    Kolvex_StopPreview(handle_);
}

TEST_F(DialogTest, StoredSizeIndexOutsideTheListSelectsTheFirstEntry) {
    Store(CameraKeyPath(0), "Size", 0x7FFFFFFF);
    int selected = -2;
    ScriptedDialogs dialogs([&](FakeDialog& d) {
        selected = d.ComboSelection(CameraControls::kSizeCombo);
        d.Click(kOk);
    });
    ASSERT_EQ(Kolvex_SetCameraDlg(handle_, nullptr), 1);
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(Stored(CameraKeyPath(0), "Size"), 0u);
}

// --- analog settings --------------------------------------------------------------

TEST_F(DialogTest, AnalogDefaultSendsGainAndExposureAtOnce) {
    std::string gainText, exposureText;
    ScriptedDialogs dialogs([&](FakeDialog& d) {
        FakeDialog& page = *d.Page(0);
        page.Type(AnalogControls::kGlobalGainEdit, "300");
        page.Type(AnalogControls::kExposureEdit, "800");
        EXPECT_EQ(Device().GetGain(), 300);
        EXPECT_EQ(DeviceExposure(), 800);
        d.Click(kDefault);
        gainText = page.Text(AnalogControls::kGlobalGainEdit);
        exposureText = page.Text(AnalogControls::kExposureEdit);
        EXPECT_EQ(Device().GetGain(), 0);
        EXPECT_EQ(DeviceExposure(), 1561);
        d.Click(kOk);
    });
    ASSERT_EQ(Kolvex_SetAnalogDlg(handle_, nullptr), 1);
    EXPECT_EQ(gainText, "0");
    EXPECT_EQ(exposureText, "1561");
    EXPECT_EQ(Object()->analog()[kExposureLines], 1561);
}

TEST_F(DialogTest, AnalogCancelPutsDeviceAndBlockBack) {
    Device().SetExposureLines(1200);
    Device().SetMirrorV(0);
    auto& analog = const_cast<std::array<int32_t, kAnalogBlockSize>&>(Object()->analog());
    analog[kColorGainRed] = 55;
    ScriptedDialogs dialogs([&](FakeDialog& d) {
        FakeDialog& page = *d.Page(0);
        EXPECT_EQ(page.Text(AnalogControls::kExposureEdit), "1200");
        page.Slide(1026, 4000);
        EXPECT_EQ(page.Text(AnalogControls::kExposureEdit), "4000");
        EXPECT_EQ(DeviceExposure(), 4000);
        page.Toggle(AnalogControls::kMirrorVBox);
        EXPECT_EQ(Device().GetMirrorV(), 1);
        d.Click(kCancel);
    });
    ASSERT_EQ(Kolvex_SetAnalogDlg(handle_, nullptr), 1);
    EXPECT_EQ(DeviceExposure(), 1200);
    EXPECT_EQ(Device().GetMirrorV(), 0);
    EXPECT_EQ(analog[kExposureLines], 1200);
    EXPECT_EQ(analog[kColorGainRed], 0) << "opening the dialog zeroes the colour gains";
}

TEST_F(DialogTest, AnalogAutoIrisBoxesExcludeEachOther) {
    ScriptedDialogs dialogs([&](FakeDialog& d) {
        FakeDialog& page = *d.Page(0);
        page.Toggle(AnalogControls::kAutoExposureBox);
        EXPECT_EQ(Object()->analog()[kAutoIris], 1);
        page.Toggle(AnalogControls::kAutoGainBox);
        EXPECT_FALSE(page.Checked(AnalogControls::kAutoExposureBox));
        EXPECT_EQ(Object()->analog()[kAutoIris], 2);
        page.Toggle(AnalogControls::kAutoGainBox);
        EXPECT_EQ(Object()->analog()[kAutoIris], 0);
        page.Toggle(AnalogControls::kAutoGainBox);
        d.Click(kOk);
    });
    ASSERT_EQ(Kolvex_SetAnalogDlg(handle_, nullptr), 1);
    EXPECT_EQ(Object()->analog()[kAutoIris], 2);
}

TEST_F(DialogTest, AnalogTypedValueOutsideTheRangeIsStoredAsTyped) {
    ScriptedDialogs dialogs([&](FakeDialog& d) {
        FakeDialog& page = *d.Page(0);
        EXPECT_EQ(page.TrackbarRange(1013).maximum, 480);
        EXPECT_EQ(page.TrackbarRange(1013).tick, 60);
        EXPECT_EQ(page.TrackbarRange(1026).tick, 4095);
        EXPECT_FALSE(page.Enabled(1019));
        page.Type(AnalogControls::kGlobalGainEdit, "600");
        EXPECT_EQ(page.TrackbarPosition(1013), 480);
        d.Click(kOk);
    });
    ASSERT_EQ(Kolvex_SetAnalogDlg(handle_, nullptr), 1);
    EXPECT_EQ(Object()->analog()[kGlobalGain], 600);
}

TEST(ExposureTimeText, IsLinesTimesPeriodPlusOffsetInMilliseconds) {
    EXPECT_EQ(ExposureTimeText(1000, 1100, 0, 1.0 / 74250), "=14.81ms");
    EXPECT_EQ(ExposureTimeText(1000, 0, 0, 1.0), "=0.00ms");
}

// --- image settings ---------------------------------------------------------------

TEST_F(DialogTest, MonochromeImageDialogHasTheGrayTabAndOnlyItsSliders) {
    ASSERT_EQ(Kolvex_SetColorMode(handle_, 8), 1);
    ScriptedDialogs dialogs([&](FakeDialog& d) {
        EXPECT_EQ(d.tabs(), (std::vector<std::string>{"Image Filter", "Gray Filter"}));
        FakeDialog& filter = *d.Page(0);
        FakeDialog& gray = *d.Page(1);
        EXPECT_TRUE(filter.shown());
        EXPECT_FALSE(gray.shown());
        EXPECT_TRUE(filter.Enabled(2002));
        for (int id : {2022, 2032, 2052, 2062, 2072, int{kOnceButton}, int{kAllFramesBox}, 1030, 1033})
            EXPECT_FALSE(filter.Enabled(id)) << id;
        EXPECT_TRUE(gray.Enabled(1030));
        d.SelectTab(1);
        EXPECT_FALSE(filter.shown());
        EXPECT_TRUE(gray.shown());
        d.Click(kCancel);
    });
    ASSERT_EQ(Kolvex_SetImageDlg(handle_, nullptr), 1);
}

TEST_F(DialogTest, ColourImageDialogHasOneTabWithEverySlider) {
    ASSERT_EQ(Kolvex_SetColorMode(handle_, 24), 1);
    ScriptedDialogs dialogs([&](FakeDialog& d) {
        EXPECT_EQ(d.tabs(), std::vector<std::string>{"Image Filter"});
        EXPECT_EQ(d.Page(1), nullptr);
        for (int id : {2002, 2012, 2022, 2032, 2042, 2052, 2062, 2072, 2082, int{kOnceButton}, 1031})
            EXPECT_TRUE(d.Page(0)->Enabled(id)) << id;
        d.Click(kCancel);
    });
    ASSERT_EQ(Kolvex_SetImageDlg(handle_, nullptr), 1);
}

TEST_F(DialogTest, ImageDefaultLeavesGrayModeAndOkKeepsEdits) {
    ASSERT_EQ(Kolvex_SetColorMode(handle_, 8), 1);
    FilterBlock()[kGrayMode] = 1;
    ScriptedDialogs dialogs([&](FakeDialog& d) {
        FakeDialog& filter = *d.Page(0);
        filter.Slide(2001, 50);
        EXPECT_EQ(FilterBlock()[kBrightness], 50) << "live while open";
        d.Click(kDefault);
        EXPECT_EQ(filter.Text(2002), "0");
        EXPECT_TRUE(filter.Checked(1032));
        EXPECT_EQ(d.Page(1)->Text(2101), "128");
        filter.Type(2012, "-500");
        d.Click(kOk);
    });
    ASSERT_EQ(Kolvex_SetImageDlg(handle_, nullptr), 1);
    const auto& f = Object()->filter();
    EXPECT_EQ(f[kGrayMode], 1);
    EXPECT_EQ(f[kContrast], -500);
    EXPECT_EQ(f[kBayerGainRed], 100);
    EXPECT_EQ(f[kBayerMode], 2);
    EXPECT_EQ(f[kGrayGainG2], 128);
    EXPECT_EQ(f[kGrayOffsetB], 0);
}

TEST_F(DialogTest, ImageCancelRestoresTheWhiteBalanceWords) {
    ASSERT_EQ(Kolvex_SetColorMode(handle_, 24), 1);
    ScriptedDialogs dialogs([&](FakeDialog& d) {
        d.Page(0)->Toggle(kAllFramesBox);
        EXPECT_EQ(FilterBlock()[kAutoWhiteBalance], 1);
        d.Page(0)->Click(kOnceButton);
        EXPECT_FALSE(d.Page(0)->Checked(kAllFramesBox));
        EXPECT_EQ(FilterBlock()[kWhiteBalanceOnce1], 1);
        EXPECT_EQ(FilterBlock()[kWhiteBalanceOnce2], 1);
        d.Click(kCancel);
    });
    ASSERT_EQ(Kolvex_SetImageDlg(handle_, nullptr), 1);
    for (int w : {kAutoWhiteBalance, kWhiteBalanceOnce1, kWhiteBalanceOnce2}) EXPECT_EQ(Object()->filter()[w], 0);
}

TEST_F(DialogTest, GrayAllFramesFlipsTheAutomaticGrayGain) {
    ASSERT_EQ(Kolvex_SetColorMode(handle_, 16), 1);
    ScriptedDialogs dialogs([&](FakeDialog& d) {
        FakeDialog& gray = *d.Page(1);
        gray.Toggle(kAllFramesBox);
        EXPECT_EQ(FilterBlock()[kAutoGrayGain], -1);
        gray.Toggle(kAllFramesBox);
        EXPECT_EQ(FilterBlock()[kAutoGrayGain], 0);
        gray.Click(kOnceButton);
        EXPECT_EQ(FilterBlock()[kAutoGrayGain], 1);
        gray.Toggle(kAllFramesBox);
        EXPECT_EQ(FilterBlock()[kAutoGrayGain], 0);
        gray.Click(kGrayModeBayer + 2);
        gray.Slide(2100 + 3 * 5, 77);
        d.Click(kOk);
    });
    ASSERT_EQ(Kolvex_SetImageDlg(handle_, nullptr), 1);
    EXPECT_EQ(Object()->filter()[kGrayMode], 2);
    EXPECT_EQ(Object()->filter()[kGrayOffsetG1], 77);
}

}  // namespace
}  // namespace kvx::test
