// The FT-817 emulator's faults and control commands, its replies read back
// with the controller's own decoder; the text CAT transceiver's answers
// beside them.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <string>
#include <vector>

#include "radio/cat_reply.h"
#include "sim/cat/cat_answers.h"
#include "sim/ft817/ft817_control.h"
#include "sim/ft817/ft817_faults.h"
#include "sim/ft817/ft817_model.h"

namespace {

using namespace std::chrono_literals;

const std::vector<uint8_t> kReadFrequency{0, 0, 0, 0, 0x03};

struct Radio {
    sim::Ft817Model model;
    sim::Ft817Faults faults;
    std::string control(std::string_view line) { return sim::runFt817Command(model, faults, line); }
    std::vector<sim::Transmission> poll() { return faults.transmit(model.receive(kReadFrequency).at(0)); }
};

std::optional<int32_t> decoded(const std::string& bytes) {
    if (bytes.size() != radio::kCatReplySize) return std::nullopt;
    std::array<uint8_t, radio::kCatReplySize> reply{};
    std::copy(bytes.begin(), bytes.end(), reply.begin());
    return radio::decodeCatFrequency(reply);
}

TEST(Ft817EmulatorFaults, EachFaultHitsTheNextRepliesOncePerCount) {
    Radio radio;
    ASSERT_EQ(radio.control("freq 14250000"), "ok frequency 14250000");
    EXPECT_EQ(decoded(radio.poll().at(0).bytes), 14'250'000);

    EXPECT_EQ(radio.control("fault stray 2"), "ok fault stray for the next 2 replies");
    for (int i = 0; i < 2; ++i) {
        const std::vector<sim::Transmission> stray = radio.poll();
        ASSERT_EQ(stray.size(), 1u);
        EXPECT_EQ(stray[0].bytes.size(), 6u);
        EXPECT_EQ(stray[0].bytes[0], '\0');
        EXPECT_EQ(decoded(stray[0].bytes.substr(1)), 14'250'000);
    }
    EXPECT_EQ(radio.poll().at(0).bytes.size(), 5u);

    EXPECT_EQ(radio.control("fault late"), "ok fault late for the next reply");
    const std::vector<sim::Transmission> late = radio.poll();
    ASSERT_EQ(late.size(), 2u);
    EXPECT_EQ(late[0].bytes.size(), 3u);
    EXPECT_EQ(late[0].delay, 0ms);
    EXPECT_EQ(late[1].bytes.size(), 2u);
    EXPECT_GT(late[1].delay, 1500ms) << "past the poller's time-out";
    EXPECT_EQ(decoded(late[0].bytes + late[1].bytes), 14'250'000);

    radio.control("fault drop");
    EXPECT_TRUE(radio.poll().empty());

    radio.control("fault garbage 3");
    for (int i = 0; i < 3; ++i) {
        const size_t size = radio.poll().at(0).bytes.size();
        EXPECT_GE(size, 2u);
        EXPECT_LE(size, 9u);
    }
    EXPECT_EQ(radio.control("fault drop 5"), "ok fault drop for the next 5 replies");
    EXPECT_NE(radio.control("state").find(" fault drop fault_left 5"), std::string::npos);
    EXPECT_EQ(radio.control("fault none"), "ok no faults");
    EXPECT_EQ(decoded(radio.poll().at(0).bytes), 14'250'000);
}

TEST(Ft817EmulatorControl, BadCommandsAreRefusedAndChangeNothing) {
    Radio radio;
    const std::string before = radio.control("state");
    for (const char* line : {"fault", "fault smoke", "fault drop 0", "fault drop -1", "fault drop 2 3",
                             "freq 0", "freq 14e6", "tune 7", ""})
        EXPECT_EQ(radio.control(line).rfind("error ", 0), 0u) << line;
    EXPECT_EQ(radio.control("state"), before);
    EXPECT_NE(radio.control("help").find("fault stray|late|drop|garbage [n]"), std::string::npos);
}

TEST(CatAnswers, TheEmulatedTransceiverAnswersItsQueries) {
    struct Case {
        const char* command;
        const char* answer;
    };
    const Case cases[] = {
        {"DT;", "DT001;"},      {"FA;", "FA00014074000;"},
        {"FA00007100000;", ""}, {"FA;", "FA00007100000;"},
        {"FA123;", "?;"},       {"MD;", "MD2;"},
        {"MD3;", ""},           {"MD;", "MD3;"},
        {"ZZ;", "?;"},          {"DT", "?;"},
    };
    sim::TransceiverCat radio;
    for (const Case& c : cases) EXPECT_EQ(sim::answerCat(radio, c.command), c.answer) << c.command;
}

}  // namespace
