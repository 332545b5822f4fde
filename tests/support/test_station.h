#pragma once
// A shared record wired to a simulated platform under a fresh temporary run
// root, with the log captured, for unit tests. Its clock is a manual one by
// default, so pauses cost no real time; tests that wait on another thread or
// process give it a clock that runs in real time.
#include <filesystem>
#include <memory>
#include <mutex>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/station_services.h"
#include "core/record/setup_record.h"
#include "core/threads.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/sim/manual_clock.h"
#include "platform/sim/sim_platform.h"

namespace platform {

// Recorded calls as failed comparisons show them.
inline void PrintTo(const SystemCall& call, std::ostream* out) {
    *out << "action " << static_cast<int>(call.action);
    if (!call.path.empty()) *out << " on " << call.path;
}

}  // namespace platform

namespace testing_support {

class CapturedLog : public platform::LogSink {
  public:
    void write(platform::LogChannel channel, std::string_view text) override {
        std::lock_guard lock(mutex_);
        lines_.push_back({channel, std::string(text)});
    }
    [[nodiscard]] std::vector<std::string> lines(platform::LogChannel channel) const {
        std::lock_guard lock(mutex_);
        std::vector<std::string> result;
        for (const auto& line : lines_)
            if (line.channel == channel) result.push_back(line.text);
        return result;
    }
    [[nodiscard]] bool contains(std::string_view text) const {
        std::lock_guard lock(mutex_);
        for (const auto& line : lines_)
            if (line.text.find(text) != std::string::npos) return true;
        return false;
    }
    [[nodiscard]] bool empty() const {
        std::lock_guard lock(mutex_);
        return lines_.empty();
    }
    void clear() {
        std::lock_guard lock(mutex_);
        lines_.clear();
    }

  private:
    struct Line {
        platform::LogChannel channel;
        std::string text;
    };
    mutable std::mutex mutex_;
    std::vector<Line> lines_;
};

class TestStation {
  public:
    explicit TestStation(std::unique_ptr<platform::Clock> clock = std::make_unique<platform::ManualClock>())
        : root_(makeRoot()), machine_(platform::makeSimPlatform(root_.string(), std::move(clock))) {
        previousSink_ = platform::setLogSink(&log);
        works.platform = machine_.get();
        works.setup = &setup;
        works.threads = &threads;
        core::InitGlobalVar(works);
        works.services = &services;
    }
    ~TestStation() {
        works.running = 0;
        platform::setLogSink(previousSink_);
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    [[nodiscard]] std::filesystem::path path(const std::string& absolute) const {
        return machine_->root().resolve(absolute);
    }
    [[nodiscard]] const std::filesystem::path& root() const { return root_; }
    platform::SimSystem& system() { return machine_->system(); }
    platform::SimPlatform& machine() { return *machine_; }
    platform::SimGpio& gpio() { return machine_->gpio(); }
    // The system actions so far, in order.
    [[nodiscard]] std::vector<platform::SystemAction> actions() const {
        std::vector<platform::SystemAction> result;
        for (const platform::SystemCall& call : machine_->system().calls()) result.push_back(call.action);
        return result;
    }
    // The guarded tables, reached without their lock: a test runs on one thread.
    core::AntennaRows& antennaRows() {
        return works.antennaTable.with([](core::AntennaRows& rows) -> core::AntennaRows& { return rows; });
    }
    core::TuneTables& tuneTables() {
        return works.tuneMemory.with([](core::TuneTables& memory) -> core::TuneTables& { return memory; });
    }

    CapturedLog log;
    core::SetupRecord setup;
    // The station's own: a test that needs another answer sets works.services.
    app::StationServices services;
    core::Works works;
    // After works: destroyed first, it joins the threads while the record they use still exists.
    core::ThreadSet threads;

  private:
    // On the RAM disk where the machine has one: the station syncs every file
    // it saves, and on a busy disk those syncs alone made the unit tests take
    // twenty times longer.
    static std::filesystem::path makeRoot() {
        for (const std::filesystem::path& base :
             {std::filesystem::path("/dev/shm"), std::filesystem::temp_directory_path()}) {
            std::string pattern = (base / "brisel-test-XXXXXX").string();
            if (mkdtemp(pattern.data()) != nullptr) return pattern;
        }
        throw std::runtime_error("no folder for a temporary run root");
    }

    std::filesystem::path root_;
    std::unique_ptr<platform::SimPlatform> machine_;
    platform::LogSink* previousSink_;
};

}  // namespace testing_support
