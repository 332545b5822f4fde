// A complete automatic tune, end to end: the real link thread against the
// emulator's tuner network with a mismatched load, started from the tune key.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "config/config_offset_file.h"
#include "core/error_codes.h"
#include "link_fixture.h"
#include "tuner/antenna_selection.h"
#include "tuner/memory_banks.h"
#include "tuner/tune_index.h"
#include "tuner/tune_search.h"

// The link's clock at four times real time: the search's pauses pass sooner.
class TunerProcess : public testing_support::AmpLinkTest {
  protected:
    TunerProcess() : AmpLinkTest(4.0) {}
};

namespace {

std::string tuneWordPayload(uint32_t word) {
    char text[16];
    std::snprintf(text, sizeof text, "MT1%08X;", word);
    return text;
}

std::string fileText(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The emulator's present network SWR, from its state line.
double emulatorSwr(testing_support::EmulatorProcess& emulator) {
    std::string state = emulator.control("state");
    auto at = state.find(" network_swr=");
    return at == std::string::npos ? -1.0 : std::stod(state.substr(at + 13));
}

TEST_F(TunerProcess, AutomaticTuneFindsTheMatchStoresItAndAReturnRecallsIt) {
    std::ofstream(station.path("/opt/set/antenna.txt"))
        << "!Gen\n20m 14000000 14350000 1 1 0 0 0.0\n40m 7000000 7300000 1 1 0 0 0.0\n";
    config::LoadConfigOffsetFile(works);  // the power readings of a fresh unit
    works.AutoTuneMode = 1;
    works.SWRescAutoTune = 1.3f;
    works.AutoTuneMaxCicli = 0;
    tuner::LoadAllBankTable(works, 0);
    works.frequency = 14100000;
    tuner::GestioneAntennaAutomatica(works);
    startLink();
    ASSERT_TRUE(waitForPayload("MT100800000;")) << "no stored tune yet: the default tune goes out";

    ASSERT_EQ(emulator.control("load z 12 25").rfind("ok", 0), 0u);
    ASSERT_EQ(emulator.control("key 10 14100000").rfind("ok", 0), 0u);
    ASSERT_GT(emulatorSwr(emulator), 3.0) << "the load starts badly mismatched";

    tuner::GoTune(works);
    ASSERT_EQ(works.tuneState, 1);
    ASSERT_TRUE(waitUntil([&] { return works.tuneState == 0; }, std::chrono::seconds(120)));

    const uint32_t tuned = works.tuneValue;
    EXPECT_LT(works.tuneBestSwr, 1.3f);
    EXPECT_EQ(core::ExistError(works, core::err::TuneMaxSwr), 0);
    ASSERT_TRUE(waitForPayload(tuneWordPayload(tuned)));
    EXPECT_LT(emulatorSwr(emulator), 1.5) << "the amplifier really sees the match";
    const int32_t index = tuner::AtuIdxSearch(14100000);
    // The link thread stores the tune just after it ends the search.
    const std::string stored = std::to_string(index) + " 14100000 1 ";
    EXPECT_TRUE(waitUntil(
        [&] { return fileText(station.path("/opt/set/atu_ant1.txt")).find(stored) != std::string::npos; },
        std::chrono::seconds(5)));

    emulator.control("unkey");
    emulator.control("clear-received");
    works.frequency = 7100000;
    tuner::GestioneAntennaAutomatica(works);
    ASSERT_TRUE(waitForPayload("MT100800000;")) << "nothing stored on 40 m";

    works.frequency = 14100000;
    tuner::GestioneAntennaAutomatica(works);
    EXPECT_TRUE(waitForPayload(tuneWordPayload(tuned))) << "back on 20 m the stored tune is recalled";
}

}  // namespace
