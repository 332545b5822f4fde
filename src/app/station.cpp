#include "app/station.h"

#include <signal.h>

#include <chrono>
#include <memory>

#include "amp/fan_table.h"
#include "amp/startup_commands.h"
#include "app/station_services.h"
#include "app/thread_table.h"
#include "config/band_config_file.h"
#include "config/config_offset_file.h"
#include "config/filter_files.h"
#include "config/name_file.h"
#include "config/setup.h"
#include "core/threads.h"
#include "core/tiny_mailbox.h"
#include "core/works.h"
#include "net/lan_param.h"
#include "platform/log.h"
#include "radio/aux_serial.h"
#include "remote/opus_codecs.h"
#include "remote/remote_checks.h"
#include "remote/server.h"
#include "tuner/memory_banks.h"
#include "ui/fonts.h"
#include "ui/framebuffer.h"
#include "ui/panel_screens.h"
#include "ui/settings_menu.h"
#include "ui/spectrum_plot.h"

namespace app {
// The composition root works on the record and thread set of the core throughout.
using namespace core;

namespace {

std::atomic<int32_t>* runFlag = nullptr;
volatile sig_atomic_t stopSignal = 0;

void sighandler(int) {}

void stopRun(int number) {
    stopSignal = number;
    if (runFlag != nullptr) runFlag->store(0);
}

// Catchable signals are ignored so that, for example, a write to a closed
// socket does not end the process. SIGINT and SIGTERM end the run as the
// service keyboard's exit key does (the service manager stops the program
// with SIGTERM). SIGCHLD and SIGIO keep their action, and so do the signals
// of a real fault, which must not return to the faulting instruction again
// and again.
void installSignalHandlers(Works& works) {
    runFlag = &works.running;
    for (int number = 1; number <= 30; ++number) {
        switch (number) {
            case SIGILL:
            case SIGTRAP:
            case SIGABRT:
            case SIGBUS:
            case SIGFPE:
            case SIGSEGV:
            case SIGKILL:
            case SIGSTOP:
            case SIGCHLD:
            case SIGIO:
                continue;
            default:
                break;
        }
        struct sigaction action {};
        action.sa_handler = number == SIGINT || number == SIGTERM ? stopRun : sighandler;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(number, &action, nullptr);
    }
}

using std::chrono::milliseconds;
using std::chrono::seconds;

// Start-up pauses end early when the run is stopped meanwhile.
// What the auxiliary link has reported by now; a record without a block yet
// keeps the default frequency.
void takeTransceiverFrequency(Works& works) {
    core::QorParams transceiver{};
    if (!radio::getParameters(transceiver, works)) return;
    const int32_t active = transceiver[core::qorWord::ActiveFrequency];
    if (active > 0) works.frequency = active;
}

void startUp(Works& works) {
    platform::Clock& clock = works.platform->clock();
    InitGlobalVar(works);
    works.CntIP = works.CntDNS = works.CntNetMask = works.CntGateway = 3;
    config::LoadNameBRISEL(works);
    amp::InitMicroCmd(works);
    for (int table = 0; table < 3; ++table) amp::ReadVentolaFile(works, table);
    config::LoadTabFiltri(works);
    config::readSetup(works);
    config::LoadConfigOffsetFile(works);
    config::ReadConfigFile(works);
    config::VerifyTemperature(works);
    ui::InitGrid(works);
    tuner::LoadAllBankTable(works, works.NumBanco);
    works.antennaRow = -1;
    platform::trace("ModeWorkIdx %i \n", works.ModeWorkIdx.load());
    net::ReadLanParam(works);
    ui::loadFonts(works);

    StartThreadGPIO(works);
    clock.sleepWhileRunning(seconds(1), works.running);
    CmandoTinyconAttesaStato(works, 197);
    clock.sleepWhileRunning(milliseconds(100), works.running);
    StartThreadLinear(works);
    clock.sleepWhileRunning(seconds(1), works.running);

    works.waitQOR = 10;
    works.startTime = clock.wallTime();
    ui::showBackground(works, ui::startImage(works));
    works.startInitThread = 1;
    StartLoadThread(works);
    clock.sleepWhileRunning(seconds(works.waitQOR + 1), works.running);
    works.startInitThread = 0;

    StartThreadLANinfo(works);
    StartAggFWThread(works);
    ui::showBackground(works, "statusB");
    ui::InitMenuNova(works);
    takeTransceiverFrequency(works);

    remote::createOpusCodecs(works);
    StartThreadKeyb(works);
    StartThreadSoket(works);
    StartThreadQOR(works);
    remote::decideRemoteAtStartUp(works);
    StartThreadCATserial(works);
    StartThreadTimer(works);
}

void shutDown(Works& works) {
    platform::trace("Close..\n");
    ui::showBackground(works, ui::startImage(works));
    ui::showBackgroundText(works, 330, 400, "Error! Close Program! Restart hw.");
    // The closing text stays on the panel a while before the threads are joined.
    works.platform->clock().sleepFor(seconds(2));
    platform::logInfo("Communicator operations end");

    struct Join {
        ThreadId id;
        const char* message;
    };
    const Join order[] = {
        {ThreadId::Keyb, "Communicator joined Key end"},
        {ThreadId::FFT, "Communicator joined FFT end"},
        {ThreadId::AudioRead, nullptr},
        {ThreadId::AudioWrite, nullptr},
        {ThreadId::Wsocket, "Communicator joined Wsocket end"},
        {ThreadId::Cat, "Communicator joined Cat end"},
        {ThreadId::CatSerial, "Communicator joined CatSerial end"},
        {ThreadId::Serial, "Communicator joined Serial end"},
        {ThreadId::Linear, "Communicator joined Linear end"},
        {ThreadId::Timer, "Communicator joined Time end"},
        {ThreadId::GPIO, "Communicator joined GPIO end"},
        {ThreadId::LoadThread, nullptr},
        {ThreadId::LANInfoThread, nullptr},
        {ThreadId::AggFWThread, nullptr},
    };
    for (const Join& join : order)
        if (works.threads->join(join.id) && join.message != nullptr) platform::logInfo("%s", join.message);

    remote::destroyOpusCodecs(works);
    platform::trace("Closed!\n");
}

}  // namespace

int runStation(platform::Platform& machine) {
    platform::trace("START Main ----------------------------------------------------------------\n");
    platform::trace("BRISEL version %s\n", kSoftwareVersion);
    platform::logInfo("BRISEL version %s", kSoftwareVersion);

    Works works;
    core::SetupRecord setup;
    ThreadSet threads;
    TryMutex serMut;
    core::SpectrumRecord spectrum{};
    works.platform = &machine;
    works.setup = &setup;
    works.threads = &threads;
    registerThreadBodies(threads);
    StationServices services;
    works.services = &services;
    works.serMut = &serMut;
    works.spectrum = &spectrum;
    works.swVersion.set(kSoftwareVersion);
    std::unique_ptr<ui::FrameBuffer> display(ui::fbInit(works));
    works.fb = display.get();
    works.running = 1;
    installSignalHandlers(works);
    machine.whenPoweredOff([&works] { works.running = 0; });

    startUp(works);
    while (works.running != 0) machine.clock().sleepWhileRunning(seconds(1), works.running);
    if (stopSignal != 0) platform::logInfo("Exited by signal %d", static_cast<int>(stopSignal));
    shutDown(works);
    machine.whenPoweredOff(nullptr);
    runFlag = nullptr;
    return 0;
}

}  // namespace app
