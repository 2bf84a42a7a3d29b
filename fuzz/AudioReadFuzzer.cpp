#include "CTagLib/taglib_bridge.h"
#include "Library/TagLibMetadataReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" {
#include <libavutil/log.h>
}

#include <unistd.h>

namespace {

// The first byte picks the name's extension, which libavformat takes as a hint.
const char *const extensions[] = {"mp3", "m4a", "flac", "wav", "aiff", "ogg", "opus", "wma", "ape", "wv", "bin"};

std::string scratchPath(uint8_t selector)
{
    const char *folder = std::getenv("TMPDIR");
    return std::string(folder && *folder ? folder : "/tmp") + "/quillmere-fuzz-" + std::to_string(::getpid()) + "."
        + extensions[selector % std::size(extensions)];
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    av_log_set_level(AV_LOG_QUIET); // every mutated header would be reported
    return 0;
}

// A mutated file must give a record or nothing from both readers, never a crash or a hang.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string path = scratchPath(data[0]);
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data + 1, 1, size - 1, file);
    std::fclose(file);

    quillmere_free(quillmere_read_tags(path.c_str()));
    const std::optional<AudioMetadata> metadata = TagLibMetadataReader().read(FileLocation::fromPath(path.c_str()));
    if (metadata && !(metadata->duration >= 0))
        std::abort();
    std::remove(path.c_str());
    return 0;
}
