#include "sim/common/emulator_arguments.h"

#include <algorithm>
#include <cstdio>

#include "platform/sim/scaled_clock.h"

namespace sim {

EmulatorArguments::EmulatorArguments(std::string& root) : root_(root) {
    text("--root", root);
}

EmulatorArguments& EmulatorArguments::text(const std::string& name, std::string& into) {
    options_.push_back({name, true, [&into](const std::string& value, std::string&) {
                            into = value;
                            return true;
                        }});
    return *this;
}

EmulatorArguments& EmulatorArguments::checked(const std::string& name,
                                              std::function<bool(const std::string&)> take) {
    options_.push_back(
        {name, true, [name, take = std::move(take)](const std::string& value, std::string& error) {
             if (take(value)) return true;
             error = "bad argument " + name + " " + value;
             return false;
         }});
    return *this;
}

EmulatorArguments& EmulatorArguments::device(std::string& into) {
    options_.push_back({"--device", true, [&into](const std::string& value, std::string& error) {
                            if (value.empty() || value[0] != '/') {
                                error = "--device must be an absolute path";
                                return false;
                            }
                            into = value;
                            return true;
                        }});
    return *this;
}

EmulatorArguments& EmulatorArguments::timeScale(double& into) {
    options_.push_back({"--time-scale", true, [&into](const std::string& value, std::string& error) {
                            const std::optional<double> scale = platform::parseTimeScale(value);
                            if (!scale) {
                                error = "--time-scale needs a number above 0";
                                return false;
                            }
                            into = *scale;
                            return true;
                        }});
    return *this;
}

EmulatorArguments& EmulatorArguments::flag(const std::string& name, bool& into) {
    options_.push_back({name, false, [&into](const std::string&, std::string&) {
                            into = true;
                            return true;
                        }});
    return *this;
}

bool EmulatorArguments::parse(const std::vector<std::string>& arguments, std::string& error) const {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        auto option = std::find_if(options_.begin(), options_.end(),
                                   [&name](const Option& known) { return known.name == name; });
        if (option == options_.end()) {
            error = "unknown argument " + name;
            return false;
        }
        if (option->valued && i + 1 >= arguments.size()) {
            error = name + " needs a value";
            return false;
        }
        if (!option->take(option->valued ? arguments[++i] : std::string(), error)) return false;
    }
    if (root_.empty()) {
        error = "--root is required";
        return false;
    }
    return true;
}

std::optional<int> endOnArguments(const std::vector<std::string>& arguments, const char* program,
                                  const char* usage, const std::function<bool(std::string& error)>& parse) {
    if (std::find_if(arguments.begin(), arguments.end(), [](const std::string& argument) {
            return argument == "--help" || argument == "-h";
        }) != arguments.end()) {
        std::fputs(usage, stdout);
        return 0;
    }
    std::string error;
    if (parse(error)) return std::nullopt;
    std::fprintf(stderr, "%s: %s\n%s", program, error.c_str(), usage);
    return 2;
}

}  // namespace sim
