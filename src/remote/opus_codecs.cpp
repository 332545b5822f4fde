#include "remote/opus_codecs.h"

#include <opus.h>

#include "core/works.h"
#include "platform/log.h"

namespace remote {

void createOpusCodecs(core::Works& works) {
    int error = 0;
    works.opusEncoder = opus_encoder_create(works.sampleRate, 2, OPUS_APPLICATION_AUDIO, &error);
    if (error != OPUS_OK || works.opusEncoder == nullptr) {
        platform::logError("failed to create an encoder: %s", opus_strerror(error));
        works.opusEncoder = nullptr;
        works.txBitrate = 0;
    } else {
        error = opus_encoder_ctl(works.opusEncoder, OPUS_SET_BITRATE(works.txBitrate.load()));
        if (error != OPUS_OK) platform::logError("failed to set bitrate: %s", opus_strerror(error));
    }
    works.opusDecoder = opus_decoder_create(works.sampleRate, 2, &error);
    if (error != OPUS_OK || works.opusDecoder == nullptr) {
        platform::logError("failed to create decoder: %s", opus_strerror(error));
        works.opusDecoder = nullptr;
        works.rxCoding = 0;
    }
}

void destroyOpusCodecs(core::Works& works) {
    if (works.opusEncoder != nullptr) opus_encoder_destroy(works.opusEncoder);
    if (works.opusDecoder != nullptr) opus_decoder_destroy(works.opusDecoder);
    works.opusEncoder = nullptr;
    works.opusDecoder = nullptr;
}

}  // namespace remote
