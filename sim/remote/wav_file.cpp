#include "sim/remote/wav_file.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace remote_client {
namespace {

constexpr uint32_t kRate = 48000;
constexpr uint16_t kChannels = 2;
constexpr size_t kHeaderBytes = 44;

void put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t value) {
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

uint32_t get(const std::vector<uint8_t>& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[at + static_cast<size_t>(i)];
    return value;
}

}  // namespace

WavWriter::~WavWriter() {
    if (file_ == nullptr) return;
    std::fseek(file_, 0, SEEK_SET);
    writeHeader();
    std::fclose(file_);
}

bool WavWriter::open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) return false;
    writeHeader();
    return true;
}

void WavWriter::writeHeader() {
    const uint32_t dataBytes = frames_ * kChannels * 2;
    std::vector<uint8_t> header;
    header.insert(header.end(), {'R', 'I', 'F', 'F'});
    put32(header, 36 + dataBytes);
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(header, 16);
    put16(header, 1);  // PCM
    put16(header, kChannels);
    put32(header, kRate);
    put32(header, kRate * kChannels * 2);
    put16(header, kChannels * 2);
    put16(header, 16);
    header.insert(header.end(), {'d', 'a', 't', 'a'});
    put32(header, dataBytes);
    std::fwrite(header.data(), 1, header.size(), file_);
}

void WavWriter::write(const int16_t* samples, size_t frames) {
    if (file_ == nullptr) return;
    frames_ += static_cast<uint32_t>(std::fwrite(samples, kChannels * sizeof(int16_t), frames, file_));
}

std::optional<std::vector<int16_t>> readWav(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    if (bytes.size() < kHeaderBytes || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        error = path + ": not a WAV file";
        return std::nullopt;
    }
    // The chunks after "WAVE": "fmt " first, then "data", possibly with others between.
    size_t at = 12;
    bool formatOk = false;
    while (at + 8 <= bytes.size()) {
        const uint32_t size = get(bytes, at + 4, 4);
        const size_t body = at + 8;
        if (std::memcmp(bytes.data() + at, "fmt ", 4) == 0 && body + 16 <= bytes.size()) {
            formatOk = get(bytes, body, 2) == 1 && get(bytes, body + 2, 2) == kChannels &&
                       get(bytes, body + 4, 4) == kRate && get(bytes, body + 14, 2) == 16;
        } else if (std::memcmp(bytes.data() + at, "data", 4) == 0) {
            if (!formatOk) break;
            const size_t length = std::min<size_t>(size, bytes.size() - body) / 4 * 4;
            std::vector<int16_t> samples(length / 2);
            std::memcpy(samples.data(), bytes.data() + body, length);
            return samples;
        }
        at = body + size + (size & 1);
    }
    error = path + ": not 16-bit PCM stereo at 48 kHz";
    return std::nullopt;
}

}  // namespace remote_client
