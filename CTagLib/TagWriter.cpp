#include "TagWriter.h"

#include "AudioFile.h"
#include "Base64.h"
#include "TagSnapshot.h"
#include "TemporaryCopy.h"

#include "Storage/ErrnoReason.h"

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4coverart.h>
#include <taglib/mp4tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include <cstdint>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Failure = std::optional<std::string>;

const char *const noSpace = "磁盘空间不足，无法写入标签，文件未改动";

// The system's own wording is English; the user reads the reason in Chinese, or its number.
std::string reasonOf(const std::error_code &error)
{
    if (const char *reason = commonErrnoReason(error.value()))
        return reason;
    return "错误 " + std::to_string(error.value());
}

const char *const apeAlbumArtistKey = "Album Artist";
const char *const apeCoverKey = "Cover Art (Front)";

TagLib::String utf8String(const std::string &bytes)
{
    return TagLib::String(bytes, TagLib::String::UTF8);
}

// The tag this file's tags are written to. An MP3 or WAV file without an ID3v2 tag gets one,
// seeded from the tag it has, which stays in the file.
TagLib::Tag *tagToWrite(TagLib::File &file)
{
    if (auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(&file)) {
        const bool hadID3v2 = mpeg->hasID3v2Tag();
        TagLib::ID3v2::Tag *tag = mpeg->ID3v2Tag(true);
        if (!hadID3v2 && mpeg->hasAPETag())
            TagLib::Tag::duplicate(mpeg->APETag(), tag, false);
        else if (!hadID3v2 && mpeg->hasID3v1Tag())
            TagLib::Tag::duplicate(mpeg->ID3v1Tag(), tag, false);
        return tag;
    }
    if (auto *flac = dynamic_cast<TagLib::FLAC::File *>(&file))
        return flac->xiphComment(true);
    if (auto *ape = dynamic_cast<TagLib::APE::File *>(&file))
        return ape->APETag(true);
    if (auto *wav = dynamic_cast<TagLib::RIFF::WAV::File *>(&file)) {
        // Seeded from the RIFF INFO chunk, which readers give way to the new ID3 chunk.
        if (!wav->hasID3v2Tag() && wav->hasInfoTag())
            TagLib::Tag::duplicate(wav->InfoTag(), wav->ID3v2Tag(), false);
        return wav->ID3v2Tag();
    }
    return file.tag();
}

void writeAlbumArtist(TagLib::Tag &tag, const TagLib::String &text)
{
    if (auto *id3 = dynamic_cast<TagLib::ID3v2::Tag *>(&tag)) {
        id3->removeFrames("TPE2");
        if (!text.isEmpty()) {
            auto *frame = new TagLib::ID3v2::TextIdentificationFrame("TPE2", TagLib::String::UTF8);
            frame->setText(text);
            id3->addFrame(frame);
        }
    } else if (auto *mp4 = dynamic_cast<TagLib::MP4::Tag *>(&tag)) {
        if (text.isEmpty())
            mp4->removeItem("aART");
        else
            mp4->setItem("aART", TagLib::StringList(text));
    } else if (auto *xiph = dynamic_cast<TagLib::Ogg::XiphComment *>(&tag)) {
        xiph->removeFields("ALBUMARTIST");
        if (!text.isEmpty())
            xiph->addField("ALBUMARTIST", text, true);
    } else if (auto *ape = dynamic_cast<TagLib::APE::Tag *>(&tag)) {
        if (text.isEmpty())
            ape->removeItem(apeAlbumArtistKey);
        else
            ape->addValue(apeAlbumArtistKey, text, true);
    }
}

// Judged by the image's signature; anything unknown is taken for JPEG.
const char *mimeType(const std::string &image)
{
    const auto startsWith = [&](std::string_view prefix, size_t minimumSize) {
        return image.size() >= minimumSize && std::string_view(image).substr(0, prefix.size()) == prefix;
    };
    if (startsWith("\x89PNG\r\n\x1a\n", 8))
        return "image/png";
    if (startsWith("\xFF\xD8", 3))
        return "image/jpeg";
    if (startsWith("GIF8", 6))
        return "image/gif";
    if (startsWith("RIFF", 12) && image.compare(8, 4, "WEBP") == 0)
        return "image/webp";
    if (startsWith("BM", 2))
        return "image/bmp";
    return "image/jpeg";
}

TagLib::MP4::CoverArt::Format mp4Format(std::string_view mime)
{
    if (mime == "image/png")
        return TagLib::MP4::CoverArt::PNG;
    if (mime == "image/gif")
        return TagLib::MP4::CoverArt::GIF;
    if (mime == "image/bmp")
        return TagLib::MP4::CoverArt::BMP;
    return TagLib::MP4::CoverArt::JPEG;
}

TagLib::FLAC::Picture *flacPicture(const char *mime, const TagLib::ByteVector &image)
{
    auto *picture = new TagLib::FLAC::Picture;
    picture->setMimeType(mime);
    picture->setType(TagLib::FLAC::Picture::FrontCover);
    picture->setData(image);
    return picture;
}

void removeCovers(TagLib::File &file, TagLib::Tag &tag)
{
    if (auto *flac = dynamic_cast<TagLib::FLAC::File *>(&file)) {
        flac->removePictures();
        if (flac->hasXiphComment())
            flac->xiphComment()->removeAllPictures();
    } else if (auto *id3 = dynamic_cast<TagLib::ID3v2::Tag *>(&tag)) {
        id3->removeFrames("APIC");
    } else if (auto *xiph = dynamic_cast<TagLib::Ogg::XiphComment *>(&tag)) {
        xiph->removeAllPictures();
    } else if (auto *mp4 = dynamic_cast<TagLib::MP4::Tag *>(&tag)) {
        mp4->removeItem("covr");
    } else if (auto *ape = dynamic_cast<TagLib::APE::Tag *>(&tag)) {
        ape->removeItem(apeCoverKey);
    }
}

// One front cover in place of every cover the file had.
void addCover(TagLib::File &file, TagLib::Tag &tag, const char *mime, const TagLib::ByteVector &image)
{
    removeCovers(file, tag);
    if (auto *flac = dynamic_cast<TagLib::FLAC::File *>(&file)) {
        flac->addPicture(flacPicture(mime, image));
    } else if (auto *id3 = dynamic_cast<TagLib::ID3v2::Tag *>(&tag)) {
        auto *frame = new TagLib::ID3v2::AttachedPictureFrame;
        frame->setMimeType(mime);
        frame->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        frame->setPicture(image);
        id3->addFrame(frame);
    } else if (auto *xiph = dynamic_cast<TagLib::Ogg::XiphComment *>(&tag)) {
        xiph->addPicture(flacPicture(mime, image));
    } else if (auto *mp4 = dynamic_cast<TagLib::MP4::Tag *>(&tag)) {
        TagLib::MP4::CoverArtList covers;
        covers.append(TagLib::MP4::CoverArt(mp4Format(mime), image));
        mp4->setItem("covr", covers);
    } else if (auto *ape = dynamic_cast<TagLib::APE::Tag *>(&tag)) {
        // An empty file name, then the picture.
        ape->setItem(apeCoverKey, TagLib::APE::Item(apeCoverKey, TagLib::ByteVector(1, '\0') + image, true));
    }
}

// A FLAC metadata block states its length in 24 bits; TagLib would write a larger picture with a
// truncated length and leave a file whose tags no longer read.
bool fitsFlacPictureBlock(const TagLib::File &file, const std::string &image, std::string_view mime)
{
    constexpr size_t blockLimit = 0xFFFFFF;
    constexpr size_t fixedFields = 32; // type, text lengths, size, depth, colours, data length
    return !dynamic_cast<const TagLib::FLAC::File *>(&file) || fixedFields + mime.size() + image.size() <= blockLimit;
}

// Sets the picture, or removes every cover for an empty text; `written` tells which it did.
Failure writeCover(TagLib::File &file, TagLib::Tag &tag, const std::string &base64, bool &written)
{
    if (base64.empty()) {
        removeCovers(file, tag);
        return std::nullopt;
    }
    const std::optional<std::string> image = Base64::decode(base64);
    if (!image || image->empty())
        return "封面数据无效";
    const char *mime = mimeType(*image);
    if (!fitsFlacPictureBlock(file, *image, mime))
        return "封面数据无效";
    addCover(file, tag, mime, TagLib::ByteVector(image->data(), static_cast<unsigned>(image->size())));
    written = true;
    return std::nullopt;
}

// The 32-bit range of TagLib's numbers; anything else leaves the field as it is.
std::optional<unsigned> tagNumber(const FieldValue *value)
{
    if (!value || value->number < 0 || value->number > 0xFFFFFFFFLL)
        return std::nullopt;
    return static_cast<unsigned>(value->number);
}

// What a reader of the saved file must find, as the tag that was written holds it (TagLib may
// normalise a value, as it turns a numeric ID3 genre into its name).
struct ExpectedTags
{
    std::optional<std::string> title, artist, album, genre, albumArtist;
    std::optional<unsigned> year, trackNumber;
    // A picture was written. The one read back may be another that the file holds beside it.
    bool cover = false;
};

std::string utf8(const TagLib::String &text)
{
    return text.to8Bit(true);
}

Failure applyFields(TagLib::File &file, TagLib::Tag &tag, const FieldMap &fields, ExpectedTags &expected)
{
    const FieldValue *albumArtist = field(fields, "albumArtist");
    const FieldValue *artwork = field(fields, "artworkBase64");
    if (dynamic_cast<TagLib::ASF::File *>(&file) && (albumArtist || artwork))
        return "该格式不支持写入专辑歌手或封面";
    if (const FieldValue *title = field(fields, "title"))
        tag.setTitle(utf8String(title->text));
    if (const FieldValue *artist = field(fields, "artist"))
        tag.setArtist(utf8String(artist->text));
    if (const FieldValue *album = field(fields, "album"))
        tag.setAlbum(utf8String(album->text));
    if (const FieldValue *genre = field(fields, "genre"))
        tag.setGenre(utf8String(genre->text));
    if (const std::optional<unsigned> year = tagNumber(field(fields, "year")))
        tag.setYear(*year);
    if (const std::optional<unsigned> track = tagNumber(field(fields, "trackNumber")))
        tag.setTrack(*track);
    if (albumArtist)
        writeAlbumArtist(tag, utf8String(albumArtist->text));
    if (artwork) {
        if (Failure failure = writeCover(file, tag, artwork->text, expected.cover))
            return failure;
    }

    if (field(fields, "title"))
        expected.title = utf8(tag.title());
    if (field(fields, "artist"))
        expected.artist = utf8(tag.artist());
    if (field(fields, "album"))
        expected.album = utf8(tag.album());
    if (field(fields, "genre"))
        expected.genre = utf8(tag.genre());
    if (tagNumber(field(fields, "year")))
        expected.year = tag.year();
    if (tagNumber(field(fields, "trackNumber")))
        expected.trackNumber = tag.track();
    if (albumArtist)
        expected.albumArtist = albumArtist->text;
    return std::nullopt;
}

bool matches(const std::optional<std::string> &expected, const std::string &found)
{
    return !expected || *expected == found;
}

bool matches(const std::optional<unsigned> &expected, unsigned found)
{
    return !expected || *expected == found;
}

// Reads the saved copy as any reader would: it must have the length that the save produced, open
// as audio and hold every field written.
Failure verifyCopy(const TemporaryCopy &copy, long savedSize, const ExpectedTags &expected)
{
    struct stat status{};
    if (::fstat(copy.descriptor(), &status) != 0 || status.st_size != savedSize)
        return "保存标签失败";
    const std::optional<TagSnapshot> saved = TagSnapshot::read(copy.path().c_str());
    if (!saved)
        return "保存标签失败";
    const bool complete = matches(expected.title, saved->title) && matches(expected.artist, saved->artist)
        && matches(expected.album, saved->album) && matches(expected.genre, saved->genre)
        && matches(expected.albumArtist, saved->albumArtist) && (!expected.cover || !saved->cover.empty())
        && matches(expected.year, saved->year) && matches(expected.trackNumber, saved->trackNumber);
    if (!complete)
        return "该格式无法保存所写的全部标签，文件未改动";
    return std::nullopt;
}

// The RIFF header and the chunk sizes of a WAV file must add up to its length: with a chunk that
// claims less than it holds, a new tag chunk would land where players still read audio.
bool wavChunksFitTheFile(int descriptor)
{
    struct stat status{};
    if (::fstat(descriptor, &status) != 0)
        return false;
    const auto littleEndian = [](const unsigned char *bytes) {
        return std::uint64_t(bytes[0]) | std::uint64_t(bytes[1]) << 8 | std::uint64_t(bytes[2]) << 16
            | std::uint64_t(bytes[3]) << 24;
    };
    const auto fileSize = std::uint64_t(status.st_size);
    unsigned char header[12];
    if (::pread(descriptor, header, sizeof header, 0) != ssize_t(sizeof header)
        || littleEndian(header + 4) + 8 != fileSize)
        return false;
    std::uint64_t position = sizeof header;
    while (position + 8 <= fileSize) {
        unsigned char chunk[8];
        if (::pread(descriptor, chunk, sizeof chunk, off_t(position)) != ssize_t(sizeof chunk))
            return false;
        const std::uint64_t size = littleEndian(chunk + 4);
        position += 8 + size + (size & 1);
        // The pad byte of a last chunk of odd size is often left out.
        if (position == fileSize + 1 && (size & 1))
            position = fileSize;
    }
    return position == fileSize;
}

bool saveFile(TagLib::File &file)
{
    // No duplication between the MP3 tags: it would refill a field cleared in the ID3v2 tag from
    // the ID3v1 tag, and add an ID3v1 tag that no later edit keeps up to date.
    if (auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(&file))
        return mpeg->save(TagLib::MPEG::File::AllTags, TagLib::File::StripNone, TagLib::ID3v2::v4,
                          TagLib::File::DoNotDuplicate);
    return file.save();
}

// Opens the copy by its content, applies the fields, saves it and reads it back; TagLib has let go
// of the copy when this returns.
Failure tagCopy(const TemporaryCopy &copy, const FieldMap &fields)
{
    try {
        ExpectedTags expected;
        long savedSize = 0;
        {
            const std::unique_ptr<AudioFile> audio = AudioFile::openForWriting(copy.descriptor());
            if (!audio)
                return "不支持的音频格式";
            if (dynamic_cast<TagLib::RIFF::WAV::File *>(&audio->file()) && !wavChunksFitTheFile(copy.descriptor()))
                return "WAV 文件的块大小与文件长度不符，无法写入标签";
            TagLib::Tag *tag = tagToWrite(audio->file());
            if (!tag)
                return "该格式无法写入标签";
            if (Failure failure = applyFields(audio->file(), *tag, fields, expected))
                return failure;
            const bool saved = saveFile(audio->file());
            if (const std::error_code error = audio->writeError())
                return error == std::errc::no_space_on_device ? noSpace : "保存标签失败: " + reasonOf(error);
            if (!saved)
                return "保存标签失败";
            savedSize = audio->expectedLength();
        }
        return verifyCopy(copy, savedSize, expected);
    } catch (...) {
        return "写入标签时发生未知错误";
    }
}

// Room the copy needs beyond the file's own size: the given texts and picture, plus the padding
// and rewritten headers of the tag.
std::uint64_t growthOf(const FieldMap &fields)
{
    std::uint64_t bytes = 64 * 1024;
    for (const auto &[key, value] : fields)
        bytes += value.text.size();
    return bytes;
}

} // namespace

std::optional<std::string> TagWriter::write(const char *path, const FieldMap &fields)
{
    struct stat status{};
    if (::stat(path, &status) != 0)
        return "文件不存在";
    std::error_code error;
    const std::unique_ptr<TemporaryCopy> copy = TemporaryCopy::make(path, error, growthOf(fields));
    if (!copy)
        return error == std::errc::no_space_on_device ? noSpace : "无法创建临时文件: " + reasonOf(error);
    if (Failure failure = tagCopy(*copy, fields))
        return failure; // the copy is removed with it
    if (const std::error_code replaceError = copy->replaceTarget())
        return "无法替换原文件: " + reasonOf(replaceError);
    return std::nullopt;
}
