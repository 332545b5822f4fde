#pragma once
// Amplifier command codes. A code is both the entry queued in the command
// ring and the state of the link thread that sends the command; a few link
// states are no commands and are never queued.
#include <cstdint>

namespace core::cmd {

inline constexpr int32_t VersionQuery = 0;           // "VSM;"
inline constexpr int32_t Status = 1;                 // "ST;", the default next command
inline constexpr int32_t AwaitReply = 2;             // link state: reading the reply
inline constexpr int32_t DecodeReply = 3;            // link state: decoding the reply
inline constexpr int32_t SelectAntenna = 7;          // "SA%d;", NumAntenna + 1
inline constexpr int32_t FrequencyPoll = 8;          // "FM;"
inline constexpr int32_t Frequency = 9;              // "FA%011lu;"
inline constexpr int32_t TuneWordQuery = 10;         // "MT;"
inline constexpr int32_t TuneWord = 11;              // "MT1%08X;", tuneValue as it stands
inline constexpr int32_t FrequencySensor = 12;       // "FS%01d%04d;", recorded as "SF"
inline constexpr int32_t ClearProtections = 13;      // "CPFFFF;"
inline constexpr int32_t Attenuator = 14;            // "AT..;", attenuator
inline constexpr int32_t TuneAttenuator = 15;        // "AT..;", AttenuatorTune
inline constexpr int32_t PadsIn = 16;                // "AT11;"
inline constexpr int32_t ProtectionOff = 17;         // "MP0;"
inline constexpr int32_t ProtectionOn = 18;          // "MP1;"
inline constexpr int32_t LeaveBypass = 19;           // "AB0;"
inline constexpr int32_t Bypass = 20;                // "AB1;"
inline constexpr int32_t AntennaInput = 21;          // "AN%d;"
inline constexpr int32_t Thresholds = 22;            // "TS%04d%04d%04d%04d;"
inline constexpr int32_t Fan = 23;                   // "FN1%03d;" or "FN2%03d;", fanSpeed
inline constexpr int32_t ProtectionParameters = 24;  // "PS%04d%04d%04d%04d;"
inline constexpr int32_t RecallTune = 27;            // "MT1", the stored tune nearest to the frequency
inline constexpr int32_t Filter = 28;                // "SF30000%02x;"
inline constexpr int32_t HoldMicro = 30;             // "MR1;", the link then rests
inline constexpr int32_t Resting = 31;               // link state after "MR1;"
inline constexpr int32_t ReleaseMicro = 32;          // "MR0;"
inline constexpr int32_t GenericMode = 33;           // "GM%04d%04d;"
inline constexpr int32_t GeneralSettingsQuery = 34;  // "GS;"
inline constexpr int32_t GeneralSettings = 35;       // "GS%s;"
inline constexpr int32_t EepromPage0 = 36;           // "ER0000;"
inline constexpr int32_t EepromPage1 = 37;           // "ER0001;"
inline constexpr int32_t EepromPage2 = 38;           // "ER0002;"
inline constexpr int32_t TunerBypassKeep = 39;       // "MT1", tuner by-passed, C and L kept
inline constexpr int32_t DefaultTune = 40;           // "MT1", C 0, L 0, "CL"
inline constexpr int32_t CpuFan = 41;                // "FN1%03d;", fanSpeedCpu
inline constexpr int32_t Multiplier = 42;            // "CM%01.09f;"
inline constexpr int32_t EepromPage3 = 43;           // "ER0003;"
inline constexpr int32_t TunerBypass = 44;           // "MT1", tuner by-passed, C 0, L 0

}  // namespace core::cmd
