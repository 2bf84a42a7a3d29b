#include "AudioDecoder.h"

#include "FFmpeg/FFmpegLibrary.h"
#include "FFmpegLog.h"
#include "Mp3LengthHeader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/intreadwrite.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

namespace {

QString errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

struct FormatCloser
{
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
struct CodecFreer
{
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct ResamplerFreer
{
    void operator()(SwrContext *context) const { swr_free(&context); }
};
struct PacketFreer
{
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
struct FrameFreer
{
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};

// Decoders need a little audio before a seek target to settle (MDCT overlap, the MP3 bit
// reservoir); that much is decoded and dropped.
constexpr double seekPrerollSeconds = 0.1;

} // namespace

struct AudioDecoder::State
{
    FileLocation location;
    std::unique_ptr<AVFormatContext, FormatCloser> format;
    std::unique_ptr<AVCodecContext, CodecFreer> codec;
    std::unique_ptr<SwrContext, ResamplerFreer> resampler;
    std::unique_ptr<AVPacket, PacketFreer> packet{av_packet_alloc()};
    std::unique_ptr<AVFrame, FrameFreer> frame{av_frame_alloc()};
    AVStream *stream = nullptr;
    int sampleRate = 0;
    std::atomic<qint64> frameCount{0};
    // An estimated length is no place to cut the decoded frames off.
    bool lengthExact = true;
    qint64 startTimestamp = 0;

    // The resampler's input as last configured.
    int resamplerFormat = -1;
    AVChannelLayout resamplerLayout{};

    // Converted frames not yet handed out.
    std::vector<float> pending;
    qsizetype pendingOffset = 0;
    // File frame index of the next decoded frame; after a seek it comes from the timestamps.
    qint64 nextFrame = 0;
    qint64 dropUntil = 0;
    bool timestampPending = true;
    bool flushSent = false;
    bool finished = false;

    ~State() { av_channel_layout_uninit(&resamplerLayout); }

    qint64 toFrames(qint64 timestamp) const
    {
        return av_rescale_q(timestamp, stream->time_base, AVRational{1, sampleRate});
    }

    int openContainer(const AVCodec **decoder);
    bool seekContainer(qint64 timestamp);
    bool configureResampler(const AVFrame &input);
    qint64 countFrames();
    bool decodeNext();
};

// Opens the file's container and picks its audio stream; the other streams (cover art) are skipped.
int AudioDecoder::State::openContainer(const AVCodec **decoder)
{
    AVFormatContext *opened = nullptr;
    if (const int result = avformat_open_input(&opened, location.cPath(), nullptr, nullptr); result < 0)
        return result;
    std::unique_ptr<AVFormatContext, FormatCloser> container(opened);
    if (const int result = avformat_find_stream_info(opened, nullptr); result < 0)
        return result;
    const int streamIndex = av_find_best_stream(opened, AVMEDIA_TYPE_AUDIO, -1, -1, decoder, 0);
    if (streamIndex < 0)
        return streamIndex;
    if (!*decoder)
        return AVERROR_DECODER_NOT_FOUND;
    for (unsigned i = 0; i < opened->nb_streams; ++i)
        opened->streams[i]->discard = int(i) == streamIndex ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    format = std::move(container);
    stream = opened->streams[streamIndex];
    return 0;
}

// Some demuxers refuse a time before their start, and FLAC's search can lose its way after earlier
// seeks; a freshly opened container always finds the place.
bool AudioDecoder::State::seekContainer(qint64 timestamp)
{
    const auto attempt = [this](qint64 time) {
        return av_seek_frame(format.get(), stream->index, time, AVSEEK_FLAG_BACKWARD) >= 0
               || avformat_seek_file(format.get(), stream->index, INT64_MIN, time, time, 0) >= 0;
    };
    const auto attemptBoth = [&] { return attempt(timestamp) || attempt(std::max<qint64>(timestamp, 0)); };
    if (attemptBoth())
        return true;
    const AVCodec *decoder = nullptr;
    return openContainer(&decoder) >= 0 && attemptBoth();
}

bool AudioDecoder::State::configureResampler(const AVFrame &input)
{
    if (resampler && input.format == resamplerFormat
        && av_channel_layout_compare(&input.ch_layout, &resamplerLayout) == 0)
        return true;
    AVChannelLayout inputLayout{};
    if (input.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || input.ch_layout.nb_channels == 0)
        av_channel_layout_default(&inputLayout, std::max(input.ch_layout.nb_channels, 1));
    else
        av_channel_layout_copy(&inputLayout, &input.ch_layout);
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    SwrContext *context = nullptr;
    int result = swr_alloc_set_opts2(&context, &stereo, AV_SAMPLE_FMT_FLT, sampleRate, &inputLayout,
                                     AVSampleFormat(input.format), sampleRate, 0, nullptr);
    std::unique_ptr<SwrContext, ResamplerFreer> created(context);
    // The default mono upmix is 3 dB down; mono belongs on both speakers at full level.
    if (result >= 0 && inputLayout.nb_channels == 1) {
        const double matrix[2] = {1.0, 1.0};
        result = swr_set_matrix(context, matrix, 1);
    }
    av_channel_layout_uninit(&inputLayout);
    if (result < 0 || swr_init(context) < 0)
        return false;
    resampler = std::move(created);
    resamplerFormat = input.format;
    av_channel_layout_uninit(&resamplerLayout);
    av_channel_layout_copy(&resamplerLayout, &input.ch_layout);
    return true;
}

// The exact length from the packets: their durations less the samples that the decoder will skip
// (encoder delay and padding). Reads only the container, decodes nothing.
qint64 AudioDecoder::State::countFrames()
{
    qint64 total = 0;
    qint64 skipped = 0;
    while (av_read_frame(format.get(), packet.get()) >= 0) {
        if (packet->stream_index == stream->index) {
            total += packet->duration;
            size_t size = 0;
            if (const uint8_t *skip = av_packet_get_side_data(packet.get(), AV_PKT_DATA_SKIP_SAMPLES, &size);
                skip && size >= 8)
                skipped += qint64(AV_RL32(skip)) + qint64(AV_RL32(skip + 4));
        }
        av_packet_unref(packet.get());
    }
    seekContainer(startTimestamp);
    return std::max<qint64>(toFrames(total) - skipped, 0);
}

// Decodes until some frames are pending or the file ends.
bool AudioDecoder::State::decodeNext()
{
    while (!finished) {
        const int received = avcodec_receive_frame(codec.get(), frame.get());
        if (received == AVERROR(EAGAIN)) {
            if (flushSent) {
                finished = true;
                break;
            }
            const int read = av_read_frame(format.get(), packet.get());
            if (read < 0) {
                avcodec_send_packet(codec.get(), nullptr);
                flushSent = true;
                continue;
            }
            if (packet->stream_index == stream->index)
                avcodec_send_packet(codec.get(), packet.get()); // a damaged packet is skipped
            av_packet_unref(packet.get());
            continue;
        }
        if (received < 0) {
            finished = true;
            break;
        }
        const qint64 count = frame->nb_samples;
        if (timestampPending) {
            timestampPending = false;
            if (frame->best_effort_timestamp != AV_NOPTS_VALUE)
                nextFrame = toFrames(frame->best_effort_timestamp - startTimestamp);
            else
                nextFrame = dropUntil;
        }
        const qint64 first = nextFrame;
        nextFrame += count;
        // Frames before the target, and the encoder's padding after the last frame, are dropped.
        const qint64 last = lengthExact ? std::min<qint64>(nextFrame, frameCount) : nextFrame;
        if (last <= dropUntil || !configureResampler(*frame)) {
            av_frame_unref(frame.get());
            continue;
        }
        pending.resize(std::size_t(count) * channelCount);
        uint8_t *output = reinterpret_cast<uint8_t *>(pending.data());
        const int converted = swr_convert(resampler.get(), &output, int(count),
                                          const_cast<const uint8_t **>(frame->extended_data), int(count));
        av_frame_unref(frame.get());
        if (converted <= 0)
            continue;
        pending.resize(std::size_t(std::clamp<qint64>(last - first, 0, converted)) * channelCount);
        pendingOffset = std::clamp<qint64>(dropUntil - first, 0, converted) * channelCount;
        if (pendingOffset < qsizetype(pending.size()))
            return true;
    }
    return false;
}

std::expected<std::unique_ptr<AudioDecoder>, QString> AudioDecoder::open(const FileLocation &location, Length length)
{
    if (const std::optional<QString> missing = FFmpegLibrary::loadError())
        return std::unexpected(*missing);
    FFmpegLog::install();
    auto state = std::make_unique<State>();
    state->location = location;
    const AVCodec *decoder = nullptr;
    if (const int result = state->openContainer(&decoder); result < 0)
        return std::unexpected(errorText(result));
    AVFormatContext *format = state->format.get();
    state->codec.reset(avcodec_alloc_context3(decoder));
    if (!state->codec || !state->packet || !state->frame)
        return std::unexpected(errorText(AVERROR(ENOMEM)));
    if (const int result = avcodec_parameters_to_context(state->codec.get(), state->stream->codecpar); result < 0)
        return std::unexpected(errorText(result));
    state->codec->pkt_timebase = state->stream->time_base;
    if (const int result = avcodec_open2(state->codec.get(), decoder, nullptr); result < 0)
        return std::unexpected(errorText(result));
    state->sampleRate = state->codec->sample_rate;
    if (state->sampleRate <= 0)
        return std::unexpected(errorText(AVERROR_INVALIDDATA));
    if (state->stream->start_time != AV_NOPTS_VALUE)
        state->startTimestamp = state->stream->start_time;

    // MP3 and other bitrate-estimated lengths can be off by frames: an MP3's own header tells its
    // length, otherwise the packets do.
    const bool mp3 = std::strcmp(format->iformat->name, "mp3") == 0;
    const bool estimated = format->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE || mp3
                           || state->stream->duration == AV_NOPTS_VALUE;
    if (!estimated) {
        state->frameCount = state->toFrames(state->stream->duration);
    } else if (const std::optional<qint64> stated = mp3 ? Mp3LengthHeader::decodedFrames(location) : std::nullopt) {
        state->frameCount = *stated;
    } else if (length == Length::Counted) {
        state->frameCount = state->countFrames();
    } else {
        state->lengthExact = false;
        state->frameCount = format->duration > 0 ? av_rescale(format->duration, state->sampleRate, AV_TIME_BASE) : 0;
    }
    return std::unique_ptr<AudioDecoder>(new AudioDecoder(std::move(state)));
}

std::optional<qint64> AudioDecoder::countedFrameCount(const FileLocation &location)
{
    const auto decoder = open(location, Length::Counted);
    return decoder ? std::optional((*decoder)->frameCount()) : std::nullopt;
}

AudioDecoder::AudioDecoder(std::unique_ptr<State> state) : m_state(std::move(state)) {}

AudioDecoder::~AudioDecoder() = default;

int AudioDecoder::sampleRate() const
{
    return m_state->sampleRate;
}

qint64 AudioDecoder::frameCount() const
{
    return m_state->frameCount;
}

bool AudioDecoder::isLengthExact() const
{
    return m_state->lengthExact;
}

void AudioDecoder::setFrameCount(qint64 frames)
{
    m_state->frameCount = frames;
}

bool AudioDecoder::seek(qint64 frame)
{
    State &state = *m_state;
    const qint64 target = std::clamp<qint64>(frame, 0, state.frameCount.load());
    const qint64 preroll = qint64(seekPrerollSeconds * state.sampleRate);
    // Before the start too: AAC's priming packet sits at a negative time and primes the decoder.
    const qint64 timestamp = state.startTimestamp
                             + av_rescale_q(target - preroll, AVRational{1, state.sampleRate}, state.stream->time_base);
    if (!state.seekContainer(timestamp))
        return false;
    avcodec_flush_buffers(state.codec.get());
    state.pending.clear();
    state.pendingOffset = 0;
    state.dropUntil = target;
    state.timestampPending = true;
    state.flushSent = false;
    state.finished = false;
    return true;
}

qint64 AudioDecoder::read(float *interleaved, qint64 maxFrames)
{
    State &state = *m_state;
    qint64 produced = 0;
    while (produced < maxFrames) {
        if (state.pendingOffset >= qsizetype(state.pending.size()) && !state.decodeNext())
            break;
        const qint64 available = (qint64(state.pending.size()) - state.pendingOffset) / channelCount;
        const qint64 count = std::min(available, maxFrames - produced);
        std::copy_n(state.pending.data() + state.pendingOffset, count * channelCount,
                    interleaved + produced * channelCount);
        state.pendingOffset += count * channelCount;
        produced += count;
    }
    return produced;
}
