#pragma once

#include "AudioRingBuffer.h"

#include <QtGlobal>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

class AudioDecoder;

// One scheduled run of a file from a start frame to its end: a decoder thread keeps a ring about
// two seconds ahead of the audio thread that reads it. The decoder is used by this run's thread
// alone until `stop()` returns.
class PlaybackSegment
{
public:
    PlaybackSegment(std::shared_ptr<AudioDecoder> decoder, qint64 startFrame, quint64 token);
    ~PlaybackSegment();
    PlaybackSegment(const PlaybackSegment &) = delete;
    PlaybackSegment &operator=(const PlaybackSegment &) = delete;

    quint64 token() const { return m_token; }
    // Unique to this segment in the process: unlike its address, never reused by a later one.
    quint64 generation() const { return m_generation; }
    // Ends the decoder thread and waits for it.
    void stop();

    // Audio thread: the next decoded frames.
    qint64 read(float *interleaved, qint64 frames) { return m_ring.read(interleaved, frames); }
    // True once the decoder has reached the end and every frame has been read.
    bool isDrained() const { return m_decoderFinished.load(std::memory_order_acquire) && m_ring.available() == 0; }
    // Frames handed on with `read` and heard so far; written by the audio thread.
    std::atomic<qint64> handedFrames{0};
    std::atomic<qint64> playedFrames{0};
    // Set by the audio thread once it has reported the end.
    bool endReported = false;

private:
    void decode(std::stop_token stopToken);

    std::shared_ptr<AudioDecoder> m_decoder;
    qint64 m_startFrame;
    quint64 m_token;
    quint64 m_generation;
    AudioRingBuffer m_ring;
    std::atomic<bool> m_decoderFinished{false};
    std::mutex m_wakeMutex;
    std::condition_variable_any m_wake;
    std::jthread m_thread;
};
