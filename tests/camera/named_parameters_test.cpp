// Every named parameter export answers exactly as the generic pair with its
// identifier: results, ok flags, stored values and reports, also for
// handles that are not registered.
#include "parameter_fixture.h"

namespace {

using kvx::test::ParameterTest;
using kvx::test::Reported;

struct Named {
    int id;
    const char* name;
    int (*get)(int, int*);
    int (*set)(int, int);
};

#define NAMED(id, Name) {id, #Name, Kolvex_Get##Name, Kolvex_Set##Name}
const Named kNamed[] = {
    NAMED(1, Brightness),     NAMED(2, Contrast),      NAMED(3, Hue),          NAMED(4, Saturation),
    NAMED(5, Sharpness),      NAMED(6, BayerGainRGB),  NAMED(7, BayerGainRed), NAMED(8, BayerGainGreen),
    NAMED(9, BayerGainBlue),  NAMED(10, BayerGainAuto), NAMED(11, Gamma),      NAMED(12, BayerMode),
    NAMED(13, GlobalGain),    NAMED(14, ColorGainRed), NAMED(15, ColorGainGreen1), NAMED(16, ColorGainGreen2),
    NAMED(17, ColorGainBlue), NAMED(18, ExposureTime), NAMED(19, GrayMode),    NAMED(20, GrayGainR),
    NAMED(21, GrayGainG1),    NAMED(22, GrayGainG2),   NAMED(23, GrayGainB),   NAMED(24, GrayOffsetR),
    NAMED(25, GrayOffsetG1),  NAMED(26, GrayOffsetG2), NAMED(27, GrayOffsetB),
};
#undef NAMED

// In range for some parameters and out of range for others.
const int kValues[] = {-256, -1, 0, 1, 3, 30, 200, 256, 401, 480, 0xC86432};

class NamedParameters : public ParameterTest {
protected:
    struct Outcome {
        int set, get, ok;
        Reported reported;
        bool operator==(const Outcome& o) const {
            return set == o.set && get == o.get && ok == o.ok && reported == o.reported;
        }
    };
    friend std::ostream& operator<<(std::ostream& out, const Outcome& o) {
        return out << "set " << o.set << " get " << o.get << " ok " << o.ok << ' ' << o.reported;
    }

    // Setting the same value twice leaves the same state, so the named call
    // and the generic one can follow each other on one camera.
    template <typename Set, typename Get>
    Outcome Run(int handle, Set set, Get get, int value) {
        Outcome o{};
        o.set = set(handle, value);
        o.ok = 77;
        o.get = get(handle, &o.ok);
        o.reported = TakeReported();
        return o;
    }
};

TEST_F(NamedParameters, EachExportEqualsTheGenericPairWithItsIdentifier) {
    for (const Named& n : kNamed) {
        for (int value : kValues) {
            const Outcome named = Run(handle_, n.set, n.get, value);
            const Outcome generic = Run(
                handle_, [&](int h, int v) { return Kolvex_SetFilterValue(h, n.id, v); },
                [&](int h, int* ok) { return Kolvex_GetFilterValue(h, n.id, ok); }, value);
            EXPECT_EQ(named, generic) << n.name << " with " << value;
        }
    }
}

TEST_F(NamedParameters, UnknownHandlesAnswerAsTheGenericPairDoes) {
    const int unknown = handle_ + 1;
    for (const Named& n : kNamed) {
        int namedOk = 77, genericOk = 77;
        EXPECT_EQ(n.get(unknown, &namedOk), Kolvex_GetFilterValue(unknown, n.id, &genericOk)) << n.name;
        EXPECT_EQ(namedOk, genericOk) << n.name;
        EXPECT_EQ(n.set(unknown, 0), Kolvex_SetFilterValue(unknown, n.id, 0)) << n.name;
        EXPECT_EQ(n.set(unknown, 0), 0) << n.name;
    }
    EXPECT_EQ(TakeReported(), Nothing());
}

}  // namespace
