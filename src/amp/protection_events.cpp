#include "amp/protection_events.h"

#include "core/record/amp_record.h"
#include "core/status_bits.h"
#include "platform/log.h"

namespace amp {
namespace {

struct Protection {
    uint16_t bit;
    const char* words;
    const char* panel;  // the error box it raises
};

constexpr Protection kProtections[] = {
    {kSwrProtection, "SWR", "HI SWR error"},
    {core::ampProt::OutputCurrent, "output current", "Error I OUT"},
    {core::ampProt::Reflected, "reflected power", "Error REFL"},
    {core::ampProt::Forward, "forward power", "Error FWD"},
    {core::ampProt::PowerSensor, "power sensor", "Error SENS PW"},
    {core::ampProt::TxFilter, "transmit filter", "Error FILTER TX"},
    {core::ampProt::InputPower, "input power (over-drive)", "PWR IN error"},
    {core::ampProt::Band, "band", "Band warn StdBy"},
};

constexpr uint16_t kProtBits = core::ampProt::Causes | core::ampProt::InputPower;

}  // namespace

uint16_t protectionsOf(uint8_t status, uint8_t prot) {
    uint16_t protections = prot & kProtBits;
    if (status & core::ampStatus::SwrAlarm) protections |= kSwrProtection;
    return protections;
}

void logProtectionChanges(core::AmpRecord& works, uint8_t status, uint8_t prot) {
    const uint16_t now = protectionsOf(status, prot);
    const uint16_t logged = works.protectionsLogged;
    const uint16_t raised = works.tuneState != 0 ? 0 : static_cast<uint16_t>(now & ~logged);
    const uint16_t cleared = static_cast<uint16_t>(logged & ~now);
    for (const Protection& protection : kProtections) {
        if (raised & protection.bit)
            platform::event("protection raised: %s (%s)", protection.words, protection.panel);
        if (cleared & protection.bit)
            platform::event("protection cleared: %s (%s)", protection.words, protection.panel);
    }
    works.protectionsLogged = static_cast<uint16_t>((logged | raised) & ~cleared);
}

}  // namespace amp
