#pragma once
// The runners of the installation's software-update scripts.

namespace core {
struct Works;
}  // namespace core

namespace net {

inline constexpr const char* kGetpackScript = "/opt/Brisel/getpack.sh";
inline constexpr const char* kGetpackServiceScript = "/opt/Brisel/getpack2.sh";

// Run the update script, or the service one: 0 on success, the script's
// error code, or -1 when it gave no verdict or could not start.
int ReadSystemGetpack(core::Works& works);
int ReadSystemGetpack2(core::Works& works);

}  // namespace net
