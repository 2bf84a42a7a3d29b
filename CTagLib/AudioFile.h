#pragma once

#include <memory>
#include <string_view>
#include <system_error>

namespace TagLib {
class File;
class IOStream;
} // namespace TagLib

// A TagLib file whose format is judged by its content; the name only picks the format checked
// first. A FLAC file named ".mp3" opens as FLAC, and the writer's ".tmp" copies open like any
// other file. The file reads through a descriptor that this object owns, so the checks made on
// it hold for what TagLib reads.
class AudioFile
{
public:
    // Opens the file at `path` for reading. Nothing when it is not a regular file (a FIFO or a
    // device never blocks the call) or holds no format TagLib knows.
    static std::unique_ptr<AudioFile> openForReading(const char *path);
    // Opens a file for reading and writing through a duplicate of `descriptor`, which stays the
    // caller's. Nothing when the content holds no format TagLib knows.
    static std::unique_ptr<AudioFile> openForWriting(int descriptor);

    ~AudioFile();
    AudioFile(const AudioFile &) = delete;
    AudioFile &operator=(const AudioFile &) = delete;

    TagLib::File &file() const { return *m_file; }
    // The first failed read or write of a file opened for writing; TagLib itself reports none.
    std::error_code writeError() const;
    // The length a file opened for writing must have after what TagLib wrote; -1 when opened
    // for reading.
    long expectedLength() const;

private:
    AudioFile(std::unique_ptr<TagLib::IOStream> stream, std::unique_ptr<TagLib::File> file);
    // `name` suggests the format to check first; its extension decides nothing.
    static std::unique_ptr<AudioFile> open(std::unique_ptr<TagLib::IOStream> stream, std::string_view name);

    std::unique_ptr<TagLib::IOStream> m_stream;
    std::unique_ptr<TagLib::File> m_file; // declared after the stream: closed before it
};
