#include "BridgeFixture.h"

#include "CTagLib/taglib_bridge.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>

#include <taglib/id3v1tag.h>
#include <taglib/mpegfile.h>

#include <gtest/gtest.h>

namespace BridgeFixture {

std::optional<QJsonObject> readTags(const QString &path)
{
    char *json = quillmere_read_tags(QFile::encodeName(path).constData());
    if (!json)
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray(json), &error);
    quillmere_free(json);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return document.object();
}

QString writeTags(const QString &path, const QByteArray &json)
{
    char *error = nullptr;
    const int32_t result = quillmere_write_tags(QFile::encodeName(path).constData(), json.constData(), &error);
    const QString message = error ? QString::fromUtf8(error) : QString();
    quillmere_free(error);
    EXPECT_EQ(result == 0, message.isEmpty()) << "return code and message disagree: " << message.toStdString();
    return message;
}

QString writeTags(const QString &path, const QJsonObject &fields)
{
    return writeTags(path, QJsonDocument(fields).toJson(QJsonDocument::Compact));
}

QByteArray decodedSamples(const QString &path)
{
    QProcess ffmpeg;
    ffmpeg.setStandardInputFile(QProcess::nullDevice());
    ffmpeg.start(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path,
                                            QStringLiteral("-f"), QStringLiteral("s16le"), QStringLiteral("-")});
    ffmpeg.waitForFinished(120000);
    const QByteArray samples = ffmpeg.readAllStandardOutput();
    if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0 || samples.isEmpty()) {
        ADD_FAILURE() << path.toStdString() << " does not decode: " << ffmpeg.readAllStandardError().toStdString();
        return {};
    }
    return samples;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList temporaryLeftovers(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.quillmere-*")}, QDir::AllEntries | QDir::Hidden | QDir::System);
}

void addId3v1Tag(const QString &path, const char *title, const char *artist, unsigned year)
{
    TagLib::MPEG::File file(QFile::encodeName(path).constData());
    ASSERT_FALSE(file.hasID3v2Tag());
    TagLib::ID3v1::Tag *tag = file.ID3v1Tag(true);
    tag->setTitle(title);
    tag->setArtist(artist);
    tag->setYear(year);
    ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v1));
}

QByteArray pngImage(char fill)
{
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(300, fill);
}

QByteArray jpegImage(char fill)
{
    return QByteArray("\xFF\xD8\xFF\xE0", 4) + QByteArray(300, fill);
}

} // namespace BridgeFixture
