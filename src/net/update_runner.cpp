#include "net/update_runner.h"

#include <optional>
#include <string>

#include "config/version_text.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace net {
namespace {

int runScript(core::Works& works, const char* script) {
    works.updateErrorText.set("0");
    const std::optional<std::string> output = works.platform->system().runUpdateScript(script);
    if (!output) {
        platform::logError("can't start %s", script);
        return -1;
    }
    const config::ScriptVerdict verdict = config::scriptVerdictOf(*output);
    if (verdict.result != 0) works.updateErrorText.set(verdict.errorText);
    return verdict.result;
}

}  // namespace

int ReadSystemGetpack(core::Works& works) {
    return runScript(works, kGetpackScript);
}

int ReadSystemGetpack2(core::Works& works) {
    return runScript(works, kGetpackServiceScript);
}

}  // namespace net
