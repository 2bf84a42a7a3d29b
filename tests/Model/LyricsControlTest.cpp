#include "ModelFixture.h"

#include "Lyrics/LyricsCache.h"

#include <QFile>
#include <QStringEncoder>
#include <QtCore/qtestsupport_core.h>

namespace {

ResolvedLyrics synced(std::initializer_list<std::pair<double, const char *>> lines)
{
    Lyrics lyrics{{}, true};
    for (const auto &[time, text] : lines)
        lyrics.lines.append({time, QString::fromUtf8(text)});
    return {lyrics, LyricsOrigin::Online, std::nullopt};
}

class LyricsControlTest : public ModelFixture
{
protected:
    // Plays the track and answers the resolution it started; a newer one supersedes older ones.
    void playAndResolve(const Track &track, const std::optional<ResolvedLyrics> &result)
    {
        model->play(track.id);
        settle();
        environment.lyrics->finish(environment.lyrics->requests().size() - 1, result);
        settle();
    }

    FileLocation writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = temporary.path() + QLatin1Char('/') + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return FileLocation::fromLocalFile(path);
    }

    // Imports the file for the current track and waits until the import has said how it went.
    void importLyrics(const FileLocation &file)
    {
        model->dismissStatus();
        environment.prompts->fileAnswers = {file};
        model->promptImportLyrics();
        EXPECT_TRUE(QTest::qWaitFor([&] { return model->statusMessage().has_value(); }, 5000));
    }

    std::optional<Lyrics> savedOverride(const Track &track) const
    {
        return LyricsCache(directory.appending(QByteArrayLiteral("lyrics"))).loadOverride(track.id);
    }
};

} // namespace

TEST_F(LyricsControlTest, OnlyTheLastTracksResultIsShownWhateverOrderResultsArrive)
{
    const Track a = makeTrack("A"), b = makeTrack("B");
    seed({a, b});
    build();
    const qsizetype first = environment.lyrics->requests().size();

    model->play(a.id);
    model->play(b.id);
    settle();
    ResolvedLyrics sidecar = synced({{0, "b"}});
    sidecar.origin = LyricsOrigin::Sidecar;
    environment.lyrics->finish(environment.lyrics->requests().size() - 1, sidecar);
    environment.lyrics->finish(first, synced({{0, "a"}}));
    settle();

    EXPECT_EQ(model->lyricsState().trackID, b.id);
    EXPECT_EQ(model->lyricsState().origin, LyricsOrigin::Sidecar);
    EXPECT_FALSE(model->lyricsState().isResolving);
    EXPECT_EQ(model->currentLyricLineIndex(), 0);
    EXPECT_EQ(model->currentLyricText(), QStringLiteral("b"));
}

TEST_F(LyricsControlTest, TheLineFollowsThePositionAndARetryKeepsItUntilTheNewResult)
{
    const Track a = makeTrack("A");
    seed({a});
    build();
    playAndResolve(a, synced({{5, "first"}, {7, "second"}, {9, "third"}}));

    // Before the first synchronised line, the first two lines show.
    EXPECT_FALSE(model->currentLyricLineIndex());
    EXPECT_EQ(model->currentLyricText(), QStringLiteral("first"));
    EXPECT_EQ(model->nextLyricText(), QStringLiteral("second"));
    environment.engine->setPosition(9.5);
    settle();
    ASSERT_EQ(model->currentLyricLineIndex(), 2);
    EXPECT_EQ(model->currentLyricText(), QStringLiteral("third"));
    EXPECT_FALSE(model->nextLyricText());
    EXPECT_FALSE(model->canRetryLyrics());

    model->retryLyrics();
    EXPECT_TRUE(model->lyricsState().isResolving);
    EXPECT_EQ(model->currentLyricText(), QStringLiteral("third"));
    EXPECT_EQ(model->currentLyricLineIndex(), 2);

    environment.lyrics->finish(environment.lyrics->requests().size() - 1, std::nullopt);
    settle();
    EXPECT_FALSE(model->lyricsState().lyrics);
    EXPECT_FALSE(model->currentLyricLineIndex());
    EXPECT_TRUE(model->canRetryLyrics());
}

struct ImportCase
{
    const char *fileName;
    QByteArray bytes;
    const char *status;
    bool isSynced;
    const char *current;
    const char *next;
};

class LyricsImportTest : public LyricsControlTest, public ::testing::WithParamInterface<ImportCase>
{
};

TEST_P(LyricsImportTest, BecomesTheTracksOverrideOrSaysWhyNot)
{
    const ImportCase import = GetParam();
    const Track a = makeTrack("A");
    seed({a});
    build();
    playAndResolve(a, synced({{0, "online"}}));

    importLyrics(writeFile(QString::fromUtf8(import.fileName), import.bytes));

    EXPECT_EQ(model->statusMessage(), QString::fromUtf8(import.status));
    if (!import.current) {
        EXPECT_FALSE(savedOverride(a));
        EXPECT_EQ(model->currentLyricText(), QStringLiteral("online"));
        return;
    }
    EXPECT_EQ(savedOverride(a), model->lyricsState().lyrics);
    EXPECT_TRUE(model->hasLyricsOverride());
    EXPECT_EQ(model->lyricsState().lyrics->isSynced, import.isSynced);
    EXPECT_FALSE(model->currentLyricLineIndex());
    EXPECT_EQ(model->currentLyricText(), QString::fromUtf8(import.current));
    EXPECT_EQ(model->nextLyricText(), import.next ? std::optional(QString::fromUtf8(import.next)) : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LyricsImportTest,
    ::testing::Values(
        ImportCase{"synced.lrc", "[00:01.00]\xe4\xb8\x80\n[00:03.00]\xe4\xba\x8c\n", "已导入歌词", true, "一", "二"},
        // Older Chinese files are GB 18030.
        ImportCase{"legacy.lrc", QStringEncoder("GB18030").encode(QStringLiteral("[00:02.00]月亮\n[00:04.00]代表")),
                   "已导入歌词", true, "月亮", "代表"},
        ImportCase{"plain.txt", "[00:01.00]\xe7\xac\xac\xe4\xb8\x80\xe8\xa1\x8c\nsecond\n", "已导入歌词", false,
                   "第一行", nullptr},
        ImportCase{"empty.lrc", "[ar:Nobody]\n\n", "歌词文件没有可用内容。", false, nullptr, nullptr},
        // Bytes that no legacy encoding reads as text.
        ImportCase{"binary.lrc", QByteArray("\x81 \x8D \x90", 5), "无法读取歌词文件。",
                   false, nullptr, nullptr},
        // No lyrics file is this large.
        ImportCase{"huge.txt", QByteArray(9 * 1024 * 1024, 'a'), "无法读取歌词文件。", false, nullptr, nullptr}));

TEST_F(LyricsControlTest, AnImportFinishedAfterTheTrackChangedIsSavedForItsTrack)
{
    const Track a = makeTrack("A"), b = makeTrack("B");
    seed({a, b});
    build();
    playAndResolve(a, std::nullopt);
    environment.prompts->fileAnswers = {writeFile(QStringLiteral("a.lrc"), "[00:01.00]for A\n")};

    model->promptImportLyrics();
    model->play(b.id);
    settle();
    // The finished import resolves the new track's lyrics again.
    const qsizetype resolutions = environment.lyrics->requests().size();
    ASSERT_TRUE(QTest::qWaitFor([&] { return environment.lyrics->requests().size() > resolutions; }, 5000));

    EXPECT_EQ(savedOverride(a)->lines.first().text, QStringLiteral("for A"));
    EXPECT_FALSE(savedOverride(b));
    EXPECT_EQ(model->lyricsState().trackID, b.id);
    EXPECT_FALSE(model->hasLyricsOverride());
    EXPECT_TRUE(model->lyricsState().isResolving);
    EXPECT_FALSE(model->statusMessage());
}

TEST_F(LyricsControlTest, RestoringAutomaticMatchingReportsItsOutcomeForThatTrackOnly)
{
    const Track a = makeTrack("A"), b = makeTrack("B");
    seed({a, b});
    build();
    playAndResolve(a, std::nullopt);
    importLyrics(writeFile(QStringLiteral("a.lrc"), "[00:01.00]mine\n"));
    ASSERT_TRUE(model->hasLyricsOverride());

    model->restoreAutomaticLyrics();
    EXPECT_FALSE(savedOverride(a));
    environment.lyrics->finish(environment.lyrics->requests().size() - 1, synced({{0, "found"}}));
    settle();
    EXPECT_EQ(model->statusMessage(), QStringLiteral("已恢复自动匹配"));
    EXPECT_FALSE(model->hasLyricsOverride());

    model->restoreAutomaticLyrics();
    environment.lyrics->finish(environment.lyrics->requests().size() - 1, std::nullopt);
    settle();
    EXPECT_EQ(model->statusMessage(), QStringLiteral("已恢复自动匹配，但未找到歌词"));

    model->restoreAutomaticLyrics();
    const qsizetype restoring = environment.lyrics->requests().size() - 1;
    playAndResolve(b, std::nullopt);
    environment.lyrics->finish(restoring, synced({{0, "late"}}));
    settle();
    EXPECT_FALSE(model->statusMessage());
    EXPECT_EQ(model->lyricsState().trackID, b.id);
}
