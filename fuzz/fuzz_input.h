#pragma once
// What every fuzz target shares: its entry point, the input as text, and a
// log that swallows the traces (they would cost more than the parsing).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fuzzing {

inline std::string_view text(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

class SilentLog : public platform::LogSink {
  public:
    void write(platform::LogChannel, std::string_view) override {}
};

inline void silenceLog() {
    static SilentLog sink;
    platform::setLogSink(&sink);
}

}  // namespace fuzzing
