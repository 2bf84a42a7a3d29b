#include "AudioFixture.h"
#include "FakeCoverReader.h"
#include "Library/AudioFormatSupport.h"
#include "Library/LibraryStore.h"
#include "Library/TagLibMetadataReader.h"
#include "Library/TrackFactory.h"
#include "Storage/JsonFields.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A first import gives exactly the library that reading each file on its own gives: every file
// read once through the reader, made into a track by the factory, in path order, with its cover
// stored under the track's name. Checked field by field on real files of every kind an import
// meets: tagged and untagged, with small and large covers, fallback formats, names that are not
// UTF-8 and a file that is not audio.
class ImportIdentityTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!AudioFixture::ffmpegAvailable())
            GTEST_SKIP() << "ffmpeg is needed";
        const QString samples = m_samples.path();
        image(samples + QStringLiteral("/small.jpg"), QStringLiteral("testsrc=size=64x64"));
        // Noise does not compress: a cover larger than what the reader takes in at once.
        image(samples + QStringLiteral("/large.png"),
              QStringLiteral("nullsrc=size=700x700,geq=random(1)*255:random(1)*255:random(1)*255"));

        const auto withCover = [&](const QString &cover) {
            return QStringList{QStringLiteral("-i"), samples + u'/' + cover, QStringLiteral("-map"), QStringLiteral("0"),
                               QStringLiteral("-map"), QStringLiteral("1"), QStringLiteral("-c:v"), QStringLiteral("copy"),
                               QStringLiteral("-disposition:v"), QStringLiteral("attached_pic")};
        };
        const QStringList tags{QStringLiteral("-metadata"), QStringLiteral("title=晴天"), QStringLiteral("-metadata"),
                               QStringLiteral("artist=周杰伦"), QStringLiteral("-metadata"), QStringLiteral("album=叶惠美"),
                               QStringLiteral("-metadata"), QStringLiteral("date=2003"), QStringLiteral("-metadata"),
                               QStringLiteral("track=3/11"), QStringLiteral("-metadata"), QStringLiteral("genre=流行")};
        make(QStringLiteral("A/01 晴天.mp3"), withCover(QStringLiteral("small.jpg")) + tags);
        make(QStringLiteral("A/02 large cover.mp3"), withCover(QStringLiteral("large.png")) + tags, 6);
        make(QStringLiteral("A/03.flac"), withCover(QStringLiteral("small.jpg")) + tags);
        make(QStringLiteral("B/04 - Bill Evans - Waltz for Debby.m4a"), tags);
        make(QStringLiteral("B/05.wav"));
        make(QStringLiteral("B/deep/06.aiff"), tags);
        make(QStringLiteral("C/07.ogg"), tags);
        QFile::copy(m_music.filePath(QStringLiteral("A/03.flac")), m_music.filePath(QStringLiteral("C/08 copy.flac")));
        // A name in GBK and a file that is not audio at all.
        const QByteArray gbkName = QFile::encodeName(m_music.path()) + "/C/\xc7\xe7\xcc\xec.mp3";
        QFile::copy(m_music.filePath(QStringLiteral("A/01 晴天.mp3")), QFile::decodeName(gbkName));
        QFile junk(m_music.filePath(QStringLiteral("C/junk.mp3")));
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(3000, 'x'));
    }

    void image(const QString &path, const QString &source)
    {
        ASSERT_EQ(QProcess::execute(QStringLiteral("ffmpeg"), {QStringLiteral("-loglevel"), QStringLiteral("error"),
                                                                QStringLiteral("-f"), QStringLiteral("lavfi"),
                                                                QStringLiteral("-i"), source, QStringLiteral("-frames:v"),
                                                                QStringLiteral("1"), path}),
                  0);
    }

    void make(const QString &relative, const QStringList &extra = {}, double seconds = 0.5)
    {
        const QString path = m_music.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_FALSE(AudioFixture::makeTone(QFileInfo(path).path(), QFileInfo(path).fileName(), seconds, 440, extra).isEmpty());
    }

    QList<FileLocation> audioFilesInPathOrder() const
    {
        QList<QByteArray> paths;
        QDirIterator files(m_music.path(), QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext())
            paths.append(QFile::encodeName(files.next()));
        std::sort(paths.begin(), paths.end());
        QList<FileLocation> locations;
        for (const QByteArray &path : std::as_const(paths))
            locations.append(FileLocation::fromPath(path));
        return locations;
    }

    QByteArray coverFile(const QString &name) const
    {
        QFile file(m_data.filePath(QStringLiteral("covers/") + name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_samples;
    QTemporaryDir m_music;
    QTemporaryDir m_data;
};

TEST_F(ImportIdentityTest, EveryTrackAndCoverIsWhatReadingEachFileAloneGives)
{
    const TagLibMetadataReader reader;
    LibraryStore store(FileLocation::fromLocalFile(m_data.path()));
    ASSERT_TRUE(waitFor(store.addFolder(FileLocation::fromLocalFile(m_music.path()),
                                        std::make_shared<TagLibMetadataReader>())));
    ASSERT_FALSE(store.lastError().has_value());

    QList<Track> expected;
    QList<FileLocation> unreadable;
    QHash<QUuid, QByteArray> expectedCovers;
    const QList<Track> &imported = store.index().tracks;
    for (const FileLocation &file : audioFilesInPathOrder()) {
        const bool native = AudioFormatSupport::isNative(file);
        const std::optional<AudioMetadata> metadata = native ? reader.read(file) : std::nullopt;
        if (native && !metadata) {
            unreadable.append(file);
            continue;
        }
        const auto found = std::ranges::find(imported, file, &Track::url);
        ASSERT_NE(found, imported.end()) << file.path().toStdString();
        Track track = TrackFactory::make(file, metadata, found->id);
        // Fallback formats are not read while scanning; their covers are read afterwards.
        const std::optional<AudioMetadata> coverSource = native ? metadata : reader.read(file);
        if (coverSource && coverSource->artworkData) {
            track.artworkFileName = Json::uuidText(track.id) + QStringLiteral(".jpg");
            expectedCovers.insert(track.id, *coverSource->artworkData);
        }
        expected.append(track);
    }
    ASSERT_EQ(expectedCovers.size(), 5); // four files with the small cover, one with the large
    ASSERT_EQ(imported.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        EXPECT_EQ(imported.at(i), expected.at(i)) << expected.at(i).url.path().toStdString();
    EXPECT_EQ(store.unreadableURLs(), unreadable);

    QStringList coverNames;
    for (auto cover = expectedCovers.cbegin(); cover != expectedCovers.cend(); ++cover) {
        const QString name = Json::uuidText(cover.key()) + QStringLiteral(".jpg");
        EXPECT_EQ(coverFile(name), *cover) << name.toStdString();
        coverNames.append(name);
    }
    coverNames.sort();
    EXPECT_EQ(QDir(m_data.filePath(QStringLiteral("covers"))).entryList(QDir::Files | QDir::Hidden, QDir::Name), coverNames);
}

} // namespace
