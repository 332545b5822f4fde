#include "config/remote_threads.h"

#include <chrono>

#include "config/setup.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/record/amp_record.h"
#include "core/record/setup_record.h"
#include "core/threads.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace config {

void StartThreadCommRemote(core::AmpRecord& works) {
    works.remoteFault = 0;
    core::SetupRecord& setup = *works.setup;
    struct Remote {
        std::atomic<char>& enable;
        void (*starter)(core::AmpRecord&);
    };
    for (Remote remote :
         {Remote{setup.EnableWrite, core::StartThreadAudioWrite},
          Remote{setup.EnableRead, core::StartThreadAudioRead}, Remote{setup.EnableCAT, core::StartThreadCAT},
          Remote{setup.EnableFFT, core::StartQorReadFFT}}) {
        if (remote.enable == '0') {
            remote.enable = '1';
            remote.starter(works);
        }
    }
    writeSetup(works);
}

void ExitThreadRemote(core::AmpRecord& works) {
    core::SetupRecord& setup = *works.setup;
    setup.EnableWrite = '0';
    setup.EnableRead = '0';
    setup.EnableCAT = '0';
    setup.EnableFFT = '0';
    works.platform->clock().sleepFor(std::chrono::milliseconds(500));
    for (int code : {core::err::AudioRead, core::err::AudioWrite, core::err::RemoteUsb, core::err::RemoteCat})
        core::DeleteErrore(works, code);
    writeSetup(works);
    platform::trace(">>>>>>>>>>>>>>>>>>>>>>>>> REMOTE STOP \n");
}

}  // namespace config
