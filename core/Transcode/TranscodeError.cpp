#include "TranscodeError.h"

#include "Localization.h"

QString TranscodeError::description() const
{
    return kind == Kind::FFmpegMissing ? L("未找到 FFmpeg") : text;
}
