#include "ui/framebuffer.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <iterator>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "test_frame.h"
#include "test_station.h"

namespace {

using Pixels = std::set<std::pair<int, int>>;
using testing_support::makeFrame;

// Pixels of a 4-byte store that hold anything but zero.
Pixels lit(const ui::FrameBuffer& fb, const uint8_t* store) {
    Pixels pixels;
    for (uint32_t y = 0; y < fb.height; ++y)
        for (uint32_t x = 0; x < fb.width; ++x) {
            const uint8_t* p = store + y * fb.lineLength + x * 4;
            if (p[0] != 0 || p[1] != 0 || p[2] != 0 || p[3] != 0)
                pixels.insert({static_cast<int>(x), static_cast<int>(y)});
        }
    return pixels;
}

// Each case draws into a fresh zeroed 4-byte frame 8 pixels wide. Bounds are
// tested on the byte offset only: columns wrap across rows, and the store's
// last pixel is never written.
struct LineCase {
    const char* what;
    uint32_t height;
    int x0, y0, x1, y1;
    Pixels expected;
};

TEST(DrawLine, StepsBothEndsAndClipsOnlyAtTheStoreEnds) {
    const LineCase cases[] = {
        {"zero length", 4, 3, 2, 3, 2, {}},
        {"shallow", 6, 0, 0, 4, 2, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}},
        {"steep, leftwards", 6, 2, 0, 0, 3, {{2, 0}, {1, 1}, {1, 2}, {0, 3}}},
        {"horizontal, leftwards", 6, 5, 4, 1, 4, {{1, 4}, {2, 4}, {3, 4}, {4, 4}, {5, 4}}},
        {"last row", 4, 0, 3, 7, 3, {{0, 3}, {1, 3}, {2, 3}, {3, 3}, {4, 3}, {5, 3}, {6, 3}}},
        {"past the bottom", 4, 2, 1, 2, 40, {{2, 1}, {2, 2}, {2, 3}}},
        {"past the right edge", 4, 6, 0, 9, 0, {{6, 0}, {7, 0}, {0, 1}, {1, 1}}},
        {"left of column 0", 4, -2, 1, 1, 1, {{6, 0}, {7, 0}, {0, 1}, {1, 1}}},
        {"before the first byte", 4, -3, 0, 1, 0, {{0, 0}, {1, 0}}},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.what);
        auto fb = makeFrame(8, c.height, 4);
        ui::DrawLine(c.x0, c.y0, c.x1, c.y1, 200, 100, 50, fb.get(), 0);
        EXPECT_EQ(lit(*fb, fb->back), c.expected);
        EXPECT_TRUE(lit(*fb, fb->background).empty());
    }
}

TEST(DrawLine, WritesBgrAndAZeroByteIntoTheChosenStore) {
    auto fb = makeFrame(8, 4, 4, 0xFF);
    ui::DrawLine(1, 1, 2, 1, 0x12, 0x34, 0x56, fb.get(), 1);
    const uint8_t* pixel = fb->background + 1 * fb->lineLength + 1 * 4;
    EXPECT_EQ(std::vector<uint8_t>(pixel, pixel + 9),
              (std::vector<uint8_t>{0x56, 0x34, 0x12, 0, 0x56, 0x34, 0x12, 0, 0xFF}));
    EXPECT_EQ(fb->backStore, std::vector<uint8_t>(fb->size, 0xFF));
}

TEST(DrawHorizontalLine, DrawsFromX0UpToButNotX1AndNeverOutsideTheStore) {
    auto fb = makeFrame(8, 4, 4);
    ui::DrawHorizontalLine(3, 2, 4, 1, 1, 1, fb.get(), 0);
    ui::DrawHorizontalLine(5, 1, 5, 1, 1, 1, fb.get(), 0);
    ui::DrawHorizontalLine(5, 1, 2, 1, 1, 1, fb.get(), 0);
    ui::DrawHorizontalLine(0, 4, 8, 1, 1, 1, fb.get(), 0);
    ui::DrawHorizontalLine(-20, -1, 0, 1, 1, 1, fb.get(), 0);
    ui::DrawHorizontalLine(6, 3, 12, 1, 1, 1, fb.get(), 0);
    EXPECT_EQ(lit(*fb, fb->back), (Pixels{{3, 2}, {6, 3}, {7, 3}}));

    ui::DrawHorizontalLine(0, 0, 3, 1, 1, 1, fb.get(), 1);
    EXPECT_EQ(lit(*fb, fb->background), (Pixels{{0, 0}, {1, 0}, {2, 0}}));
}

TEST(Draw, UsesRgb565OnA16BitFrame) {
    auto fb = makeFrame(8, 4, 2);
    ui::DrawLine(0, 0, 1, 0, 0xFF, 0xA5, 0x5A, fb.get(), 0);
    ui::DrawHorizontalLine(0, 1, 1, 0x08, 0x1C, 0x07, fb.get(), 0);
    EXPECT_EQ(std::vector<uint8_t>(fb->back, fb->back + 6),
              (std::vector<uint8_t>{0x2B, 0xFD, 0x2B, 0xFD, 0, 0}));
    EXPECT_EQ(fb->back[16], 0xE0);
    EXPECT_EQ(fb->back[17], 0x08);
}

TEST(Draw, LeavesOneAndThreeByteFramesAlone) {
    for (uint32_t bytesPerPixel : {1u, 3u}) {
        auto fb = makeFrame(8, 4, bytesPerPixel);
        ui::DrawLine(0, 0, 7, 3, 255, 255, 255, fb.get(), 0);
        ui::DrawHorizontalLine(0, 1, 8, 255, 255, 255, fb.get(), 0);
        EXPECT_EQ(fb->backStore, std::vector<uint8_t>(fb->size, 0)) << bytesPerPixel;
    }
}

TEST(FbInit, OpensTheSimulatedDisplayAt800x480x4) {
    testing_support::TestStation station;
    std::unique_ptr<ui::FrameBuffer> fb(ui::fbInit(station.works));
    ASSERT_NE(fb, nullptr);
    EXPECT_NE(fb->screen, nullptr);
    EXPECT_EQ(station.actions(), std::vector{platform::SystemAction::HideConsoleCursor});
    EXPECT_EQ(station.log.lines(platform::LogChannel::Info),
              (std::vector<std::string>{
                  "Pixel size =4",
                  "Screen Size x: 800, y: 480, Pixel Size 4 Line size: 3200, Mem size: 1536000\n"}));
    EXPECT_TRUE(station.log.lines(platform::LogChannel::Error).empty());
}

// The screen file as RGB, or nothing when it is not a PNG of the display's size.
std::vector<uint8_t> readScreenPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    bool fits = image.width == 800 && image.height == 480;
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) || !fits) return {};
    return pixels;
}

TEST(Screenshot, WritesThePanelAsShown) {
    testing_support::TestStation station;
    {
        std::unique_ptr<ui::FrameBuffer> fb(ui::fbInit(station.works));
        ASSERT_NE(fb, nullptr);
        ui::DrawHorizontalLine(0, 0, 800, 0x11, 0x22, 0x33, fb.get(), 0);
        ui::DrawLine(799, 1, 799, 479, 0xA0, 0xB0, 0xC0, fb.get(), 0);
        ui::fbRealize(fb.get());
        ui::DrawHorizontalLine(0, 5, 800, 0xFF, 0xFF, 0xFF, fb.get(), 0);  // drawn, not yet shown

        ASSERT_EQ(station.system().takeScreenshot(), 0);
        std::vector<uint8_t> rgb = readScreenPng(station.path("/tmp/screen.png"));
        ASSERT_EQ(rgb.size(), 800u * 480 * 3);
        auto at = [&](int x, int y) {
            const uint8_t* p = rgb.data() + (y * 800 + x) * 3;
            return std::vector<uint8_t>{p[0], p[1], p[2]};
        };
        EXPECT_EQ(at(0, 0), (std::vector<uint8_t>{0x11, 0x22, 0x33}));
        EXPECT_EQ(at(799, 0), (std::vector<uint8_t>{0x11, 0x22, 0x33}));
        EXPECT_EQ(at(799, 478), (std::vector<uint8_t>{0xA0, 0xB0, 0xC0}));
        EXPECT_EQ(at(799, 479), (std::vector<uint8_t>{0, 0, 0}));
        EXPECT_EQ(at(400, 5), (std::vector<uint8_t>{0, 0, 0}));
    }
    // Without a display the screenshot fails instead of reaching a closed one.
    EXPECT_NE(station.system().takeScreenshot(), 0);
}

// The picture is encoded for whoever asks (a screenshot, the web page's frame),
// never by the display on its own: an idle station spends nothing on it.
TEST(Screenshot, TheDisplayPicturesTheScreenOnlyWhenAsked) {
    testing_support::TestStation station;
    auto threads = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                             std::filesystem::directory_iterator{});
    };
    const auto before = threads();
    std::unique_ptr<ui::FrameBuffer> fb(ui::fbInit(station.works));
    ASSERT_NE(fb, nullptr);
    EXPECT_EQ(threads(), before) << "the display keeps a thread of its own";
    ui::DrawHorizontalLine(0, 0, 800, 0x11, 0x22, 0x33, fb.get(), 0);
    ui::fbRealize(fb.get());
    EXPECT_FALSE(std::filesystem::exists(station.path("/tmp/screen.png")));
    ASSERT_EQ(station.system().takeScreenshot(), 0);
    EXPECT_EQ(readScreenPng(station.path("/tmp/screen.png")).size(), 800u * 480 * 3);
}

TEST(Screenshot, CanBeTakenWhileTheMainLoopShowsFrames) {
    testing_support::TestStation station;
    std::unique_ptr<ui::FrameBuffer> fb(ui::fbInit(station.works));
    ASSERT_NE(fb, nullptr);
    std::thread mainLoop([&] {
        for (int frame = 0; frame < 20; ++frame) {
            ui::DrawHorizontalLine(0, frame, 800, frame, frame, frame, fb.get(), 0);
            ui::fbRealize(fb.get());
        }
    });
    for (int shot = 0; shot < 3; ++shot) EXPECT_EQ(station.system().takeScreenshot(), 0);
    mainLoop.join();
    EXPECT_EQ(readScreenPng(station.path("/tmp/screen.png")).size(), 800u * 480 * 3);
}

}  // namespace
