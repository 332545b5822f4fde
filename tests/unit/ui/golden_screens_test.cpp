// The main screen of every window, and the screens the keys lead to, drawn
// by the real main loop for one fixed state and compared pixel for pixel
// with the reference pictures in tests/golden. BRISEL_UPDATE_GOLDEN=1 rewrites the references instead.
#include <gtest/gtest.h>
#include <png.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/filter_file.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/record/spectrum_data.h"
#include "core/try_mutex.h"
#include "platform/png_writer.h"
#include "radio/aux_serial.h"
#include "sim/qor/qor_stream.h"
#include "test_station.h"
#include "tuner/antenna_selection.h"
#include "tuner/tune_word.h"
#include "ui/fonts.h"
#include "ui/framebuffer.h"
#include "ui/key_dispatch.h"
#include "ui/main_loop.h"
#include "ui/settings_menu.h"
#include "ui/spectrum_plot.h"

namespace {

using testing_support::TestStation;

constexpr std::time_t kNow = 1700000000;

bool updating() {
    const char* value = std::getenv("BRISEL_UPDATE_GOLDEN");
    return value != nullptr && std::string(value) == "1";
}

std::filesystem::path referencePath(const std::string& name) {
    return std::filesystem::path(BRISEL_SOURCE_DIR) / "tests" / "golden" / (name + ".png");
}

// The screen memory (blue, green, red, unused) as an RGB picture.
platform::PngPicture screenPicture(const ui::FrameBuffer& fb) {
    platform::PngPicture picture;
    picture.width = fb.width;
    picture.height = fb.height;
    picture.channels = 3;
    picture.samples.reserve(size_t{fb.width} * fb.height * 3);
    for (uint32_t y = 0; y < fb.height; ++y) {
        const uint8_t* pixel = fb.screen + size_t{y} * fb.lineLength;
        for (uint32_t x = 0; x < fb.width; ++x, pixel += fb.bytesPerPixel) {
            picture.samples.push_back(pixel[2]);
            picture.samples.push_back(pixel[1]);
            picture.samples.push_back(pixel[0]);
        }
    }
    return picture;
}

std::optional<platform::PngPicture> readRgbPng(const std::filesystem::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return std::nullopt;
    image.format = PNG_FORMAT_RGB;
    platform::PngPicture picture;
    picture.width = image.width;
    picture.height = image.height;
    picture.channels = 3;
    picture.samples.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, picture.samples.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        return std::nullopt;
    }
    return picture;
}

// Screens reached with the front-panel keys from the first window.
struct PanelScreen {
    const char* name;
    std::vector<std::pair<int, int>> keys;  // key, held (0 short press)
};

const PanelScreen kPanelScreens[] = {
    {"settings_menu_list", {{5, 0}, {4, 0}, {4, 0}, {4, 0}, {4, 0}}},
    {"settings_menu_editor", {{5, 0}, {4, 0}, {4, 0}, {4, 0}, {4, 0}, {6, 0}, {5, 0}}},
    {"manual_tune", {{4, 0}, {6, 0}}},
    {"memory_bank_table", {{1, 1}, {4, 0}, {4, 0}}},
    {"memory_bank_cell_editor", {{1, 1}, {4, 0}, {6, 0}, {3, 0}}},
    {"status_page", {{6, 1}}},
    {"filter_settings", {{5, 0}, {4, 0}, {6, 0}, {5, 0}, {6, 0}, {3, 0}}},
};

// One station showing the main screen with fixed readings, the clock fixed at
// kNow, two listed errors and a spectrum line of the transceiver emulator as
// its auxiliary link delivers it.
class GoldenScreens : public ::testing::TestWithParam<int> {
  protected:
    GoldenScreens() : fb(ui::fbInit(works)) {
        works.fb = fb.get();
        works.serMut = &serMut;
        works.spectrum = &spectrum;
        radio::storeFFT(works, sim::spectrumLine(sim::QorState{}, 1));
        ui::loadFonts(works);
        ui::InitGrid(works);
        core::InitErrorDescriptors(works);
        // As after the amplifier's first reply: errors are listed and it is out of by-pass.
        works.errorsHeld = 0;
        works.bypass = 0;
        core::AddErrore(works, core::err::Communication);
        core::AddErrore(works, core::err::AudioRead);

        works.ModeWorkIdx = 0;
        tuner::InitTabAntenna(works, 0);  // the status bar names the band
        works.ampFrequency = 14074000;
        works.powerFwd = 35.2f;
        works.powerFwdPeak = 38.6f;
        works.powerRefl = 1.4f;
        works.powerIn = 2.1f;
        works.swr = 1.5f;
        works.temperature1 = 41.3f;
        works.temperature2 = 38.9f;
        station.system().setBoardTemperatureReport(std::nullopt);  // no CPU reading
        works.EnablePwrPeak = 1;
        works.lastActivity = kNow;
        // ReadDataOra keeps a text it already made for this second.
        works.clockText.set("2023-11-14 22:13:20");
        works.clockSecond = kNow;
    }
    ~GoldenScreens() override { works.fb = nullptr; }

    TestStation station;
    core::Works& works = station.works;
    core::TryMutex serMut;
    core::SpectrumRecord spectrum;
    std::unique_ptr<ui::FrameBuffer> fb;
};

// Compares the screen as shown with the reference picture of this name.
void expectMatchesReference(const ui::FrameBuffer& fb, const std::string& name) {
    const platform::PngPicture shown = screenPicture(fb);
    if (updating()) {
        std::filesystem::create_directories(referencePath(name).parent_path());
        ASSERT_TRUE(platform::savePng(referencePath(name).string(), shown)) << referencePath(name);
        return;
    }
    const std::optional<platform::PngPicture> reference = readRgbPng(referencePath(name));
    ASSERT_TRUE(reference.has_value()) << "cannot read " << referencePath(name);
    ASSERT_EQ(reference->width, shown.width);
    ASSERT_EQ(reference->height, shown.height);
    size_t differing = 0;
    for (size_t pixel = 0; pixel < shown.samples.size(); pixel += 3)
        if (shown.samples[pixel] != reference->samples[pixel] ||
            shown.samples[pixel + 1] != reference->samples[pixel + 1] ||
            shown.samples[pixel + 2] != reference->samples[pixel + 2])
            ++differing;
    if (differing == 0) return;
    const std::filesystem::path actual = std::filesystem::current_path() / (name + "_err.png");
    EXPECT_TRUE(platform::savePng(actual.string(), shown));
    ADD_FAILURE() << differing << " pixels differ from " << referencePath(name) << "; this screen is in "
                  << actual;
}

TEST_P(GoldenScreens, MainWindowMatchesItsReference) {
    ASSERT_NE(fb, nullptr);
    works.mainWindow = GetParam();
    ui::SetWorkImg(works);
    ui::timerTick(works, kNow);
    expectMatchesReference(*fb, "main_window_" + std::to_string(GetParam()));
}

// Each tick paints only what changed since the one before: after other
// readings and errors, the meter screen is still its reference pixel for pixel.
class GoldenMeterScreens : public GoldenScreens {};

TEST_P(GoldenMeterScreens, MeterWindowAfterOtherReadingsMatchesItsReference) {
    ASSERT_NE(fb, nullptr);
    works.mainWindow = GetParam();
    ui::SetWorkImg(works);
    ui::timerTick(works, kNow);
    const std::array<float, 6> golden{works.powerFwd, works.powerFwdPeak, works.powerRefl,
                                      works.powerIn,  works.swr,          works.temperature1};
    auto setReadings = [&](const std::array<float, 6>& r) {
        works.powerFwd = r[0];
        works.powerFwdPeak = r[1];
        works.powerRefl = r[2];
        works.powerIn = r[3];
        works.swr = r[4];
        works.temperature1 = r[5];
    };
    setReadings({81.7f, 90.2f, 9.6f, 5.4f, 2.8f, 66.0f});
    core::DeleteErrore(works, core::err::AudioRead);
    ui::timerTick(works, kNow);
    setReadings(golden);
    core::AddErrore(works, core::err::AudioRead);
    // The peak needles start again from the readings, as on the first tick.
    works.peak1Angle = 0.0f;
    works.peak2Angle = 0.0f;
    ui::timerTick(works, kNow);
    expectMatchesReference(*fb, "main_window_" + std::to_string(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(AllWindows, GoldenScreens, ::testing::Range(1, 6));
INSTANTIATE_TEST_SUITE_P(MeterWindows, GoldenMeterScreens, ::testing::Range(1, 4));

class GoldenPanelScreens : public GoldenScreens {};

TEST_P(GoldenPanelScreens, PanelScreenMatchesItsReference) {
    ASSERT_NE(fb, nullptr);
    const PanelScreen screen = kPanelScreens[static_cast<size_t>(GetParam())];
    works.mainWindow = 1;
    works.MAXbank = 3;
    works.TUNEenabled = 1;
    works.antennaRowCount = 11;
    ui::InitMenuNova(works);
    tuner::SetI(works, 120);
    tuner::SetC(works, 37);
    tuner::SetMode(works, tuner::kModeLC);
    // No error key takes the first press.
    core::DeleteErrore(works, core::err::Communication);
    core::DeleteErrore(works, core::err::AudioRead);
    works.protFlags = 0;
    works.filterTable.with([](core::FilterRows& rows) {
        rows = {{{1800000, 2000000, 1}, {3500000, 4000000, 1}, {7000000, 7300000, 0}, {0, 54000000, 1}}};
    });
    if (screen.name == std::string_view("status_page")) {
        works.swVersion.set("01.027");
        works.fwVersion.set("001.010");
        works.hwVersion.set("2.1");
        works.serialNumber.set("BR0042");
        works.companyName.set("BRISEL");
        works.ampRegionFlag = '0';
        works.ampModelFlag = '1';
        works.IP.set("192.168.1.10");
        works.NetMask.set("255.255.255.0");
        works.Gateway.set("192.168.1.1");
        works.DNS.set("192.168.1.1");
    }
    ui::SetWorkImg(works);
    for (const auto& [key, held] : screen.keys) ui::DecodeTasto(works, key, held);
    // The first tick puts in the background the keys asked for.
    ui::timerTick(works, kNow);
    ui::timerTick(works, kNow);
    expectMatchesReference(*fb, screen.name);
}

INSTANTIATE_TEST_SUITE_P(KeyScreens, GoldenPanelScreens,
                         ::testing::Range(0, static_cast<int>(std::size(kPanelScreens))),
                         [](const ::testing::TestParamInfo<int>& param) {
                             return std::string(kPanelScreens[static_cast<size_t>(param.param)].name);
                         });

// Screens reached while the two errors of the main screen wait for the error key.
const PanelScreen kErrorScreens[] = {
    {"tune_menu_with_errors", {{4, 0}}},
};

class GoldenErrorScreens : public GoldenScreens {};

TEST_P(GoldenErrorScreens, ScreenWithErrorsMatchesItsReference) {
    ASSERT_NE(fb, nullptr);
    const PanelScreen screen = kErrorScreens[static_cast<size_t>(GetParam())];
    works.mainWindow = 1;
    ui::InitMenuNova(works);
    ui::SetWorkImg(works);
    for (const auto& [key, held] : screen.keys) ui::DecodeTasto(works, key, held);
    ui::timerTick(works, kNow);
    expectMatchesReference(*fb, screen.name);
}

INSTANTIATE_TEST_SUITE_P(KeyScreens, GoldenErrorScreens,
                         ::testing::Range(0, static_cast<int>(std::size(kErrorScreens))),
                         [](const ::testing::TestParamInfo<int>& param) {
                             return std::string(kErrorScreens[static_cast<size_t>(param.param)].name);
                         });

}  // namespace
