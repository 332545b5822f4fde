#include "radio/aux_link.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>
#include <set>
#include <vector>

namespace {

using radio::QorParams;

std::array<uint8_t, 4> lengthField(const char* text) {
    return {static_cast<uint8_t>(text[0]), static_cast<uint8_t>(text[1]), static_cast<uint8_t>(text[2]),
            static_cast<uint8_t>(text[3])};
}

TEST(AuxLink, LengthFieldIsHexLeastSignificantFirstAndCut) {
    struct Case {
        const char* field;
        int length;
    } cases[] = {{"0010", 256}, {"0000", 0},     {"9000", 9},    {":000", 10},
                 {"?000", 15},  {"0?30", 0x3F0}, {"?>70", 1999}, {"????", 1999}};
    for (const Case& c : cases)
        EXPECT_EQ(radio::decodeCmdParameters(lengthField(c.field)), c.length) << c.field;
}

std::vector<uint8_t> bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int value : values) out.push_back(static_cast<uint8_t>(value));
    return out;
}

TEST(AuxLink, AHeaderIsTheTypesOwnMarkerAndFourLengthCharacters) {
    struct Case {
        uint8_t type;
        const char* header;
        bool consistent;
    } cases[] = {
        {1, "1?100", true},  {0, "0::40", true},  {0, "00000", true},
        {1, "1????", true},  {1, "0?100", false},  // the other type's marker
        {0, "1?100", false}, {2, "2?100", false},  // no message of that type has a known header
        {1, "1?1/0", false}, {1, "1?1@0", false},  // '/' and '@' lie either side of '0' to '?'
    };
    for (const Case& c : cases) {
        std::array<uint8_t, radio::kHeaderSize> header{};
        std::copy_n(c.header, header.size(), header.begin());
        EXPECT_EQ(radio::headerConsistent(c.type, header), c.consistent) << int(c.type) << c.header;
    }
}

TEST(AuxLink, AMessageEndsWholeOnlyWhereTheNextCanStart) {
    struct Case {
        std::vector<uint8_t> following;
        bool canStart;
    } cases[] = {
        {{}, true},  // the stream pauses: nothing tells otherwise
        {bytes({1}), true},
        {bytes({1, '1', '?'}), true},
        {bytes({0, '0', ':', ':', '4', '0', 0x80}), true},  // a header's worth is enough
        {bytes({14, 0x99}), true},                          // a type the link does not use
        {bytes({'5'}), false},                              // a data byte: the message ran into another
        {bytes({1, '0'}), false},
        {bytes({1, '1', '?', 0x7F}), false},
        {bytes({0, '0', ':', ':', '4', 0x2F}), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(radio::nextMessageCanStart(c.following), c.canStart) << c.following.size();
}

// A parameter block of len bytes: byte 0, the frequency as eight nibbles, then the given bytes.
std::vector<uint8_t> block(uint8_t first, uint32_t frequency, std::vector<uint8_t> rest = {}) {
    std::vector<uint8_t> bytes{first};
    for (int shift = 28; shift >= 0; shift -= 4)
        bytes.push_back(static_cast<uint8_t>(0x30 | ((frequency >> shift) & 0xF)));
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}

TEST(AuxLink, ANineByteBlockUpdatesOnlyTheFrequencyWords) {
    QorParams params;
    params.fill(77);
    radio::storeParameters(params, block(0x20, 14'250'000));  // receiver B active, block for A
    const std::set<size_t> changed{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 50, 51};
    for (size_t word = 0; word < params.size(); ++word)
        if (!changed.contains(word)) {
            EXPECT_EQ(params[word], 77) << word;
        }
    EXPECT_EQ(params[4], 14'250'000);
    EXPECT_EQ(params[5], 14'250'000);
    EXPECT_EQ(params[1], 1);
    EXPECT_EQ(params[8], 77) << "the previous block's active frequency";
    EXPECT_EQ(params[9], 77) << "receiver B's, unchanged";
}

TEST(AuxLink, FrequencyWordsFollowReceiverAndAlternative) {
    struct Case {
        uint8_t first, byte9;
        int32_t w3, w5, w6, w7;
    } cases[] = {
        {0x00, 0x80, 7'100'000, 7'100'000, 0, 0},  // A's block, A active
        {0x30, 0x80, 7'100'000, 0, 7'100'000, 0},  // B's block, B active
        {0x10, 0x80, 0, 0, 7'100'000, 0},          // B's block, A active
        {0x10, 0xA0, 7'100'000, 0, 7'100'000, 0},  // word 11 set: B's frequency is the active one
        {0x01, 0x80, 7'100'000, 0, 0, 7'100'000},  // the alternative frequency
    };
    for (const Case& c : cases) {
        QorParams params{};
        radio::storeParameters(params, block(c.first, 7'100'000, {c.byte9}));
        EXPECT_EQ(params[3], c.w3) << int(c.first) << " " << int(c.byte9);
        EXPECT_EQ(params[5], c.w5) << int(c.first);
        EXPECT_EQ(params[6], c.w6) << int(c.first);
        EXPECT_EQ(params[7], c.w7) << int(c.first);
    }
}

TEST(AuxLink, SettingsThatAreOffKeepTheirLevelNegative) {
    // Squelch in byte 11 (marker 01): 3, then off, off again, then 5.
    struct Step {
        uint8_t squelch;
        int32_t stored;
    } steps[] = {{3, 3}, {0, -3}, {0, -3}, {5, 5}};
    QorParams params{};
    for (const Step& step : steps) {
        radio::storeParameters(params, block(0, 1, {0x80, 0x40, static_cast<uint8_t>(0x40 | step.squelch)}));
        EXPECT_EQ(params[23], step.stored) << int(step.squelch);
    }
    QorParams fresh{};
    radio::storeParameters(fresh, block(0, 1, {0x80, 0x40, 0x40}));
    EXPECT_EQ(fresh[23], -1) << "off from the start: its default";
    // A wrong marker leaves the word alone.
    radio::storeParameters(fresh, block(0, 1, {0x80, 0x40, 0x85}));
    EXPECT_EQ(fresh[23], -1);
}

TEST(AuxLink, VolumeByteFillsTheWordItsSelectorNames) {
    struct Case {
        uint8_t byte10, volume;
        size_t word;
        int32_t value;
    } cases[] = {
        {0x40, 30, 42, 30}, {0x50, 40, 43, 40}, {0x60, 7, 44, 7}, {0x40, 0, 42, 50}, {0x60, 0, 44, 5}};
    for (const Case& c : cases) {
        QorParams params{};
        std::vector<uint8_t> rest(14, 0x00);
        rest[0] = 0x80;
        rest[1] = c.byte10;
        rest[12] = 211;
        rest[13] = c.volume;
        radio::storeParameters(params, block(0, 1, rest));
        EXPECT_EQ(params[c.word], c.value) << int(c.byte10) << " " << int(c.volume);
        EXPECT_EQ(params[46], 0);
    }
}

TEST(AuxLink, SpectrumOffsetsAreTwelveAndTwentyBitNibbleValues) {
    QorParams params{};
    std::vector<uint8_t> rest(17, 0x00);  // bytes 9-25
    rest[0] = 0x80;
    for (uint8_t& b : std::span(rest).subspan(14, 3)) b = 0x3A;  // bytes 23-25: 0xAAA
    rest.insert(rest.end(), {0x3F, 0x3F, 0x3F, 0x3F, 0x3E});     // bytes 26-30: 0xFFFFE = -2
    radio::storeParameters(params, block(0, 1, rest));
    EXPECT_EQ(params[45], 0xAAA);
    EXPECT_EQ(params[47], -2);
}

std::vector<uint8_t> ramp(size_t length) {
    std::vector<uint8_t> data(length);
    for (size_t i = 0; i < length; ++i) data[i] = static_cast<uint8_t>(i * 7);
    return data;
}

TEST(AuxLink, RemoteSpectrumIsTheLineRotatedByItsOffsets) {
    struct Case {
        int32_t mode, w45, w47;
        size_t length, sent, start;
    } cases[] = {
        {0, 0, 0, 1194, 1024, 85},
        {3, 900, 0, 1194, 1024, 85},       // offset 45 counts only in modes 4 and 6
        {6, 1500, 0, 1194, 1024, 92},      // 85 + 1500 * 0.005333 = 92.9995
        {4, 1500, 0, 1194, 1024, 77},      // 85 - 7.9995
        {0, 0, -30000, 1194, 1024, 949},   // s = -74.99 is negative: s + 1024
        {0, 0, -524288, 1194, 1024, 361},  // s + 1024 still negative: -1687 wraps to 361
        {0, 0, 0, 1500, 1024, 85},         // never more than the ring
        {0, 0, 0, 600, 430, 85},
        {0, 0, 0, 170, 0, 0},
    };
    for (const Case& c : cases) {
        QorParams params{};
        params[13] = c.mode;
        params[45] = c.w45;
        params[47] = c.w47;
        std::vector<uint8_t> data = ramp(c.length);
        std::vector<uint8_t> out = radio::remoteSpectrum(params, data);
        ASSERT_EQ(out.size(), c.sent) << c.mode << " " << c.w47;
        if (c.sent == 0) continue;
        EXPECT_EQ(out[0], c.start < c.length ? data[c.start] : 0) << c.mode << " " << c.w47;
    }
}

TEST(AuxLink, SpectrumValuesAreBytes85To938) {
    std::vector<uint8_t> data = ramp(1194);
    std::vector<float> values = radio::spectrumValues(data);
    ASSERT_EQ(values.size(), 854u);
    EXPECT_EQ(values[0], static_cast<float>(data[85]) - 192.0f);
    EXPECT_EQ(values[853], static_cast<float>(data[938]) - 192.0f);
    EXPECT_EQ(radio::spectrumValues(ramp(100)).size(), 15u);
}

}  // namespace
