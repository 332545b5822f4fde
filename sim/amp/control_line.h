#pragma once
// The control socket of the small emulators: a Unix stream socket that takes
// one command line per connection and answers it with one line.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// Listens at path, its folder made and an old socket there replaced; -1 on failure.
[[nodiscard]] int listenForControl(const std::string& path);

// One connection from listener: a line in (at most 256 bytes, within 1 s),
// the answer out with its newline, then closed. name prefixes a failure message.
void answerControlLine(int listener, const std::function<std::string(std::string_view)>& answer,
                       const char* name);

// A command line's words, split at blanks, tabs and carriage returns.
[[nodiscard]] std::vector<std::string_view> controlWords(std::string_view line);

}  // namespace sim
