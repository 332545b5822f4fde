#include "remote/commands.h"

#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/tiny_mailbox.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "remote/frame_builder.h"
#include "tuner/memory_banks.h"

namespace remote {
namespace {

constexpr uint8_t kTinyStartCommand = 197;

void useUsbSpectrum(core::Works& works, char wide) {
    works.setup->enaUsbFFT = '1';
    works.setup->Enable1600 = wide;
    if (works.Divide <= 1) works.Divide = 2;
}

void reboot(core::Works& works) {
    core::CmandoTinyconAttesaStato(works, kTinyStartCommand);
    works.platform->clock().sleepFor(std::chrono::seconds(4));
    if (const int status = works.platform->system().reboot(); status != 0)
        platform::logError("reboot exit %d", status);
}

}  // namespace

void dispStat(core::Works& works, std::span<const uint8_t> data) {
    std::array<char, 200> buffer{};
    std::memcpy(buffer.data(), data.data(), std::min(data.size(), kShortData));
    const std::string_view command(buffer.data());
    platform::trace("BUFFER Wsocket : %s\n", buffer.data());
    if (command.starts_with("QELTBANK") || command.starts_with("QELTPA1")) {
        platform::trace("ChangeBanco\n");
        tuner::ChangeBanco(works);
    } else if (command.starts_with("QELTFT00")) {
        works.setup->enaUsbFFT = '0';
    } else if (command.starts_with("QELTFT01")) {
        useUsbSpectrum(works, '0');
    } else if (command.starts_with("QELTFT02")) {
        useUsbSpectrum(works, '1');
    } else if (command.starts_with("QELTFD")) {
        works.Divide = std::atoi(buffer.data() + 6);
    } else if (command.starts_with("QELTRB")) {
        reboot(works);
    }
}

}  // namespace remote
