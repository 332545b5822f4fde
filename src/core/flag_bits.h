#pragma once
// Bits of the flag bytes of the shared record, one namespace per field.
#include <cstdint>

namespace core {

namespace protFlags {
inline constexpr uint8_t Tripped = 1u << 0;            // an error with the protection flag was raised
inline constexpr uint8_t DisplayCleared = 1u << 1;     // errors cleared by the amplifier's status reply
inline constexpr uint8_t TemporaryWarnings = 1u << 2;  // a temporary warning was raised
}  // namespace protFlags

namespace errorsHeld {
inline constexpr uint8_t Held = 1u << 0;  // until the amplifier's first "CP" reply
}  // namespace errorsHeld

namespace microResetFlags {
inline constexpr uint8_t Reported = 1u << 0;     // the amplifier reported a reset of its microcontroller
inline constexpr uint8_t ErrorRaised = 1u << 1;  // the micro-reset error was raised for it
}  // namespace microResetFlags

// Full-screen pages over the main screen; none set is the plain main screen.
namespace pageFlags {
inline constexpr uint8_t StatusPage = 1u << 0;
inline constexpr uint8_t BankTable = 1u << 1;
inline constexpr uint8_t FilterSettings = 1u << 2;
inline constexpr uint8_t FilterLoad = 1u << 3;
}  // namespace pageFlags

// Service actions of the settings menu.
namespace serviceFlags {
inline constexpr uint8_t FirmwareUpdateArmed = 1u << 0;  // the update pin is held low
inline constexpr uint8_t RemoteService = 1u << 1;        // the remote service shell was started
inline constexpr uint8_t FirmwareUpdating = 1u << 2;     // the firmware is being updated
inline constexpr uint8_t SoftwareUpdateArmed = 1u << 3;
}  // namespace serviceFlags

// The messages above the button bar; the lowest bit set is shown.
namespace panelFlags {
inline constexpr uint8_t SecondFunction = 1u << 0;  // "Entering second function..."
inline constexpr uint8_t BypassNotSaved = 1u << 1;  // "ATU ByPass not saved!"
inline constexpr uint8_t LocalMode = 1u << 2;       // "Set to Local Mode: Remote not started. ..."
inline constexpr uint8_t UpdateMessage = 1u << 3;   // drawn by the settings menu
inline constexpr uint8_t Locked = 1u << 4;          // "Locked operation."
inline constexpr uint8_t TuneDisabled = 1u << 5;    // "TUNE not Enabled."
inline constexpr uint8_t BypassActive = 1u << 6;    // "ByPass active."
inline constexpr uint8_t WaitingForTune = 1u << 7;  // "Waiting for Tune..."
}  // namespace panelFlags

// The tune as coordinated with the maker's transceiver.
namespace tuneTxState {
inline constexpr uint8_t StartedByTransmission = 1u << 1;
inline constexpr uint8_t SendRx = 1u << 2;  // "RX;" to be sent by the auxiliary link
inline constexpr uint8_t RxSent = 1u << 3;
inline constexpr uint8_t PanelTune = 1u << 4;    // started from the panel
inline constexpr uint8_t SendCarrier = 1u << 5;  // "TU120;TX2;" to be sent by the auxiliary link
inline constexpr uint8_t CarrierSent = 1u << 6;
}  // namespace tuneTxState

// The manual carrier of the manual tune screen.
namespace carrierControl {
inline constexpr uint8_t ChangePending = 1u << 0;  // a change of the transmit state is to be sent
inline constexpr uint8_t TransmitWanted = 1u << 1;
inline constexpr uint8_t AntennaInputCleared = 1u << 4;    // the antenna input was reset for the carrier
inline constexpr uint8_t AntennaInputConfirmed = 1u << 5;  // and the amplifier confirmed it
}  // namespace carrierControl

// The drive power request to the maker's transceiver.
namespace powerRequest {
inline constexpr uint8_t Send = 1u << 0;
inline constexpr uint8_t Sent = 1u << 1;
}  // namespace powerRequest

}  // namespace core
