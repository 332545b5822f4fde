#pragma once
// The pass phrase check of a new client. The comparison takes the same time
// whatever the texts hold, and the log shows both sides as the same fixed
// mask, so that neither their texts nor their lengths show.
#include <string_view>

namespace remote {

[[nodiscard]] bool samePassPhrase(std::string_view configured, std::string_view attempt);

// The comparison with its log line ("equals to" or, at error level, "differ from").
[[nodiscard]] bool checkPassPhrase(std::string_view configured, std::string_view attempt);

}  // namespace remote
