#pragma once

extern "C" {
#include <libavutil/log.h>
}

#include <QLoggingCategory>
#include <QString>

#include <cstdarg>
#include <mutex>

// Routes libav's messages into the program's own log instead of the terminal: warnings and worse
// only, one line each, under the category "quillmere.ffmpeg". Called before every use of libav;
// installs once. Needs libavutil, so only the modules that link FFmpeg include it.
namespace FFmpegLog {

inline const QLoggingCategory &category()
{
    static const QLoggingCategory ffmpeg("quillmere.ffmpeg");
    return ffmpeg;
}

inline void forward(void *context, int level, const char *format, va_list arguments)
{
    if (level > AV_LOG_WARNING)
        return;
    char line[1024];
    // Each call formats its own prefix: libav's shared "print prefix" state is not thread-safe.
    int printPrefix = 1;
    av_log_format_line2(context, level, format, arguments, line, sizeof line, &printPrefix);
    const QString text = QString::fromUtf8(line).trimmed();
    if (text.isEmpty())
        return;
    if (level <= AV_LOG_ERROR)
        qCCritical(category).noquote() << text;
    else
        qCWarning(category).noquote() << text;
}

inline void install()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_callback(forward); });
}

} // namespace FFmpegLog
