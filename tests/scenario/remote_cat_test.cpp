#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/error_codes.h"
#include "core/errors.h"
#include "fake_serial_port.h"
#include "platform/sim/scaled_clock.h"
#include "remote/cat_bridge.h"
#include "remote/cat_port.h"
#include "remote/client_writer.h"
#include "remote/frame_builder.h"
#include "remote/message_dispatch.h"
#include "remote/remote_checks.h"
#include "sim/amp/emulator_pty.h"
#include "sim/cat/cat_answers.h"
#include "test_station.h"
#include "ui/settings_menu.h"
#include "ui/status_bar.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

// USB serial devices under the run root, each a pseudo-terminal answered by
// its own rule: the emulator's answers, a fixed text, or silence.
class UsbSerialDevices {
  public:
    using Answer = std::function<std::string(const std::string& command)>;

    ~UsbSerialDevices() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    void add(const std::filesystem::path& link, Answer answer) {
        auto pty = std::make_unique<sim::PtyLink>();
        std::string error;
        ASSERT_TRUE(pty->open(link.string(), error)) << error;
        devices_.push_back({std::move(pty), std::move(answer), {}});
    }
    void run() {
        thread_ = std::thread([this] {
            while (!stop_) {
                std::vector<pollfd> ports;
                for (Device& device : devices_) ports.push_back({device.pty->master(), POLLIN, 0});
                if (::poll(ports.data(), ports.size(), 10) <= 0) continue;
                for (size_t i = 0; i < devices_.size(); ++i) {
                    if ((ports[i].revents & POLLIN) == 0) continue;
                    char bytes[256];
                    const ssize_t count = ::read(devices_[i].pty->master(), bytes, sizeof bytes);
                    for (ssize_t at = 0; at < count; ++at) {
                        devices_[i].command += bytes[at];
                        if (bytes[at] != ';') continue;
                        const std::string reply = devices_[i].answer(devices_[i].command);
                        devices_[i].command.clear();
                        if (!reply.empty())
                            (void)!::write(devices_[i].pty->master(), reply.data(), reply.size());
                    }
                }
            }
        });
    }

  private:
    struct Device {
        std::unique_ptr<sim::PtyLink> pty;
        Answer answer;
        std::string command;
    };
    std::vector<Device> devices_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

UsbSerialDevices::Answer transceiver() {
    auto radio = std::make_shared<sim::TransceiverCat>();
    return [radio](const std::string& command) { return sim::answerCat(*radio, command); };
}

UsbSerialDevices::Answer fixed(std::string reply) {
    return [reply](const std::string&) { return reply; };
}

class CatPort : public ::testing::Test {
  protected:
    CatPort() : station(std::make_unique<platform::ScaledClock>(10.0)) {}
    ~CatPort() override {
        const int fd = works.catFD;
        if (fd >= 0) ::close(fd);
    }

    size_t position(const std::string& line) {
        const std::vector<std::string> lines = station.log.lines(platform::LogChannel::Info);
        for (size_t at = 0; at < lines.size(); ++at)
            if (lines[at].find(line) != std::string::npos) return at;
        return std::string::npos;
    }

    testing_support::TestStation station;
    core::Works& works = station.works;
    UsbSerialDevices devices;
};

// The last device in the sorted listing is tried first; the first to answer is kept.
TEST_F(CatPort, TheLastDeviceIsTriedFirstAndTheFirstThatAnswersIsUsed) {
    devices.add(station.path("/dev/ttyUSB0"), fixed("DT001;"));
    devices.add(station.path("/dev/ttyUSB1"), transceiver());
    devices.add(station.path("/dev/ttyUSB2"), fixed("DT002;"));
    devices.add(station.path("/dev/ttyUSB3"), fixed(""));
    devices.run();
    ASSERT_EQ(remote::VerifyCAT(works), 0);
    EXPECT_GE(works.catFD, 0);
    EXPECT_NE(position("Cannot connect QOR using /dev/ttyUSB3"), std::string::npos) << "silent for 1 s";
    EXPECT_LT(position("Cannot connect QOR using /dev/ttyUSB3"),
              position("Cannot connect QOR using /dev/ttyUSB2"));
    EXPECT_LT(position("Cannot connect QOR using /dev/ttyUSB2"), position("Opened  /dev/ttyUSB1"));
    EXPECT_EQ(position("Opened  /dev/ttyUSB0"), std::string::npos) << "never opened";
}

TEST_F(CatPort, NoDeviceOrNoAnswerFindsNothing) {
    EXPECT_EQ(remote::VerifyCAT(works), -1);
    devices.add(station.path("/dev/ttyUSB0"), fixed("XX001;"));
    devices.run();
    EXPECT_EQ(remote::VerifyCAT(works), -1);
    EXPECT_EQ(works.catFD, -1);
    EXPECT_TRUE(station.log.contains("Unable to open device"));
}

// A device that cannot be configured as a serial port is closed, not left open.
TEST_F(CatPort, ADeviceThatIsNoSerialPortIsClosed) {
    std::filesystem::create_directories(station.path("/dev"));
    { std::ofstream(station.path("/dev/ttyUSB0")) << "not a port"; }
    const auto openDescriptors = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    };
    const auto before = openDescriptors();
    EXPECT_EQ(remote::VerifyCAT(works), -1);
    EXPECT_EQ(openDescriptors(), before);
    EXPECT_TRUE(station.log.contains("Cannot set /dev/ttyUSB0"));
}

TEST_F(CatPort, RemoteSettingsNameWhatIsMissing) {
    struct Case {
        const char* name;
        const char* usbListing;  // nullptr: the simulated default bus
        bool catPort;
        int expected;
        int audioDevices;
    };
    const Case cases[] = {
        {"all present", nullptr, true, 0, 1},
        {"no transceiver on USB", "Bus 001 Device 005: ID 0d8c:01af C-Media\n", true, 1, 1},
        {"CAT port silent", nullptr, false, 2, 1},
        {"no audio interface", "Bus 001 Device 004: ID 1209:0007 Transceiver\n", true, 3, 0},
    };
    devices.add(station.path("/dev/ttyUSB0"), transceiver());
    devices.run();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(station.path("/tmp/sim-lsusb.txt"));
        if (c.usbListing != nullptr) std::ofstream(station.path("/tmp/sim-lsusb.txt")) << c.usbListing;
        if (!c.catPort) std::filesystem::rename(station.path("/dev/ttyUSB0"), station.path("/dev/hidden"));
        EXPECT_EQ(remote::Find_Remote_Settings(works), c.expected);
        EXPECT_EQ(remote::Get_AudioQOR(works), c.audioDevices);
        EXPECT_EQ(works.catFD, -1) << "the probe's port is not kept";
        if (!c.catPort) std::filesystem::rename(station.path("/dev/hidden"), station.path("/dev/ttyUSB0"));
    }
}

// The bridge both ways: a client's "CA" text reaches the radio and its reply
// comes back as one "CA" message; stopping the bridge raises error 20.
TEST_F(CatPort, TheBridgeCarriesCatTextBothWays) {
    devices.add(station.path("/dev/ttyUSB0"), transceiver());
    devices.run();
    int client[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, client), 0);
    auto writer = std::make_unique<remote::ClientWriter>(works, client[0]);
    works.clientFrames.admit();
    works.wsActive = 1;
    works.running = 1;
    works.setup->EnableCAT = '1';
    works.errorsHeld = 0;  // as after the amplifier's first reply
    std::thread bridge([this] { remote::Cat(works); });
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (works.status_cat != 1 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    ASSERT_EQ(works.status_cat, 1);

    remote::DroppedNotes notes;
    for (const char* command : {"FA;", "MD;"}) {
        const std::vector<uint8_t> bytes = remote::shortFrame("CA", Bytes(command, command + 3));
        remote::Frame frame;
        std::copy(bytes.begin(), bytes.end(), frame.bytes.begin());
        frame.size = bytes.size();
        EXPECT_EQ(remote::dispatchMessage(works, frame, notes), remote::Dispatch::Continue);
    }
    const Bytes expected = [] {
        Bytes frames = remote::shortFrame(
            "CA", Bytes{'F', 'A', '0', '0', '0', '1', '4', '0', '7', '4', '0', '0', '0', ';'});
        const Bytes mode = remote::shortFrame("CA", Bytes{'M', 'D', '2', ';'});
        frames.insert(frames.end(), mode.begin(), mode.end());
        return frames;
    }();
    Bytes received;
    while (received.size() < expected.size() && std::chrono::steady_clock::now() < deadline) {
        pollfd end{client[1], POLLIN, 0};
        if (::poll(&end, 1, 100) <= 0) continue;
        uint8_t bytes[256];
        const ssize_t count = ::read(client[1], bytes, sizeof bytes);
        if (count > 0) received.insert(received.end(), bytes, bytes + count);
    }
    EXPECT_EQ(received, expected);

    works.setup->EnableCAT = '0';
    bridge.join();
    EXPECT_EQ(works.catFD, -1);
    EXPECT_EQ(works.status_cat, 0);
    EXPECT_TRUE(core::ExistError(works, core::err::RemoteCat));
    writer.reset();
    ::close(client[0]);
    ::close(client[1]);
}

// The start-up decision: only with a remote thread enabled, and the threads
// start again only when everything the remote operator needs is there.
TEST_F(CatPort, TheStartUpDecisionStartsRemoteOperationOnlyWhenAllIsPresent) {
    struct Case {
        const char* name;
        char enable;
        bool catPort;
        char enaser;
        uint8_t checked;
        uint8_t fault;
        bool go;
    };
    const Case cases[] = {
        {"no remote thread enabled: no decision", '0', true, '1', 0, 0, false},
        {"all present", '1', true, '1', 1, 0, true},
        {"CAT port silent", '1', false, '1', 1, 1, false},
        {"auxiliary link off", '1', true, '0', 1, 1, false},
    };
    devices.add(station.path("/dev/ttyUSB0"), transceiver());
    devices.run();
    works.running = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        station.log.clear();
        works.remoteChecked = 0;
        works.remoteFault = 0;
        works.setup->EnableRead = c.enable;
        works.setup->EnableWrite = works.setup->EnableCAT = works.setup->EnableFFT = '0';
        works.setup->enaser = c.enaser;
        if (!c.catPort) std::filesystem::rename(station.path("/dev/ttyUSB0"), station.path("/dev/hidden"));
        remote::decideRemoteAtStartUp(works);
        if (!c.catPort) std::filesystem::rename(station.path("/dev/hidden"), station.path("/dev/ttyUSB0"));
        EXPECT_EQ(works.remoteChecked, c.checked);
        EXPECT_EQ(works.remoteFault, c.fault);
        EXPECT_EQ(station.log.contains("Remote GO!"), c.go);
        // Started again (the enable characters back at '1') only on the go.
        EXPECT_EQ(works.setup->EnableRead == '1', c.go);
        EXPECT_EQ(ui::LoadParameterMenu(works, ui::menuItem::UseMode, 0), c.go ? "Remote" : "Local");
    }
}

// The panel starts from what the start-up decided: leaving "Use Mode" with
// ENTER after a start that went remote keeps remote operation, in the run
// and in the setup file.
TEST_F(CatPort, UseModeEnterAfterAStartUpThatWentRemoteKeepsIt) {
    devices.add(station.path("/dev/ttyUSB0"), transceiver());
    devices.run();
    works.running = 1;
    works.setup->EnableRead = works.setup->EnableWrite = works.setup->EnableCAT = '1';
    works.setup->enaser = '1';
    remote::decideRemoteAtStartUp(works);
    ASSERT_TRUE(station.log.contains("Remote GO!"));
    EXPECT_EQ(ui::statusBarTexts(works).top[6], "Remote");
    EXPECT_FALSE(ui::statusBarTexts(works).remoteStopped);

    station.log.clear();
    works.menuIndex = ui::menuItem::UseMode;
    ui::ModifyParameter(works, ui::editCode::Enter);
    EXPECT_FALSE(station.log.contains("REMOTE STOP"));
    EXPECT_EQ(works.tempflag_processextREMLOCOFF, 149);
    std::ifstream in(station.path("/opt/set/setup.txt"));
    const std::string setup{std::istreambuf_iterator<char>(in), {}};
    for (const char* line : {"EnableRead: 1\n", "EnableWrite: 1\n", "EnableCAT: 1\n"})
        EXPECT_NE(setup.find(line), std::string::npos) << line << setup;
}

TEST_F(CatPort, ACatPortThatCannotBeWrittenClosesTheBridgeAndTheConnection) {
    works.errorsHeld = 0;
    works.setup->EnableCAT = '1';
    // Closed, the port refuses every write.
    works.catPort.store(std::make_shared<testing_support::FakeSerialPort>(works.platform->clock()));
    works.status_cat = 1;
    remote::DroppedNotes notes;
    const std::vector<uint8_t> bytes = remote::shortFrame("CA", Bytes{'F', 'A', ';'});
    remote::Frame frame;
    std::copy(bytes.begin(), bytes.end(), frame.bytes.begin());
    frame.size = bytes.size();
    EXPECT_EQ(remote::dispatchMessage(works, frame, notes), remote::Dispatch::EndConnection);
    EXPECT_TRUE(station.log.contains("TCP read Error 7a"));
    EXPECT_EQ(works.catFD, -1);
    EXPECT_EQ(works.setup->EnableCAT, '0');
    EXPECT_TRUE(core::ExistError(works, core::err::RemoteCat));
}

}  // namespace
