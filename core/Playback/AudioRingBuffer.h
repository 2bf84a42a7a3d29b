#pragma once

#include <QtGlobal>

#include <atomic>
#include <vector>

// A lock-free ring of interleaved float frames between one writing and one reading thread.
class AudioRingBuffer
{
public:
    AudioRingBuffer(qint64 capacityFrames, int channels);

    int channels() const { return m_channels; }
    qint64 capacity() const { return m_capacity; }
    // Frames ready to read (reader) or room to write (writer).
    qint64 available() const;
    qint64 space() const;

    // Writer only: copies as many frames as fit; returns how many.
    qint64 write(const float *interleaved, qint64 frames);
    // Reader only: copies up to `frames` frames; returns how many.
    qint64 read(float *interleaved, qint64 frames);

private:
    qint64 m_capacity;
    int m_channels;
    std::vector<float> m_samples;
    // Running frame counts; their difference is the fill.
    std::atomic<qint64> m_written{0};
    std::atomic<qint64> m_read{0};
};
