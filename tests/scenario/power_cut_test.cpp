// Power cuts during saves: a program saving one kind of file with the
// station's code is killed (SIGKILL) at random moments, a hundred times per
// kind. After every cut the file is byte for byte one of its two contents,
// every other settings file is untouched, and the next start loads what the
// file holds; after the hundred the station starts on those files and
// reaches its keys.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "panel_station.h"
#include "spawn_program.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_support::readAll;

constexpr int kCuts = 100;

// The save program on a pipe: its lines as it prints them.
class SaveLoop {
  public:
    SaveLoop(const fs::path& root, const std::string& kind) {
        int pipeEnds[2];
        if (pipe2(pipeEnds, O_CLOEXEC) != 0) return;
        pid_ = testing_support::spawnProgram({SAVE_LOOP_BINARY, root.string(), kind},
                                             testing_support::SpawnActions().duplicate(pipeEnds[1], 1));
        close(pipeEnds[1]);
        output_ = fdopen(pipeEnds[0], "r");
    }
    ~SaveLoop() {
        cut();
        if (output_ != nullptr) fclose(output_);
    }
    // The next line without its end; empty once the program has ended.
    std::string line() {
        char text[256];
        if (output_ == nullptr || fgets(text, sizeof text, output_) == nullptr) return {};
        std::string result(text);
        if (!result.empty() && result.back() == '\n') result.pop_back();
        return result;
    }
    void cut() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
    FILE* output_ = nullptr;
};

// Every settings file but the one being saved and the temporary files of cut saves.
std::map<std::string, std::string> otherFiles(const fs::path& folder, const fs::path& saved) {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const fs::path& path = entry.path();
        if (path == saved || path.extension() == ".new") continue;
        files[path.filename().string()] = readAll(path);
    }
    return files;
}

struct Kind {
    const char* name;
    const char* file;       // under opt/set
    const char* values[2];  // what a start loads from content 0 and 1
};

void PrintTo(const Kind& kind, std::ostream* out) {
    *out << kind.name;
}

class PowerCut : public ::testing::TestWithParam<Kind>, protected testing_support::PanelStation {};

TEST_P(PowerCut, EveryCutLeavesTheOldOrTheNewFileAndTheNextStartLoadsIt) {
    const Kind kind = GetParam();
    ASSERT_TRUE(prepareSampleRoot());
    const fs::path folder = root / "opt/set";
    const fs::path saved = folder / kind.file;
    std::random_device seeder;
    const unsigned seed = seeder();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> momentUs(0, 20000);

    std::string contents[2];
    std::map<std::string, std::string> others;
    int cutMidSave = 0;
    std::string expectedLoad;
    for (int cut = 0; cut <= kCuts; ++cut) {
        SCOPED_TRACE("cut " + std::to_string(cut));
        SaveLoop loop(root, kind.name);
        const std::string loaded = loop.line();
        if (cut > 0) {
            EXPECT_EQ(loaded, expectedLoad);
        }
        ASSERT_EQ(loop.line(), "looping");
        if (cut == 0) {
            contents[0] = readAll(root / "expect" / (std::string(kind.name) + ".0"));
            contents[1] = readAll(root / "expect" / (std::string(kind.name) + ".1"));
            ASSERT_NE(contents[0], contents[1]);
            others = otherFiles(folder, saved);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(momentUs(random)));
        loop.cut();
        if (fs::exists(saved.string() + ".new")) ++cutMidSave;
        const std::string file = readAll(saved);
        ASSERT_TRUE(file == contents[0] || file == contents[1]) << "the cut left:\n" << file;
        EXPECT_EQ(otherFiles(folder, saved), others);
        expectedLoad = "loaded " + std::string(kind.values[file == contents[0] ? 0 : 1]);
    }
    std::printf("%s: %d cuts, %d of them left a temporary file behind\n", kind.name, kCuts, cutMidSave);

    start();
    EXPECT_EQ(station->log().find("can't open"), std::string::npos) << station->log();
}

// The values are those the save program gives each content.
INSTANTIATE_TEST_SUITE_P(
    EachFileTheStationWrites, PowerCut,
    ::testing::Values(Kind{"setup", "setup.txt", {"6", "7"}}, Kind{"bank", "antenna.txt", {"1", "2"}},
                      Kind{"tune", "atu_ant1.txt", {"200", "201"}}, Kind{"filter", "filter.txt", {"0", "1"}},
                      Kind{"lan", "interfaces", {"192.168.1.200", "192.168.1.201"}},
                      Kind{"offset", "config_offset.txt", {"1000", "1001"}},
                      Kind{"info", "info.txt", {"-", "-"}}),
    [](const ::testing::TestParamInfo<Kind>& each) { return std::string(each.param.name); });

}  // namespace
