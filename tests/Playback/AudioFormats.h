#pragma once

#include <QStringList>

#include <gtest/gtest.h>

// The formats played natively, as ffmpeg makes them for the tests.
struct AudioFormatCase
{
    const char *fileName;
    QStringList extra; // ffmpeg arguments that pick the codec
    bool lossless;
};

inline void PrintTo(const AudioFormatCase &format, std::ostream *stream)
{
    *stream << format.fileName;
}

inline auto nativeAudioFormats()
{
    return ::testing::Values(AudioFormatCase{"tone.mp3", {}, false}, AudioFormatCase{"tone.m4a", {}, false},
                             AudioFormatCase{"alac.m4a", {"-c:a", "alac"}, true},
                             AudioFormatCase{"tone.flac", {}, true}, AudioFormatCase{"tone.wav", {}, true},
                             AudioFormatCase{"tone.aiff", {}, true});
}

// "tone.mp3" -> "tone_mp3"
inline std::string audioFormatName(const ::testing::TestParamInfo<AudioFormatCase> &info)
{
    return QString::fromUtf8(info.param.fileName).replace(u'.', u'_').toStdString();
}
