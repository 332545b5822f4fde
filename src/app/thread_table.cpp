#include "app/thread_table.h"

#include "amp/link.h"
#include "app/oneshot_threads.h"
#include "core/works.h"
#include "net/lan_info.h"
#include "radio/aux_serial.h"
#include "radio/cat_serial.h"
#include "radio/usb_iq_reader.h"
#include "remote/audio_capture.h"
#include "remote/audio_playback.h"
#include "remote/cat_bridge.h"
#include "remote/server.h"
#include "ui/gpio_thread.h"
#include "ui/keyboard_thread.h"
#include "ui/main_loop.h"

namespace app {

// The link and the transceivers' threads take only their part of the record.
void registerThreadBodies(core::ThreadSet& threads) {
    using core::ThreadId;
    threads.setBody(ThreadId::GPIO, ui::GPIO);
    threads.setBody(ThreadId::Linear, [](core::Works& works) { amp::Linear(works); });
    threads.setBody(ThreadId::LoadThread, LoadThread);
    threads.setBody(ThreadId::LANInfoThread, net::LANInfoThread);
    threads.setBody(ThreadId::AggFWThread, AggFWThread);
    threads.setBody(ThreadId::Keyb, ui::keyb);
    threads.setBody(ThreadId::Timer, ui::timer);
    threads.setBody(ThreadId::Wsocket, remote::Wsocket);
    threads.setBody(ThreadId::AudioWrite, remote::th_scrivi);
    threads.setBody(ThreadId::AudioRead, remote::th_leggi);
    threads.setBody(ThreadId::Cat, remote::Cat);
    threads.setBody(ThreadId::CatSerial, [](core::Works& works) { radio::CatSerial(works); });
    threads.setBody(ThreadId::FFT, [](core::Works& works) { radio::QORRead(works); });
    threads.setBody(ThreadId::Serial, [](core::Works& works) { radio::Serial(works); });
}

}  // namespace app
