#pragma once
// What the lower layers ask of the higher ones: the link runs the tuner's
// search, the panel draws the network service's status page, the main loop
// feeds the remote client, and so on. app builds the one implementation, as
// it alone knows every subsystem; the defaults here do nothing and report
// failure, for records that run without a station (benchmarks, fuzzing).
#include <cstdint>

#include "core/record/radio_block.h"

namespace core {

struct AmpRecord;
struct Works;

class Services {
  public:
    Services() = default;
    Services(const Services&) = delete;
    Services& operator=(const Services&) = delete;
    virtual ~Services() = default;

    // Amplifier link: one tune search step after a status reply; the stored
    // tune of an antenna.
    virtual void tuneSearchStep(AmpRecord&) {}
    virtual void recallStoredTune(AmpRecord&, int32_t /*antenna*/) {}

    // Front panel: takes a key, 1..6, held 0 for a short press, else the held
    // mask of a long press or repeat. Non-zero asks for repeat.
    virtual int keyHandler(Works&, int /*key*/, int /*held*/) { return 0; }

    // Remote operation: the status record to the authenticated client; the
    // prerequisites (0 all present, 1 the transceiver not on USB, 2 its CAT
    // port silent, 3 its audio device missing; -1 not checked) and the count
    // of the transceiver's audio devices.
    virtual void sendStatusToClient(Works&) {}
    virtual int findRemoteSettings(Works&) { return -1; }
    virtual int getAudioQOR(Works&) { return 0; }

    // The maker's transceiver: a copy of its parameter record; false, nothing
    // copied, when it could not be taken.
    virtual bool getParameters(QorParams& /*destination*/, Works&) { return false; }

    // Network service: the status page; saving the edited LAN settings and
    // the two update scripts (0 on success).
    virtual void viewStatusInfo(Works&, const QorParams& /*params*/) {}
    virtual int saveLanParam(Works&) { return -1; }
    virtual int readSystemGetpack(Works&) { return -1; }
    virtual int readSystemGetpack2(Works&) { return -1; }

    // The one that does nothing.
    static Services& none() {
        static Services nothing;
        return nothing;
    }
};

}  // namespace core
