// Saves one kind of settings file over and over with the station's own code,
// alternating between two contents, so that a test can cut the power (SIGKILL)
// at random moments of a save and check what is left.
//
//   brisel_save_loop ROOT KIND      KIND: setup bank tune filter lan offset info
//
// It first loads the file as a start does and prints "loaded VALUE" (the value
// its two contents differ in, "-" for a file the station only writes), then
// saves both contents once and copies them to ROOT/expect/KIND.0 and .1, prints
// "looping" and saves them in turn until it is killed.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "config/config_offset_file.h"
#include "config/filter_files.h"
#include "config/info_file.h"
#include "config/interfaces_file.h"
#include "config/setup.h"
#include "core/record/setup_record.h"
#include "core/threads.h"
#include "core/works.h"
#include "net/lan_param.h"
#include "platform/log.h"
#include "platform/sim/manual_clock.h"
#include "platform/sim/sim_platform.h"
#include "tuner/antenna_file.h"
#include "tuner/memory_banks.h"
#include "tuner/tune_memory_file.h"

namespace {

class NoLog : public platform::LogSink {
  public:
    void write(platform::LogChannel, std::string_view) override {}
};

struct Kind {
    const char* name;
    std::string path;                               // the file, as the unit names it
    std::function<std::string(core::Works&)> load;  // as a start does; the varied value
    std::function<void(core::Works&, int)> save;    // content 0 or 1
};

int32_t tuneSlot(core::Works& works) {
    return works.tuneMemory.with([](core::TuneTables& memory) { return int32_t{memory.tables[0][100].L}; });
}

Kind kindNamed(const std::string& name) {
    if (name == "setup")
        return {"setup", config::kSetupPath,
                [](core::Works& works) {
                    config::readSetup(works);
                    return std::to_string(works.Divide.load());
                },
                [](core::Works& works, int content) {
                    works.Divide = 6 + content;
                    config::writeSetup(works);
                }};
    if (name == "bank")
        return {"bank", tuner::antennaFilePath(0),
                [](core::Works& works) {
                    tuner::LoadTabConfig(works, 0);
                    return std::to_string(works.antennaTable.with(
                        [](core::AntennaRows& rows) { return int{rows[0].attenuator}; }));
                },
                [](core::Works& works, int content) {
                    works.antennaTable.with([content](core::AntennaRows& rows) {
                        rows[0].attenuator = static_cast<uint8_t>(1 + content);
                    });
                    tuner::SaveTabConfig(works, 0);
                }};
    if (name == "tune")
        return {"tune", tuner::tuneMemoryPath(0, 0),
                [](core::Works& works) {
                    tuner::LoadTabAtu(works, 0, 0);
                    return std::to_string(tuneSlot(works));
                },
                [](core::Works& works, int content) {
                    works.tuneMemory.with([content](core::TuneTables& memory) {
                        memory.tables[0][100] = {1, 1, static_cast<uint16_t>(200 + content), 300};
                    });
                    tuner::SaveTabAtu(works, 0, 0);
                }};
    if (name == "filter")
        return {"filter", config::kFilterPath,
                [](core::Works& works) {
                    config::LoadTabFiltri(works);
                    return std::to_string(
                        works.filterTable.with([](core::FilterRows& rows) { return int{rows[1].enabled}; }));
                },
                [](core::Works& works, int content) {
                    works.filterTable.with([content](core::FilterRows& rows) {
                        rows[1].enabled = static_cast<uint8_t>(content);
                    });
                    config::SaveTabFiltri(works);
                }};
    if (name == "lan")
        return {"lan", config::kInterfacesPath,
                [](core::Works& works) {
                    net::ReadLanParam(works);
                    return works.IP.get();
                },
                [](core::Works& works, int content) {
                    const uint8_t address[4] = {192, 168, 1, static_cast<uint8_t>(200 + content)};
                    for (int i = 0; i < 4; ++i) works.IP_v[i] = address[i];
                    net::SaveLanParam(works);
                }};
    if (name == "offset")
        return {"offset", config::kConfigOffsetPath,
                [](core::Works& works) {
                    config::LoadConfigOffsetFile(works);
                    return std::to_string(works.KostFORW.load());
                },
                [](core::Works& works, int content) {
                    works.KostFORW = 1000 + content;
                    config::writeConfigOffset(works);
                }};
    if (name == "info")
        return {"info", config::kInfoPath, [](core::Works&) { return std::string("-"); },
                [](core::Works& works, int content) {
                    works.serialNumber.set(content == 0 ? "SN-0000" : "SN-1111");
                    config::WrInfoFile(works);
                }};
    return {nullptr, {}, {}, {}};
}

bool copyFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code error;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
    return !error;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || kindNamed(argv[2]).name == nullptr) {
        std::fprintf(stderr, "usage: brisel_save_loop ROOT setup|bank|tune|filter|lan|offset|info\n");
        return 2;
    }
    const std::string root = argv[1];
    const Kind kind = kindNamed(argv[2]);
    std::unique_ptr<platform::SimPlatform> machine =
        platform::makeSimPlatform(root, std::make_unique<platform::ManualClock>());
    // After the platform, which installs its own; the lines on standard output are the test's.
    static NoLog quiet;
    platform::setLogSink(&quiet);
    core::SetupRecord setup;
    core::ThreadSet threads;
    auto works = std::make_unique<core::Works>();
    works->platform = machine.get();
    works->setup = &setup;
    works->threads = &threads;
    core::InitGlobalVar(*works);

    std::printf("loaded %s\n", kind.load(*works).c_str());
    std::fflush(stdout);
    const std::filesystem::path file = machine->root().resolve(kind.path);
    const std::filesystem::path expect = std::filesystem::path(root) / "expect";
    std::filesystem::create_directories(expect);
    for (int content : {0, 1}) {
        kind.save(*works, content);
        if (!copyFile(file, expect / (std::string(kind.name) + "." + std::to_string(content)))) {
            std::fprintf(stderr, "brisel_save_loop: %s was not saved\n", file.c_str());
            return 1;
        }
    }
    std::printf("looping\n");
    std::fflush(stdout);
    for (int content = 0;; content ^= 1) kind.save(*works, content);
}
