#pragma once
// The status information page: versions, identity, measurements, network
// settings and link state on one screen for the technician.
#include <string>
#include <vector>

#include "core/record/radio_block.h"

namespace core {
struct Works;
}  // namespace core

namespace net {

// The page's rows as drawn: label (empty for a continued row), value, y.
struct StatusRow {
    const char* label;
    std::string value;
    int y;
};

[[nodiscard]] std::vector<StatusRow> statusRows(core::Works& works, const core::QorParams& params);
// Draws the page while it is selected (bit 0 of pageFlags).
void ViewStatusInfo(core::Works& works, const core::QorParams& params);

}  // namespace net
