#pragma once
// The front panel's frame: the device's screen memory and two stores of one
// frame each. Every screen is composed as fbSetBack (background -> back),
// drawing into back, fbRealize (back -> screen). Between the two the drawing
// is recorded and fbRealize paints and shows only what differs from the
// frame on the screen; outside them it goes straight into back.
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "platform/framebuffer_device.h"
#include "ui/draw_op.h"

namespace core {
struct Works;
}  // namespace core

namespace ui {

struct FrameBuffer {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t size = 0;  // bytes of one frame
    uint32_t lineLength = 0;
    uint32_t bytesPerPixel = 0;
    uint8_t* screen = nullptr;
    uint8_t* back = nullptr;
    uint8_t* background = nullptr;

    // Held by a thread for the whole composition of a frame (fbSetBack to
    // fbRealize), so the main loop and the key dispatch never mix their frames.
    std::mutex composeLock;

    // The frame being composed (fbSetBack to fbRealize), and the operations
    // back and the screen hold, valid while shownValid: anything drawn into
    // the background or into back outside a composition clears it.
    bool composing = false;
    bool shownValid = false;
    std::vector<DrawOp> ops, shownOps;

    std::unique_ptr<platform::FramebufferDevice> device;
    std::vector<uint8_t> backStore, backgroundStore;
};

// Opens the display named /dev/fb0 through the platform; null on failure (logged).
FrameBuffer* fbInit(core::Works& works);
void fbRealize(FrameBuffer* fb);
void fbSetBack(FrameBuffer* fb);
// Records op in the frame being composed, or paints it into back at once.
void drawOrRecord(FrameBuffer& fb, DrawOp&& op);
// Paints what the composition recorded so far into back and draws the rest
// of the frame straight into back, for a caller that writes back itself.
void fbDrawPending(FrameBuffer* fb);
void DrawHorizontalLine(int x0, int y, int x1, int r, int g, int b, FrameBuffer* fb, int toBackground);
void DrawLine(int x0, int y0, int x1, int y1, int r, int g, int b, FrameBuffer* fb, int toBackground);
void DrawRect(core::Works& works, int x0, int y0, int x1, int y1, int r, int g, int b);
// Fills the rectangle, both corners included, in back.
void FillRect(FrameBuffer* fb, int x0, int y0, int x1, int y1, int r, int g, int b);
// Loads imageName + ".png" into the background store (toBackground non-zero)
// or into back followed by fbRealize.
void getPng(core::Works& works, int toBackground);
// Decodes an 8-bit RGBA PNG held in memory into store with its top left corner
// at (left, top); false, logged under name, when it is no such image or is
// larger than the screen.
bool placePng(std::span<const uint8_t> bytes, const char* name, uint8_t* store, const FrameBuffer& fb,
              int64_t left, int64_t top);

}  // namespace ui
