#include "tuner/tune_events.h"

#include "core/record/amp_record.h"
#include "core/tune_value_bits.h"
#include "platform/log.h"
#include "tuner/tune_search.h"

namespace tuner {
namespace {

double megahertz(int32_t hertz) {
    return static_cast<double>(hertz) / 1e6;
}

const char* networkName(uint32_t tuneValue) {
    if (tuneValue & core::tuneValue::NetworkCL) return "CL";
    if (tuneValue & core::tuneValue::NetworkLC) return "LC";
    return "by-pass";
}

const char* exitText(TuneExit why) {
    switch (why) {
        case TuneExit::StoppedByUser:
            return "stopped by the user";
        case TuneExit::TimeOut:
            return "time-out";
        case TuneExit::TransmissionEnded:
            return "the transceiver stopped transmitting";
        case TuneExit::NoCarrier:
            return "no tune carrier from the transceiver";
        case TuneExit::Finished:
            break;
    }
    return "finished";
}

}  // namespace

void logTuneStarted(const core::AmpRecord& works, TuneOrigin origin) {
    const bool fromPanel = origin == TuneOrigin::Panel;
    if (works.tuneState == 0) {
        // A transmission retries on its own: only the key's refusal is news.
        if (fromPanel) logTuneRefused("the tuner is in by-pass");
        return;
    }
    platform::event("tune started %s: %s search at %.6f MHz, antenna %d",
                    fromPanel ? "from the panel" : "by the transceiver's transmission",
                    works.tuneFine == 1 ? "fine" : "complete", megahertz(works.frequency),
                    works.NumAntenna + 1);
}

void logTuneRefused(const char* why) {
    platform::event("tune refused: %s", why);
}

void logTuneEnded(const core::AmpRecord& works, TuneExit why, bool stored) {
    const double best = works.tuneBestSwr;
    if (stored) {
        platform::event("tune stored: SWR %.2f, L %d C %d %s, %.6f MHz, antenna %d, bank %d", best,
                        works.tuneL.load(), works.tuneC.load(), networkName(works.tuneValue),
                        megahertz(works.frequency), works.NumAntenna + 1, works.NumBanco.load());
        return;
    }
    if (why == TuneExit::TimeOut) {
        platform::event("tune ended without storing: time-out after %d steps, best SWR %.2f",
                        works.cnttune.load(), best);
    } else if (why != TuneExit::Finished) {
        platform::event("tune ended without storing: %s", exitText(why));
    } else if (works.tuneMeasured == 0) {
        platform::event("tune ended without storing: no forward power measured");
    } else if (best > kMaxStoredSwr) {
        platform::event("tune ended without storing: target not reached, best SWR %.2f above %.1f", best,
                        static_cast<double>(kMaxStoredSwr));
    } else {
        platform::event("tune ended without storing: no tune memory of bank %d antenna %d at %.6f MHz",
                        works.NumBanco.load(), works.NumAntenna + 1, megahertz(works.frequency));
    }
}

}  // namespace tuner
