#include "command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

struct Parsed {
    int status;
    CommandLine line;
    std::string text, err;
};

Parsed Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "kolvex-cli");
    Parsed p;
    std::ostringstream text, err;
    p.status = ParseCommandLine(static_cast<int>(args.size()), args.data(), &p.line, text, err);
    p.text = text.str();
    p.err = err.str();
    return p;
}

// Numbers are taken whole and in range, or refused before anything runs:
// never cut, wrapped or read in another base.
TEST(CommandLineNumbers, OnlyWholeNumbersInRangeAreTaken) {
    struct Row {
        std::vector<const char*> args;
        const char* refusal;  // null: taken
    } rows[] = {
        {{"snapshot", "--device", "31"}, nullptr},
        {{"snapshot", "--device", "1.7"}, "--device: takes a whole number (0..31), not '1.7'"},
        {{"snapshot", "--device", "1e10"}, "--device: takes a whole number (0..31), not '1e10'"},
        {{"snapshot", "--device", "32"}, "--device: takes 0..31, not 32"},
        {{"snapshot", "--device", "-1"}, "--device: takes 0..31, not -1"},
        {{"snapshot", "--device", "010"}, nullptr},  // ten, not octal eight
        {{"snapshot", "--device", "0x1"}, "--device: takes a whole number"},
        {{"snapshot", "--device", "99999999999999999999"}, "--device: takes a whole number"},
        {{"snapshot", "--device", ""}, "--device: takes a whole number"},
        {{"snapshot", "--device"}, "--device"},
        {{"stream", "--frames", "0"}, "--frames: takes 1..100000000, not 0"},
        {{"stream", "--frames", "2.5"}, "--frames: takes a whole number"},
        {{"stream", "--seconds", "0.5"}, nullptr},
        {{"record", "--seconds", "2147483"}, nullptr},
        {{"record", "--seconds", "2147484"}, "--seconds: takes seconds above 0 and up to 2147483, not '2147484'"},
        {{"record", "--seconds", "1e300"}, "--seconds: takes seconds above 0"},
        {{"record", "--seconds", "nan"}, "--seconds: takes seconds above 0"},
        {{"record", "--seconds", "inf"}, "--seconds: takes seconds above 0"},
        {{"record", "--seconds", "0"}, "--seconds: takes seconds above 0"},
        {{"record", "--seconds", "-2"}, "--seconds: takes seconds above 0"},
        {{"set", "gamma", "200"}, nullptr},
        {{"set", "gamma", "201"}, "gamma takes 0..200, not 201"},
        {{"set", "gamma", "4294967446"}, "gamma takes 0..200, not 4294967446"},
        {{"set", "gamma", "1.5"}, "gamma takes a whole number (0..200), not '1.5'"},
        {{"set", "gamma", "0150"}, "gamma takes a whole number"},
        {{"set", "bayer-gain-rgb", "0xC86432"}, nullptr},
        {{"set", "bayer-gain-rgb", "0x1000000"}, "bayer-gain-rgb takes 0..16777215"},
        {{"set", "exposure-us", "45"}, "exposure-us takes 46..1493426, not 45"},
        {{"snapshot", "--color", "12"}, "--color: color takes one of 8,16,24,32,48,64, not 12"},
        {{"snapshot", "--gain", "481"}, "--gain: global-gain takes 0..480, not 481"},
        {{"snapshot", "--param", "window-width=2049"}, "--param: window-width takes 4..2048, not 2049"},
    };
    for (const Row& row : rows) {
        const Parsed p = Parse(row.args);
        const std::string shown = ::testing::PrintToString(row.args);
        if (!row.refusal) {
            EXPECT_EQ(p.status, -1) << shown << "\n" << p.err;
            continue;
        }
        EXPECT_EQ(p.status, 2) << shown;
        EXPECT_THAT(p.err, HasSubstr(row.refusal)) << shown;
        EXPECT_THAT(p.err, HasSubstr("\nusage: kolvex-cli " + std::string(row.args[0]) + " ")) << shown;
    }
    EXPECT_EQ(Parse({"snapshot", "--device", "010"}).line.device, 10);
    EXPECT_EQ(Parse({"set", "bayer-gain-rgb", "0xC86432"}).line.value, 0xC86432);
}

TEST(CommandLine, EveryCommandHasHelpAndTheToolItsVersion) {
    for (const char* command : {"list", "info", "params", "get", "set", "reset", "snapshot", "record", "stream"})
        for (const char* flag : {"-h", "--help"}) {
            const Parsed p = Parse({command, flag});
            EXPECT_EQ(p.status, 0) << command << " " << flag << ": " << p.err;
            EXPECT_THAT(p.text, HasSubstr("usage: kolvex-cli " + std::string(command))) << command;
        }
    for (const char* help : {"-h", "help"}) {
        const Parsed p = Parse({help});
        EXPECT_EQ(p.status, 0) << help;
        EXPECT_THAT(p.text, HasSubstr("usage: kolvex-cli [--version] COMMAND")) << help;
        EXPECT_THAT(p.text, HasSubstr("snapshot")) << help;
    }
    const Parsed version = Parse({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_THAT(version.text, StartsWith("kolvex-cli "));
}

TEST(CommandLine, MistakesGetOneLineAndTheUsageOfTheirCommand) {
    const Parsed extra = Parse({"snapshot", "extra"});
    EXPECT_EQ(extra.status, 2);
    EXPECT_THAT(extra.err, StartsWith("kolvex-cli: snapshot: unexpected argument 'extra'\nusage: kolvex-cli snapshot"));
    EXPECT_THAT(Parse({"shoot"}).err, StartsWith("kolvex-cli: unknown command 'shoot'\n"));
    EXPECT_THAT(Parse({"get", "gama"}).err, HasSubstr("unknown parameter 'gama'"));
    EXPECT_THAT(Parse({"snapshot", "--output", "x.txt"}).err, HasSubstr("the extension chooses the format"));
    // A setting the camera forgets at the end of the run is no use to `set`.
    EXPECT_THAT(Parse({"set", "color", "8"}).err, HasSubstr("color is not kept between runs"));
}

TEST(CommandLine, OneShotOptionsBecomeParametersOfTheTable) {
    const Parsed p = Parse({"snapshot", "--exposure-us", "1000", "--gain", "7", "--param", "mirror-v=1"});
    ASSERT_EQ(p.status, -1) << p.err;
    std::vector<std::pair<std::string, int>> settings;
    for (const auto& [row, value] : p.line.oneShot) settings.push_back({row->name, value});
    EXPECT_EQ(settings, (std::vector<std::pair<std::string, int>>{
                            {"global-gain", 7}, {"exposure-us", 1000}, {"mirror-v", 1}}));
}

}  // namespace
