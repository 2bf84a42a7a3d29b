#include "AudioRingBuffer.h"

#include <algorithm>

AudioRingBuffer::AudioRingBuffer(qint64 capacityFrames, int channels)
    : m_capacity(std::max<qint64>(capacityFrames, 1)),
      m_channels(std::max(channels, 1)),
      m_samples(std::size_t(m_capacity * m_channels))
{
}

qint64 AudioRingBuffer::available() const
{
    return m_written.load(std::memory_order_acquire) - m_read.load(std::memory_order_acquire);
}

qint64 AudioRingBuffer::space() const
{
    return m_capacity - available();
}

qint64 AudioRingBuffer::write(const float *interleaved, qint64 frames)
{
    const qint64 written = m_written.load(std::memory_order_relaxed);
    const qint64 count = std::min(frames, m_capacity - (written - m_read.load(std::memory_order_acquire)));
    for (qint64 done = 0; done < count;) {
        const qint64 index = (written + done) % m_capacity;
        const qint64 run = std::min(count - done, m_capacity - index);
        std::copy_n(interleaved + done * m_channels, run * m_channels, m_samples.data() + index * m_channels);
        done += run;
    }
    m_written.store(written + count, std::memory_order_release);
    return count;
}

qint64 AudioRingBuffer::read(float *interleaved, qint64 frames)
{
    const qint64 read = m_read.load(std::memory_order_relaxed);
    const qint64 count = std::min(frames, m_written.load(std::memory_order_acquire) - read);
    for (qint64 done = 0; done < count;) {
        const qint64 index = (read + done) % m_capacity;
        const qint64 run = std::min(count - done, m_capacity - index);
        std::copy_n(m_samples.data() + index * m_channels, run * m_channels, interleaved + done * m_channels);
        done += run;
    }
    m_read.store(read + count, std::memory_order_release);
    return count;
}
