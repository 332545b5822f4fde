#pragma once
// Every absolute path the system uses goes through the run root: on the
// target the root is empty and paths stand as they are; in simulation and in
// tests they land inside a folder of their own.
#include <string>
#include <string_view>

namespace platform {

class RunRoot {
  public:
    RunRoot() = default;
    explicit RunRoot(std::string directory);

    // "/opt/set/setup.txt" -> "<root>/opt/set/setup.txt"
    [[nodiscard]] std::string resolve(std::string_view absolutePath) const;
    [[nodiscard]] const std::string& directory() const { return directory_; }

  private:
    std::string directory_;
};

}  // namespace platform
