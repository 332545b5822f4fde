#pragma once
// Finding the transceiver's CAT port among the USB serial devices: the one
// that answers the identification command "DT;" with "DT001;".
#include <string>
#include <vector>

namespace core {
struct Works;
}  // namespace core

namespace remote {

// The /dev/ttyUSB* devices in sorted order, as absolute paths of the target.
[[nodiscard]] std::vector<std::string> catCandidates(core::Works& works);

// Tries the candidates from the last to the first; 0 with catFD set to the
// port that answered, -1 when none did. Every port tried and rejected is closed.
int VerifyCAT(core::Works& works);

}  // namespace remote
