#pragma once
// The receive filter file /opt/set/filter.txt and the filter files offered on
// a USB stick mounted at /mnt.

namespace core {
struct AmpRecord;
struct Works;
}  // namespace core

namespace config {

inline constexpr const char* kFilterPath = "/opt/set/filter.txt";
inline constexpr const char* kUsbFolder = "/mnt";

// Reads the table at start-up; without the file every filter stays disabled.
void LoadTabFiltri(core::AmpRecord& works);
// Saves the table; a failure is logged and the table in memory keeps the change.
void SaveTabFiltri(core::AmpRecord& works);
// Lists the first sixteen .txt files of /mnt; 1 when /mnt cannot be opened, else 0.
int ListFile_Filter(core::Works& works);
// Checks the listed file usbFileSel: 0 passed, 1 cannot be opened, 2 a line failed.
int VeryfyFilterFileUSB(core::Works& works);
// Takes the checked file usbFileSel as the filter table and saves it; false
// when it cannot be read or no longer passes the check.
bool LoadFilterFileUSB(core::Works& works);

}  // namespace config
