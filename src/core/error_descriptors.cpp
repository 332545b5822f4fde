#include "core/error_codes.h"
#include "core/errors.h"
#include "core/works.h"

namespace core {
namespace {

struct Descriptor {
    uint8_t flags;
    const char* line1;
    const char* line2;
};

// Indexed by error code.
const Descriptor kDescriptors[kErrorCodes] = {
    {kErrorProtection, "1-High", "temperature"},                 // Temp1Cooled
    {kErrorAlarm | kErrorProtection, "HI SWR", "error"},         // Swr
    {kErrorAlarm, "1-High", "temperature"},                      // Temp1Alarm
    {kErrorAlarm | kErrorProtection, "PWR IN", "error"},         // InputPower
    {kErrorTemporary, "Comm", "warn "},                          // Communication
    {kErrorTemporary, "Remote warn", "Usb"},                     // RemoteUsb
    {kErrorTemporary, "Audio", "not found"},                     // AudioNotFound
    {kErrorTemporary, "QOR mode", "not activated"},              // QorModeOff
    {kErrorTemporary, "QOR EXTIO", "warning"},                   // QorLink
    {0, "Audio read", "warning"},                                // AudioRead
    {0, "Audio write", "warning"},                               // AudioWrite
    {0, "Web socket", "warning"},                                // WebSocket
    {kErrorTemporary, "Auto Tune", "timeout"},                   // TuneTimeout
    {kErrorTemporary, "Auto Tune", "SWR warning"},               // TuneSwrTimeout
    {kErrorTemporary, "Auto Tune", "QOR aborts"},                // TuneAborted
    {kErrorAlarm | kErrorProtection, "Error", "---"},            // AmpProtection
    {kErrorTemporary, "Micro Reset", "warning"},                 // MicroReset
    {kErrorTemporary, "CMD not", "available"},                   // NotAvailable
    {kErrorTemporary, "Auto Tune", "Max SWR"},                   // TuneMaxSwr
    {kErrorProtection | kErrorTemporary, "Band warn", "StdBy"},  // BandProtection
    {kErrorTemporary, "Remote warn", "Cat"},                     // RemoteCat
    {kErrorProtection, "2-High", "temperature"},                 // Temp2Cooled
    {kErrorAlarm, "2-High", "temperature"},                      // Temp2Alarm
    {kErrorProtection, "2-Warning", "temperature"},              // Temp1Warning
    {kErrorProtection, "2-Warning", "temperature"},              // Temp2Warning
    {kErrorAlarm, "Error Open", ""},                             // QorPortOpen
    {kErrorAlarm, "Error", "Soket Close"},                       // SocketClosed
};

}  // namespace

void InitErrorDescriptors(Works& works) {
    for (int code = 0; code < kErrorCodes; ++code) {
        const Descriptor& descriptor = kDescriptors[code];
        works.errors.setDescriptor(code, descriptor.flags, descriptor.line1, descriptor.line2);
    }
    // The box of an unopened auxiliary port names the port.
    works.errors.setLine2(err::QorPortOpen, works.setup->text(works.setup->SerPort));
}

}  // namespace core
