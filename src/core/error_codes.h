#pragma once
// Error codes of the error list; the descriptor table is indexed by them.
#include <cstdint>

namespace core::err {

inline constexpr int32_t Temp1Cooled = 0;      // sensor 1 back below its limit after an alarm
inline constexpr int32_t Swr = 1;              // the amplifier's SWR alarm
inline constexpr int32_t Temp1Alarm = 2;       // sensor 1 over MaxTemperature
inline constexpr int32_t InputPower = 3;       // the amplifier's input-power protection
inline constexpr int32_t Communication = 4;    // command retries given up
inline constexpr int32_t RemoteUsb = 5;        // USB IQ reader stopped
inline constexpr int32_t AudioNotFound = 6;    // remote check: no audio device
inline constexpr int32_t QorModeOff = 7;       // remote check: auxiliary stream not enabled
inline constexpr int32_t QorLink = 8;          // auxiliary serial link fault
inline constexpr int32_t AudioRead = 9;        // audio capture stopped
inline constexpr int32_t AudioWrite = 10;      // audio playback stopped
inline constexpr int32_t WebSocket = 11;       // defined, raised by nothing
inline constexpr int32_t TuneTimeout = 12;     // tune search out of steps, no SWR target
inline constexpr int32_t TuneSwrTimeout = 13;  // tune search out of steps with an SWR target
inline constexpr int32_t TuneAborted = 14;     // the transceiver gave no tune carrier
inline constexpr int32_t AmpProtection = 15;   // other amplifier protections, cause in line 2
inline constexpr int32_t MicroReset = 16;      // the amplifier's microcontroller was reset
inline constexpr int32_t NotAvailable = 17;    // a key for a function that is not available
inline constexpr int32_t TuneMaxSwr = 18;      // tune search ended above the SWR limit
inline constexpr int32_t BandProtection = 19;  // the amplifier's band protection
inline constexpr int32_t RemoteCat = 20;       // CAT bridge stopped
inline constexpr int32_t Temp2Cooled = 21;     // sensor 2 back below its limit after an alarm
inline constexpr int32_t Temp2Alarm = 22;      // sensor 2 over MaxTemperature2
inline constexpr int32_t Temp1Warning = 23;    // sensor 1 close below its limit
inline constexpr int32_t Temp2Warning = 24;    // sensor 2 close below its limit
inline constexpr int32_t QorPortOpen = 25;     // auxiliary serial port not opened, line 2 names it
inline constexpr int32_t SocketClosed = 26;    // defined, raised by nothing

}  // namespace core::err
