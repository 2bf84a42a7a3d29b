#include "ModelFixture.h"

#include <QCoreApplication>
#include <QEventLoop>

ModelFixture::ModelFixture()
    : directory(FileLocation::fromLocalFile(temporary.path()).appending(QByteArrayLiteral("Quillmere")))
{
}

ModelFixture::~ModelFixture()
{
    model.reset();
}

Track ModelFixture::makeTrack(const QString &title, const QByteArray &path, double modifiedAt)
{
    Track track;
    track.id = QUuid::createUuid();
    track.title = title;
    track.url = FileLocation::fromPath(path.isEmpty() ? "/Music/" + title.toUtf8() + ".mp3" : path);
    track.duration = 200;
    track.modifiedAt = modifiedAt;
    return track;
}

Track ModelFixture::makeMissingTrack(const QString &title, const QByteArray &path)
{
    Track track = makeTrack(title, path);
    track.isMissing = true;
    return track;
}

void ModelFixture::seed(const QList<Track> &tracks, const QList<FileLocation> &folders,
                        const QList<Playlist> &playlists)
{
    IndexStore store(directory);
    ASSERT_TRUE(store.saveIndex(LibraryIndex{tracks, folders}));
    ASSERT_TRUE(store.savePlaylists(playlists));
}

void ModelFixture::seedSettings(const AppSettings &settings)
{
    IndexStore store(directory);
    ASSERT_TRUE(store.saveSettings(settings));
}

AppModel &ModelFixture::build()
{
    model = std::make_unique<AppModel>(directory, environment.make());
    settle();
    return *model;
}

void ModelFixture::settle()
{
    for (int round = 0; round < 3; ++round)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

AppSettings ModelFixture::savedSettings()
{
    model->flushPendingSaves();
    return IndexStore(directory).loadSettings();
}
