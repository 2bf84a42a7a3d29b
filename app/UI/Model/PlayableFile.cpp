#include "PlayableFile.h"

#include "Library/AudioFormatSupport.h"

namespace PlayableFile {

std::optional<FileLocation> forTrack(const Track &track, const Transcoding &transcoding)
{
    if (AudioFormatSupport::isNative(track.url))
        return track.url;
    return transcoding.cachedURL(track);
}

} // namespace PlayableFile
