#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/png_writer.h"
#include "test_frame.h"
#include "test_station.h"
#include "ui/framebuffer.h"

namespace {

using testing_support::makeFrame;
using testing_support::TestStation;

// Pixel (u, v) of every test image: r = 10u + 1, g = 10v + 2, b = 50, alpha 7.
platform::PngPicture picture(uint32_t width, uint32_t height, int channels = 4, int bitDepth = 8) {
    platform::PngPicture result{width, height, channels, bitDepth, {}};
    for (uint32_t v = 0; v < height; ++v)
        for (uint32_t u = 0; u < width; ++u) {
            uint8_t samples[4] = {static_cast<uint8_t>(10 * u + 1), static_cast<uint8_t>(10 * v + 2), 50, 7};
            for (int c = 0; c < channels; ++c)
                for (int byte = 0; byte < bitDepth / 8; ++byte) result.samples.push_back(samples[c]);
        }
    return result;
}

class GetPng : public ::testing::Test {
  protected:
    void SetUp() override { useFrame(makeFrame(16, 8, 4, 0xAB)); }

    void useFrame(std::unique_ptr<ui::FrameBuffer> frame) {
        fb = std::move(frame);
        station.works.fb = fb.get();
    }
    std::string imageFile(const std::string& name) { return station.path("/opt/Brisel/" + name + ".png"); }
    void install(const std::string& name, const platform::PngPicture& image) {
        ASSERT_TRUE(platform::savePng(imageFile(name), image));
    }
    void load(const std::string& name) {
        station.works.imageName.set(name);
        ui::getPng(station.works, 1);
    }
    std::vector<uint8_t> pixel(int x, int y) const {
        const uint8_t* p = fb->background + y * fb->lineLength + x * 4;
        return {p[0], p[1], p[2], p[3]};
    }
    std::vector<std::string> errors() const { return station.log.lines(platform::LogChannel::Error); }

    TestStation station;
    std::unique_ptr<ui::FrameBuffer> fb;
};

const std::vector<uint8_t> kUntouched{0xAB, 0xAB, 0xAB, 0xAB};

TEST_F(GetPng, PlacesASmallerImageAtTheTopLeftAndKeepsTheRest) {
    install("small", picture(4, 3));
    load("small");
    EXPECT_TRUE(errors().empty());
    EXPECT_EQ(pixel(0, 0), (std::vector<uint8_t>{50, 2, 1, 0}));
    EXPECT_EQ(pixel(3, 2), (std::vector<uint8_t>{50, 22, 31, 0}));
    EXPECT_EQ(pixel(4, 0), kUntouched);
    EXPECT_EQ(pixel(0, 3), kUntouched);
    EXPECT_EQ(pixel(15, 7), kUntouched);
    EXPECT_EQ(fb->backStore, std::vector<uint8_t>(fb->size, 0xAB));
}

TEST_F(GetPng, PlacesTheImageAtImageXAndImageYAndLeavesOutWhatFallsOffTheScreen) {
    install("small", picture(4, 3));
    station.works.imageX = 3;
    station.works.imageY = 2;
    load("small");
    EXPECT_EQ(pixel(3, 2), (std::vector<uint8_t>{50, 2, 1, 0}));
    EXPECT_EQ(pixel(6, 4), (std::vector<uint8_t>{50, 22, 31, 0}));
    EXPECT_EQ(pixel(2, 2), kUntouched);
    EXPECT_EQ(pixel(3, 1), kUntouched);

    fb->backgroundStore.assign(fb->size, 0xAB);
    station.works.imageX = 14;
    station.works.imageY = 6;
    load("small");
    EXPECT_EQ(pixel(14, 6), (std::vector<uint8_t>{50, 2, 1, 0}));
    EXPECT_EQ(pixel(15, 7), (std::vector<uint8_t>{50, 12, 11, 0}));
    EXPECT_EQ(pixel(0, 7), kUntouched);  // no spill into the next row
    EXPECT_EQ(pixel(1, 7), kUntouched);
}

TEST_F(GetPng, RefusesImagesItCannotShowAndKeepsTheBackground) {
    struct Case {
        const char* name;
        platform::PngPicture image;
        uint32_t bytesPerPixel;
        const char* message;
    };
    const std::vector<Case> cases{
        {"wide", picture(17, 2), 4, " image has 17 cols not 16"},
        {"tall", picture(4, 9), 4, " image has 9 rows not 8"},
        {"rgb", picture(4, 3, 3), 4, " image has 8 pixels not 4 or color_type is 2 not 6"},
        {"deep", picture(4, 3, 4, 16), 4, " image has 16 pixels not 4 or color_type is 6 not 6"},
        {"on16bit", picture(4, 3), 2, " image has 8 pixels not 2 or color_type is 6 not 6"},
    };
    for (const Case& item : cases) {
        useFrame(makeFrame(16, 8, item.bytesPerPixel, 0xAB));
        install(item.name, item.image);
        station.log.clear();
        load(item.name);
        EXPECT_EQ(errors(), std::vector<std::string>{imageFile(item.name) + item.message}) << item.name;
        EXPECT_EQ(fb->backgroundStore, std::vector<uint8_t>(fb->size, 0xAB)) << item.name;
    }
}

TEST_F(GetPng, ReportsMissingForeignAndBrokenFiles) {
    load("absent");
    EXPECT_EQ(errors(), std::vector<std::string>{imageFile("absent") + " image could not be opened"});

    std::ofstream(imageFile("text")) << "not an image at all\n";
    station.log.clear();
    load("text");
    EXPECT_EQ(errors(), std::vector<std::string>{imageFile("text") + " image is not a PNG file"});

    // The header survives, the pixel data is cut short.
    auto bytes = platform::encodePng(picture(16, 8));
    ASSERT_TRUE(bytes);
    std::ofstream(imageFile("cut"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes->data()),
               static_cast<std::streamsize>(bytes->size() - 30));
    station.log.clear();
    load("cut");
    EXPECT_EQ(errors(), std::vector<std::string>{imageFile("cut") + " error during reading image"});
    EXPECT_EQ(fb->backgroundStore, std::vector<uint8_t>(fb->size, 0xAB));
}

TEST(GetPngOnTheDisplay, LoadsIntoBackAndShowsItWhenNotForTheBackground) {
    TestStation station;
    std::unique_ptr<ui::FrameBuffer> fb(ui::fbInit(station.works));
    ASSERT_NE(fb, nullptr);
    station.works.fb = fb.get();
    ASSERT_TRUE(platform::savePng(station.path("/opt/Brisel/full.png"), picture(800, 480)));
    station.works.imageName.set("full");
    ui::getPng(station.works, 0);
    EXPECT_TRUE(station.log.lines(platform::LogChannel::Error).empty());
    const uint8_t* last = fb->screen + 479 * fb->lineLength + 799 * 4;
    EXPECT_EQ(std::vector<uint8_t>(last, last + 4),
              (std::vector<uint8_t>{50, static_cast<uint8_t>(10 * 479 + 2),
                                    static_cast<uint8_t>(10 * 799 + 1), 0}));
    EXPECT_EQ(fb->backgroundStore, std::vector<uint8_t>(fb->size, 0));
}

}  // namespace
