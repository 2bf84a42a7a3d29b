// The libav functions the program calls, each forwarding to its library once FFmpegLibrary has
// loaded it. Their declarations come from FFmpeg's headers, so a signature that differs from the
// installed FFmpeg does not compile.
#include "FFmpegLibrary.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
#include <libswresample/swresample.h>
}

namespace {

// The library's function of the same name and type as `Declared`, looked up once.
template <auto Declared>
auto forwarded(FFmpegLibrary::Part part, const char *name)
{
    static const auto address = reinterpret_cast<decltype(Declared)>(FFmpegLibrary::function(part, name));
    return address;
}

} // namespace

#define QUILLMERE_FORWARD(part, name) forwarded<&name>(FFmpegLibrary::Part::part, #name)

extern "C" {

// libavutil

void av_log_set_callback(void (*callback)(void *, int, const char *, va_list))
{
    QUILLMERE_FORWARD(Util, av_log_set_callback)(callback);
}

int av_log_format_line2(void *ptr, int level, const char *fmt, va_list vl, char *line, int line_size,
                        int *print_prefix)
{
    return QUILLMERE_FORWARD(Util, av_log_format_line2)(ptr, level, fmt, vl, line, line_size, print_prefix);
}

int av_strerror(int errnum, char *errbuf, size_t errbuf_size)
{
    return QUILLMERE_FORWARD(Util, av_strerror)(errnum, errbuf, errbuf_size);
}

int64_t av_rescale(int64_t a, int64_t b, int64_t c)
{
    return QUILLMERE_FORWARD(Util, av_rescale)(a, b, c);
}

int64_t av_rescale_q(int64_t a, AVRational bq, AVRational cq)
{
    return QUILLMERE_FORWARD(Util, av_rescale_q)(a, bq, cq);
}

AVFrame *av_frame_alloc(void)
{
    return QUILLMERE_FORWARD(Util, av_frame_alloc)();
}

void av_frame_free(AVFrame **frame)
{
    QUILLMERE_FORWARD(Util, av_frame_free)(frame);
}

void av_frame_unref(AVFrame *frame)
{
    QUILLMERE_FORWARD(Util, av_frame_unref)(frame);
}

void av_channel_layout_default(AVChannelLayout *ch_layout, int nb_channels)
{
    QUILLMERE_FORWARD(Util, av_channel_layout_default)(ch_layout, nb_channels);
}

int av_channel_layout_copy(AVChannelLayout *dst, const AVChannelLayout *src)
{
    return QUILLMERE_FORWARD(Util, av_channel_layout_copy)(dst, src);
}

int av_channel_layout_compare(const AVChannelLayout *chl, const AVChannelLayout *chl1)
{
    return QUILLMERE_FORWARD(Util, av_channel_layout_compare)(chl, chl1);
}

void av_channel_layout_uninit(AVChannelLayout *channel_layout)
{
    QUILLMERE_FORWARD(Util, av_channel_layout_uninit)(channel_layout);
}

// libswresample

int swr_alloc_set_opts2(struct SwrContext **ps, AVChannelLayout *out_ch_layout,
                        enum AVSampleFormat out_sample_fmt, int out_sample_rate,
                        AVChannelLayout *in_ch_layout, enum AVSampleFormat in_sample_fmt,
                        int in_sample_rate, int log_offset, void *log_ctx)
{
    return QUILLMERE_FORWARD(SoftwareResample, swr_alloc_set_opts2)(ps, out_ch_layout, out_sample_fmt,
        out_sample_rate, in_ch_layout, in_sample_fmt, in_sample_rate, log_offset, log_ctx);
}

int swr_set_matrix(struct SwrContext *s, const double *matrix, int stride)
{
    return QUILLMERE_FORWARD(SoftwareResample, swr_set_matrix)(s, matrix, stride);
}

int swr_init(struct SwrContext *s)
{
    return QUILLMERE_FORWARD(SoftwareResample, swr_init)(s);
}

int swr_convert(struct SwrContext *s, uint8_t **out, int out_count, const uint8_t **in, int in_count)
{
    return QUILLMERE_FORWARD(SoftwareResample, swr_convert)(s, out, out_count, in, in_count);
}

void swr_free(struct SwrContext **s)
{
    QUILLMERE_FORWARD(SoftwareResample, swr_free)(s);
}

// libavcodec

AVCodecContext *avcodec_alloc_context3(const AVCodec *codec)
{
    return QUILLMERE_FORWARD(Codec, avcodec_alloc_context3)(codec);
}

void avcodec_free_context(AVCodecContext **avctx)
{
    QUILLMERE_FORWARD(Codec, avcodec_free_context)(avctx);
}

int avcodec_parameters_to_context(AVCodecContext *codec, const AVCodecParameters *par)
{
    return QUILLMERE_FORWARD(Codec, avcodec_parameters_to_context)(codec, par);
}

int avcodec_open2(AVCodecContext *avctx, const AVCodec *codec, AVDictionary **options)
{
    return QUILLMERE_FORWARD(Codec, avcodec_open2)(avctx, codec, options);
}

int avcodec_send_packet(AVCodecContext *avctx, const AVPacket *avpkt)
{
    return QUILLMERE_FORWARD(Codec, avcodec_send_packet)(avctx, avpkt);
}

int avcodec_receive_frame(AVCodecContext *avctx, AVFrame *frame)
{
    return QUILLMERE_FORWARD(Codec, avcodec_receive_frame)(avctx, frame);
}

void avcodec_flush_buffers(AVCodecContext *avctx)
{
    QUILLMERE_FORWARD(Codec, avcodec_flush_buffers)(avctx);
}

AVPacket *av_packet_alloc(void)
{
    return QUILLMERE_FORWARD(Codec, av_packet_alloc)();
}

void av_packet_free(AVPacket **pkt)
{
    QUILLMERE_FORWARD(Codec, av_packet_free)(pkt);
}

void av_packet_unref(AVPacket *pkt)
{
    QUILLMERE_FORWARD(Codec, av_packet_unref)(pkt);
}

uint8_t *av_packet_get_side_data(const AVPacket *pkt, enum AVPacketSideDataType type, size_t *size)
{
    return QUILLMERE_FORWARD(Codec, av_packet_get_side_data)(pkt, type, size);
}

// libavformat

int avformat_open_input(AVFormatContext **ps, const char *url, const AVInputFormat *fmt, AVDictionary **options)
{
    return QUILLMERE_FORWARD(Format, avformat_open_input)(ps, url, fmt, options);
}

int avformat_find_stream_info(AVFormatContext *ic, AVDictionary **options)
{
    return QUILLMERE_FORWARD(Format, avformat_find_stream_info)(ic, options);
}

int av_find_best_stream(AVFormatContext *ic, enum AVMediaType type, int wanted_stream_nb, int related_stream,
                        const AVCodec **decoder_ret, int flags)
{
    return QUILLMERE_FORWARD(Format, av_find_best_stream)(ic, type, wanted_stream_nb, related_stream, decoder_ret,
                                                          flags);
}

int av_read_frame(AVFormatContext *s, AVPacket *pkt)
{
    return QUILLMERE_FORWARD(Format, av_read_frame)(s, pkt);
}

int av_seek_frame(AVFormatContext *s, int stream_index, int64_t timestamp, int flags)
{
    return QUILLMERE_FORWARD(Format, av_seek_frame)(s, stream_index, timestamp, flags);
}

int avformat_seek_file(AVFormatContext *s, int stream_index, int64_t min_ts, int64_t ts, int64_t max_ts, int flags)
{
    return QUILLMERE_FORWARD(Format, avformat_seek_file)(s, stream_index, min_ts, ts, max_ts, flags);
}

void avformat_close_input(AVFormatContext **s)
{
    QUILLMERE_FORWARD(Format, avformat_close_input)(s);
}

} // extern "C"
