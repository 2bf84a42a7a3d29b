#include "AudioStreamProbe.h"

#include "FFmpeg/FFmpegLibrary.h"
#include "FFmpegLog.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <memory>

namespace AudioStreamProbe {

namespace {

struct InputCloser
{
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};

double seconds(const AVFormatContext &context, const AVStream &stream)
{
    if (context.duration != AV_NOPTS_VALUE && context.duration > 0)
        return double(context.duration) / AV_TIME_BASE;
    if (stream.duration != AV_NOPTS_VALUE && stream.duration > 0)
        return double(stream.duration) * av_q2d(stream.time_base);
    return 0;
}

} // namespace

std::optional<double> readableDuration(const FileLocation &file)
{
    if (FFmpegLibrary::loadError())
        return std::nullopt;
    FFmpegLog::install();
    // "file:" keeps a name with a colon from being taken for another protocol.
    const QByteArray url = "file:" + file.path();
    AVFormatContext *opened = nullptr;
    if (avformat_open_input(&opened, url.constData(), nullptr, nullptr) < 0)
        return std::nullopt;
    const std::unique_ptr<AVFormatContext, InputCloser> context(opened);
    if (avformat_find_stream_info(context.get(), nullptr) < 0)
        return std::nullopt;
    const int index = av_find_best_stream(context.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0)
        return std::nullopt;
    const AVStream &stream = *context->streams[index];
    if (stream.codecpar->sample_rate <= 0 || stream.codecpar->ch_layout.nb_channels <= 0)
        return std::nullopt;
    return seconds(*context, stream);
}

} // namespace AudioStreamProbe
