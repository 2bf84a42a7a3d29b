#include "AudioFormatSupport.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace AudioFormatSupport {

namespace {

enum class Family { None, Native, Fallback };

constexpr std::array<std::string_view, 10> nativeNames{"mp3", "m4a", "m4r", "aac", "wav", "aiff", "aif", "flac", "mp4", "alac"};
constexpr std::array<std::string_view, 9> fallbackNames{"ape", "wma", "ogg", "oga", "opus", "wv", "tta", "dsf", "dff"};

Family familyOfExtension(const QString &extension)
{
    if (nativeExtensions().contains(extension))
        return Family::Native;
    return fallbackExtensions().contains(extension) ? Family::Fallback : Family::None;
}

// Decided on the path's bytes when the extension is plain ASCII, as nearly every one is; other
// extensions are decoded and lower-cased as text.
Family familyOf(const FileLocation &url)
{
    const QByteArray &path = url.path();
    qsizetype end = path.size();
    while (end > 1 && path.at(end - 1) == '/')
        --end;
    const QByteArrayView name = QByteArrayView(path).first(end).sliced(path.lastIndexOf('/', end - 1) + 1);
    const qsizetype dot = name.lastIndexOf('.');
    if (dot <= 0)
        return Family::None;
    const QByteArrayView extension = name.sliced(dot + 1);
    if (!std::ranges::all_of(extension, [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return familyOfExtension(url.pathExtension().toLower());
    // Lower-casing keeps the length of ASCII text, and no known extension is longer than four.
    if (extension.size() > 4)
        return Family::None;
    std::array<char, 4> lower{};
    for (qsizetype i = 0; i < extension.size() && i < qsizetype(lower.size()); ++i) {
        const char c = extension[i];
        lower[size_t(i)] = c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
    }
    const std::string_view text(lower.data(), size_t(extension.size()));
    if (std::ranges::find(nativeNames, text) != nativeNames.end())
        return Family::Native;
    return std::ranges::find(fallbackNames, text) != fallbackNames.end() ? Family::Fallback : Family::None;
}

} // namespace

const QSet<QString> &nativeExtensions()
{
    static const QSet<QString> extensions = [] {
        QSet<QString> names;
        for (const std::string_view name : nativeNames)
            names.insert(QString::fromLatin1(name.data(), qsizetype(name.size())));
        return names;
    }();
    return extensions;
}

const QSet<QString> &fallbackExtensions()
{
    static const QSet<QString> extensions = [] {
        QSet<QString> names;
        for (const std::string_view name : fallbackNames)
            names.insert(QString::fromLatin1(name.data(), qsizetype(name.size())));
        return names;
    }();
    return extensions;
}

const QSet<QString> &supportedExtensions()
{
    static const QSet<QString> extensions = nativeExtensions() + fallbackExtensions();
    return extensions;
}

bool isNative(const FileLocation &url)
{
    return familyOf(url) == Family::Native;
}

bool isSupported(const FileLocation &url)
{
    return familyOf(url) != Family::None;
}

} // namespace AudioFormatSupport
