#include "app/station_services.h"

#include "core/works.h"
#include "net/lan_param.h"
#include "net/status_page.h"
#include "net/update_runner.h"
#include "radio/aux_serial.h"
#include "remote/frame_writers.h"
#include "remote/remote_checks.h"
#include "tuner/tune_memory.h"
#include "tuner/tune_search.h"
#include "ui/key_dispatch.h"

namespace app {

void StationServices::tuneSearchStep(core::AmpRecord& works) {
    tuner::TuneTask(works);
}

void StationServices::recallStoredTune(core::AmpRecord& works, int32_t antenna) {
    tuner::LoadTuneFromMEM(works, antenna);
}

int StationServices::keyHandler(core::Works& works, int key, int held) {
    return ui::DecodeTasto(works, key, held);
}

void StationServices::sendStatusToClient(core::Works& works) {
    remote::sendStatusToClient(works);
}

int StationServices::findRemoteSettings(core::Works& works) {
    return remote::Find_Remote_Settings(works);
}

int StationServices::getAudioQOR(core::Works& works) {
    return remote::Get_AudioQOR(works);
}

bool StationServices::getParameters(core::QorParams& destination, core::Works& works) {
    return radio::getParameters(destination, works);
}

void StationServices::viewStatusInfo(core::Works& works, const core::QorParams& params) {
    net::ViewStatusInfo(works, params);
}

int StationServices::saveLanParam(core::Works& works) {
    return net::SaveLanParam(works);
}

int StationServices::readSystemGetpack(core::Works& works) {
    return net::ReadSystemGetpack(works);
}

int StationServices::readSystemGetpack2(core::Works& works) {
    return net::ReadSystemGetpack2(works);
}

}  // namespace app
