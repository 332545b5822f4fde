#include "ui/text.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "test_station.h"

namespace {

constexpr const char* kSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kSansBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr const char* kSansOblique = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Oblique.ttf";
constexpr const char* kPtSans = "/usr/share/fonts/truetype/paratype/PTS55F.ttf";

constexpr std::array<uint8_t, 4> kGrey{0x40, 0x80, 0xC0, 0xFF};  // memory order: b, g, r, fourth byte

// An 800 x 480 grey back store with guard bytes on both sides of the frame.
class Frame {
  public:
    static constexpr uint32_t kWidth = 800, kHeight = 480, kSize = kWidth * kHeight * 4;
    static constexpr size_t kGuard = 64 * 1024;
    static constexpr uint8_t kGuardByte = 0xA5;

    Frame() : store_(kGuard + kSize + kGuard, kGuardByte) {
        fb.width = kWidth;
        fb.height = kHeight;
        fb.bytesPerPixel = 4;
        fb.lineLength = kWidth * 4;
        fb.size = kSize;
        fb.back = store_.data() + kGuard;
        for (uint32_t o = 0; o < kSize; o += 4) std::memcpy(fb.back + o, kGrey.data(), 4);
    }
    // Every pixel different, so a misplaced or doubled blend shows.
    void paintGradient() {
        for (int y = 0; y < static_cast<int>(kHeight); ++y)
            for (int x = 0; x < static_cast<int>(kWidth); ++x) {
                uint8_t* p = at(x, y);
                p[0] = static_cast<uint8_t>(x);
                p[1] = static_cast<uint8_t>(y);
                p[2] = static_cast<uint8_t>(x + 3 * y);
                p[3] = 0x80;
            }
    }
    uint8_t* at(int x, int y) { return fb.back + (y * static_cast<int>(kWidth) + x) * 4; }
    [[nodiscard]] std::vector<uint8_t> pixels() const { return {fb.back, fb.back + kSize}; }
    [[nodiscard]] bool guardsIntact() const {
        const std::vector<uint8_t> guard(kGuard, kGuardByte);
        return std::memcmp(store_.data(), guard.data(), kGuard) == 0 &&
               std::memcmp(store_.data() + kGuard + kSize, guard.data(), kGuard) == 0;
    }

    ui::FrameBuffer fb;

  private:
    std::vector<uint8_t> store_;
};

// Pixels a draw went over: the blend clears the fourth byte, which the grey
// background sets.
struct Box {
    int left = Frame::kWidth, right = -1, top = Frame::kHeight, bottom = -1;
};
Box touched(Frame& frame) {
    Box box;
    for (int y = 0; y < static_cast<int>(Frame::kHeight); ++y)
        for (int x = 0; x < static_cast<int>(Frame::kWidth); ++x)
            if (frame.at(x, y)[3] == 0) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

class SinkGuard {
  public:
    explicit SinkGuard(platform::LogSink* sink) : previous_(platform::setLogSink(sink)) {}
    ~SinkGuard() { platform::setLogSink(previous_); }

  private:
    platform::LogSink* previous_;
};

struct Utf8Case {
    const char* text;
    uint32_t codePoint;  // 0: invalid
    int consumed;
};

int decode(const char* text, int length, int& position, int& valid, uint32_t& codePoint) {
    return ui::utf8_get_next_char(reinterpret_cast<const unsigned char*>(text), length, &position, &valid,
                                  &codePoint);
}

// Well-formed characters of one to four bytes; bad lead bytes, overlong,
// surrogate and too-large forms consume one byte; truncated sequences consume
// the bytes accepted so far. (\x41 is an A after a bad sequence.)
TEST(Utf8Test, DecodesOneCharacterAndConsumesOnlyTheBytesAccepted) {
    const Utf8Case cases[] = {
        {"A", 0x41, 1},
        {"\xC3\xA9", 0xE9, 2},
        {"\xE2\x82\xAC", 0x20AC, 3},
        {"\xF0\x9F\x98\x80", 0x1F600, 4},
        {"\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
        {"\xED\x9F\xBF", 0xD7FF, 3},
        {"\xE9", 0, 1},
        {"\xE9\x41", 0, 1},
        {"\x80\x41", 0, 1},
        {"\xC0\x80", 0, 1},
        {"\xC1\xBF", 0, 1},
        {"\xF5\x80\x80\x80", 0, 1},
        {"\xFF", 0, 1},
        {"\xE0\x80\x80", 0, 1},
        {"\xE0\x9F\xBF", 0, 1},
        {"\xED\xA0\x80", 0, 1},
        {"\xF0\x8F\xBF\xBF", 0, 1},
        {"\xF4\x90\x80\x80", 0, 1},
        {"\xC3", 0, 1},
        {"\xC3\x41", 0, 1},
        {"\xE2", 0, 1},
        {"\xE2\x82", 0, 2},
        {"\xE2\x82\x41", 0, 2},
        {"\xF0\x9F", 0, 2},
        {"\xF0\x9F\x98", 0, 3},
        {"\xF0\x9F\x98\x41", 0, 3},
    };
    int index = 0;
    for (const Utf8Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << index++);
        int position = 0, valid = 7;
        uint32_t codePoint = 0xDEAD;
        EXPECT_EQ(decode(c.text, static_cast<int>(std::strlen(c.text)), position, valid, codePoint), 1);
        EXPECT_EQ(valid, c.codePoint != 0 ? 1 : 0);
        EXPECT_EQ(codePoint, c.codePoint);
        EXPECT_EQ(position, c.consumed);
    }
}

TEST(Utf8Test, DecodesFromThePositionAndReturnsMinusOneAtTheEnd) {
    int position = 1, valid = 0;
    uint32_t codePoint = 0;
    EXPECT_EQ(decode("x\xC3\xA9", 3, position, valid, codePoint), 1);
    EXPECT_EQ(codePoint, 0xE9u);
    EXPECT_EQ(position, 3);
    EXPECT_EQ(decode("x\xC3\xA9", 3, position, valid, codePoint), -1);
    EXPECT_EQ(position, 3);
    position = 0;
    EXPECT_EQ(decode("", 0, position, valid, codePoint), -1);
}

class TextTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        testing_support::CapturedLog log;
        SinkGuard guard(&log);
        ui::TTFLoad(kSansBold, 24, 0);
        ui::TTFLoad(kSans, 22, 1);
        ui::TTFLoad(kPtSans, 22, 2);
        ui::TTFLoad(kSans, 8, 5);
        ui::TTFLoad(kSansOblique, 24, 7);
        ui::TTFLoad(kSans, 30, 9);
        ASSERT_TRUE(log.lines(platform::LogChannel::Error).empty());
    }
    void SetUp() override { ui::setGlyphCacheEnabled(true); }
    void TearDown() override { ui::setGlyphCacheEnabled(true); }
};

TEST_F(TextTest, EmptyTextAndEmptySlotsDrawNothingAndMeasureZero) {
    Frame frame;
    const auto before = frame.pixels();
    ui::putString(1, 100, 100, "", 255, 255, 255, &frame.fb);
    EXPECT_EQ(ui::getStringSpace(1, ""), 0);
    for (int slot : {3, 12, 19, -1, 20}) {
        ui::putString(slot, 100, 100, "Empty", 255, 255, 255, &frame.fb);
        EXPECT_EQ(ui::getStringSpace(slot, "Empty"), 0) << "slot " << slot;
    }
    EXPECT_TRUE(frame.pixels() == before);
}

TEST_F(TextTest, InvalidBytesDrawTheMissingGlyphShapeAndMoveOn) {
    auto draw = [](const char* text) {
        Frame frame;
        ui::putString(1, 50, 100, text, 255, 255, 255, &frame.fb);
        return frame.pixels();
    };
    const auto missingThenA = draw("\xFF\x41");  // \x41 is A
    EXPECT_TRUE(draw("\xE9\x41") == missingThenA);
    EXPECT_TRUE(draw("\xE2\x82\x41") == missingThenA);
    EXPECT_TRUE(draw("A\xF0\x9F\x98") == draw("A\xFF"));
    EXPECT_FALSE(draw("\u00E9A") == missingThenA);
    EXPECT_EQ(ui::getStringSpace(1, "\xC3\xA9"), ui::getStringSpace(1, "e"));
}

TEST_F(TextTest, WidthEqualsThePenTravelOfDrawing) {
    const std::pair<std::string, std::string> texts[] = {
        {"14.074 ", "MHz"}, {"SWR ", "1.2 \u00E9\u20AC"}, {"A\xE9", "B"}, {"", "x"}, {"\u041F\u0440", "ok"}};
    for (int slot : {0, 2, 5, 7})
        for (const auto& [head, tail] : texts) {
            SCOPED_TRACE(testing::Message() << "slot " << slot << " text " << head << tail);
            Frame whole, split;
            ui::putString(slot, 40, 100, (head + tail).c_str(), 255, 255, 255, &whole.fb);
            const int headWidth = ui::getStringSpace(slot, head.c_str());
            ui::putString(slot, 40, 100, head.c_str(), 255, 255, 255, &split.fb);
            ui::putString(slot, 40 + headWidth, 100, tail.c_str(), 255, 255, 255, &split.fb);
            EXPECT_TRUE(whole.pixels() == split.pixels());
            EXPECT_EQ(ui::getStringSpace(slot, (head + tail).c_str()),
                      headWidth + ui::getStringSpace(slot, tail.c_str()));
        }
    EXPECT_GT(ui::getStringSpace(1, "i"), 0);
}

TEST_F(TextTest, TextPastTheEdgesWrapsButNeverLeavesTheFrame) {
    Frame corners;
    ui::putString(9, 785, 479, "Wgjy|", 255, 255, 255, &corners.fb);  // descenders below the last row
    ui::putString(9, -25, 4, "Wgjy|", 255, 255, 255, &corners.fb);    // above the first row, left of column 0
    ui::putString(9, -2000, 9000, "W", 0, 0, 0, &corners.fb);
    EXPECT_TRUE(corners.guardsIntact());

    Frame wrapped;
    ui::putString(9, 795, 100, "W", 255, 255, 255, &wrapped.fb);
    Box box = touched(wrapped);
    EXPECT_EQ(box.left, 0);  // the part past the right edge lands at the start of the next row
    EXPECT_EQ(box.bottom, 101);
    EXPECT_EQ(box.right, 799);
}

// Whole characters only, never a part of a multi-byte one; a width short of
// the first character leaves nothing, an empty slot cuts nothing.
TEST_F(TextTest, TheFittingStartOfATextEndsOnAWholeCharacter) {
    const std::string text = "Tbrd:41.30\u00B0C \u20AC";
    const int whole = ui::getStringSpace(1, text.c_str());
    EXPECT_EQ(ui::textThatFits(1, text, whole), text);
    EXPECT_EQ(ui::textThatFits(1, text, 10000), text);
    EXPECT_EQ(ui::textThatFits(1, text, whole - 1), "Tbrd:41.30\u00B0C ");
    const int upToDegree = ui::getStringSpace(1, "Tbrd:41.30\u00B0");
    EXPECT_EQ(ui::textThatFits(1, text, upToDegree), "Tbrd:41.30\u00B0");
    EXPECT_EQ(ui::textThatFits(1, text, upToDegree - 1), "Tbrd:41.30");
    EXPECT_EQ(ui::textThatFits(1, text, ui::getStringSpace(1, "T") - 1), "");
    EXPECT_EQ(ui::textThatFits(1, text, -5), "");
    EXPECT_EQ(ui::textThatFits(1, "", 0), "");
    EXPECT_EQ(ui::textThatFits(3, text, 0), text);
}

TEST_F(TextTest, CachedAndUncachedDrawingAreIdentical) {
    struct Draw {
        int slot, x, y;
        const char* text;
        int r, g, b;
    };
    const Draw draws[] = {
        {1, 10, 30, "14.074.000 Hz  SWR 1.25  45\u00B0C", 255, 255, 255},
        {0, -7, 60, "Ant 1 Bank 2 \xE2\x82\xAC \xC2\xB5V", 0, 0, 0},
        {2, 333, 90, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 PT Sans", 0x12, 0xF0, 0x7E},
        {5, 3, 120, "tiny text 0123456789 ()[]{}", 200, 100, 50},
        {7, 401, 250, "Oblique \xE4\xB8\xAD\xF0\x9F\x98\x80\xE9 bad", 255, 255, 0},
        {9, 640, 478, "Wrap past the edge", 0, 255, 255},
        {1, 20, 30, "Overdrawn line", 128, 128, 128},
    };
    auto render = [&](bool cached) {
        ui::setGlyphCacheEnabled(cached);
        Frame frame;
        frame.paintGradient();
        for (int pass = 0; pass < 2; ++pass)
            for (const Draw& d : draws) ui::putString(d.slot, d.x, d.y, d.text, d.r, d.g, d.b, &frame.fb);
        std::vector<int> widths;
        for (const Draw& d : draws) widths.push_back(ui::getStringSpace(d.slot, d.text));
        return std::make_pair(frame.pixels(), widths);
    };
    const auto uncached = render(false);
    const auto cached = render(true);
    EXPECT_TRUE(uncached.first == cached.first);
    EXPECT_TRUE(uncached.first == render(true).first);
    EXPECT_EQ(uncached.second, cached.second);
}

TEST_F(TextTest, ConcurrentTextCallsGiveTheSameResultAsOneThread) {
    const char* line = "14.074 MHz  SWR 1.2  45\u00B0C  Ant 1";
    Frame reference;
    ui::putString(1, 10, 470, line, 255, 255, 255, &reference.fb);
    const auto expected = reference.pixels();
    const int width = ui::getStringSpace(1, line);

    auto worker = [&](bool toggleCache, int& failures) {
        for (int i = 0; i < 10; ++i) {
            if (toggleCache) ui::setGlyphCacheEnabled(i % 2 == 0);
            Frame frame;
            ui::putString(1, 10, 470, line, 255, 255, 255, &frame.fb);
            failures += frame.pixels() != expected;
            failures += ui::getStringSpace(1, line) != width;
        }
    };
    int failuresA = 0, failuresB = 0;
    std::thread a(worker, false, std::ref(failuresA)), b(worker, true, std::ref(failuresB));
    a.join();
    b.join();
    EXPECT_EQ(failuresA + failuresB, 0);
}

TEST(TTFLoadTest, LogsEachStepAndLeavesTheSlotEmptyWhenTheFaceFails) {
    testing_support::CapturedLog log;
    SinkGuard guard(&log);
    ui::TTFLoad(kSans, 22, 13);
    EXPECT_EQ(
        log.lines(platform::LogChannel::Info),
        (std::vector<std::string>{"Iinitializing FreeType", std::string("Loading face: filename=") + kSans,
                                  "Face loaded", "Pixel size sat"}));
    EXPECT_TRUE(log.lines(platform::LogChannel::Error).empty());
    EXPECT_GT(ui::getStringSpace(13, "A"), 0);

    log.clear();
    ui::TTFLoad("/nonexistent/font.ttf", 22, 13);
    EXPECT_EQ(log.lines(platform::LogChannel::Error), std::vector<std::string>{"FreeType: file error"});
    EXPECT_EQ(ui::getStringSpace(13, "A"), 0);

    const std::string notAFont = testing::TempDir() + "brisel-not-a-font.ttf";
    std::ofstream(notAFont) << "plain text, no font tables\n";
    log.clear();
    ui::TTFLoad(notAFont, 22, 13);
    EXPECT_EQ(log.lines(platform::LogChannel::Error),
              std::vector<std::string>{"FreeType: file format not supported"});
    Frame frame;
    ui::putString(13, 10, 100, "A", 255, 255, 255, &frame.fb);
    EXPECT_EQ(touched(frame).right, -1);
    std::remove(notAFont.c_str());
}

}  // namespace
