#include "FFmpegLibrary.h"

extern "C" {
#include <libavcodec/version_major.h>
#include <libavformat/version_major.h>
#include <libavutil/macros.h>
#include <libavutil/version.h>
#include <libswresample/version_major.h>
}

#include <QtGlobal>

#include <array>
#include <mutex>

#include <dlfcn.h>

namespace FFmpegLibrary {

namespace {

// The major versions of the headers the program was built with: another major version has
// another binary interface.
constexpr std::array fileNames{
    "libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR),
    "libswresample.so." AV_STRINGIFY(LIBSWRESAMPLE_VERSION_MAJOR),
    "libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR),
    "libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR),
};

struct Loaded
{
    std::array<void *, fileNames.size()> handles{};
    std::optional<QString> error;
};

const Loaded &loaded()
{
    static Loaded libraries;
    static std::once_flag once;
    std::call_once(once, [] {
        for (size_t part = 0; part < fileNames.size(); ++part) {
            libraries.handles[part] = ::dlopen(fileNames[part], RTLD_NOW | RTLD_LOCAL);
            if (!libraries.handles[part]) {
                libraries.error = QString::fromLocal8Bit(::dlerror());
                return;
            }
        }
    });
    return libraries;
}

} // namespace

std::optional<QString> loadError()
{
    return loaded().error;
}

void *function(Part part, const char *name)
{
    const Loaded &libraries = loaded();
    if (libraries.error)
        qFatal("FFmpeg is missing: %s", qPrintable(*libraries.error));
    void *address = ::dlsym(libraries.handles[size_t(part)], name);
    if (!address)
        qFatal("FFmpeg lacks %s", name);
    return address;
}

} // namespace FFmpegLibrary
