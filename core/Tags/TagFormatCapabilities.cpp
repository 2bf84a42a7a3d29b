#include "TagFormatCapabilities.h"

#include "Localization.h"

#include <QFile>
#include <QtEndian>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr qint64 riffHeaderSize = 12;
constexpr qint64 chunkHeaderSize = 8;
constexpr int maximumChunkHeaders = 4096;

TagFormatCapabilities allowed()
{
    return {true, true, true, std::nullopt};
}

TagFormatCapabilities refused(const char *limitation)
{
    return {false, false, false, L(limitation)};
}

// Opens without following the name into a blocking FIFO; QFile takes the descriptor over.
bool openForReading(QFile &file, const FileLocation &location)
{
    const int fd = ::open(location.cPath(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

} // namespace

TagFormatCapabilities TagFormatCapabilities::capabilities(const FileLocation &file)
{
    // Not "aac": TagLib cannot write raw ADTS streams.
    static const QStringList fullyWritable = {
        QStringLiteral("mp3"), QStringLiteral("mp2"), QStringLiteral("m4a"), QStringLiteral("m4b"),
        QStringLiteral("mp4"), QStringLiteral("flac"), QStringLiteral("ape"),
        QStringLiteral("ogg"), QStringLiteral("oga"), QStringLiteral("opus"), QStringLiteral("aif"),
        QStringLiteral("aiff"), QStringLiteral("aifc"),
    };
    const QString extension = file.pathExtension().toLower();
    if (fullyWritable.contains(extension))
        return allowed();
    if (extension == QLatin1String("wav") || extension == QLatin1String("wave")) {
        if (wavHasID3Chunk(file))
            return allowed();
        return refused("这个 WAV 文件没有 ID3v2 标签块，无法写入标签。");
    }
    if (extension == QLatin1String("wma") || extension == QLatin1String("asf"))
        return {true, false, false, L("WMA/ASF 格式不支持写入专辑歌手或封面。")};
    return refused("不支持的音频格式，无法写入标签。");
}

TagFormatCapabilities TagFormatCapabilities::combined(const QList<FileLocation> &files)
{
    TagFormatCapabilities result = allowed();
    for (const FileLocation &file : files) {
        const TagFormatCapabilities one = capabilities(file);
        result.canWrite = result.canWrite && one.canWrite;
        result.canWriteAlbumArtist = result.canWriteAlbumArtist && one.canWriteAlbumArtist;
        result.canWriteArtwork = result.canWriteArtwork && one.canWriteArtwork;
        // Why a file cannot be written at all outweighs a writable file's partial limit.
        if (!one.canWrite && one.limitation)
            result.limitation = one.limitation;
        else if (one.canWrite && !result.limitation)
            result.limitation = one.limitation;
    }
    return result;
}

bool TagFormatCapabilities::wavHasID3Chunk(const FileLocation &location)
{
    QFile file;
    if (location.path().contains('\0') || !openForReading(file, location))
        return false;
    const QByteArray header = file.read(riffHeaderSize);
    if (header.size() < riffHeaderSize || !(header.startsWith("RIFF") || header.startsWith("RF64")))
        return false;
    const qint64 fileSize = file.size();
    if (fileSize < riffHeaderSize + chunkHeaderSize)
        return false;

    // 64-bit offsets: a 4 GB chunk size must not wrap back into the file.
    quint64 offset = riffHeaderSize;
    for (int headers = 0; headers < maximumChunkHeaders; ++headers) {
        file.seek(qint64(offset));
        const QByteArray chunk = file.read(chunkHeaderSize);
        if (chunk.size() < chunkHeaderSize)
            return false;
        if (chunk.first(4).toLower() == "id3 ")
            return true;
        const quint32 size = qFromLittleEndian<quint32>(chunk.constData() + 4);
        offset += chunkHeaderSize + size + (size & 1);
        if (offset + chunkHeaderSize > quint64(fileSize))
            return false;
    }
    return false;
}
