#pragma once
// What a running process holds, from /proc: its open descriptors and its
// threads, so that a test can tell that a fault left nothing behind.
#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

struct ProcessResources {
    std::vector<std::string> descriptors;  // "fd -> target"
    std::vector<std::string> threads;      // "tid name"

    [[nodiscard]] bool sameCounts(const ProcessResources& other) const {
        return descriptors.size() == other.descriptors.size() && threads.size() == other.threads.size();
    }
};

inline ProcessResources resourcesOf(pid_t pid) {
    namespace fs = std::filesystem;
    const fs::path proc = "/proc/" + std::to_string(pid);
    ProcessResources resources;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(proc / "fd", error)) {
        std::error_code unreadable;
        const fs::path target = fs::read_symlink(entry.path(), unreadable);
        resources.descriptors.push_back(entry.path().filename().string() + " -> " + target.string());
    }
    for (const auto& entry : fs::directory_iterator(proc / "task", error)) {
        std::string name;
        std::getline(std::ifstream(entry.path() / "comm"), name);
        resources.threads.push_back(entry.path().filename().string() + " " + name);
    }
    return resources;
}

inline std::string describe(const ProcessResources& resources) {
    std::string text = std::to_string(resources.descriptors.size()) + " descriptors:";
    for (const std::string& descriptor : resources.descriptors) text += "\n  " + descriptor;
    text += "\n" + std::to_string(resources.threads.size()) + " threads:";
    for (const std::string& thread : resources.threads) text += "\n  " + thread;
    return text;
}

// Empty once the process holds as many descriptors and threads as in the
// baseline, within the limit; else what it holds, beside the baseline.
inline std::string settledTo(pid_t pid, const ProcessResources& baseline, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const ProcessResources now = resourcesOf(pid);
        if (now.sameCounts(baseline)) return {};
        if (std::chrono::steady_clock::now() > deadline)
            return "now " + describe(now) + "\nat the start " + describe(baseline);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace testing_support
