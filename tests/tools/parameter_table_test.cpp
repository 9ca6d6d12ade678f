// The parameter table (python/kolvex/parameters.json) held against the
// library it describes: defaults, ranges and what the camera keeps. The
// Python package reads the same table, so a wrong row shows here once.
#include "parameters.h"

#include <gtest/gtest.h>

#include <string>

#include "KolvexSdk.h"
#include "camera_sandbox.h"

namespace {

class Handle {
public:
    Handle() : h(Kolvex_Initialize(nullptr)) {}
    ~Handle() { Kolvex_Release(h); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    const int h;
};

bool IsWindowRow(const ParameterInfo& p) { return std::string(p.setter) == "Kolvex_SetCaptureWindowEx"; }

TEST(ParameterTable, AFreshCameraHoldsEveryDefault) {
    kvx::test::CameraSandbox sandbox;
    Handle camera;
    for (const ParameterInfo& p : Parameters()) {
        int value = -12345;
        ASSERT_TRUE(ReadParameter(camera.h, p, &value)) << p.name;
        EXPECT_EQ(value, p.defaultValue) << p.name;
    }
}

// Both bounds are taken and, where the library checks, one step beyond
// each is refused. The tools refuse what the table excludes for the rest.
TEST(ParameterTable, TheBoundsAreThoseOfTheLibrary) {
    kvx::test::CameraSandbox sandbox;
    Handle camera;
    // The library takes any value for these and keeps what it can use.
    const std::string unchecked = " bayer-gain-rgb bayer-gain-auto mirror-h mirror-v wait-time ";
    for (const ParameterInfo& p : Parameters()) {
        if (*p.values) continue;  // color: its values are checked by the setter's own test
        // A corner of the window reaches the far edge only with the smallest
        // size; everything else is measured with the whole sensor.
        const int smallest = IsWindowRow(p) ? 4 : 2048;
        ASSERT_TRUE(Kolvex_SetCaptureWindowEx(camera.h, 2048, 0, smallest, 1536, 0, smallest == 4 ? 3 : 1536));
        for (int bound : {p.min, p.max}) {
            EXPECT_TRUE(WriteParameter(camera.h, p, bound)) << p.name << " " << bound;
            int value = 0;
            ReadParameter(camera.h, p, &value);
            // The exposure in microseconds is read back from whole lines.
            if (!*p.viewOf) {
                EXPECT_EQ(value, bound) << p.name;
            }
        }
        while (Kolvex_GetLastError(camera.h) != 0) {
        }
        if (unchecked.find(" " + std::string(p.name) + " ") != std::string::npos) continue;
        const int below = p.min - 1, above = p.max + 1;
        EXPECT_FALSE(WriteParameter(camera.h, p, below)) << p.name << " " << below;
        EXPECT_FALSE(WriteParameter(camera.h, p, above)) << p.name << " " << above;
        while (Kolvex_GetLastError(camera.h) != 0) {
        }
    }
}

// A kept parameter is there again after the camera object was released;
// any other starts at its default in the next program.
TEST(ParameterTable, WhatTheCameraKeepsOutlivesTheCameraObject) {
    kvx::test::CameraSandbox sandbox;
    std::vector<std::pair<const ParameterInfo*, int>> changed;
    {
        Handle camera;
        // Room for the window's corner to move.
        ASSERT_TRUE(Kolvex_SetCaptureWindowEx(camera.h, 2048, 0, 4, 1536, 0, 3));
        for (const ParameterInfo& p : Parameters()) {
            if (*p.viewOf || p.min == p.max) continue;
            const int value = p.defaultValue == p.max ? p.max - p.step : p.defaultValue + p.step;
            ASSERT_TRUE(WriteParameter(camera.h, p, value)) << p.name;
            changed.push_back({&p, value});
        }
    }
    Handle again;
    for (const auto& [p, value] : changed) {
        int now = 0;
        ASSERT_TRUE(ReadParameter(again.h, *p, &now)) << p->name;
        EXPECT_EQ(now, p->kept ? value : p->defaultValue) << p->name;
    }
}

}  // namespace
