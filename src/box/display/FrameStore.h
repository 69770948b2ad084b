#pragma once
// The latest screen, numbered by generation, for readers on other threads.
// store() only copies and notifies, so the GUI thread never waits on a reader;
// the PNG is encoded by whoever asks for it first and kept for that generation.
#include "host/gui/Frontend.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace box {

class FrameStore {
public:
    FrameStore(int width, int height);

    // Returns the new generation, or the old one when the frame did not change.
    uint64_t store(const host::FrameView& frame);
    uint64_t generation() const;
    // Waits until the generation passes `seen`, stop() is called or `timeout` ends;
    // returns the generation then.
    uint64_t waitNewer(uint64_t seen, std::chrono::milliseconds timeout);
    // The current frame as PNG, with the generation it shows.
    std::shared_ptr<const std::vector<uint8_t>> png(uint64_t* generation);
    // Wakes every waiter for good.
    void stop();

private:
    struct Frame {
        std::vector<uint32_t> pixels;
        int width;
        int height;
    };

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::shared_ptr<const Frame> m_frame;
    uint64_t m_generation = 0;
    bool m_stopped = false;

    std::mutex m_pngMutex; // serialises encoding so a burst of requests encodes once
    std::shared_ptr<const std::vector<uint8_t>> m_png;
    uint64_t m_pngGeneration = 0;
};

} // namespace box
