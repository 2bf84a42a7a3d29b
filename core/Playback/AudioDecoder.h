#pragma once

#include "Storage/FileLocation.h"

#include <QString>
#include <QtGlobal>

#include <expected>
#include <memory>
#include <optional>

// Decodes one audio file into interleaved stereo float frames at the file's own sample rate. Mono
// plays at full level on both channels; more channels are mixed down. Seeks are exact to the frame.
// Not thread-safe: one thread at a time.
class AudioDecoder
{
public:
    static constexpr int channelCount = 2;

    // How to learn a length that only the packets tell (an MP3 without a Xing/Info or VBRI header):
    // count them while opening, or take the container's estimate and leave the count to the caller.
    enum class Length { Counted, Estimated };

    // Fails with a description when the file cannot be opened or holds no decodable audio.
    static std::expected<std::unique_ptr<AudioDecoder>, QString> open(const FileLocation &location,
                                                                        Length length = Length::Counted);
    // The decoded length of the file in frames, counted from its packets; may take a while.
    static std::optional<qint64> countedFrameCount(const FileLocation &location);
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder &) = delete;
    AudioDecoder &operator=(const AudioDecoder &) = delete;

    int sampleRate() const;
    // The decoded length in frames (the container's figure only where it is exact), or the estimate
    // of an estimated length until `setFrameCount` gives the count.
    qint64 frameCount() const;
    bool isLengthExact() const;
    // Any thread.
    void setFrameCount(qint64 frames);

    // The next read starts at `frame` (limited to 0...frameCount). False when the file cannot seek.
    bool seek(qint64 frame);
    // Fills up to `maxFrames` frames; fewer only at the end of the file (0 there).
    qint64 read(float *interleaved, qint64 maxFrames);

private:
    struct State;
    explicit AudioDecoder(std::unique_ptr<State> state);

    std::unique_ptr<State> m_state;
};
