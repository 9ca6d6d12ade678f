// An open camera and what a call reported: its result, the codes it
// recorded in the history and the codes it posted to the application window.
#pragma once

#include <vector>

#include "camera_fixture.h"

namespace kvx::test {

struct Reported {
    std::vector<int> recorded;
    std::vector<int> posted;
    bool operator==(const Reported& o) const { return recorded == o.recorded && posted == o.posted; }
};

inline std::ostream& operator<<(std::ostream& out, const Reported& r) {
    out << "recorded {";
    for (int c : r.recorded) out << ' ' << c;
    out << " } posted {";
    for (int c : r.posted) out << ' ' << c;
    return out << " }";
}

class ParameterTest : public CameraTest {
protected:
    void SetUp() override {
        ASSERT_NE(Open(), 0);
        TakeReported();
    }

    // Everything reported since the last call, oldest first.
    Reported TakeReported() {
        Reported r;
        for (int code; (code = Kolvex_GetLastError(handle_)) != 0;) r.recorded.insert(r.recorded.begin(), code);
        for (const auto& m : window_.Take())
            if (m.message == KOLVEX_WM_ERROR) r.posted.push_back(static_cast<int>(m.lParam));
        return r;
    }
    static Reported Nothing() { return {}; }
    static Reported RecordedAndPosted(int code) { return {{code}, {code}}; }
    static Reported PostedOnly(int code) { return {{}, {code}}; }

    int Get(int id) {
        int ok = -1;
        const int value = Kolvex_GetFilterValue(handle_, id, &ok);
        EXPECT_EQ(ok, 1) << "identifier " << id;
        return value;
    }
};

}  // namespace kvx::test
