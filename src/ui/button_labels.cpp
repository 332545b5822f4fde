#include "ui/button_labels.h"

#include <cstdarg>
#include <cstdio>

#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/tune_value_bits.h"
#include "core/works.h"
#include "tuner/tune_word.h"
#include "ui/printed.h"
#include "ui/status_bar.h"

namespace ui {
namespace {

ButtonRow row(std::array<std::string, 2 * kButtons> text, uint8_t flags) {
    return {std::move(text), flags};
}

const std::array<ButtonRow, kScreenStates> kStartupLabels = [] {
    std::array<ButtonRow, kScreenStates> rows{};
    rows[screen::Main] = row(
        {"  MEM", "BANK %i", " IN-ATT", "%sdB", "   ANT", "", "  TUNE", " ", "   SET", " ", "   VIEW ", ""},
        longPressMark::Button1 | longPressMark::Button6);
    rows[screen::MenuList] =
        row({" BACK ", "", "  ", "", "    UP", "", "  DOWN", "", " ", "", "  ENTER", ""}, 0);
    rows[screen::MenuEdit] =
        row({" ", "", " < ", "", "   > ", "", "      - ", "", "     + ", "", "  ENTER", ""}, 0);
    rows[screen::TuneMenu] = row(
        {" BACK ", "", " TUNE F", "   Off", "  TUNE", "   Off", "   ATU", " ", "   ", "", "MANUAL", "Tune"},
        0);
    rows[screen::ManualTune] =
        row({" BACK ", "", " down L", "", "   up L", "", " down C", "", "   up C", "", "STARTTX", ""},
            longPressMark::Button1);
    rows[5] = row({"  ", "", " Retry", "", "Cancel", "", "", "", "", "", "", ""}, 0);
    rows[screen::BankTable] =
        row({" BACK", "PWROFF", " INTERF", "", "    UP", "", "  DOWN", "", "   UTIL", "", " ENTER", ""},
            longPressMark::Button1);
    rows[screen::BankCellEdit] =
        row({"BACK", "", "     < ", "", "      > ", "", "      - ", "", "     + ", "", "SAVE", ""}, 0);
    rows[screen::SaveTune] =
        row({"  ESC", "", "  BANK", "", "   ANT", "", " ", "", " ", "", "   SAVE", ""}, 0);
    rows[screen::BankUtilities] =
        row({"BACK", "", "  COPY", "", "   RESET", "", "  ", "", " ", "", " ", ""}, 0);
    rows[screen::BankCopy] =
        row({"BACK", "", " ORIGIN", "", "  DEST", "", "  ", "", " ", "", " START", "COPY"}, 0);
    rows[screen::BankReset] =
        row({"BACK", "", " BANK", "", "  ", "", "  ", "", " ", "", " START", "RESET"}, 0);
    rows[screen::FilterSettings] =
        row({" ESC", "", "    UP", "", "  DOWN", "", " ", "", "Enable", "", "Disable", ""}, 0);
    rows[screen::StatusPage] =
        row({"BACK", "PWROFF", " ", "", "  ", "", "  ", "", " ", "", " ", ""}, longPressMark::Button1);
    rows[screen::FilterLoad] =
        row({"BACK", "", "    UP", "", "  DOWN", "", " USB", "Search", " ", "", "  LOAD", " File"}, 0);
    rows[screen::FilterConfirm] = row({" ", "", " ", "", " ", "", " ", "", " NO", "", "  YES", ""}, 0);
    return rows;
}();

std::string& line(ButtonRow& row, int button, int lineNumber) {
    return row.text[2 * (button - 1) + (lineNumber - 1)];
}

const char* networkLabel(uint32_t tuneValue) {
    switch (tuneValue & core::tuneValue::ModeMask) {
        case core::tuneValue::NetworkCL:
            return "CL";
        case core::tuneValue::NetworkLC:
            return " LC";
        default:
            return "ByP";
    }
}

void tuneKindLabels(const core::Works& works, ButtonRow& row) {
    const int button = works.tuneFine != 0 ? 2 : 3;
    line(row, button, 2) = works.tuneState != 0 ? "    On" : "   Off";
}

// On these screens button 6 runs the error key before its own action.
void errorKeyLabels(core::Works& works, ButtonRow& row) {
    if (!core::VerifyError(works)) return;
    line(row, 6, 1) = "RESET";
    line(row, 6, 2) = " Error ";
}

void statusPageLabels(const core::Works& works, ButtonRow& row) {
    if (works.debugOverlay == 0) return;
    line(row, 3, 1) = "SET stBy";
    line(row, 4, 1) = "SET 5att";
    line(row, 5, 1) = "SET 0att";
}

}  // namespace

const ButtonRow& Novamenu(int32_t state) {
    static const ButtonRow none{};
    return state >= 0 && state < kScreenStates ? kStartupLabels[state] : none;
}

void SetAttenuatorLabel(const core::Works& works, ButtonRow& row) {
    if (works.bypass != 0) {
        line(row, 2, 2) = "  StdBy";
        return;
    }
    const unsigned attenuator = works.attenuator;
    line(row, 2, 2) = printed("  %sdB", attenuator < AttVectStr.size() ? AttVectStr[attenuator] : "-");
}

void LblMenuAntenna(const core::Works& works, ButtonRow& row) {
    line(row, 3, 2) = printed("     %d", works.NumAntenna + 1);
}

void LabelByPassATU(const core::Works& works, ButtonRow& row) {
    line(row, 4, 2) = works.tunerBypass != 0 ? "   ByP" : "   On";
}

void ImpostaLblManuale(const core::Works& works, ButtonRow& row) {
    const uint32_t word = works.tuneValue;
    line(row, 1, 2) = networkLabel(word);
    line(row, 3, 2) = printed("     %u", static_cast<unsigned>(tuner::DecodeInduttanzaFromTuneval(word)));
    line(row, 5, 2) = printed("     %u", static_cast<unsigned>(tuner::DecodeCapacitaFromTuneval(word)));
    if ((works.carrierControl & core::carrierControl::TransmitWanted) != 0)
        line(row, 6, 1) = "StopTX";
    else if (works.manualCarrierStopped != 0)
        line(row, 6, 1) = "StartTX";
}

void SetModeWorkLabel(const core::Works& works, ButtonRow& row) {
    line(row, 2, 2) = GetLblInterface(works.ModeWorkIdx);
}

void LabelSAVEATU(const core::Works& works, ButtonRow& row) {
    line(row, 2, 2) = printed("   %i", works.saveBank.load());
    line(row, 3, 2) = printed("     %i", works.saveAntenna + 1);
}

void LblCOPY(const core::Works& works, ButtonRow& row) {
    line(row, 2, 2) = printed("    %i", works.copyOrigin.load());
    line(row, 3, 2) = printed("    %i", works.copyDestination.load());
}

void LblRESET(const core::Works& works, ButtonRow& row) {
    const int32_t bank = works.resetBank;
    line(row, 2, 2) = bank >= works.MAXbank ? "  ALL" : printed("    %i", bank);
}

ButtonRow currentButtonLabels(core::Works& works) {
    const int32_t state = works.screenState;
    ButtonRow labels = Novamenu(state);
    switch (state) {
        case screen::Main:
            line(labels, 1, 2) = printed("BANK%i", works.NumBanco.load());
            SetAttenuatorLabel(works, labels);
            LblMenuAntenna(works, labels);
            line(labels, 6, 2) = printed("    %d", works.mainWindow.load());
            errorKeyLabels(works, labels);
            break;
        case screen::TuneMenu:
            tuneKindLabels(works, labels);
            LabelByPassATU(works, labels);
            errorKeyLabels(works, labels);
            break;
        case screen::ManualTune:
            ImpostaLblManuale(works, labels);
            break;
        case screen::BankTable:
            SetModeWorkLabel(works, labels);
            break;
        case screen::SaveTune:
            LabelSAVEATU(works, labels);
            break;
        case screen::BankCopy:
            LblCOPY(works, labels);
            break;
        case screen::BankReset:
            LblRESET(works, labels);
            break;
        case screen::StatusPage:
            statusPageLabels(works, labels);
            break;
        default:
            break;
    }
    return labels;
}

}  // namespace ui
