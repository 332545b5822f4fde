#include "platform/sim/tiny_controller_emulator.h"

#include "platform/log.h"

namespace platform {
namespace {

constexpr int kCommandBits = 8;
constexpr int kAnswerBits = 12;

}  // namespace

TinyControllerEmulator::TinyControllerEmulator(SimGpio& gpio) : gpio_(gpio) {
    gpio_.onWrite([this] { follow(); });
}

TinyControllerEmulator::~TinyControllerEmulator() {
    gpio_.onWrite(nullptr);
}

uint8_t TinyControllerEmulator::answer(uint8_t command) {
    switch (command) {
        case 0xD0:
            return 0x5A;
        case 0xD1:
            return 0x3C;
        case 0xD2:
            return 0x80;
        case 0xD3:
            return kSupplyCounts;
        default:
            return 0;
    }
}

void TinyControllerEmulator::follow() {
    const int clock = gpio_.output(kClockPin);
    const bool falling = clock_ == 1 && clock == 0;
    clock_ = clock;
    if (!falling) return;
    if (!answering_) {
        command_ = static_cast<uint8_t>(command_ << 1 | gpio_.output(kDataPin));
        if (++bits_ < kCommandBits) return;
        answering_ = true;
        answer_ = answer(command_);
        bits_ = 0;
        return;
    }
    gpio_.drive(kDataPin, (answer_ >> (kAnswerBits - 1 - bits_)) & 1);
    if (++bits_ < kAnswerBits) return;
    answering_ = false;
    bits_ = 0;
    if (command_ != kPowerOff) return;
    trace("sim: the panel controller switches the unit off\n");
    if (powerOff_) powerOff_();
}

}  // namespace platform
