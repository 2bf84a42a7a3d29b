#pragma once

#include "AppModel.h"
#include "ModelTestEnvironment.h"

#include "Library/IndexStore.h"

#include <QFuture>
#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <memory>

// A model over a temporary data folder, with fakes around it and the stores seeded beforehand.
class ModelFixture : public ::testing::Test
{
protected:
    ModelFixture();
    ~ModelFixture() override;

    // A library track under /Music; its file need not exist.
    static Track makeTrack(const QString &title, const QByteArray &path = {}, double modifiedAt = 0);
    static Track makeMissingTrack(const QString &title, const QByteArray &path = {});

    // Written as the stores' files before the model is built.
    void seed(const QList<Track> &tracks, const QList<FileLocation> &folders = {},
              const QList<Playlist> &playlists = {});
    void seedSettings(const AppSettings &settings);

    AppModel &build();
    // Runs the event loop until everything queued so far has been handled.
    static void settle();
    // Runs the event loop until the command has finished, and gives its result.
    template <typename T> static T await(const QFuture<T> &future)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 10000));
        return future.result();
    }
    // The settings file as written, after every pending save.
    AppSettings savedSettings();

    QTemporaryDir temporary;
    FileLocation directory;
    ModelTestEnvironment environment;
    std::unique_ptr<AppModel> model;
};
