// Every reply of the amplifier through the decoder: status, EEPROM pages and
// the rest, into a record wired to a simulated platform under a temporary root.
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "amp/reply_decoder.h"
#include "config/setup.h"
#include "core/errors.h"
#include "core/record/setup_record.h"
#include "core/threads.h"
#include "core/works.h"
#include "fuzz_input.h"
#include "platform/sim/manual_clock.h"
#include "platform/sim/sim_platform.h"

namespace {

struct Station {
    Station()
        : root(std::filesystem::temp_directory_path() / ("brisel-fuzz-reply-" + std::to_string(getpid()))),
          machine(platform::makeSimPlatform(root.string(), std::make_unique<platform::ManualClock>())) {
        fuzzing::silenceLog();
        works.platform = machine.get();
        works.setup = &setup;
        works.threads = &threads;
        config::initSetup(works);
        core::InitErrorDescriptors(works);
    }
    ~Station() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    std::filesystem::path root;
    std::unique_ptr<platform::SimPlatform> machine;
    core::SetupRecord setup;
    core::Works works;
    core::ThreadSet threads;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Station station;
    const std::string_view payload = fuzzing::text(data, size);
    // The link hands over only frames that end in ";" and carry at least one character before it.
    if (payload.size() < 2 || payload.back() != ';') return 0;
    (void)amp::DecodeCatCmd(station.works, payload, static_cast<int>(payload.size()) + 2);
    station.works.cmdRing.clear();
    return 0;
}
