#include "AudioFile.h"

#include "DescriptorStream.h"
#include "ReadAheadStream.h"

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/asffile.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/mp4file.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/speexfile.h>
#include <taglib/trueaudiofile.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>

#include <cctype>
#include <cerrno>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using TagLib::IOStream;

constexpr bool readAudioProperties = true;
constexpr auto propertiesStyle = TagLib::AudioProperties::Average;

template <typename FileType>
TagLib::File *makeFile(IOStream *stream)
{
    return new FileType(stream, readAudioProperties, propertiesStyle);
}

template <typename FileType>
TagLib::File *makeFileWithFrameFactory(IOStream *stream)
{
    return new FileType(stream, TagLib::ID3v2::FrameFactory::instance(), readAudioProperties, propertiesStyle);
}

struct Format
{
    const char *extensions; // the usual ones, each between spaces
    bool (*isSupported)(IOStream *);
    TagLib::File *(*make)(IOStream *);
};

// Containers with a fixed signature come first; MPEG, recognised by frame headers that can
// appear by chance in other data, comes last.
const Format formats[] = {
    {" wav ", TagLib::RIFF::WAV::File::isSupported, makeFile<TagLib::RIFF::WAV::File>},
    {" aif aiff aifc ", TagLib::RIFF::AIFF::File::isSupported, makeFile<TagLib::RIFF::AIFF::File>},
    {" flac ", TagLib::FLAC::File::isSupported, makeFileWithFrameFactory<TagLib::FLAC::File>},
    {" oga ", TagLib::Ogg::FLAC::File::isSupported, makeFile<TagLib::Ogg::FLAC::File>},
    {" ogg oga ", TagLib::Ogg::Vorbis::File::isSupported, makeFile<TagLib::Ogg::Vorbis::File>},
    {" opus ", TagLib::Ogg::Opus::File::isSupported, makeFile<TagLib::Ogg::Opus::File>},
    {" spx ", TagLib::Ogg::Speex::File::isSupported, makeFile<TagLib::Ogg::Speex::File>},
    {" m4a m4r m4b m4p mp4 alac ", TagLib::MP4::File::isSupported, makeFile<TagLib::MP4::File>},
    {" wma asf ", TagLib::ASF::File::isSupported, makeFile<TagLib::ASF::File>},
    {" ape ", TagLib::APE::File::isSupported, makeFile<TagLib::APE::File>},
    {" wv ", TagLib::WavPack::File::isSupported, makeFile<TagLib::WavPack::File>},
    {" tta ", TagLib::TrueAudio::File::isSupported, makeFileWithFrameFactory<TagLib::TrueAudio::File>},
    {" mpc ", TagLib::MPC::File::isSupported, makeFile<TagLib::MPC::File>},
    {" mp3 mp2 ", TagLib::MPEG::File::isSupported, makeFileWithFrameFactory<TagLib::MPEG::File>},
};

// The format the name suggests, checked first since it is nearly always right; every check
// costs reads and seeks.
const Format *suggestedFormat(std::string_view name)
{
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || name.find('/', dot) != std::string_view::npos)
        return nullptr;
    std::string extension = ' ' + std::string(name.substr(dot + 1)) + ' ';
    for (char &character : extension)
        character = char(std::tolower(static_cast<unsigned char>(character)));
    for (const Format &format : formats)
        if (std::string_view(format.extensions).find(extension) != std::string_view::npos)
            return &format;
    return nullptr;
}

TagLib::File *openAs(const Format &format, IOStream *stream)
{
    stream->seek(0);
    if (!format.isSupported(stream))
        return nullptr;
    std::unique_ptr<TagLib::File> file(format.make(stream));
    return file->isValid() ? file.release() : nullptr;
}

unsigned byteAt(const TagLib::ByteVector &data, unsigned index)
{
    return static_cast<unsigned char>(data[index]);
}

// Where the audio starts after the ID3v2 tags that open the stream, 0 when none does.
long long offsetPastID3v2Tags(IOStream *stream)
{
    constexpr unsigned headerSize = 10;
    long long offset = 0;
    for (;;) {
        stream->seek(offset);
        const TagLib::ByteVector header = stream->readBlock(headerSize);
        if (header.size() < headerSize || !header.startsWith("ID3") || byteAt(header, 3) == 0xFF
            || byteAt(header, 4) == 0xFF)
            return offset;
        long long size = 0;
        for (unsigned i = 6; i < headerSize; ++i) {
            if (byteAt(header, i) >= 0x80)
                return offset;
            size = size * 128 + byteAt(header, i);
        }
        const bool hasFooter = (byteAt(header, 5) & 0x10) != 0;
        offset += headerSize + size + (hasFooter ? headerSize : 0);
    }
}

// TagLib's MPEG check looks past the first ID3v2 tag only; a second tag, or junk after the
// first, hides the audio from it. Judged by what follows every leading tag: MPEG audio of some
// length.
TagLib::File *openAsTaggedMpeg(IOStream *stream)
{
    if (offsetPastID3v2Tags(stream) == 0)
        return nullptr;
    stream->seek(0);
    std::unique_ptr<TagLib::File> file(makeFileWithFrameFactory<TagLib::MPEG::File>(stream));
    const TagLib::AudioProperties *audio = file->isValid() ? file->audioProperties() : nullptr;
    return audio && audio->lengthInMilliseconds() > 0 ? file.release() : nullptr;
}

} // namespace

AudioFile::AudioFile(std::unique_ptr<TagLib::IOStream> stream, std::unique_ptr<TagLib::File> file)
    : m_stream(std::move(stream)), m_file(std::move(file))
{
}

AudioFile::~AudioFile() = default;

std::unique_ptr<AudioFile> AudioFile::openForReading(const char *path)
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer. O_NOATIME keeps a scan of the whole
    // library from writing an access time into every file; only the owner may ask for it.
    constexpr int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC;
    int descriptor = ::open(path, flags | O_NOATIME);
    if (descriptor < 0 && errno == EPERM)
        descriptor = ::open(path, flags);
    if (descriptor < 0)
        return nullptr;
    struct stat status{};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return nullptr;
    }
    // The stream adopts the descriptor and closes it.
    return open(std::make_unique<ReadAheadStream>(descriptor, path), path);
}

std::unique_ptr<AudioFile> AudioFile::openForWriting(int descriptor)
{
    const int duplicate = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    if (duplicate < 0)
        return nullptr;
    return open(std::make_unique<DescriptorStream>(duplicate), {});
}

std::error_code AudioFile::writeError() const
{
    const auto *stream = dynamic_cast<const DescriptorStream *>(m_stream.get());
    return stream ? stream->error() : std::error_code();
}

long AudioFile::expectedLength() const
{
    const auto *stream = dynamic_cast<const DescriptorStream *>(m_stream.get());
    return stream ? stream->expectedLength() : -1;
}

std::unique_ptr<AudioFile> AudioFile::open(std::unique_ptr<TagLib::IOStream> stream, std::string_view name)
{
    const Format *suggested = suggestedFormat(name);
    std::unique_ptr<TagLib::File> file(suggested ? openAs(*suggested, stream.get()) : nullptr);
    for (const Format &format : formats) {
        if (file)
            break;
        if (&format != suggested)
            file.reset(openAs(format, stream.get()));
    }
    if (!file)
        file.reset(openAsTaggedMpeg(stream.get()));
    return file ? std::unique_ptr<AudioFile>(new AudioFile(std::move(stream), std::move(file))) : nullptr;
}
