#include "amp/reply_decoder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "amp/measurements.h"
#include "amp/reply_match.h"
#include "core/amp_commands.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "test_station.h"

using testing_support::TestStation;

namespace {

namespace cmd = core::cmd;
namespace err = core::err;

// A status reply; the defaults are an idle amplifier at room temperature.
struct Status {
    char status0 = '0', status = '0';
    int powerIn = 0, forward = 0, reflected = 0, current = 0, sensor1 = 2048, sensor2 = 2048;
    char protLow = '0', protHigh = '0', status3 = '0';
    int peak = 0;

    [[nodiscard]] std::string text() const {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "ST%c%c%04d%04d%04d%04d%04d%04d%c%c%c0%04d;", status0, status,
                      powerIn, forward, reflected, current, sensor1, sensor2, protLow, protHigh, status3,
                      peak);
        return buffer;
    }
};

// Bytes as the amplifier's hex pairs, padded with zero bytes to size.
std::string hexBytes(const std::string& bytes, size_t size) {
    std::string text;
    char pair[3];
    for (size_t i = 0; i < size; ++i) {
        std::snprintf(pair, sizeof pair, "%02X",
                      i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0u);
        text += pair;
    }
    return text;
}

class ReplyDecoderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        core::InitErrorDescriptors(works);
        works.errorsHeld = 0;
    }
    std::chrono::milliseconds decode(const std::string& payload) {
        return amp::DecodeCatCmd(works, payload, static_cast<int>(payload.size()) + 2);
    }
    std::chrono::milliseconds decode(const Status& status) { return decode(status.text()); }
    void lastSent(const char* letters, int32_t code) {
        works.lastCmdName[0] = letters[0];
        works.lastCmdName[1] = letters[1];
        works.lastCmdCode = code;
    }
    bool listed(int code) { return core::ExistError(works, code) == 1; }
    std::string line2(int code) const { return works.errors.descriptor(code).line2; }
    bool logged(const char* text) const { return station.log.contains(text); }

    TestStation station;
    core::Works& works = station.works;
};

TEST_F(ReplyDecoderTest, StatusReplyFillsTheMeasurementsWithoutNegativeReflection) {
    decode(Status{
        .powerIn = 300, .forward = 2000, .reflected = 500, .current = 1234, .sensor2 = 1000, .status3 = '8'});

    EXPECT_EQ(works.ampStatus3, 8);
    EXPECT_EQ(works.adcPowerIn, 300);
    EXPECT_EQ(works.adcFwd, 2000);
    EXPECT_EQ(works.adcRefl, 500);
    // Factory coefficients: k x counts^2, the reflected power less 0.7 % of the forward.
    EXPECT_NEAR(works.powerIn, 0.4957f, 1e-3f);
    EXPECT_NEAR(works.powerFwd, 20.626f, 1e-2f);
    EXPECT_NEAR(works.powerRefl, 0.6872f, 1e-3f);
    EXPECT_NEAR(works.swr, 1.4466f, 1e-3f);
    EXPECT_FLOAT_EQ(works.currentRaw, 1234.0f);
    EXPECT_FLOAT_EQ(works.temperature1, amp::CalcolaTemp(2048));
    EXPECT_NEAR(works.temperature2, 53.3f, 0.1f);
    EXPECT_EQ(works.linearProcessStatus, cmd::FrequencyPoll);  // idle link: the frequency poll follows

    // Reflected power below its correction is zero.
    decode(Status{.forward = 2000});
    EXPECT_FLOAT_EQ(works.powerRefl, 0.0f);
    EXPECT_FLOAT_EQ(works.swr, 1.0f);
}

TEST_F(ReplyDecoderTest, FirstTemperatureIsTakenAsItIsThenSmoothed) {
    decode(Status{});
    float first = works.temperature1;
    EXPECT_FLOAT_EQ(first, amp::CalcolaTemp(2048));
    decode(Status{.sensor1 = 1000});
    EXPECT_FLOAT_EQ(works.temperature1, (9.0f * first + amp::CalcolaTemp(1000)) / 10.0f);
}

TEST_F(ReplyDecoderTest, ProtectionDigitsNameTheCauseOfTheProtectionError) {
    struct Case {
        char protLow, protHigh;
        int32_t prot;
        const char* cause;
    };
    // 0x09 has bits 0 and 3: the higher names the cause.
    for (Case c : {Case{'1', '0', 0x01, "I OUT"}, Case{'9', '0', 0x09, "SENS PW"},
                   Case{'0', '1', 0x10, "FILTER TX"}}) {
        decode(Status{.protLow = c.protLow, .protHigh = c.protHigh});
        EXPECT_EQ(works.ampProt, c.prot) << c.cause;
        EXPECT_TRUE(listed(err::AmpProtection)) << c.cause;
        EXPECT_EQ(line2(err::AmpProtection), c.cause);
    }
}

TEST_F(ReplyDecoderTest, BandBitRaisesTheBandWarningInsteadOfTheProtectionError) {
    decode(Status{.protLow = '1', .protHigh = '4'});
    EXPECT_TRUE(listed(err::BandProtection));
    EXPECT_FALSE(listed(err::AmpProtection));
}

TEST_F(ReplyDecoderTest, ClearedProtectionDeletesTheProtectionErrorAndEndsTheReset) {
    decode(Status{.protLow = '2'});
    ASSERT_TRUE(listed(err::AmpProtection));
    works.protFlags |= core::protFlags::DisplayCleared;  // the operator reset the protection
    decode(Status{});
    EXPECT_FALSE(listed(err::AmpProtection));
    EXPECT_EQ(works.protFlags & (core::protFlags::Tripped | core::protFlags::DisplayCleared), 0);
}

TEST_F(ReplyDecoderTest, InputPowerAndSwrAlarms) {
    decode(Status{.status = '2', .protHigh = '2'});
    EXPECT_TRUE(listed(err::InputPower));
    EXPECT_TRUE(listed(err::Swr));
    decode(Status{});
    EXPECT_FALSE(listed(err::Swr));
    EXPECT_TRUE(listed(err::InputPower));  // the input-power warning stays until the operator clears it
}

TEST_F(ReplyDecoderTest, MicroResetIsReportedOncePerRelease) {
    using core::microResetFlags::ErrorRaised, core::microResetFlags::Reported;
    decode("MR0;");
    EXPECT_EQ(works.microResetFlags, Reported);
    const Status status{.protHigh = '8'};
    decode(status);
    EXPECT_LT(works.ampProt, 0);
    EXPECT_TRUE(listed(err::MicroReset));
    EXPECT_EQ(works.microResetFlags, Reported | ErrorRaised);
    core::DeleteErrore(works, err::MicroReset);
    decode(status);
    EXPECT_FALSE(listed(err::MicroReset));
    decode("MR1;");
    EXPECT_EQ(works.microResetFlags, Reported | ErrorRaised);
    decode("MR0;");
    EXPECT_EQ(works.microResetFlags, Reported);
    EXPECT_TRUE(logged("RESET MICRO ----------------------------------  1\n"));
}

TEST_F(ReplyDecoderTest, FollowsByPassAndPadsTheAmplifierSetItself) {
    works.bypass = 0;
    decode(Status{.status0 = 'C', .status = '8'});
    EXPECT_EQ(works.bypass, 1);
    EXPECT_TRUE(logged("--------------- AMPL ERRORE : bypass on ST"));
    EXPECT_EQ(works.attenuator, 3);
    EXPECT_EQ(works.attenuatorAmp, 3);
    EXPECT_EQ(works.attenuatorKey, 3);
    EXPECT_TRUE(logged("STATE DA ERRORE : attenuatore 3dB=on 2dB=on\n"));

    works.attenuator = 1;  // a change of ours is in flight: the reply is older than it
    decode(Status{.status0 = '4'});
    EXPECT_EQ(works.bypass, 0);
    EXPECT_EQ(works.attenuator, 1);
    EXPECT_EQ(works.attenuatorAmp, 3);
}

TEST_F(ReplyDecoderTest, PeakPowerIsCappedByModel) {
    works.EnablePwrPeak = 1;
    decode(Status{.peak = 1000});
    EXPECT_NEAR(works.powerFwdPeak, 5.1566f, 1e-3f);
    decode(Status{.peak = 9999});
    EXPECT_FLOAT_EQ(works.powerFwdPeak, 70.0f);
    works.ampModelFlag = '1';
    decode(Status{.peak = 9999});
    EXPECT_FLOAT_EQ(works.powerFwdPeak, 130.0f);
}

TEST_F(ReplyDecoderTest, StatusReplyTakesTheNextCommandByTuneStateAndEndsTheErrorResetPhase) {
    works.cmdRing.push(cmd::Attenuator);
    decode(Status{});
    EXPECT_EQ(works.linearProcessStatus, cmd::Attenuator);
    EXPECT_TRUE(works.cmdRing.empty());
    works.tuneState = 2;
    decode(Status{});
    EXPECT_EQ(works.linearProcessStatus, cmd::ClearProtections);
    EXPECT_EQ(works.tuneState, 1);
    works.resetPhase = 2;
    decode(Status{});
    EXPECT_EQ(works.resetPhase, 0);
    EXPECT_TRUE(logged(">>> ERRORI: End Gest Errori!!\n"));
}

TEST_F(ReplyDecoderTest, EachReplyNamesThePauseBeforeTheNextCommand) {
    struct Case {
        const char* what;
        std::string reply;
        uint8_t tuneState;
        int pauseMs;
    };
    const Case cases[] = {
        {"status reply", Status{}.text(), 0, 10},
        {"status reply while the tune reading settles", Status{}.text(), 3, 20},
        {"other reply", "VS1.23;", 0, 20},
        {"refused", "MT?;", 0, 20},
        {"unknown", "ZZ1;", 0, 20},
        {"too short", "S;", 0, 20},
    };
    for (const Case& c : cases) {
        works.tuneState = c.tuneState;
        works.retryCount = 0;
        EXPECT_EQ(decode(c.reply).count(), c.pauseMs) << c.what;
    }
}

TEST_F(ReplyDecoderTest, MalformedStatusReplyGoesToTheRetryPath) {
    lastSent("ST", cmd::Status);
    works.temperature1 = 30.0f;
    std::string shortReply = Status{}.text().substr(0, 20) + ";";
    decode(shortReply);
    std::string badDigit = Status{}.text();
    badDigit[10] = 'x';
    decode(badDigit);
    EXPECT_EQ(works.retryCount, 2);
    EXPECT_EQ(works.linearProcessStatus, cmd::Status);
    EXPECT_FLOAT_EQ(works.temperature1, 30.0f);
    EXPECT_TRUE(logged("---------------------------------------cmd non riconosciuto:ST"));
}

TEST_F(ReplyDecoderTest, RefusedAndUnknownRepliesAreRetried) {
    lastSent("MT", cmd::TuneWord);
    for (const char* reply : {"MT?;", "MT!;", "MT&;"}) {
        decode(reply);
        EXPECT_EQ(works.linearProcessStatus, cmd::TuneWord) << reply;
    }
    EXPECT_EQ(works.retryCount, 3);
    EXPECT_TRUE(logged("---------------------------------------CMD Errato:MT&;\n"));
    decode("ZZ1;");  // the fourth failure drops the command
    EXPECT_TRUE(logged("---------------------------------------cmd non riconosciuto:ZZ1;\n"));
    EXPECT_EQ(works.linearProcessStatus, cmd::Status);
    EXPECT_EQ(works.retryTotal, 4);
    EXPECT_TRUE(listed(err::Communication));
    EXPECT_EQ(line2(err::Communication), "Err MT");
}

TEST_F(ReplyDecoderTest, MeasuredFrequencyKeepsTheLastCarrier) {
    struct Case {
        const char* reply;
        int32_t frequency;
        int32_t retries;
    };
    const Case cases[] = {
        {"FM000014074000;", 14074000, 0},
        {"FM000000000000;", 14074000, 0},  // no carrier
        {"FM0-0000000005;", 14074000, 0},
        {"FM099999999999;", 14074000, 0},  // beyond any frequency the field can hold
        {"FM00001407400x;", 14074000, 1},  // garbled: asked again
        {"FM01407400;", 14074000, 2},
    };
    for (const Case& c : cases) {
        decode(c.reply);
        EXPECT_EQ(works.ampFrequency, c.frequency) << c.reply;
        EXPECT_EQ(works.retryTotal, c.retries) << c.reply;
    }
}

TEST_F(ReplyDecoderTest, GeneralSettings) {
    decode("GS0123456789;");
    EXPECT_EQ(works.genSettings.get(), "0123456789");
    EXPECT_FALSE(logged("ERRORE!! Impostazioni Generali\n"));
    decode("GS01234;");
    EXPECT_EQ(works.genSettings.get(), "01234");
    EXPECT_TRUE(logged("ERRORE!! Impostazioni Generali\n"));
    EXPECT_TRUE(logged("Impostazioni Generali : 01234 (GS01234;)\n"));
}

TEST_F(ReplyDecoderTest, AntennaAttenuatorByPassVersionAndClearProtectionsRepliesAndTheAntennasRange) {
    decode("SA2;");
    EXPECT_EQ(works.NumAntenna, 1);
    works.carrierControl = core::carrierControl::AntennaInputCleared;
    decode("AN0;");
    EXPECT_EQ(works.antennaIn, 0);
    EXPECT_EQ(works.carrierControl,
              core::carrierControl::AntennaInputCleared | core::carrierControl::AntennaInputConfirmed);
    EXPECT_TRUE(logged("N Used Antenna: 1\n"));
    decode("AT10;");
    EXPECT_EQ(works.attenuatorAmp, 2);
    decode("AT2;");
    EXPECT_EQ(works.attenuatorAmp, 2);
    works.bypass = 1;
    decode("AB0;");
    EXPECT_EQ(works.bypass, 0);
    decode("VSM01.27ab;");
    EXPECT_EQ(works.fwVersion.get(), "01.27ab");
    works.errorsHeld = core::errorsHeld::Held;
    decode("CP;");
    EXPECT_EQ(works.errorsHeld, 0) << "clearing the protections starts recording errors";
    EXPECT_EQ(works.retryTotal, 0);

    // An antenna outside the setup's range is refused.
    decode("SA4;");
    EXPECT_EQ(works.NumAntenna, 3);
    EXPECT_EQ(works.retryTotal, 0);
    decode("SA0;");
    decode("SA5;");
    EXPECT_EQ(works.NumAntenna, 3);
    EXPECT_EQ(works.retryTotal, 2);
}

TEST_F(ReplyDecoderTest, EepromIdentityPagesAndTheirRetries) {
    decode("ER0000" + hexBytes("SN-2024-0042", 32) + ";");
    EXPECT_EQ(works.serialNumber.get(), "SN-2024-0042");
    decode("ER0001" + hexBytes("Example Radio Works", 32) + ";");
    EXPECT_EQ(works.companyName.get(), "Example Radio Works");
    decode("ER0002" + hexBytes(std::string("01") + "1.03", 8) + ";");
    EXPECT_EQ(works.ampRegionFlag, '0');
    EXPECT_EQ(works.ampModelFlag, '1');
    EXPECT_EQ(works.hwVersion.get(), "1.03");
    EXPECT_EQ(works.number_ofStep_meter_FWD, 120);
    decode("ER0002" + hexBytes(std::string("10") + "1.03", 8) + ";");
    EXPECT_EQ(works.number_ofStep_meter_FWD, 60);
    EXPECT_EQ(works.retryTotal, 0);

    // An incomplete or non-hex page is asked again.
    works.serialNumber.set("kept");
    decode("ER0000" + hexBytes("SN", 31) + ";");
    std::string nonHex = "ER0000" + hexBytes("SN", 32) + ";";
    nonHex[6] = 'G';
    decode(nonHex);
    EXPECT_EQ(works.serialNumber.get(), "kept");
    EXPECT_EQ(works.retryTotal, 2);
}

TEST_F(ReplyDecoderTest, EepromMultiplierOnlyInsideItsRange) {
    // Read as the C library reads a number: leading blanks and a sign are allowed.
    for (const char* text : {"1.000500000", " 1.00050000", "+1.00050000"}) {
        works.calMultiplier = 0.0;
        decode("ER0003" + hexBytes(text, 11) + ";");
        EXPECT_DOUBLE_EQ(works.calMultiplier, 1.0005) << text;
    }
    EXPECT_TRUE(std::filesystem::exists(station.path("/opt/set/info.txt")));
    for (const char* text : {"2.000000000", "0.000000000", "-0.50000000", "abcdefghijk"}) {
        decode("ER0003" + hexBytes(text, 11) + ";");
        EXPECT_DOUBLE_EQ(works.calMultiplier, 1.0005) << text;
    }
    EXPECT_TRUE(logged("EE3: 1.000500000 (1.000500000 , ER0003"));
}

TEST(ReplyMatch, AReplyBelongsToTheCommandItAnswers) {
    struct Case {
        const char* letters;
        int32_t code;
        const char* reply;
        bool belongs;
    };
    const Case cases[] = {
        {"ST", 1, "ST0000;", true},       {"FM", 8, "ST0000;", false}, {"SF", 12, "FS;", true},
        {"SF", 12, "SF;", false},         {"SF", 28, "SF;", true},     {"ER", 43, "ER00033100;", true},
        {"ER", 43, "ER00023100;", false}, {"MR", 32, "MR0;", true},    {"FN", 23, "??&;", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(amp::replyBelongsTo(c.letters, c.code, c.reply), c.belongs) << c.reply;
}

}  // namespace
