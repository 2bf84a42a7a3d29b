#include "TagSnapshot.h"

#include "AudioFile.h"

#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asftag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

namespace {

std::string utf8(const TagLib::String &text)
{
    return text.to8Bit(true);
}

std::string bytes(const TagLib::ByteVector &data)
{
    return std::string(data.data(), data.size());
}

// The tag a reader looks at: the one that a writer of this file would fill, else the file's own.
TagLib::Tag *tagToRead(TagLib::File &file)
{
    TagLib::Tag *tag = nullptr;
    if (auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(&file)) {
        if (mpeg->hasID3v2Tag())
            tag = mpeg->ID3v2Tag(false);
        else if (mpeg->hasAPETag())
            tag = mpeg->APETag(false);
        else
            tag = mpeg->ID3v1Tag(false);
    } else if (auto *flac = dynamic_cast<TagLib::FLAC::File *>(&file)) {
        if (flac->hasXiphComment())
            tag = flac->xiphComment(false);
        else if (flac->hasID3v2Tag())
            tag = flac->ID3v2Tag(false);
    } else if (auto *ape = dynamic_cast<TagLib::APE::File *>(&file)) {
        tag = ape->APETag(false);
    } else if (auto *wav = dynamic_cast<TagLib::RIFF::WAV::File *>(&file)) {
        // Without an ID3 chunk, the RIFF INFO chunk that most WAV taggers write.
        if (!wav->hasID3v2Tag() && wav->hasInfoTag())
            tag = wav->InfoTag();
        else
            tag = wav->ID3v2Tag();
    }
    return tag ? tag : file.tag();
}

// The data of an APE cover item: a file name, a zero byte, then the picture.
TagLib::ByteVector apePicture(const TagLib::ByteVector &data)
{
    const int zero = data.find('\0');
    return zero < 0 ? data : data.mid(static_cast<unsigned>(zero) + 1);
}

TagLib::ByteVector cover(TagLib::File &file, TagLib::Tag *tag)
{
    if (auto *flac = dynamic_cast<TagLib::FLAC::File *>(&file)) {
        for (const TagLib::FLAC::Picture *picture : flac->pictureList())
            if (!picture->data().isEmpty())
                return picture->data();
    }
    if (auto *id3 = dynamic_cast<TagLib::ID3v2::Tag *>(tag)) {
        for (const TagLib::ID3v2::Frame *frame : id3->frameList("APIC")) {
            const auto *picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame *>(frame);
            if (picture && !picture->picture().isEmpty())
                return picture->picture();
        }
    } else if (auto *xiph = dynamic_cast<TagLib::Ogg::XiphComment *>(tag)) {
        for (const TagLib::FLAC::Picture *picture : xiph->pictureList())
            if (!picture->data().isEmpty())
                return picture->data();
    } else if (auto *mp4 = dynamic_cast<TagLib::MP4::Tag *>(tag)) {
        const TagLib::MP4::CoverArtList covers = mp4->item("covr").toCoverArtList();
        if (!covers.isEmpty())
            return covers.front().data();
    } else if (auto *ape = dynamic_cast<TagLib::APE::Tag *>(tag)) {
        for (const auto &[key, item] : ape->itemListMap()) {
            if (!key.upper().startsWith("COVER ART") || item.binaryData().isEmpty())
                continue;
            const TagLib::ByteVector picture = apePicture(item.binaryData());
            if (!picture.isEmpty())
                return picture;
        }
    }
    return {};
}

TagLib::String firstValue(const TagLib::Ogg::XiphComment &comment, const char *field)
{
    const TagLib::Ogg::FieldListMap &fields = comment.fieldListMap();
    const auto found = fields.find(field);
    return found == fields.end() || found->second.isEmpty() ? TagLib::String() : found->second.front();
}

TagLib::String albumArtist(TagLib::Tag *tag)
{
    if (auto *id3 = dynamic_cast<TagLib::ID3v2::Tag *>(tag)) {
        const TagLib::ID3v2::FrameList frames = id3->frameList("TPE2");
        return frames.isEmpty() ? TagLib::String() : frames.front()->toString();
    }
    if (auto *mp4 = dynamic_cast<TagLib::MP4::Tag *>(tag)) {
        const TagLib::StringList values = mp4->item("aART").toStringList();
        return values.isEmpty() ? TagLib::String() : values.front();
    }
    if (auto *xiph = dynamic_cast<TagLib::Ogg::XiphComment *>(tag)) {
        const TagLib::String value = firstValue(*xiph, "ALBUMARTIST");
        return value.isEmpty() ? firstValue(*xiph, "ALBUM ARTIST") : value;
    }
    if (auto *ape = dynamic_cast<TagLib::APE::Tag *>(tag)) {
        for (const auto &[key, item] : ape->itemListMap()) {
            const TagLib::String upper = key.upper();
            if (upper == "ALBUMARTIST" || upper == "ALBUM ARTIST")
                return item.toString();
        }
    }
    return {};
}

// Tag::properties() is not virtual in TagLib 1: the classes that keep numbers as text are asked
// directly, so that "3/12" or "2003-05-01" reach the reader as written.
TagLib::PropertyMap propertiesOf(const TagLib::Tag &tag)
{
    if (const auto *id3 = dynamic_cast<const TagLib::ID3v2::Tag *>(&tag))
        return id3->properties();
    if (const auto *xiph = dynamic_cast<const TagLib::Ogg::XiphComment *>(&tag))
        return xiph->properties();
    if (const auto *mp4 = dynamic_cast<const TagLib::MP4::Tag *>(&tag))
        return mp4->properties();
    if (const auto *ape = dynamic_cast<const TagLib::APE::Tag *>(&tag))
        return ape->properties();
    if (const auto *asf = dynamic_cast<const TagLib::ASF::Tag *>(&tag))
        return asf->properties();
    return tag.properties();
}

// ID3v2's genre accessor turns genre numbers into names; the frame keeps what was written (a
// "(18)" of ID3v2.3 is read by TagLib as "18").
std::string storedGenre(TagLib::Tag &tag)
{
    if (auto *id3 = dynamic_cast<TagLib::ID3v2::Tag *>(&tag)) {
        const TagLib::ID3v2::FrameList frames = id3->frameList("TCON");
        if (frames.isEmpty())
            return {};
        const auto *text = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame *>(frames.front());
        return utf8(text ? text->fieldList().toString() : frames.front()->toString());
    }
    return utf8(tag.genre());
}

std::string firstProperty(const TagLib::PropertyMap &properties, const char *key)
{
    const auto found = properties.find(key);
    return found == properties.end() || found->second.isEmpty() ? std::string() : utf8(found->second.front());
}

TagSnapshot snapshot(TagLib::File &file)
{
    TagSnapshot result;
    TagLib::Tag *tag = tagToRead(file);
    result.cover = bytes(cover(file, tag));
    if (tag) {
        result.title = utf8(tag->title());
        result.artist = utf8(tag->artist());
        result.album = utf8(tag->album());
        result.genre = utf8(tag->genre());
        result.genreText = storedGenre(*tag);
        result.year = tag->year();
        result.trackNumber = tag->track();
        result.albumArtist = utf8(albumArtist(tag));
        const TagLib::PropertyMap properties = propertiesOf(*tag);
        result.yearText = firstProperty(properties, "DATE");
        result.trackNumberText = firstProperty(properties, "TRACKNUMBER");
    }
    if (const TagLib::AudioProperties *audio = file.audioProperties())
        result.duration = audio->lengthInMilliseconds() / 1000.0;
    return result;
}

} // namespace

std::optional<TagSnapshot> TagSnapshot::read(const char *path) noexcept
{
    if (!path)
        return std::nullopt;
    try {
        const std::unique_ptr<AudioFile> audioFile = AudioFile::openForReading(path);
        if (!audioFile)
            return std::nullopt;
        return snapshot(audioFile->file());
    } catch (...) {
        // TagLib or the allocator gave up on this file; to the caller it is unreadable.
        return std::nullopt;
    }
}
