#pragma once
// The command line of an emulator: --root DIR, which every one needs, --help,
// and each emulator's own options, with a value or without.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sim {

class EmulatorArguments {
  public:
    explicit EmulatorArguments(std::string& root);

    // An option with a value, taken as it is.
    EmulatorArguments& text(const std::string& name, std::string& into);
    // An option with a value that take accepts, or refuses ("bad argument NAME VALUE").
    EmulatorArguments& checked(const std::string& name, std::function<bool(const std::string&)> take);
    // --device PATH, the port as the controller names it: an absolute path inside the run root.
    EmulatorArguments& device(std::string& into);
    // --time-scale X, a number above 0.
    EmulatorArguments& timeScale(double& into);
    // An option without a value.
    EmulatorArguments& flag(const std::string& name, bool& into);

    // False with the reason when the arguments are not usable.
    [[nodiscard]] bool parse(const std::vector<std::string>& arguments, std::string& error) const;

  private:
    struct Option {
        std::string name;
        bool valued;
        std::function<bool(const std::string&, std::string& error)> take;
    };
    std::vector<Option> options_;
    std::string& root_;
};

// For an emulator's main: the exit status when the command line ends the
// program, 0 once the usage is shown for --help or -h, 2 once the reason and
// the usage are; nothing when parse accepts the arguments.
[[nodiscard]] std::optional<int> endOnArguments(const std::vector<std::string>& arguments,
                                                const char* program, const char* usage,
                                                const std::function<bool(std::string& error)>& parse);

}  // namespace sim
