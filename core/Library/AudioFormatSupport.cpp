#include "AudioFormatSupport.h"

namespace AudioFormatSupport {

const QSet<QString> &nativeExtensions()
{
    static const QSet<QString> extensions{u"mp3"_qs, u"m4a"_qs, u"m4r"_qs, u"aac"_qs, u"wav"_qs,
                                          u"aiff"_qs, u"aif"_qs, u"flac"_qs, u"mp4"_qs, u"alac"_qs};
    return extensions;
}

const QSet<QString> &fallbackExtensions()
{
    static const QSet<QString> extensions{u"ape"_qs, u"wma"_qs, u"ogg"_qs, u"oga"_qs, u"opus"_qs,
                                          u"wv"_qs, u"tta"_qs, u"dsf"_qs, u"dff"_qs};
    return extensions;
}

const QSet<QString> &supportedExtensions()
{
    static const QSet<QString> extensions = nativeExtensions() + fallbackExtensions();
    return extensions;
}

bool isNative(const FileLocation &url)
{
    return nativeExtensions().contains(url.pathExtension().toLower());
}

bool isSupported(const FileLocation &url)
{
    return supportedExtensions().contains(url.pathExtension().toLower());
}

} // namespace AudioFormatSupport
