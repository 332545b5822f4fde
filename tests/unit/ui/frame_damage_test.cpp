// A composed frame is painted only where it differs from the frame on the
// screen; the screen must end up exactly as if the frame were drawn whole.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "test_frame.h"
#include "ui/framebuffer.h"
#include "ui/text.h"

namespace {

using testing_support::makeFrame;

constexpr int kSlot = 17;  // a slot no other test loads or expects empty
constexpr uint32_t kWidth = 160, kHeight = 60;

// Screen memory that counts what is shown.
class MemoryScreen final : public platform::FramebufferDevice {
  public:
    bool open() override { return true; }
    bool readScreenInfo(platform::ScreenInfo&) override { return true; }
    bool resetPanning() override { return true; }
    uint8_t* map(uint32_t size) override {
        memory.assign(size, 0);
        return memory.data();
    }
    void present(const uint8_t* frame, uint32_t size) override {
        std::memcpy(memory.data(), frame, size);
        ++wholeFrames;
    }
    void presentRegions(const uint8_t* frame, uint32_t lineLength, uint32_t bytesPerPixel,
                        std::span<const platform::ScreenRegion> regions) override {
        for (const platform::ScreenRegion& region : regions)
            for (uint32_t y = region.top; y < region.bottom; ++y) {
                const size_t offset = size_t{y} * lineLength + size_t{region.left} * bytesPerPixel;
                std::memcpy(memory.data() + offset, frame + offset,
                            size_t{region.right - region.left} * bytesPerPixel);
                shownBytes += size_t{region.right - region.left} * bytesPerPixel;
            }
    }
    std::vector<uint8_t> memory;
    int wholeFrames = 0;
    size_t shownBytes = 0;
};

std::unique_ptr<ui::FrameBuffer> frameOnScreen(MemoryScreen*& screen) {
    auto fb = makeFrame(kWidth, kHeight, 4);
    std::mt19937 noise(7);
    for (uint8_t& byte : fb->backgroundStore) byte = static_cast<uint8_t>(noise());
    auto device = std::make_unique<MemoryScreen>();
    screen = device.get();
    fb->screen = device->map(fb->size);
    fb->device = std::move(device);
    return fb;
}

// Lines, fills and texts reaching past every edge, where drawing wraps
// onto the neighbouring rows.
ui::DrawOp randomOp(std::mt19937& random) {
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    static const char* const kTexts[] = {"35.2W", "1.4W", "SWR", "20m", "Ant 2", "Error!"};
    ui::DrawOp op;
    op.kind = static_cast<ui::DrawOp::Kind>(between(0, 3));
    op.x0 = between(-20, kWidth + 20);
    op.y0 = between(-4, kHeight + 4);
    op.x1 = op.x0 + between(-30, 30);
    op.y1 = op.y0 + between(-10, 10);
    if (op.kind == ui::DrawOp::Kind::Fill) op.y1 = op.y0 + between(0, 6);
    op.r = between(0, 255);
    op.g = between(0, 255);
    op.b = between(0, 255);
    op.text = kTexts[between(0, 5)];
    return op;
}

void draw(const ui::DrawOp& op, ui::FrameBuffer* fb) {
    switch (op.kind) {
        case ui::DrawOp::Kind::Line:
            ui::DrawLine(op.x0, op.y0, op.x1, op.y1, op.r, op.g, op.b, fb, 0);
            break;
        case ui::DrawOp::Kind::HorizontalLine:
            ui::DrawHorizontalLine(op.x0, op.y0, op.x1, op.r, op.g, op.b, fb, 0);
            break;
        case ui::DrawOp::Kind::Fill:
            ui::FillRect(fb, op.x0, op.y0, op.x1, op.y1, op.r, op.g, op.b);
            break;
        case ui::DrawOp::Kind::Text:
            ui::putString(kSlot, op.x0, op.y0, op.text.c_str(), op.r, op.g, op.b, fb);
            break;
    }
}

class FrameDamage : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ui::TTFLoad("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 14, kSlot);
    }

    void compose(const std::vector<ui::DrawOp>& ops) {
        ui::fbSetBack(fb.get());
        for (const ui::DrawOp& op : ops) draw(op, fb.get());
        ui::fbRealize(fb.get());
    }

    // The frame drawn whole, straight into a store of its own.
    [[nodiscard]] std::vector<uint8_t> wholeFrame(const std::vector<ui::DrawOp>& ops) const {
        auto whole = makeFrame(kWidth, kHeight, 4);
        whole->backStore = fb->backgroundStore;
        for (const ui::DrawOp& op : ops) draw(op, whole.get());
        return whole->backStore;
    }

    MemoryScreen* screen = nullptr;
    std::unique_ptr<ui::FrameBuffer> fb = frameOnScreen(screen);
};

TEST_F(FrameDamage, EveryFramePaintedInPartsIsTheFrameDrawnWhole) {
    std::mt19937 random(2024);
    std::vector<ui::DrawOp> ops;
    for (int i = 0; i < 12; ++i) ops.push_back(randomOp(random));
    for (int frame = 0; frame < 400; ++frame) {
        SCOPED_TRACE(frame);
        // A few operations change, come or go, as readings and boxes do.
        for (int change = std::uniform_int_distribution<int>(0, 2)(random); change > 0; --change) {
            const size_t at = std::uniform_int_distribution<size_t>(0, ops.size() - 1)(random);
            switch (random() % 4) {
                case 0:
                    ops.insert(ops.begin() + static_cast<std::ptrdiff_t>(at), randomOp(random));
                    break;
                case 1:
                    if (ops.size() > 4) ops.erase(ops.begin() + static_cast<std::ptrdiff_t>(at));
                    break;
                default:
                    ops[at] = randomOp(random);
                    break;
            }
        }
        compose(ops);
        const std::vector<uint8_t> expected = wholeFrame(ops);
        ASSERT_EQ(screen->memory, expected);
        ASSERT_EQ(fb->backStore, expected);
    }
    // Most frames took the painting in parts; large changes paint the frame whole.
    EXPECT_LT(screen->wholeFrames, 100);
    EXPECT_GT(screen->shownBytes, 0u);
}

TEST_F(FrameDamage, ASteadyFrameShowsNothingAndANewBackgroundShowsAll) {
    std::mt19937 random(5);
    const std::vector<ui::DrawOp> ops{randomOp(random), randomOp(random), randomOp(random)};
    compose(ops);
    compose(ops);
    EXPECT_EQ(screen->wholeFrames, 1);
    EXPECT_EQ(screen->shownBytes, 0u);

    ui::DrawLine(0, 3, 40, 3, 1, 2, 3, fb.get(), 1);
    compose(ops);
    EXPECT_EQ(screen->wholeFrames, 2);
    EXPECT_EQ(screen->memory, wholeFrame(ops));
}

}  // namespace
