#include "TagEditorFixture.h"

#include "Views/TagCoverSection.h"

#include <QTest>

TagEditorFixture::~TagEditorFixture()
{
    sheet.reset();
}

AppModel &TagEditorFixture::buildModelWith(std::shared_ptr<const TagIO> tags)
{
    tagIO = std::make_shared<ObservedTagIO>(std::move(tags));
    AppModelEnvironment made = environment.make();
    made.makeTagIO = [io = tagIO] { return io; };
    model = std::make_unique<AppModel>(home.dataFolder(), std::move(made));
    theme.setSettings(model->library().settings());
    settle();
    return *model;
}

TagEditorView &TagEditorFixture::open(const QList<Track> &tracks)
{
    if (!model)
        buildModelWith(environment.tags);
    sheet.reset();
    sheet = std::make_unique<TagEditorView>(*model, tracks);
    theme.addRoot(sheet.get());
    sheet->show();
    EXPECT_TRUE(QTest::qWaitFor([this] { return sheet->isLoaded(); }, 10000));
    settle();
    return *sheet;
}

QList<Track> TagEditorFixture::seeded(const QStringList &titles)
{
    if (!model)
        buildModelWith(environment.tags);
    QList<Track> found;
    for (const QString &title : titles) {
        const auto track = std::ranges::find(model->tracks(), title, &Track::title);
        EXPECT_NE(track, model->tracks().cend()) << title.toStdString();
        if (track != model->tracks().cend())
            found.append(*track);
    }
    return found;
}

Track TagEditorFixture::trackAt(const QString &fileName)
{
    if (!model)
        buildModelWith(environment.tags);
    Track track = model->tracks().constFirst();
    track.id = QUuid::createUuid();
    track.url = FileLocation::fromLocalFile(home.musicPath() + QLatin1Char('/') + fileName);
    return track;
}

void TagEditorFixture::saveAndWait()
{
    sheet->save();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !model->fileWorkProgress(); }, 10000));
    settle();
}

void TagEditorFixture::awaitCover()
{
    EXPECT_TRUE(QTest::qWaitFor([this] { return !sheet->coverSection()->isTakingCover(); }, 10000));
    settle();
}
