#pragma once
// A serial port on a script, for tests on the manual clock: bytes become
// readable at given times of the clock, what is written is kept, and a hook
// may answer each write. A read that may wait moves the clock on to the next
// byte or to the end of the read time-out, as a device would.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/serial_port.h"

namespace testing_support {

// An open port for scripts that only read and write: it opens and is
// configured as asked, and its reads never wait.
class ScriptedPortBase : public platform::SerialPort {
  public:
    bool open(const std::string&) override { return true; }
    bool configure(const platform::SerialSettings&) override { return true; }
    void close() override {}
    [[nodiscard]] bool isOpen() const override { return true; }
    [[nodiscard]] int fd() const override { return -1; }
    bool setReadTimeout(std::chrono::milliseconds) override { return true; }
    bool flushInput() override { return true; }
};

class FakeSerialPort : public platform::SerialPort {
  public:
    using TimePoint = platform::Clock::TimePoint;
    // The descriptor an open fake reports; no file of the test process has it.
    static constexpr int kDescriptor = 1000;

    explicit FakeSerialPort(platform::Clock& clock) : clock_(clock) {}

    // What open and configure answer, and the device they were given.
    bool opens = true, configures = true;
    std::string device;
    platform::SerialSettings settings;
    // Called with every block written, after it is recorded.
    std::function<void(std::string_view written)> onWrite;

    bool open(const std::string& path) override {
        device = path;
        open_ = opens;
        return opens;
    }
    bool configure(const platform::SerialSettings& given) override {
        settings = given;
        return configures && flushInput();
    }
    void close() override { open_ = false; }
    [[nodiscard]] bool isOpen() const override { return open_; }
    [[nodiscard]] int fd() const override { return open_ ? kDescriptor : -1; }

    int bytesAvailable() override {
        const auto due = arriving_.upper_bound(clock_.now());
        return static_cast<int>(std::distance(arriving_.begin(), due));
    }
    int readByte(uint8_t& byte) override {
        ++reads;
        return takeByte(byte);
    }
    // Takes every byte readable now that fits, or waits as readByte does when none is.
    int readSome(std::span<uint8_t> into) override {
        ++reads;
        if (!failedReads_.empty() || bytesAvailable() == 0) return takeByte(into[0]);
        size_t count = 0;
        for (; count < into.size() && bytesAvailable() > 0; ++count) {
            into[count] = arriving_.begin()->second;
            arriving_.erase(arriving_.begin());
        }
        return static_cast<int>(count);
    }
    // Calls of readByte and readSome.
    int reads = 0;

  private:
    int takeByte(uint8_t& byte) {
        if (!failedReads_.empty()) {
            const int result = failedReads_.front();
            failedReads_.erase(failedReads_.begin());
            return result;
        }
        if (bytesAvailable() == 0) {
            if (!readTimeout_ || arriving_.empty()) return waitOut();
            const TimePoint deadline = clock_.now() + *readTimeout_;
            if (arriving_.begin()->first > deadline) return waitOut();
            clock_.sleepFor(arriving_.begin()->first - clock_.now());
        }
        byte = arriving_.begin()->second;
        arriving_.erase(arriving_.begin());
        return 1;
    }

  public:
    bool setReadTimeout(std::chrono::milliseconds timeout) override {
        readTimeout_ = timeout;
        return true;
    }
    bool writeAll(std::span<const uint8_t> bytes) override {
        if (!open_) return false;
        const std::string block(bytes.begin(), bytes.end());
        written_ += block;
        writes_.push_back(block);
        if (onWrite) onWrite(block);
        return true;
    }
    bool flushInput() override {
        arriving_.erase(arriving_.begin(), arriving_.upper_bound(clock_.now()));
        return true;
    }

    // The bytes, readable from the given time of the clock on.
    void arriveAt(TimePoint at, std::string_view bytes) {
        for (char c : bytes) arriving_.emplace(at, static_cast<uint8_t>(c));
    }
    void arriveAfter(platform::Clock::Duration delay, std::string_view bytes) {
        arriveAt(clock_.now() + delay, bytes);
    }
    // The next read returns result (not 1) and takes no byte.
    void failNextRead(int result) { failedReads_.push_back(result); }

    // Everything written, in one string, and block by block.
    [[nodiscard]] const std::string& written() const { return written_; }
    [[nodiscard]] const std::vector<std::string>& writes() const { return writes_; }
    void clearWritten() {
        written_.clear();
        writes_.clear();
    }

  private:
    // Nothing came: a read with a time-out waits it out, one without would block for ever.
    int waitOut() {
        if (readTimeout_) clock_.sleepFor(*readTimeout_);
        return 0;
    }

    platform::Clock& clock_;
    bool open_ = false;
    std::optional<std::chrono::milliseconds> readTimeout_;
    // Bytes by the time they become readable; bytes of one time in their order.
    std::multimap<TimePoint, uint8_t> arriving_;
    std::vector<int> failedReads_;
    std::string written_;
    std::vector<std::string> writes_;
};

}  // namespace testing_support
