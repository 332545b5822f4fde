#include <gtest/gtest.h>

#include "platform/gpio.h"
#include "platform/sim/sim_gpio.h"

namespace {

constexpr uint32_t kKeys = 0x3Fu << 22;

uint32_t keyLevels(platform::SimGpio& gpio) {
    return gpio.read(platform::GpioRegister::Level0) & kKeys;
}

TEST(GpioPulls, LatchOnlyWithTheSetUpTimeAroundTheClock) {
    platform::SimGpio gpio;
    ASSERT_EQ(keyLevels(gpio), 0u);

    // Back to back, as the processor's block must not see them.
    gpio.write(platform::GpioRegister::PullControl, platform::kPullUp);
    gpio.write(platform::GpioRegister::PullClock0, kKeys);
    gpio.write(platform::GpioRegister::PullControl, platform::kPullOff);
    gpio.write(platform::GpioRegister::PullClock0, 0);
    EXPECT_EQ(keyLevels(gpio), 0u);

    platform::enablePullUps(gpio, kKeys);
    EXPECT_EQ(keyLevels(gpio), kKeys);
}

}  // namespace
