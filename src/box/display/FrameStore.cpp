#include "box/display/FrameStore.h"

#include "host/gfx/PngWriter.h"

#include <cstring>

namespace box {

FrameStore::FrameStore(int width, int height)
{
    auto black = std::make_shared<Frame>();
    black->pixels.assign(static_cast<size_t>(width) * height, 0);
    black->width = width;
    black->height = height;
    m_frame = std::move(black);
}

uint64_t FrameStore::store(const host::FrameView& view)
{
    auto frame = std::make_shared<Frame>();
    frame->width = view.width;
    frame->height = view.height;
    frame->pixels.resize(static_cast<size_t>(view.width) * view.height);
    for (int y = 0; y < view.height; ++y)
        std::memcpy(frame->pixels.data() + static_cast<size_t>(y) * view.width,
                    view.pixels + static_cast<size_t>(y) * view.stride,
                    static_cast<size_t>(view.width) * sizeof(uint32_t));
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // A repaint that changes nothing would only make every browser fetch the same picture.
        if (m_frame->width == frame->width && m_frame->height == frame->height
            && m_frame->pixels == frame->pixels)
            return m_generation;
        m_frame = std::move(frame);
        ++m_generation;
    }
    m_changed.notify_all();
    return generation();
}

uint64_t FrameStore::generation() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_generation;
}

uint64_t FrameStore::waitNewer(uint64_t seen, std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, timeout, [&] { return m_stopped || m_generation > seen; });
    return m_generation;
}

std::shared_ptr<const std::vector<uint8_t>> FrameStore::png(uint64_t* generation)
{
    std::shared_ptr<const Frame> frame;
    uint64_t gen;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        frame = m_frame;
        gen = m_generation;
    }
    std::lock_guard<std::mutex> lock(m_pngMutex);
    // Another reader may already have encoded a newer frame: never step back to an older one.
    if (!m_png || gen > m_pngGeneration) {
        host::FrameView view{frame->pixels.data(), frame->width, frame->height, frame->width};
        m_png = std::make_shared<const std::vector<uint8_t>>(host::encodePng(view, 1));
        m_pngGeneration = gen;
    }
    if (generation)
        *generation = m_pngGeneration;
    return m_png;
}

void FrameStore::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopped = true;
    }
    m_changed.notify_all();
}

} // namespace box
