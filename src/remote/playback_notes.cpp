#include "remote/playback_notes.h"

#include "platform/log.h"

namespace remote {

void PlaybackNotes::add(PlaybackNote note) noexcept {
    const uint32_t next = added_.load(std::memory_order_relaxed);
    if (next - taken_.load(std::memory_order_acquire) >= kCapacity) {
        dropped_.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    notes_[next % kCapacity] = note;
    added_.store(next + 1, std::memory_order_release);
}

void printPlaybackNotes(PlaybackNotes& notes, platform::Sound& sound) {
    const uint32_t dropped = notes.takeAll([&sound](const PlaybackNote& note) {
        switch (note.kind) {
            case PlaybackNoteKind::DeviceInError:
                platform::logError("prepare to output audio interface failed %d (%d - %s)", note.index,
                                   note.value, sound.errorText(note.value).c_str());
                return;
            case PlaybackNoteKind::RewroteAfterError:
                platform::trace("1");
                if (note.value < 0)
                    platform::trace("Mic 1 send error %d (%s)", note.value,
                                    sound.errorText(note.value).c_str());
                return;
            case PlaybackNoteKind::WrotePeriod:
                platform::trace("2 %d\n", note.value);
                return;
            case PlaybackNoteKind::RewroteAfterUnderrun:
                platform::trace("3");
                if (note.value < 0)
                    platform::trace("Mic 2 send error %d (%s)", note.value,
                                    sound.errorText(note.value).c_str());
                return;
            case PlaybackNoteKind::ShortWrite:
                platform::trace("Mic 3 send error %d (%s)", note.value, sound.errorText(note.value).c_str());
                return;
            case PlaybackNoteKind::TooMuchSound:
                platform::logInfo("too much sound %d", note.value);
                return;
            case PlaybackNoteKind::SoundExhausted:
                platform::logInfo("sound exausted");
                return;
        }
    });
    if (dropped > 0) platform::trace("%u playback notes dropped\n", dropped);
}

}  // namespace remote
