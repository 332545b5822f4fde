#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "amp/frame.h"
#include "amp/measurements.h"
#include "amp/status_reply.h"
#include "core/tune_value_bits.h"
#include "sim/amp/emulator.h"
#include "sim/amp/emulator_control.h"
#include "sim/amp/emulator_counts.h"
#include "sim/amp/emulator_options.h"
#include "tuner/tune_word.h"

namespace {

using namespace std::chrono_literals;
using sim::Emulator;

const Emulator::Clock::time_point kStart{};

// An emulator fed frames as the controller writes them, at test-chosen times.
struct Bench {
    Emulator emulator{sim::Identity{}, 1.0, kStart};
    Emulator::Clock::time_point now = kStart;

    std::vector<sim::Transmission> send(std::string_view payload) {
        return emulator.onFrame(amp::encodeFrame(payload, amp::HexCase::Lower), now);
    }
    // The reply payload, after checking it is one frame with an upper-case CRC.
    std::string reply(std::string_view payload) {
        auto sent = send(payload);
        if (sent.size() != 1 || sent[0].delay != 0ms) return "<not one frame>";
        amp::CheckedFrame checked = amp::checkFrame(sent[0].bytes, amp::HexCase::Upper);
        if (checked.status != amp::FrameStatus::Good) return "<bad frame " + sent[0].bytes + ">";
        return std::string(checked.payload);
    }
    amp::StatusReply status() {
        std::string payload = reply("ST;");
        EXPECT_EQ(payload.size(), 37u) << payload;
        auto parsed = amp::ParseStatusReply(payload);
        EXPECT_TRUE(parsed.has_value()) << payload;
        return parsed.value_or(amp::StatusReply{});
    }
    std::string control(std::string_view line) { return sim::runControlCommand(emulator, line, now); }
    // Whether the control's state line holds the part; the line is the message when it does not.
    ::testing::AssertionResult stateHas(std::string_view part) {
        const std::string state = control("state");
        if (state.find(part) != std::string::npos) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "no \"" << part << "\" in " << state;
    }
    const sim::AmpSettings& settings() { return emulator.commands().settings(); }
};

// What the controller makes of the readings with its default calibration.
float forwardW(const amp::StatusReply& s) {
    return amp::CalcolaWatt(140, s.forward, 5.156579e-06f);
}
float inputW(const amp::StatusReply& s) {
    return amp::CalcolaWatt(150, s.powerIn, 5.5078103e-06f);
}
float reflectedW(const amp::StatusReply& s) {
    return amp::CalcolaWatt(100, s.reflected, 3.3262754e-06f) - 0.007f * forwardW(s);
}

TEST(AmpEmulatorReplies, EachCommandFamilyAnswersWithTheFieldsTheDecoderReadsAndTheLastKeyedFrequency) {
    Bench bench;
    std::string version = bench.reply("VSM;");
    ASSERT_EQ(version.size(), 11u);
    EXPECT_EQ(version.substr(0, 3), "VSM");
    EXPECT_EQ(version.substr(3, 7), sim::kFirmwareVersion);
    for (std::string_view command : {"SA2;", "AT10;", "AB1;", "AN1;", "MR0;"})
        EXPECT_EQ(bench.reply(command), command);
    for (std::string_view command :
         {"FA00014074000;", "MT100800000;", "FS11000;", "CPFFFF;", "MP0;", "MP1;", "TS4095409515003700;",
          "FN1100;", "FN2070;", "PS0001100000000000;", "SF300001a;", "GM00020100;", "CM1.000000000;"}) {
        EXPECT_EQ(bench.reply(command), std::string(command.substr(0, 2)) + ";") << command;
    }
    EXPECT_EQ(bench.reply("MT;"), "MT00800000;");
    EXPECT_EQ(bench.reply("GS;"), "GS0000000000;");
    EXPECT_EQ(bench.reply("GS0200000000;"), "GS0200000000;")
        << "the settings come back, or the decoder empties them";
    EXPECT_EQ(bench.reply("GS;"), "GS0200000000;");
    // The frequency reply carries the last keyed frequency in eleven digits.
    EXPECT_EQ(bench.reply("FM;"), "FM000000000000;");
    bench.control("key 5 7074000");
    EXPECT_EQ(bench.reply("FM;"), "FM100007074000;");
    bench.control("unkey");
    EXPECT_EQ(bench.reply("FM;"), "FM000007074000;");
}

TEST(AmpEmulatorReplies, EepromPagesDecodeIntoIdentityAndCalibration) {
    Emulator usa120({120, true}, 1.0, kStart);
    auto page = [&](std::string_view command) {
        auto sent = usa120.onFrame(amp::encodeFrame(command), kStart);
        return std::string(amp::checkFrame(sent.at(0).bytes).payload);
    };
    auto bytes = [](std::string_view payload, size_t from, size_t count) {
        std::string out;
        for (size_t i = 0; i < count; ++i)
            out += static_cast<char>(amp::charToInt(payload[from + 2 * i]) * 16 +
                                     amp::charToInt(payload[from + 2 * i + 1]));
        return out;
    };
    std::string serial = page("ER0000;");
    ASSERT_EQ(serial.size(), 6u + 64 + 1);
    EXPECT_EQ(serial[5], '0');
    EXPECT_EQ(bytes(serial, 6, 32).c_str(), std::string("EMU120-000001"));
    EXPECT_EQ(bytes(page("ER0001;"), 6, 32).c_str(), std::string("Station simulator"));
    std::string identity = page("ER0002;");
    EXPECT_EQ(identity[5], '2');
    EXPECT_EQ(bytes(identity, 6, 2), "11") << "region usa, 120 W model";
    EXPECT_EQ(bytes(identity, 10, 6), "HW0100");
    EXPECT_EQ(page("CM1.234567891;"), "CM;");
    EXPECT_EQ(bytes(page("ER0003;"), 6, 11), "1.234567891");
    EXPECT_EQ(page("ER0004;"), "ER?;");
}

TEST(AmpEmulatorReplies, MalformedUnknownOrBadlyCheckedCommandsAreRefusedOrIgnored) {
    Bench bench;
    EXPECT_EQ(bench.reply("SA5;"), "SA?;");
    EXPECT_EQ(bench.reply("AT12;"), "AT?;");
    EXPECT_EQ(bench.reply("FN3050;"), "FN?;");
    EXPECT_EQ(bench.reply("TS40954095150037x0;"), "TS?;");
    EXPECT_EQ(bench.reply("CM2,5;"), "CM?;");
    EXPECT_EQ(bench.reply("CM12.5;"), "CM?;") << "does not fit the 11 characters of the EEPROM page";
    EXPECT_EQ(bench.reply("XY;"), "XY?;");
    EXPECT_EQ(bench.reply(";"), "???;");
    EXPECT_EQ(bench.settings().antenna, 1);
    bench.control("clear-received");

    // Frames without a good lower-case checksum get no reply and are not recorded.
    EXPECT_TRUE(bench.emulator.onFrame("00ST;", kStart).empty());
    EXPECT_TRUE(bench.emulator.onFrame("4DST;", kStart).empty()) << "the controller writes lower case";
    EXPECT_TRUE(bench.emulator.onFrame("4d", kStart).empty());
    EXPECT_EQ(bench.emulator.onFrame("4dST;", kStart).size(), 1u);
    EXPECT_EQ(bench.control("received"), "ok ST;");
}

TEST(AmpEmulatorState, SettingsAreKeptAndShownInTheStatus) {
    Bench bench;
    for (std::string_view command : {"SA3;", "AT11;", "AN2;", "TS0100020003000400;"}) bench.reply(command);
    EXPECT_EQ(bench.settings().antenna, 3);
    EXPECT_EQ(bench.settings().thresholds, (std::array<int, 4>{100, 200, 300, 400}));
    amp::StatusReply status = bench.status();
    EXPECT_EQ(status.status0, 0x8 | 0x4 | 0x1);
    EXPECT_EQ(status.status & 0x8, 0);
    bench.reply("AT01;");
    bench.reply("AB1;");
    status = bench.status();
    EXPECT_EQ(status.status0 & 0xC, 0x4);
    EXPECT_EQ(status.status & 0x8, 0x8);
    bench.reply("AB0;");
    EXPECT_EQ(bench.status().status & 0x8, 0);
    EXPECT_TRUE(bench.stateHas(" antenna=3 antenna_in=2 attenuator=01 bypass=0 "));
}

TEST(AmpEmulatorModel, KeyedDriveGivesForwardPowerWithGainAndSaturation) {
    Bench bench;
    amp::StatusReply idle = bench.status();
    EXPECT_EQ(idle.status & 1, 0);
    EXPECT_EQ(idle.forward + idle.powerIn + idle.current, 0);

    bench.control("key 0.25 14074000");
    amp::StatusReply small = bench.status();
    EXPECT_EQ(small.status & 1, 1);
    EXPECT_EQ(small.status3 & 8, 8);
    EXPECT_NEAR(inputW(small), 0.25, 0.01);
    EXPECT_NEAR(10 * std::log10(forwardW(small) / 0.25), 13.0, 0.2) << forwardW(small);

    bench.control("key 20 14074000");
    amp::StatusReply saturated = bench.status();
    EXPECT_NEAR(forwardW(saturated), 60.0, 0.5);
    EXPECT_NEAR(*saturated.peak, std::sqrt(60.0 / 5.156579e-06), 2.0);
}

TEST(AmpEmulatorModel, PadsReduceTheDriveAndByPassPassesItThrough) {
    Bench bench;
    bench.control("key 0.2 7100000");
    float open = forwardW(bench.status());
    bench.reply("AT10;");
    EXPECT_NEAR(10 * std::log10(open / forwardW(bench.status())), 3.0, 0.2);
    bench.reply("AT11;");
    EXPECT_NEAR(10 * std::log10(open / forwardW(bench.status())), 5.0, 0.2);

    bench.reply("AB1;");
    bench.control("key 5 7100000");
    amp::StatusReply bypassed = bench.status();
    EXPECT_NEAR(forwardW(bypassed), 5.0, 0.1);
    EXPECT_EQ(bypassed.current, 0);
    EXPECT_EQ(bypassed.status & 0x9, 0x8) << "in by-pass, not transmitting through the stage";
    EXPECT_EQ(bypassed.status3 & 8, 8);
}

TEST(AmpEmulatorModel, LoadSwrSetsTheReflectedShareAndTheSwrAlarm) {
    Bench bench;
    EXPECT_EQ(bench.control("load swr 2.0"), "ok load swr 2.00 (11.1 % reflected)");
    bench.control("key 1 14100000");
    amp::StatusReply status = bench.status();
    EXPECT_NEAR(amp::swrFromPowers(forwardW(status), reflectedW(status)), 2.0, 0.05);
    EXPECT_EQ(status.status & 2, 0);
    bench.control("load swr 3.5");
    EXPECT_EQ(bench.status().status & 2, 2);
    bench.control("unkey");
    EXPECT_EQ(bench.status().status & 2, 0);
    EXPECT_EQ(sim::reflectedFraction(1.0), 0.0);
}

// "MT1" with this setting, as the controller sends it.
std::string tunePayload(int32_t c, int32_t l, uint32_t modeBit) {
    char text[16];
    std::snprintf(text, sizeof text, "MT1%08X;", tuner::withInductor(tuner::withCapacitor(modeBit, c), l));
    return text;
}

TEST(AmpEmulatorTuner, TheTuneWordSetsTheNetworkThatTheReflectionAndTheAlarmFollow) {
    Bench bench;
    EXPECT_EQ(bench.control("load z 12.5 0"), "ok load z 12.50 0.00 ohms (swr 4.00 on its own)");
    bench.control("key 5 7100000");
    amp::StatusReply mismatched = bench.status();
    EXPECT_NEAR(amp::swrFromPowers(forwardW(mismatched), reflectedW(mismatched)), 4.0, 0.15);
    EXPECT_EQ(mismatched.status & 3, 3) << "full drive into SWR 4 in by-pass";

    EXPECT_EQ(bench.reply(tunePayload(154, 9, core::tuneValue::NetworkCL)), "MT;");
    amp::StatusReply matched = bench.status();
    EXPECT_LT(amp::swrFromPowers(forwardW(matched), reflectedW(matched)), 1.2);
    EXPECT_EQ(matched.status & 3, 1);
    EXPECT_TRUE(bench.stateHas(" tuner_c=154 tuner_l=9 tuner_mode=CL "));
    EXPECT_TRUE(bench.stateHas(" load=z:12.50,0.00 swr_hz=7100000 load_swr=4.00 network_swr=1.0"));

    bench.reply(tunePayload(154, 9, core::tuneValue::NetworkLC));
    EXPECT_EQ(bench.status().status & 3, 3) << "the same parts the wrong way round";
    bench.control("key 0.2 7100000");
    amp::StatusReply weak = bench.status();
    EXPECT_GT(amp::swrFromPowers(forwardW(weak), reflectedW(weak)), 3.0);
    EXPECT_EQ(weak.status & 3, 1) << "too little comes back from a weak carrier to raise the alarm";

    bench.control("reset");
    EXPECT_TRUE(bench.stateHas(" tuner_c=0 tuner_l=0 tuner_mode=bypass "))
        << "the relays come back to their power-on by-pass";
}

TEST(AmpEmulatorModel, HeatSinksRiseWithDissipationAndFallWithTheFan) {
    Bench bench;
    EXPECT_NEAR(amp::CalcolaTemp(bench.status().sensor1), 25.0, 0.1);
    bench.control("key 10 14074000");
    bench.now += 600s;
    float hot = amp::CalcolaTemp(bench.status().sensor1);
    float hot2 = amp::CalcolaTemp(bench.status().sensor2);
    EXPECT_GT(hot, 60.0f);
    EXPECT_GT(hot2, 40.0f);
    EXPECT_LT(hot2, hot) << "sensor 2 sees less of the heat, more slowly";
    bench.reply("FN1100;");
    bench.now += 600s;
    float cooled = amp::CalcolaTemp(bench.status().sensor1);
    EXPECT_LT(cooled, hot - 20);
    EXPECT_GT(cooled, 25.0f) << "still transmitting";
    bench.control("unkey");
    bench.now += 3600s;
    EXPECT_NEAR(amp::CalcolaTemp(bench.status().sensor1), 25.0, 0.2);
}

TEST(AmpEmulatorModel, TimeScaleRunsTheHeatSinksFaster) {
    Emulator fast({}, 10.0, kStart), slow({}, 1.0, kStart);
    for (Emulator* emulator : {&fast, &slow})
        EXPECT_EQ(sim::runControlCommand(*emulator, "key 10 14074000", kStart),
                  "ok keyed 10.00 W at 14074000 Hz");
    fast.advanceTo(kStart + 60s);
    slow.advanceTo(kStart + 600s);
    double fastT = fast.model().read(fast.commands().settings()).temperature1;
    EXPECT_GT(fastT, 60.0);
    EXPECT_DOUBLE_EQ(fastT, slow.model().read(slow.commands().settings()).temperature1);
}

TEST(AmpEmulatorModel, ForcedTemperaturesReadBackAsGivenUntilAuto) {
    Bench bench;
    EXPECT_EQ(bench.control("temp 71.5 45"), "ok temperatures forced to 71.50 and 45.00 C");
    amp::StatusReply status = bench.status();
    EXPECT_NEAR(amp::CalcolaTemp(status.sensor1), 71.5, 0.1);
    EXPECT_NEAR(amp::CalcolaTemp(status.sensor2), 45.0, 0.1);
    bench.control("temp auto");
    EXPECT_NEAR(amp::CalcolaTemp(bench.status().sensor1), 25.0, 0.1);
    EXPECT_EQ(bench.control("temp 20"), "error usage: temp <sensor1> <sensor2> | temp auto");
}

TEST(AmpEmulatorModel, ExceededThresholdsLatchProtectionUntilCleared) {
    Bench bench;
    bench.control("key 5 14074000");
    bench.reply("TS4095100040954095;");  // forward limit well under the ~60 W output
    amp::StatusReply tripped = bench.status();
    EXPECT_EQ(tripped.prot, 0x04);
    EXPECT_EQ(tripped.status & 0xD, 0x4 | 0x8) << "protection, stage out of line, by-pass";
    EXPECT_NEAR(forwardW(tripped), 5.0, 0.1);
    EXPECT_EQ(tripped.current, 0);
    bench.reply("TS4095409540954095;");
    EXPECT_EQ(bench.status().prot, 0x04) << "latched";
    bench.reply("CPFFFF;");
    amp::StatusReply cleared = bench.status();
    EXPECT_EQ(cleared.prot, 0);
    EXPECT_EQ(cleared.status & 0xD, 0x1);

    bench.reply("TS0100409540954095;");
    EXPECT_EQ(bench.status().prot, 0x20) << "input power";
    bench.reply("TS4095409540950500;");
    bench.reply("CPFFFF;");
    EXPECT_EQ(bench.status().prot, 0x01) << "drain current";
    bench.reply("TS4095409501004095;");
    bench.control("load swr 3");
    bench.reply("CPFFFF;");
    EXPECT_EQ(bench.status().prot, 0x02) << "reflected";
}

TEST(AmpEmulatorModel, ForcedProtectionAndMicroResetShowInTheProtectionDigitsAndAHeldResetAnswersNothing) {
    Bench bench;
    EXPECT_EQ(bench.control("protect 40"), "ok protection bits 40");
    std::string payload = bench.reply("ST;");
    EXPECT_EQ(payload.substr(28, 2), "04") << "low nibble first";
    bench.reply("CPFFFF;");
    EXPECT_EQ(bench.status().prot, 0x40) << "forced bits stay until protect 0";
    bench.control("protect 0");
    EXPECT_EQ(bench.status().prot, 0);

    bench.reply("SA2;");
    bench.reply("AT11;");
    EXPECT_EQ(bench.control("reset"), "ok microcontroller reset");
    amp::StatusReply reset = bench.status();
    EXPECT_EQ(reset.prot, 0x80);
    EXPECT_EQ(reset.status & 4, 0) << "a reset is not a protection trip";
    EXPECT_EQ(bench.settings().antenna, 1) << "power-on settings";
    EXPECT_FALSE(bench.settings().pad3dB);
    bench.reply("MR0;");
    EXPECT_EQ(bench.status().prot, 0);

    // Held in reset the micro answers nothing but its release.
    bench.reply("SA2;");
    EXPECT_EQ(bench.reply("MR1;"), "MR1;");
    EXPECT_TRUE(bench.send("ST;").empty());
    EXPECT_TRUE(bench.send("SA3;").empty());
    EXPECT_EQ(bench.reply("MR0;"), "MR0;");
    EXPECT_EQ(bench.settings().antenna, 1) << "restarted from power-on";
    EXPECT_EQ(bench.status().prot, 0);
}

TEST(AmpEmulatorFaults, EachFaultHitsTheNextRepliesOncePerCount) {
    Bench bench;
    EXPECT_EQ(bench.control("fault drop 2"), "ok fault drop for the next 2 replies");
    EXPECT_TRUE(bench.send("ST;").empty());
    EXPECT_TRUE(bench.send("ST;").empty());
    EXPECT_EQ(bench.send("ST;").size(), 1u);

    bench.control("fault delay");
    auto delayed = bench.send("VSM;");
    ASSERT_EQ(delayed.size(), 1u);
    EXPECT_EQ(delayed[0].delay, 2000ms);
    EXPECT_EQ(bench.send("VSM;").at(0).delay, 0ms);

    EXPECT_EQ(bench.control("fault crc"), "ok fault crc for the next reply");
    EXPECT_EQ(amp::checkFrame(bench.send("ST;").at(0).bytes).status, amp::FrameStatus::BadCrc);
    EXPECT_EQ(bench.reply("ST;").size(), 37u);

    bench.control("fault refuse 1");
    EXPECT_EQ(amp::checkFrame(bench.send("ST;").at(0).bytes).payload, "ST?;");

    bench.control("fault garbage");
    std::string garbage = bench.send("ST;").at(0).bytes;
    EXPECT_GE(garbage.size(), 16u);
    EXPECT_EQ(garbage.find(';'), std::string::npos);

    bench.control("fault long");
    auto longLine = bench.send("ST;");
    ASSERT_EQ(longLine.size(), 2u);
    EXPECT_EQ(longLine[0].bytes.size(), 600u);
    EXPECT_EQ(longLine[0].bytes.find(';'), std::string::npos);
    EXPECT_EQ(amp::checkFrame(longLine[1].bytes).status, amp::FrameStatus::Good);

    bench.control("fault drop 5");
    EXPECT_EQ(bench.control("fault none"), "ok no faults");
    EXPECT_EQ(bench.send("ST;").size(), 1u);
}

TEST(AmpEmulatorFaults, LowerCaseChecksumWaitsForAReplyWhoseChecksumHasALetter) {
    // One reply whose checksum is two decimal digits and one with a hex letter.
    std::string digitsOnly, withLetter;
    for (std::string_view reply : {"SA1;", "SA2;", "SA3;", "AB0;", "AB1;", "AN0;", "AN1;", "AN2;"}) {
        uint8_t crc = amp::crc8(reply);
        bool letter = (crc >> 4) > 9 || (crc & 0xF) > 9;
        (letter ? withLetter : digitsOnly) = reply;
    }
    ASSERT_FALSE(digitsOnly.empty());
    ASSERT_FALSE(withLetter.empty());
    Bench bench;
    bench.control("fault lowercase");
    EXPECT_EQ(amp::checkFrame(bench.send(digitsOnly).at(0).bytes).status, amp::FrameStatus::Good);
    EXPECT_TRUE(bench.stateHas("fault=lowercase fault_left=1"));
    std::string frame = bench.send(withLetter).at(0).bytes;
    EXPECT_EQ(amp::checkFrame(frame).status, amp::FrameStatus::BadCrc);
    EXPECT_EQ(amp::checkFrame(frame, amp::HexCase::Lower).status, amp::FrameStatus::Good);
    EXPECT_EQ(amp::checkFrame(bench.send(withLetter).at(0).bytes).status, amp::FrameStatus::Good);
}

TEST(AmpEmulatorControl, BadArgumentsAreRefusedWithTheirUsageAndChangeNothing) {
    Bench bench;
    const std::string drive = "error drive power must be 0 to 1000 W";
    const std::string zUsage = "error usage: load z <R> <X> (ohms)";
    const std::string range =
        "error R must be above 0 and at most 1000000 ohms, X from -1000000 to 1000000 ohms";
    const std::string dipole = "error usage: load dipole <resonant hz, 1 to 2147483647>";
    const std::string load = "error usage: load swr <value> | load z <R> <X> | load dipole <hz>";
    for (auto [command, reply] : std::initializer_list<std::pair<std::string_view, std::string_view>>{
             {"key 5", "error no frequency: give <hz>, no \"FA\" has set one"},
             {"key -1 7000000", drive},
             {"key nan 7000000", drive},
             {"key 5 7e6", "error frequency must be 1 to 2147483647 Hz"},
             {"load swr 0.5", "error usage: load swr <value of 1.0 or more>"},
             {"load swr 30000", "error load swr must be 20000 or less"},
             {"load z 50", zUsage},
             {"load z 50 j10", zUsage},
             {"load z 0 10", range},
             {"load z 50 -2e6", range},
             {"load dipole 0", dipole},
             {"load dipole 7.1e6", dipole},
             {"load", load},
             {"load ohms 50", load},
             {"protect 1FF", "error usage: protect <hexbits 0 to FF>"},
             {"fault smoke", "error unknown fault: smoke"},
             {"fault crc 0", "error the count must be 1 to 1000000"},
             {"", "error empty command (try help)"},
             {"bogus\x01 x", "error unknown command: bogus\\x01 x (try help)"}}) {
        EXPECT_EQ(bench.control(command), reply) << command;
    }
    EXPECT_TRUE(bench.stateHas(" keyed=0 "));
    EXPECT_TRUE(bench.stateHas(" load=z:50.00,0.00 swr_hz=0 load_swr=- network_swr=- "))
        << "no frequency to evaluate at yet";
    EXPECT_TRUE(bench.stateHas(" protection=00 fault=none fault_left=0"));
}

TEST(AmpEmulatorControl, CommandsSetTheLoadAndTheCarrierAndListWhatWasReceived) {
    Bench bench;
    EXPECT_EQ(bench.control("help").rfind("ok key <watts> [hz]", 0), 0u);
    EXPECT_EQ(bench.control("load dipole 14200000"),
              "ok load dipole resonant at 14200000 Hz (70 ohms there)");
    bench.reply("FA00014200000;");
    EXPECT_TRUE(bench.stateHas(" load=dipole:14200000 swr_hz=14200000 load_swr=1.40 network_swr=1.40 "));
    EXPECT_EQ(bench.control("load swr 2.5"), "ok load swr 2.50 (18.4 % reflected)");
    EXPECT_TRUE(bench.stateHas(" load=z:125.00,0.00 "));
    bench.reply("FA00021200000;");
    EXPECT_EQ(bench.control("key 5"), "ok keyed 5.00 W at 21200000 Hz");

    bench.reply("VSM;");
    bench.reply("ER0000;");
    EXPECT_EQ(bench.control("received"), "ok FA00014200000; FA00021200000; VSM; ER0000;");
    EXPECT_EQ(bench.control("clear-received"), "ok cleared");
    EXPECT_EQ(bench.control("received"), "ok");

    std::string state = bench.control("state");
    for (std::string_view field :
         {"ok model=60 region=eu ", " keyed=1 drive=5.00 keyed_hz=21200000 ", " fa_hz=21200000 ",
          " thresholds=4095,4095,4095,4095 ", " fault=none fault_left=0"})
        EXPECT_TRUE(bench.stateHas(field));
    EXPECT_EQ(state.find('\n'), std::string::npos);
    EXPECT_EQ(state.find(" frequency="), std::string::npos) << "which frequency: the FA one or the carrier's";
}

TEST(AmpEmulatorCounts, ReadingsConvertBackThroughTheControllersCalibration) {
    for (double watts : {0.01, 0.05, 0.4, 1.0, 10.0, 55.0}) {
        int counts = sim::powerCounts(watts, sim::kForwardCalibration);
        EXPECT_NEAR(amp::CalcolaWatt(140, static_cast<uint32_t>(counts), 5.156579e-06f), watts,
                    watts * 0.01 + 0.0015)
            << watts;
    }
    EXPECT_EQ(sim::powerCounts(1000.0, sim::kForwardCalibration), sim::kAdcFull);
    EXPECT_EQ(sim::powerCounts(0.0, sim::kForwardCalibration), 0);
    for (double celsius : {-10.0, 0.0, 24.9, 47.3, 99.0}) {
        EXPECT_NEAR(amp::CalcolaTemp(static_cast<uint16_t>(sim::temperatureCounts(celsius))), celsius, 0.05)
            << celsius;
    }
    EXPECT_EQ(amp::CalcolaTemp(static_cast<uint16_t>(sim::temperatureCounts(150.0))), 101.0f);
    EXPECT_EQ(amp::CalcolaTemp(static_cast<uint16_t>(sim::temperatureCounts(-30.0))), -10.0f);
    EXPECT_EQ(sim::currentCounts(14.05), 4095);
}

// The defaults under --root alone are shown by the emulator's process test.
TEST(AmpEmulatorOptions, ModelRegionAndTimeScaleAreReadAndBadArgumentsAreRejected) {
    std::string error;
    auto options = sim::parseEmulatorOptions({"--root", "/r", "--model", "120", "--region", "usa",
                                              "--time-scale", "50", "--verbose", "--control-stdin"},
                                             error);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->identity.ratedWatts, 120);
    EXPECT_TRUE(options->identity.usaRegion);
    EXPECT_EQ(options->timeScale, 50.0);
    EXPECT_FALSE(sim::parseEmulatorOptions({"--device", "/dev/x"}, error));
    EXPECT_EQ(error, "--root is required");
    EXPECT_FALSE(sim::parseEmulatorOptions({"--root", "/r", "--model", "100"}, error));
    EXPECT_FALSE(sim::parseEmulatorOptions({"--root", "/r", "--time-scale", "0"}, error));
    EXPECT_FALSE(sim::parseEmulatorOptions({"--root", "/r", "--device", "ttyAMA0"}, error));
    EXPECT_FALSE(sim::parseEmulatorOptions({"--root"}, error));
    EXPECT_EQ(error, "--root needs a value");
    EXPECT_FALSE(sim::parseEmulatorOptions({"--root", "/r", "--verbos"}, error));
    EXPECT_EQ(error, "unknown argument --verbos");
}

}  // namespace
