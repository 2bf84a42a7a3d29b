#include "FileCommandFixture.h"

#include <QDir>
#include <QFile>

AppModel &FileCommandFixture::buildModel()
{
    AppModelEnvironment made = environment.make();
    made.files = &files;
    model = std::make_unique<AppModel>(directory, std::move(made));
    settle();
    return *model;
}

void FileCommandFixture::awaitIdle() const
{
    EXPECT_TRUE(QTest::qWaitFor([&] { return !model->fileWorkProgress() && !model->isScanning(); }, 10000));
    settle();
}

void FileCommandFixture::recordProgress()
{
    QObject::connect(model.get(), &AppModel::fileWorkProgressChanged, model.get(),
                     [this](const std::optional<QString> &text) { progress.append(text.value_or(QStringLiteral("-"))); });
}

QList<Track> FileCommandFixture::seedTracks(int count)
{
    QList<Track> tracks;
    for (int i = 0; i < count; ++i) {
        tracks.append(makeTrack(QString(QChar(u'A' + i))));
        environment.tags->setTags(tracks.last().url, titled(tracks.last().title));
    }
    seed(tracks);
    return tracks;
}

FileLocation FileCommandFixture::makeFile(const QByteArray &relativePath, const QByteArray &bytes)
{
    const FileLocation file = FileLocation::fromLocalFile(temporary.path()).appending(QByteArrayLiteral("Music"));
    const FileLocation target = FileLocation::fromPath(file.path() + '/' + relativePath);
    QDir().mkpath(target.deletingLastPathComponent().displayPath());
    QFile out(target.displayPath());
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    return target;
}

Track FileCommandFixture::trackFor(const QString &title, const FileLocation &file) const
{
    Track track = makeTrack(title);
    track.url = file;
    return track;
}
