#include "Mp3LengthHeader.h"

#include <QFile>

#include <algorithm>

#include <fcntl.h>
#include <unistd.h>

namespace Mp3LengthHeader {

namespace {

constexpr qint64 id3HeaderSize = 10;
// The first frame and its header fit easily; a frame is at most 2881 bytes.
constexpr qint64 frameReadSize = 4096;

quint32 bigEndian(const QByteArray &data, qsizetype at, int bytes)
{
    quint32 value = 0;
    for (int i = 0; i < bytes; ++i)
        value = value << 8 | quint8(data[at + i]);
    return value;
}

// Where the first frame starts: past every ID3v2 tag that opens the file.
qint64 audioStart(QFile &file)
{
    qint64 offset = 0;
    for (;;) {
        if (!file.seek(offset))
            return offset;
        const QByteArray header = file.read(id3HeaderSize);
        if (header.size() < id3HeaderSize || !header.startsWith("ID3"))
            return offset;
        qint64 size = 0;
        for (int i = 6; i < id3HeaderSize; ++i) {
            if (quint8(header[i]) >= 0x80)
                return offset;
            size = size << 7 | quint8(header[i]);
        }
        const bool hasFooter = (quint8(header[5]) & 0x10) != 0;
        offset += id3HeaderSize + size + (hasFooter ? id3HeaderSize : 0);
    }
}

std::optional<qint64> fromFrame(const QByteArray &frame)
{
    if (frame.size() < 4 || quint8(frame[0]) != 0xFF || (quint8(frame[1]) & 0xE0) != 0xE0)
        return std::nullopt;
    const int version = (quint8(frame[1]) >> 3) & 3; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const int layer = (quint8(frame[1]) >> 1) & 3;   // 1: Layer III
    if (version == 1 || layer != 1)
        return std::nullopt;
    const bool mpeg1 = version == 3;
    const bool mono = (quint8(frame[3]) >> 6) == 3;
    const qint64 samplesPerFrame = mpeg1 ? 1152 : 576;

    const qsizetype xing = 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    if (frame.size() >= xing + 8 && (frame.mid(xing, 4) == "Xing" || frame.mid(xing, 4) == "Info")) {
        const quint32 flags = bigEndian(frame, xing + 4, 4);
        if (!(flags & 1))
            return std::nullopt;
        qsizetype at = xing + 8;
        const qint64 frames = bigEndian(frame, at, 4);
        at += 4;
        at += (flags & 2) ? 4 : 0;   // byte count
        at += (flags & 4) ? 100 : 0; // seek table
        at += (flags & 8) ? 4 : 0;   // quality
        qint64 decoded = frames * samplesPerFrame;
        // The LAME tag's encoder delay and padding, which the decoder leaves out.
        if (frame.size() >= at + 24) {
            const QByteArray encoder = frame.mid(at, 4);
            if (encoder == "LAME" || encoder == "Lavf" || encoder == "Lavc") {
                const quint32 pads = bigEndian(frame, at + 21, 3);
                decoded -= qint64(pads >> 12) + qint64(pads & 0xFFF);
            }
        }
        return std::max<qint64>(decoded, 0);
    }
    constexpr qsizetype vbri = 4 + 32;
    if (frame.size() >= vbri + 18 && frame.mid(vbri, 4) == "VBRI")
        return qint64(bigEndian(frame, vbri + 14, 4)) * samplesPerFrame;
    return std::nullopt;
}

} // namespace

std::optional<qint64> decodedFrames(const FileLocation &file)
{
    // O_NONBLOCK: never wait on a FIFO.
    const int descriptor = ::open(file.cPath(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return std::nullopt;
    QFile input;
    if (!input.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return std::nullopt;
    }
    const qint64 start = audioStart(input);
    if (!input.seek(start))
        return std::nullopt;
    return fromFrame(input.read(frameReadSize));
}

} // namespace Mp3LengthHeader
