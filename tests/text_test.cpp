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

using Pixel = std::array<uint8_t, 4>;  // memory order: b, g, r, fourth byte
constexpr Pixel kOpaqueBlack{0, 0, 0, 0xFF};
constexpr Pixel kGrey{0x40, 0x80, 0xC0, 0xFF};

// An 800 x 480 back store with guard bytes on both sides of the frame.
class Frame {
  public:
    static constexpr uint32_t kWidth = 800, kHeight = 480, kSize = kWidth * kHeight * 4;
    static constexpr size_t kGuard = 64 * 1024;
    static constexpr uint8_t kGuardByte = 0xA5;

    explicit Frame(Pixel fill) : store_(kGuard + kSize + kGuard, kGuardByte) {
        fb.width = kWidth;
        fb.height = kHeight;
        fb.bytesPerPixel = 4;
        fb.lineLength = kWidth * 4;
        fb.size = kSize;
        fb.back = store_.data() + kGuard;
        for (uint32_t o = 0; o < fb.lineLength; o += 4) std::memcpy(fb.back + o, fill.data(), 4);
        for (uint32_t y = 1; y < kHeight; ++y)
            std::memcpy(fb.back + y * fb.lineLength, fb.back, fb.lineLength);
    }
    // Every pixel different, so a misplaced or doubled blend shows.
    static Pixel gradient(uint32_t x, uint32_t y) {
        return {static_cast<uint8_t>(x), static_cast<uint8_t>(y), static_cast<uint8_t>(x + 3 * y), 0x80};
    }
    void paintGradient() {
        for (uint32_t y = 0; y < kHeight; ++y)
            for (uint32_t x = 0; x < kWidth; ++x) {
                Pixel p = gradient(x, y);
                std::copy(p.begin(), p.end(), at(static_cast<int>(x), static_cast<int>(y)));
            }
    }
    uint8_t* at(int x, int y) { return fb.back + (y * static_cast<int>(kWidth) + x) * 4; }
    [[nodiscard]] std::vector<uint8_t> pixels() const { return {fb.back, fb.back + kSize}; }
    [[nodiscard]] bool guardsIntact() const {
        const std::vector<uint8_t> guard(kGuard, kGuardByte);
        return std::memcmp(store_.data(), guard.data(), kGuard) == 0 &&
               std::memcmp(store_.data() + kGuard + kSize, guard.data(), kGuard) == 0;
    }
    [[nodiscard]] bool samePixels(const Frame& other) const {
        return std::memcmp(fb.back, other.fb.back, kSize) == 0;
    }

    ui::FrameBuffer fb;

  private:
    std::vector<uint8_t> store_;
};

// Pixels a draw went over: the blend clears the fourth byte, which these
// backgrounds set.
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

struct Decoded {
    int result;
    int position;
    int valid;
    uint32_t codePoint;
};
Decoded decode(const std::vector<unsigned char>& bytes, int position = 0) {
    Decoded d{0, position, 7, 0xDEAD};
    d.result = ui::utf8_get_next_char(bytes.data(), static_cast<int>(bytes.size()), &d.position, &d.valid,
                                      &d.codePoint);
    return d;
}

void expectValid(const std::vector<unsigned char>& bytes, uint32_t codePoint) {
    Decoded d = decode(bytes);
    EXPECT_EQ(d.result, 1);
    EXPECT_EQ(d.valid, 1);
    EXPECT_EQ(d.codePoint, codePoint);
    EXPECT_EQ(d.position, static_cast<int>(bytes.size()));
}

void expectInvalid(const std::vector<unsigned char>& bytes, int consumed) {
    Decoded d = decode(bytes);
    EXPECT_EQ(d.result, 1);
    EXPECT_EQ(d.valid, 0);
    EXPECT_EQ(d.codePoint, 0u);
    EXPECT_EQ(d.position, consumed);
}

TEST(Utf8Test, DecodesWellFormedSequencesOfOneToFourBytes) {
    expectValid({'A'}, 0x41);
    expectValid({0xC3, 0xA9}, 0xE9);
    expectValid({0xE2, 0x82, 0xAC}, 0x20AC);
    expectValid({0xF0, 0x9F, 0x98, 0x80}, 0x1F600);
    expectValid({0xF4, 0x8F, 0xBF, 0xBF}, 0x10FFFF);
    Decoded second = decode({'x', 0xC3, 0xA9}, 1);
    EXPECT_EQ(second.codePoint, 0xE9u);
    EXPECT_EQ(second.position, 3);
}

TEST(Utf8Test, EndOfTextReturnsMinusOneAndKeepsThePosition) {
    Decoded d = decode({'A'}, 1);
    EXPECT_EQ(d.result, -1);
    EXPECT_EQ(d.position, 1);
    EXPECT_EQ(decode({}).result, -1);
}

TEST(Utf8Test, BadLeadBytesConsumeOneByte) {
    expectInvalid({0xE9}, 1);  // Latin-1 é on its own
    expectInvalid({0xE9, 'A'}, 1);
    expectInvalid({0x80, 'A'}, 1);
    expectInvalid({0xC0, 0x80}, 1);  // overlong NUL
    expectInvalid({0xC1, 0xBF}, 1);
    expectInvalid({0xF5, 0x80, 0x80, 0x80}, 1);
    expectInvalid({0xFF}, 1);
}

TEST(Utf8Test, OverlongSurrogateAndTooLargeFormsAreRejectedAtTheSecondByte) {
    expectInvalid({0xE0, 0x80, 0x80}, 1);
    expectInvalid({0xE0, 0x9F, 0xBF}, 1);
    expectInvalid({0xED, 0xA0, 0x80}, 1);  // U+D800
    expectInvalid({0xF0, 0x8F, 0xBF, 0xBF}, 1);
    expectInvalid({0xF4, 0x90, 0x80, 0x80}, 1);  // above U+10FFFF
    expectValid({0xED, 0x9F, 0xBF}, 0xD7FF);
}

TEST(Utf8Test, TruncatedSequencesConsumeTheBytesAcceptedSoFar) {
    expectInvalid({0xC3}, 1);
    expectInvalid({0xC3, 'A'}, 1);
    expectInvalid({0xE2}, 1);
    expectInvalid({0xE2, 0x82}, 2);
    expectInvalid({0xE2, 0x82, 'A'}, 2);
    expectInvalid({0xF0, 0x9F}, 2);
    expectInvalid({0xF0, 0x9F, 0x98}, 3);
    expectInvalid({0xF0, 0x9F, 0x98, 'A'}, 3);
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
    Frame frame(kGrey);
    const auto before = frame.pixels();
    ui::putString(1, 100, 100, "", 255, 255, 255, &frame.fb);
    EXPECT_EQ(ui::getStringSpace(1, ""), 0);
    for (int slot : {3, 12, 19, -1, 20}) {
        ui::putString(slot, 100, 100, "Empty", 255, 255, 255, &frame.fb);
        EXPECT_EQ(ui::getStringSpace(slot, "Empty"), 0) << "slot " << slot;
    }
    EXPECT_TRUE(frame.pixels() == before);
}

TEST_F(TextTest, GlyphStartsAtThePenAndStandsOnTheBaseline) {
    Frame frame(kOpaqueBlack);
    ui::putString(1, 100, 200, "H", 255, 255, 255, &frame.fb);
    Box box = touched(frame);
    EXPECT_EQ(box.left, 100);
    EXPECT_EQ(box.bottom, 200);
    EXPECT_LT(box.top, 200 - 10);
}

TEST_F(TextTest, WhiteBlendsExactlyAndOtherColoursAreAndedWithTheCoverage) {
    const int colour[3] = {0xA5, 0x3C, 0xF0};  // b, g, r
    for (int slot : {1, 2})
        for (const char* glyph : {"W", "\xC3\xA9", "g", "@"}) {
            SCOPED_TRACE(testing::Message() << "slot " << slot << " glyph " << glyph);
            // White on black leaves exactly the coverage in every byte.
            Frame coverage(kOpaqueBlack), white(kGrey), coloured(kGrey);
            ui::putString(slot, 300, 200, glyph, 255, 255, 255, &coverage.fb);
            ui::putString(slot, 300, 200, glyph, 255, 255, 255, &white.fb);
            ui::putString(slot, 300, 200, glyph, colour[2], colour[1], colour[0], &coloured.fb);
            const Box box = touched(coverage);
            ASSERT_TRUE(box.left >= 290 && box.right < 350 && box.top >= 150 && box.bottom < 220);
            int mismatches = 0, full = 0, partial = 0;
            for (int y = 150; y < 220; ++y)
                for (int x = 290; x < 350; ++x) {
                    const uint8_t* c = coverage.at(x, y);
                    const uint8_t* w = white.at(x, y);
                    const uint8_t* k = coloured.at(x, y);
                    if (c[3] != 0) {
                        mismatches +=
                            Pixel{w[0], w[1], w[2], w[3]} != kGrey || Pixel{k[0], k[1], k[2], k[3]} != kGrey;
                        continue;
                    }
                    const int a = c[0];
                    full += a == 255;
                    partial += a > 0 && a < 255;
                    mismatches += w[3] != 0 || k[3] != 0;
                    for (int i = 0; i < 3; ++i) {
                        mismatches += w[i] != a + (255 - a) * kGrey[i] / 255;
                        mismatches += k[i] != (a & colour[i]) + (255 - a) * kGrey[i] / 255;
                    }
                    if (a == 255) mismatches += k[0] != 0xA5 || k[1] != 0x3C || k[2] != 0xF0 || w[0] != 255;
                }
            EXPECT_EQ(mismatches, 0);
            EXPECT_GT(full, 0);
            EXPECT_GT(partial, 0);
        }
}

TEST_F(TextTest, InvalidBytesDrawTheMissingGlyphShapeAndMoveOn) {
    auto draw = [](const char* text) {
        Frame frame(kGrey);
        ui::putString(1, 50, 100, text, 255, 255, 255, &frame.fb);
        return frame.pixels();
    };
    const auto missingThenA = draw(
        "\xFF"
        "A");
    EXPECT_TRUE(draw("\xE9"
                     "A") == missingThenA);
    EXPECT_TRUE(draw("\xE2\x82"
                     "A") == draw("\xFF"
                                  "A"));
    EXPECT_TRUE(draw("A\xF0\x9F\x98") == draw("A\xFF"));
    EXPECT_FALSE(draw("\xC3\xA9"
                      "A") == missingThenA);
    EXPECT_EQ(ui::getStringSpace(1, "\xC3\xA9"), ui::getStringSpace(1, "e"));
}

TEST_F(TextTest, WidthEqualsThePenTravelOfDrawing) {
    const std::pair<std::string, std::string> texts[] = {{"14.074 ", "MHz"},
                                                         {"SWR ", "1.2 \xC3\xA9\xE2\x82\xAC"},
                                                         {"A\xE9", "B"},
                                                         {"", "x"},
                                                         {"\xD0\x9F\xD1\x80", "ok"}};
    for (int slot : {0, 2, 5, 7})
        for (const auto& [head, tail] : texts) {
            SCOPED_TRACE(testing::Message() << "slot " << slot << " text " << head << tail);
            Frame whole(kGrey), split(kGrey);
            ui::putString(slot, 40, 100, (head + tail).c_str(), 255, 255, 255, &whole.fb);
            const int headWidth = ui::getStringSpace(slot, head.c_str());
            ui::putString(slot, 40, 100, head.c_str(), 255, 255, 255, &split.fb);
            ui::putString(slot, 40 + headWidth, 100, tail.c_str(), 255, 255, 255, &split.fb);
            EXPECT_TRUE(whole.samePixels(split));
            EXPECT_EQ(ui::getStringSpace(slot, (head + tail).c_str()),
                      headWidth + ui::getStringSpace(slot, tail.c_str()));
        }
    EXPECT_GT(ui::getStringSpace(1, "i"), 0);
}

TEST_F(TextTest, TextPastTheEdgesWrapsButNeverLeavesTheFrame) {
    Frame corners(kGrey);
    ui::putString(9, 785, 479, "Wgjy|", 255, 255, 255, &corners.fb);  // descenders below the last row
    ui::putString(9, -25, 4, "Wgjy|", 255, 255, 255, &corners.fb);    // above the first row, left of column 0
    ui::putString(9, -2000, 9000, "W", 0, 0, 0, &corners.fb);
    EXPECT_TRUE(corners.guardsIntact());

    Frame wrapped(kGrey);
    ui::putString(9, 795, 100, "W", 255, 255, 255, &wrapped.fb);
    Box box = touched(wrapped);
    EXPECT_EQ(box.left, 0);  // the part past the right edge lands at the start of the next row
    EXPECT_EQ(box.bottom, 101);
    EXPECT_EQ(box.right, 799);
}

TEST_F(TextTest, CachedAndUncachedDrawingAreIdentical) {
    struct Draw {
        int slot, x, y;
        const char* text;
        int r, g, b;
    };
    const Draw draws[] = {
        {1, 10, 30,
         "14.074.000 Hz  SWR 1.25  45\xC2\xB0"
         "C",
         255, 255, 255},
        {0, -7, 60, "Ant 1 Bank 2 \xE2\x82\xAC \xC2\xB5V", 0, 0, 0},
        {2, 333, 90, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 PT Sans", 0x12, 0xF0, 0x7E},
        {5, 3, 120, "tiny text 0123456789 ()[]{}", 200, 100, 50},
        {7, 401, 250, "Oblique \xE4\xB8\xAD\xF0\x9F\x98\x80\xE9 bad", 255, 255, 0},
        {9, 640, 478, "Wrap past the edge", 0, 255, 255},
        {1, 20, 30, "Overdrawn line", 128, 128, 128},
    };
    auto render = [&](bool cached) {
        ui::setGlyphCacheEnabled(cached);
        Frame frame(kGrey);
        frame.paintGradient();
        for (int pass = 0; pass < 2; ++pass)
            for (const Draw& d : draws) ui::putString(d.slot, d.x, d.y, d.text, d.r, d.g, d.b, &frame.fb);
        std::vector<int> widths;
        for (const Draw& d : draws) widths.push_back(ui::getStringSpace(d.slot, d.text));
        return std::make_pair(frame.pixels(), widths);
    };
    const auto uncached = render(false);
    const auto cached = render(true);
    const auto cachedAgain = render(true);
    EXPECT_TRUE(uncached.first == cached.first);
    EXPECT_TRUE(uncached.first == cachedAgain.first);
    EXPECT_EQ(uncached.second, cached.second);
}

TEST_F(TextTest, ConcurrentTextCallsGiveTheSameResultAsOneThread) {
    const char* line =
        "14.074 MHz  SWR 1.2  45\xC2\xB0"
        "C  Ant 1";
    Frame reference(kGrey);
    ui::putString(1, 10, 470, line, 255, 255, 255, &reference.fb);
    const auto expected = reference.pixels();
    const int width = ui::getStringSpace(1, line);

    auto worker = [&](bool toggleCache, int& failures) {
        for (int i = 0; i < 10; ++i) {
            if (toggleCache) ui::setGlyphCacheEnabled(i % 2 == 0);
            Frame frame(kGrey);
            ui::putString(1, 10, 470, line, 255, 255, 255, &frame.fb);
            failures += frame.pixels() != expected;
            failures += ui::getStringSpace(1, line) != width;
        }
    };
    int failuresA = 0, failuresB = 0;
    std::thread a(worker, false, std::ref(failuresA));
    std::thread b(worker, true, std::ref(failuresB));
    a.join();
    b.join();
    EXPECT_EQ(failuresA, 0);
    EXPECT_EQ(failuresB, 0);
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
    Frame frame(kGrey);
    ui::putString(13, 10, 100, "A", 255, 255, 255, &frame.fb);
    EXPECT_EQ(touched(frame).right, -1);
    std::remove(notAFont.c_str());
}

}  // namespace
