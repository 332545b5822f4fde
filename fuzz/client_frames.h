#pragma once
// Frames between the remote client and the server, for the fuzz targets: a
// frame as the server reads it, and the frames queued for the client.
#include <algorithm>
#include <optional>
#include <vector>

#include "core/works.h"
#include "remote/frame_reader.h"

namespace fuzzing {

// bytes: one whole frame of at most remote::kFrameCapacity bytes.
inline remote::Frame frameOf(const std::vector<uint8_t>& bytes) {
    remote::Frame frame;
    frame.size = std::min(bytes.size(), frame.bytes.size());
    std::copy_n(bytes.begin(), frame.size, frame.bytes.begin());
    return frame;
}

// Takes out every frame waiting for the client, in order.
inline std::vector<core::FrameQueue::Frame> queuedFrames(core::Works& works) {
    std::vector<core::FrameQueue::Frame> frames;
    while (works.clientFrames.waiting() > 0)
        if (std::optional<core::FrameQueue::Frame> frame = works.clientFrames.pop())
            frames.push_back(std::move(*frame));
    return frames;
}

}  // namespace fuzzing
