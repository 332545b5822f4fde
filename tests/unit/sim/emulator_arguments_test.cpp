#include "sim/common/emulator_arguments.h"

#include <gtest/gtest.h>

namespace {

struct Parsed {
    std::string root, device = "/dev/ttyX", control;
    bool verbose = false;
    double timeScale = 1.0;
    bool parse(const std::vector<std::string>& arguments, std::string& error) {
        return sim::EmulatorArguments(root)
            .device(device)
            .text("--control", control)
            .flag("--verbose", verbose)
            .timeScale(timeScale)
            .parse(arguments, error);
    }
};

TEST(EmulatorArguments, TakesEachKindOfOptionInAnyOrderAndRefusesWithTheReason) {
    Parsed parsed;
    std::string error;
    ASSERT_TRUE(parsed.parse(
        {"--verbose", "--time-scale", "4", "--root", "/r", "--control", "/c", "--device", "/dev/y"}, error))
        << error;
    EXPECT_EQ(parsed.root, "/r");
    EXPECT_EQ(parsed.device, "/dev/y");
    EXPECT_EQ(parsed.control, "/c");
    EXPECT_TRUE(parsed.verbose);
    EXPECT_EQ(parsed.timeScale, 4.0);

    const struct {
        std::vector<std::string> arguments;
        const char* reason;
    } cases[] = {
        {{"--control", "/c"}, "--root is required"},
        {{"--root"}, "--root needs a value"},
        {{"--root", "/r", "--verbos"}, "unknown argument --verbos"},
        {{"--root", "/r", "--verbose", "yes"}, "unknown argument yes"},
        {{"--root", "/r", "--time-scale", "0"}, "--time-scale needs a number above 0"},
        {{"--root", "/r", "--device", "dev/y"}, "--device must be an absolute path"},
    };
    for (const auto& c : cases) {
        Parsed refused;
        EXPECT_FALSE(refused.parse(c.arguments, error)) << c.reason;
        EXPECT_EQ(error, c.reason);
    }
}

TEST(EmulatorArguments, HelpEndsTheProgramWellAndAnUnusableLineWithStatusTwo) {
    int parses = 0;
    auto refuse = [&parses](std::string& error) {
        ++parses;
        error = "--root is required";
        return false;
    };
    testing::internal::CaptureStdout();
    EXPECT_EQ(sim::endOnArguments({"--root", "/r", "--help"}, "brisel-x", "usage: x\n", refuse), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "usage: x\n");
    EXPECT_EQ(parses, 0) << "help is shown whatever else the line holds";
    testing::internal::CaptureStderr();
    EXPECT_EQ(sim::endOnArguments({}, "brisel-x", "usage: x\n", refuse), 2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "brisel-x: --root is required\nusage: x\n");
    EXPECT_EQ(
        sim::endOnArguments({"--root", "/r"}, "brisel-x", "usage: x\n", [](std::string&) { return true; }),
        std::nullopt);
}

}  // namespace
