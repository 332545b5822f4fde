#pragma once
// Reading and saving the system's files. /opt/set is mounted read-only and is
// remounted read-write only around a save. A save never leaves a half-written
// file: the text goes to a temporary file in the same folder, is synced and
// renamed over the old one. Saves are serialised, so one save's read-only
// remount never cuts into another's write.
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/run_root.h"
#include "platform/system.h"

namespace platform {

class FileStore {
  public:
    FileStore(const RunRoot& root, System& system) : root_(root), system_(system) {}

    [[nodiscard]] std::optional<std::string> read(std::string_view path) const;
    // Remount read-write, replace the file, remount read-only. False when the
    // file was not replaced; the failure is logged.
    [[nodiscard]] bool save(std::string_view path, std::string_view contents);
    // The same window around a removal; a missing file counts as removed.
    [[nodiscard]] bool remove(std::string_view path);
    // The same window around adding text to the end of a log file; a file
    // that does not exist yet is created starting with the header.
    [[nodiscard]] bool append(std::string_view path, std::string_view header, std::string_view text);

    // A removal for a caller that reports each step in its own words: only
    // failed remounts are logged here.
    struct Removal {
        bool windowOpened = false;  // the read-write remount succeeded
        int error = 0;              // errno of a failed removal, 0 once the file is gone
        int readOnlyStatus = 0;     // status of the read-only remount after it
    };
    [[nodiscard]] Removal removeReportingSteps(std::string_view path);

  private:
    bool remountReadWrite();
    int remountReadOnly();
    bool replace(const std::string& target, std::string_view contents);
    bool addToEnd(const std::string& target, std::string_view header, std::string_view text);

    const RunRoot& root_;
    System& system_;
    std::mutex saveMutex_;
};

}  // namespace platform
