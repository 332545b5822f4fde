#include "core/errors.h"

namespace core {
namespace {

struct Descriptor {
    uint8_t flags;
    const char* line1;
    const char* line2;
};

const Descriptor kDescriptors[kErrorCodes] = {
    {2, "1-High", "temperature"},  {3, "HI SWR", "error"},          {1, "1-High", "temperature"},
    {3, "PWR IN", "error"},        {4, "Comm", "warn "},            {4, "Remote warn", "Usb"},
    {4, "Audio", "not found"},     {4, "QOR mode", "not activated"}, {4, "QOR EXTIO", "warning"},
    {0, "Audio read", "warning"},  {0, "Audio write", "warning"},   {0, "Web socket", "warning"},
    {4, "Auto Tune", "timeout"},   {4, "Auto Tune", "SWR warning"}, {4, "Auto Tune", "QOR aborts"},
    {3, "Error", "---"},           {4, "Micro Reset", "warning"},   {4, "CMD not", "available"},
    {4, "Auto Tune", "Max SWR"},   {6, "Band warn", "StdBy"},       {4, "Remote warn", "Cat"},
    {2, "2-High", "temperature"},  {1, "2-High", "temperature"},    {2, "2-Warning", "temperature"},
    {2, "2-Warning", "temperature"}, {1, "Error Open", ""},         {1, "Error", "Soket Close"},
};

}  // namespace

void InitErrorDescriptors(Works& works) {
    for (int code = 0; code < kErrorCodes; ++code) {
        const Descriptor& descriptor = kDescriptors[code];
        works.errors.setDescriptor(code, descriptor.flags, descriptor.line1, descriptor.line2);
    }
    // The box of an unopened auxiliary port names the port.
    works.errors.setLine2(25, works.setup->text(works.setup->SerPort));
}

}  // namespace core
