#pragma once
// The station's answers to what the lower layers ask of the higher ones.
#include "core/services.h"

namespace app {

class StationServices final : public core::Services {
  public:
    void tuneSearchStep(core::AmpRecord& works) override;
    void recallStoredTune(core::AmpRecord& works, int32_t antenna) override;
    int keyHandler(core::Works& works, int key, int held) override;
    void sendStatusToClient(core::Works& works) override;
    int findRemoteSettings(core::Works& works) override;
    int getAudioQOR(core::Works& works) override;
    bool getParameters(core::QorParams& destination, core::Works& works) override;
    void viewStatusInfo(core::Works& works, const core::QorParams& params) override;
    int saveLanParam(core::Works& works) override;
    int readSystemGetpack(core::Works& works) override;
    int readSystemGetpack2(core::Works& works) override;
};

}  // namespace app
