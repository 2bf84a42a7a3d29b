// The organizer end to end on real files: templates, plans, runs, their journal and undo.
#include "OrganizeFixture.h"

#include "Organize/FileOrganizer.h"
#include "Organize/OrganizeTemplate.h"
#include "Organize/OrganizeURLMapping.h"

#include "FaultInjectingFileOperations.h"
#include "Storage/FileTime.h"
#include "Storage/JsonFile.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QStringDecoder>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace OrganizeFixture;
using Operation = FileOperations::Operation;
using Items = QList<OrganizePlanItem>;

namespace {

// Templates --------------------------------------------------------------------------------------

Track song(const QByteArray &path = "/in/Song.flac", const std::function<void(Track &)> &change = {})
{
    Track track;
    track.url = FileLocation::fromPath(path);
    track.title = QStringLiteral("Title");
    track.artist = QStringLiteral("Artist");
    track.album = QStringLiteral("Album");
    if (change)
        change(track);
    return track;
}

Track songWith(const std::function<void(Track &)> &change, const QByteArray &path = "/in/Song.flac")
{
    return song(path, change);
}

struct RenderCase
{
    const char *name;
    QString templateText;
    Track track;
    QByteArray expected; // below /music
};

void PrintTo(const RenderCase &value, std::ostream *out)
{
    *out << value.name;
}

class OrganizeTemplateRender : public testing::TestWithParam<RenderCase>
{
};

TEST_P(OrganizeTemplateRender, RendersTheDestination)
{
    const RenderCase &c = GetParam();
    EXPECT_EQ(OrganizeTemplate::render(c.templateText, c.track, FileLocation::fromPath("/music")).path(),
        "/music/" + c.expected);
}

const QString albumLayout = QStringLiteral("{artist}/{album}/{track} {title}");
const QString byArtist = QStringLiteral("{artist}/{title}");
const QString titleOnly = QStringLiteral("{title}");

INSTANTIATE_TEST_SUITE_P(Examples, OrganizeTemplateRender,
    testing::Values(RenderCase { "NoTrackNumberTrimsTheSpace", albumLayout, song(), "Artist/Album/Title.flac" },
        RenderCase { "TrackNumberInPlainDecimal", albumLayout, songWith([](Track &t) { t.trackNumber = 3; }),
            "Artist/Album/3 Title.flac" },
        RenderCase { "ExtensionInAFolderIsNotAppended", QStringLiteral("{ext}/{title}"), song(), "flac/Title" },
        RenderCase { "ExtensionCaseKept", titleOnly, song("/in/a.FLAC"), "Title.FLAC" },
        RenderCase { "NoExtensionLeavesNoTrailingDot", byArtist, song("/in/Song"), "Artist/Title" },
        RenderCase { "DotsOnlyAlbumDropsTheLevel", QStringLiteral("{artist}/{album}/{title}"),
            songWith([](Track &t) { t.album = QStringLiteral(". . ."); }), "Artist/Title.flac" },
        RenderCase { "WhitespaceAlbumIsUnknown", QStringLiteral("{artist}/{album}/{title}"),
            songWith([](Track &t) { t.album = QStringLiteral(" \n"); }), "Artist/未知专辑/Title.flac" },
        RenderCase { "EmptyArtistIsUnknown", byArtist, songWith([](Track &t) { t.artist.clear(); }),
            "未知歌手/Title.flac" },
        RenderCase { "SlashInValueIsNoFolder", byArtist,
            songWith([](Track &t) { t.artist = QStringLiteral("AC/DC"); }), "AC、DC/Title.flac" },
        RenderCase { "ColonAndQuestionMark", titleOnly,
            songWith([](Track &t) { t.title = QStringLiteral("Why: Me?"); }), "Why- Me-.flac" },
        RenderCase { "EmptyTitleTakesTheFileName", titleOnly, songWith([](Track &t) { t.title.clear(); }, "/in/07 Song.flac"),
            "07 Song.flac" },
        // "晴天" in GBK: the fallback name is read as text, and written out as UTF-8.
        RenderCase { "EmptyTitleTakesAFileNameThatIsNotUtf8", titleOnly,
            songWith([](Track &t) { t.title.clear(); }, "/in/\xc7\xe7\xcc\xec.flac"), "晴天.flac" },
        RenderCase { "NoTitleAtAll", titleOnly, songWith([](Track &t) { t.title.clear(); }, "/in/ .flac"),
            "未知歌曲.flac" },
        RenderCase { "MiswrittenPlaceholderStaysLiteral", QStringLiteral("{title}.{Ext}"), song(), "Title.{Ext}.flac" },
        RenderCase { "LaterPlaceholderInAValueIsReplaced", titleOnly,
            songWith([](Track &t) { t.title = QStringLiteral("{year}"), t.year = 1999; }), "1999.flac" },
        RenderCase { "EarlierPlaceholderInAValueStays", QStringLiteral("{album}"),
            songWith([](Track &t) { t.album = QStringLiteral("{artist}"); }), "{artist}.flac" },
        RenderCase { "AlbumArtistFallsBackToArtist", QStringLiteral("{albumArtist}/{title}"),
            songWith([](Track &t) { t.albumArtist = QStringLiteral("  "); }), "Artist/Title.flac" },
        RenderCase { "AlbumArtistWhenGiven", QStringLiteral("{albumArtist}/{title}"),
            songWith([](Track &t) { t.albumArtist = QStringLiteral("Various"); }), "Various/Title.flac" },
        RenderCase { "EmptyPiecesContributeNothing", QStringLiteral("/{artist}//{title}"), song(), "Artist/Title.flac" },
        // A name starting with "." would be hidden and skipped by the library scan.
        RenderCase { "LeadingDotOfAFolderDropped", byArtist,
            songWith([](Track &t) { t.artist = QStringLiteral(".38 Special"); }), "38 Special/Title.flac" },
        RenderCase { "LeadingDotOfAFileDropped", titleOnly,
            songWith([](Track &t) { t.title = QStringLiteral("..Hidden"); }), "Hidden.flac" },
        RenderCase { "EmptyTemplateNamesTheFile", QString(), song(), "未命名.flac" },
        RenderCase { "DotsOnlyTitleNamesTheFile", byArtist, songWith([](Track &t) { t.title = QStringLiteral("..."); }),
            "Artist/未命名.flac" }),
    [](const testing::TestParamInfo<RenderCase> &info) { return std::string(info.param.name); });

TEST(OrganizeTemplateSanitize, MakesTheComponentSafe)
{
    const std::pair<QString, QString> rows[] = { { QStringLiteral("a/b:c"), QStringLiteral("a、b-c") },
        { QStringLiteral("\\*?\"<>|"), QStringLiteral("-------") }, { QStringLiteral("a\r\nb\x7f"), QStringLiteral("a--b-") },
        { QStringLiteral("a") + QChar(0) + u'b', QStringLiteral("a-b") }, { QStringLiteral("  x y  "), QStringLiteral("x y") },
        { QStringLiteral("x. . "), QStringLiteral("x") },
        // Only "." and " " are stripped after the one trim.
        { QStringLiteral("x\u3000."), QStringLiteral("x\u3000") }, { QStringLiteral(".."), QString() },
        { QStringLiteral(". .hidden"), QStringLiteral("hidden") }, { QStringLiteral("\u3000"), QString() } };
    for (const auto &[input, expected] : rows)
        EXPECT_EQ(OrganizeTemplate::sanitize(input), expected) << input.toStdString();
}

bool isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    (void)decoder.decode(bytes);
    return !decoder.hasError();
}

TEST(OrganizeTemplateNameLength, LongNamesAreCutAtACharacterBoundaryKeepingTheExtension)
{
    const FileLocation root = FileLocation::fromPath("/music");
    const QByteArray name
        = OrganizeTemplate::render(titleOnly, songWith([](Track &t) { t.title = QString(100, QChar(u'歌')); }), root)
              .fileName();
    EXPECT_LE(name.size(), OrganizeTemplate::maxNameBytes);
    EXPECT_GT(name.size(), OrganizeTemplate::maxNameBytes - 3); // cut no shorter than needed
    EXPECT_TRUE(name.endsWith(".flac"));
    EXPECT_TRUE(isValidUtf8(name));

    const Track longArtist = songWith([](Track &t) { t.artist = QStringLiteral("x") + QString(100, QChar(u'歌')); });
    const QByteArray folder = OrganizeTemplate::render(byArtist, longArtist, root).deletingLastPathComponent().fileName();
    EXPECT_EQ(folder.size(), 1 + 84 * 3);
    EXPECT_TRUE(isValidUtf8(folder));

    // "e" with a combining acute accent is one character of three bytes.
    const QString accented = QStringLiteral("e\u0301");
    EXPECT_EQ(OrganizeTemplate::fitName(accented.repeated(100), QStringLiteral(".mp3")),
        accented.repeated(83) + QStringLiteral(".mp3"));
    // The cut leaves no trailing space or dot.
    const QString stem = QString(249, QChar(u'a')) + QStringLiteral(" .  bcdef");
    EXPECT_EQ(OrganizeTemplate::fitName(stem, QStringLiteral(".flac")), QString(249, QChar(u'a')) + ".flac");
}

// Plans and runs ---------------------------------------------------------------------------------

class FileOrganizerTest : public testing::Test
{
protected:
    FileLocation at(const QByteArray &relative) const { return m_base.appending(relative); }
    Track existingTrack(const QByteArray &relative, const QString &title)
    {
        writeFile(at(relative), relative);
        return trackFor(at(relative), QStringLiteral("Artist"), title);
    }
    Items plan(const QList<Track> &tracks) { return m_organizer.plan(tracks, byArtist, at("out")); }
    QByteArray belowOut(const OrganizePlanItem &item) const
    {
        return item.destination.path().mid(at("out/").path().size());
    }

    QTemporaryDir m_temporary;
    FileLocation m_base = locationOf(m_temporary);
    FaultInjectingFileOperations m_files;
    OrganizeUndoStore m_undo { at("undo"), 50, m_files };
    FileOrganizer m_organizer { m_undo, m_files };
};

struct PlanCase
{
    const char *name;
    QList<QByteArray> existing; // files that stand in the way
    QList<std::pair<QByteArray, QString>> tracks; // file and title
    QStringList expected; // destinations below "out"; numbered ones are conflicts resolved
};

void PrintTo(const PlanCase &value, std::ostream *out)
{
    *out << value.name;
}

class FileOrganizerPlan : public FileOrganizerTest, public testing::WithParamInterface<PlanCase>
{
};

TEST_P(FileOrganizerPlan, NumbersNamesTakenOnDiskOrInThePlan)
{
    for (const QByteArray &file : GetParam().existing)
        writeFile(at(file), "old");
    QList<Track> tracks;
    for (const auto &[file, title] : GetParam().tracks)
        tracks.append(existingTrack(file, title));

    const Items items = plan(tracks);

    QStringList destinations;
    for (const OrganizePlanItem &item : items) {
        destinations.append(QString::fromUtf8(belowOut(item)));
        EXPECT_EQ(item.conflictResolved, destinations.last().contains(u" (")) << destinations.last().toStdString();
    }
    EXPECT_EQ(destinations, GetParam().expected);
}

const QString composed = QStringLiteral("Caf\u00e9");
const QString decomposed = QStringLiteral("Cafe\u0301");

INSTANTIATE_TEST_SUITE_P(Cases, FileOrganizerPlan,
    testing::Values(PlanCase { "NoTracks", {}, {}, {} },
        PlanCase { "SameDestinationInPlanOrder", {}, { { "in/a.flac", "Song" }, { "in/b.flac", "Song" }, { "in/c.flac", "Song" } },
            { "Artist/Song.flac", "Artist/Song (2).flac", "Artist/Song (3).flac" } },
        PlanCase { "ExistingAndPlannedNamesSkipped", { "out/Artist/Song.flac", "out/Artist/Song (3).flac" },
            { { "in/a.flac", "Song" }, { "in/b.flac", "Song" }, { "in/c.flac", "Song" } },
            { "Artist/Song (2).flac", "Artist/Song (4).flac", "Artist/Song (5).flac" } },
        // The file in place yields no item but still stands, so the other one is numbered.
        PlanCase { "TrackAlreadyInPlace", {}, { { "out/Artist/Song.flac", "Song" }, { "in/other.flac", "Song" } },
            { "Artist/Song (2).flac" } },
        // b's file sits where a is to go; b moves away in the same plan, but the name is taken now.
        PlanCase { "FileOfAnotherItem", {}, { { "in/a.flac", "B" }, { "out/Artist/B.flac", "Elsewhere" } },
            { "Artist/B (2).flac", "Artist/Elsewhere.flac" } },
        PlanCase { "NameWithoutExtension", {}, { { "in/a", "Song" }, { "in/b", "Song" } }, { "Artist/Song", "Artist/Song (2)" } },
        PlanCase { "LetterCaseDiffersUnicodeFormsDoNot", {},
            { { "in/a.flac", "song" }, { "in/b.flac", "Song" }, { "in/c.flac", composed }, { "in/d.flac", decomposed } },
            { "Artist/song.flac", "Artist/Song.flac", "Artist/" + composed + ".flac", "Artist/" + decomposed + " (2).flac" } }),
    [](const testing::TestParamInfo<PlanCase> &info) { return std::string(info.param.name); });

TEST_F(FileOrganizerTest, PlansAFileListedTwiceOnceAndKeepsTheTracksOwnLocation)
{
    Track song = existingTrack("in/a.flac", "Song");
    ASSERT_TRUE(m_files.createDirectories(at("in/sub"), 0755));
    song.url = at("in/./sub/../a.flac");
    Track again = song;
    again.url = at("in/a.flac");

    const Items items = plan({ song, again });

    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].source, song.url);
    EXPECT_EQ(items[0].destination, at("out/Artist/Song.flac"));
    EXPECT_EQ(OrganizeURLMapping::apply(items).value(at("in/a.flac")), at("out/Artist/Song.flac"));
    EXPECT_EQ(OrganizeURLMapping::undo(items).value(at("out/Artist/Song.flac")), at("in/a.flac"));
    // A run given the same file twice applies and journals it once.
    ASSERT_TRUE(m_organizer.apply({ items[0], OrganizePlanItem { again.url, at("out/other.flac"), false } }, false));
    EXPECT_EQ(m_undo.entries().constLast().items, items);
}

TEST_F(FileOrganizerTest, CountsADanglingLinkAsTakenAndKeepsLongNumberedNamesWithinTheLimit)
{
    const Track song = existingTrack("in/song.flac", "Song");
    ASSERT_TRUE(m_files.createDirectories(at("out/Artist"), 0755));
    ASSERT_EQ(::symlink("/nonexistent/target", at("out/Artist/Song.flac").cPath()), 0);
    const QString title(84, QChar(u'歌')); // 252 bytes: with ".flac" the number must take room
    const Items items = plan({ song, existingTrack("in/a.flac", title), existingTrack("in/b.flac", title) });

    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(belowOut(items[0]), "Artist/Song (2).flac");
    EXPECT_LE(items[2].destination.fileName().size(), 255);
    EXPECT_TRUE(items[2].destination.fileName().endsWith(" (2).flac"));
    ASSERT_TRUE(m_organizer.apply(items, false));
    EXPECT_EQ(contentOf(items[0].destination), "in/song.flac");
}

TEST(FileOrganizerVolumes, NearestExistingFolderDecidesAndWhatCannotBeExaminedCrosses)
{
    QTemporaryDir here;
    const FileLocation folder = locationOf(here);
    FileOperations &system = FileOperations::system();
    EXPECT_FALSE(FileOrganizer::crossesVolumes(folder, folder.appending(QByteArray("not/yet/made.flac")), system));
    if (auto other = folderOnOtherFileSystem(folder)) {
        EXPECT_TRUE(FileOrganizer::crossesVolumes(folder, locationOf(*other).appending(QByteArray("new/x.flac")), system));
    }

    FaultInjectingFileOperations failing;
    for (int i = 0; i < 64; ++i)
        failing.failOnce(Operation::Status, EIO, folder.path());
    EXPECT_TRUE(FileOrganizer::crossesVolumes(folder.appending(QByteArray("a.flac")), FileLocation::fromPath("/"), failing));
    EXPECT_TRUE(FileOrganizer::crossesVolumes(FileLocation(), folder, system));
}

// Three files in "in" organised into "out", or onto another file system.
class OrganizeRun : public FileOrganizerTest
{
protected:
    bool prepare(bool otherFileSystem = false)
    {
        if (otherFileSystem && !(m_other = folderOnOtherFileSystem(m_base)))
            return false;
        m_out = m_other ? locationOf(*m_other) : at("out");
        for (int i = 0; i < 3; ++i) {
            const FileLocation file = at("in/" + QByteArray::number(i) + ".flac");
            writeFile(file, original(i));
            m_tracks.append(trackFor(file, QStringLiteral("歌手"), QStringLiteral("Song %1").arg(i)));
        }
        m_items = m_organizer.plan(m_tracks, byArtist, m_out);
        return m_items.size() == 3;
    }
    void SetUp() override { ASSERT_TRUE(prepare()); }

    static QByteArray original(qsizetype i) { return "audio " + QByteArray::number(i); }
    bool atSource(qsizetype i) const { return contentOf(m_items[i].source) == original(i); }
    bool atDestination(qsizetype i) const { return contentOf(m_items[i].destination) == original(i); }
    bool allAtSource() const { return atSource(0) && atSource(1) && atSource(2); }

    std::unique_ptr<QTemporaryDir> m_other;
    FileLocation m_out;
    QList<Track> m_tracks;
    Items m_items;
};

// The three ways a file reaches its destination: a rename, a copy and removal across file systems,
// a copy.
enum class Transfer { Rename, MoveAcross, Copy };

class OrganizeRunModes : public OrganizeRun, public testing::WithParamInterface<Transfer>
{
protected:
    void SetUp() override
    {
        if (!prepare(GetParam() == Transfer::MoveAcross))
            GTEST_SKIP() << "no second file system";
    }
    bool copy() const { return GetParam() == Transfer::Copy; }
    Operation transfer() const { return GetParam() == Transfer::Rename ? Operation::MoveNoReplace : Operation::Copy; }
};

TEST_P(OrganizeRunModes, CarriesEveryFileKeepingModeAndTimeRecordsTheRunAndUndoesIt)
{
    const FileLocation first = m_items[0].source;
    ASSERT_EQ(::chmod(first.cPath(), 0640), 0);
    const struct timespec past[2] = { { 1'000'000'000, 0 }, { 1'000'000'000, 123'456'789 } };
    ASSERT_EQ(::utimensat(AT_FDCWD, first.cPath(), past, 0), 0);
    QList<std::pair<int, int>> progress;

    ASSERT_TRUE(m_organizer.apply(m_items, copy(), [&](int done, int total) { progress.append({ done, total }); }));

    for (qsizetype i = 0; i < 3; ++i) {
        EXPECT_TRUE(atDestination(i));
        EXPECT_EQ(atSource(i), copy());
    }
    struct stat moved { };
    ASSERT_EQ(::stat(m_items[0].destination.cPath(), &moved), 0);
    EXPECT_EQ(moved.st_mode & 07777, 0640u);
    EXPECT_EQ(moved.st_mtim.tv_sec, past[1].tv_sec);
    EXPECT_EQ(moved.st_mtim.tv_nsec, past[1].tv_nsec);
    EXPECT_EQ(progress, (QList<std::pair<int, int>> { { 1, 3 }, { 2, 3 }, { 3, 3 } }));
    ASSERT_EQ(m_undo.entries().size(), 1);
    EXPECT_EQ(m_undo.entries()[0].items, m_items);
    EXPECT_EQ(m_undo.entries()[0].copy, copy());

    const auto undone = m_organizer.undoLast();

    ASSERT_TRUE(undone && *undone);
    EXPECT_EQ(**undone, (Items { m_items[2], m_items[1], m_items[0] }));
    EXPECT_TRUE(allAtSource());
    for (qsizetype i = 0; i < 3; ++i)
        EXPECT_FALSE(m_files.exists(m_items[i].destination));
    EXPECT_FALSE(m_files.exists(m_items[0].destination.deletingLastPathComponent()));
    EXPECT_TRUE(m_undo.entries().isEmpty());
}

TEST_P(OrganizeRunModes, FileAppearingAtTheDestinationAfterTheCheckIsNeverOverwritten)
{
    const auto applied = m_organizer.apply(m_items, copy(), [&](int done, int) {
        if (done == 1)
            writeFile(m_items[1].destination, "intruder");
    });

    ASSERT_FALSE(applied);
    EXPECT_EQ(applied.error().kind(), OrganizeError::Kind::ApplyFailed);
    EXPECT_EQ(applied.error().items(), Items { m_items[0] });
    EXPECT_EQ(applied.error().underlying()->kind(), OrganizeError::Kind::DestinationExists);
    EXPECT_EQ(contentOf(m_items[1].destination), "intruder");
    EXPECT_TRUE(atSource(1) && atSource(2));
    // The journal holds only what was applied, so undo leaves the intruder alone.
    ASSERT_EQ(m_undo.entries().size(), 1);
    EXPECT_EQ(m_undo.entries()[0].items, Items { m_items[0] });
    ASSERT_TRUE(m_organizer.undoLast());
    EXPECT_TRUE(atSource(0));
    EXPECT_EQ(contentOf(m_items[1].destination), "intruder");
}

TEST_P(OrganizeRunModes, FailureAtTheSecondItemStopsTheRunAndNarrowsTheJournal)
{
    m_files.failOnce(transfer(), EIO, m_items[1].destination.fileName());
    int progressCalls = 0;

    const auto applied = m_organizer.apply(m_items, copy(), [&](int, int) { ++progressCalls; });

    ASSERT_FALSE(applied);
    EXPECT_EQ(applied.error().items(), Items { m_items[0] });
    EXPECT_EQ(applied.error().underlying()->fileError().code, EIO);
    EXPECT_TRUE(applied.error().text().startsWith(QStringLiteral("整理失败：")));
    EXPECT_EQ(progressCalls, 1);
    EXPECT_TRUE(atDestination(0));
    EXPECT_TRUE(atSource(1) && atSource(2));
    EXPECT_FALSE(m_files.exists(m_items[1].destination));
    ASSERT_EQ(m_undo.entries().size(), 1);
    EXPECT_EQ(m_undo.entries()[0].items, Items { m_items[0] });

    const auto undone = m_organizer.undoLast();
    ASSERT_TRUE(undone && *undone);
    EXPECT_EQ(**undone, Items { m_items[0] });
    EXPECT_TRUE(allAtSource());
}

INSTANTIATE_TEST_SUITE_P(Transfers, OrganizeRunModes, testing::Values(Transfer::Rename, Transfer::MoveAcross, Transfer::Copy),
    [](const testing::TestParamInfo<Transfer> &info) {
        return std::string(info.param == Transfer::Rename ? "Rename" : info.param == Transfer::Copy ? "Copy" : "MoveAcross");
    });

TEST_F(OrganizeRun, PreflightAndAJournalThatCannotBeSavedTouchNothing)
{
    ASSERT_TRUE(m_files.remove(m_items[2].source));
    const auto missing = m_organizer.apply(m_items, false);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().kind(), OrganizeError::Kind::SourceMissing);
    EXPECT_EQ(missing.error().text(), QStringLiteral("源文件不存在：2.flac"));

    writeFile(m_items[2].source, original(2));
    writeFile(m_items[2].destination, "taken");
    const auto taken = m_organizer.apply(m_items, false);
    ASSERT_FALSE(taken);
    EXPECT_EQ(taken.error().kind(), OrganizeError::Kind::DestinationExists);
    EXPECT_EQ(taken.error().text(), QStringLiteral("目标文件已存在，未覆盖：Song 2.flac"));
    EXPECT_TRUE(m_organizer.apply({}, false));
    EXPECT_EQ(m_files.calls(Operation::WriteAtomically), 0);

    ASSERT_TRUE(m_files.remove(m_items[2].destination));
    m_files.failOnce(Operation::WriteAtomically, ENOSPC);
    const auto unrecorded = m_organizer.apply(m_items, true);
    ASSERT_FALSE(unrecorded);
    EXPECT_EQ(unrecorded.error().kind(), OrganizeError::Kind::File);

    EXPECT_EQ(m_files.calls(Operation::Copy) + m_files.calls(Operation::MoveNoReplace), 0);
    EXPECT_TRUE(m_undo.entries().isEmpty());
    EXPECT_TRUE(allAtSource());
}

TEST_F(OrganizeRun, FailureAtTheFirstItemLeavesNoEntry)
{
    ASSERT_TRUE(m_undo.record({ OrganizePlanItem { at("x"), at("y"), false } }, true));
    const QList<OrganizeUndoEntry> before = m_undo.entries();
    m_files.failOnce(Operation::MoveNoReplace, EIO, m_items[0].destination.fileName());

    const auto applied = m_organizer.apply(m_items, false);

    ASSERT_FALSE(applied);
    EXPECT_EQ(applied.error().kind(), OrganizeError::Kind::ApplyFailed);
    EXPECT_TRUE(applied.error().items().isEmpty());
    EXPECT_EQ(m_undo.entries(), before);
}

TEST_F(OrganizeRun, FailedJournalRewriteKeepsTheFullEntryAndUndoSkipsTheRest)
{
    m_files.failOnce(Operation::MoveNoReplace, EIO, m_items[1].destination.fileName());
    m_files.failOnce(Operation::WriteAtomically, ENOSPC, {}, 1); // the rewrite, not the record

    const auto applied = m_organizer.apply(m_items, false);

    ASSERT_FALSE(applied);
    EXPECT_EQ(applied.error().kind(), OrganizeError::Kind::ApplyFailed);
    ASSERT_EQ(m_undo.entries().size(), 1);
    EXPECT_EQ(m_undo.entries()[0].items, m_items);
    const auto undone = m_organizer.undoLast();
    ASSERT_TRUE(undone && *undone);
    EXPECT_EQ(**undone, Items { m_items[0] });
    EXPECT_TRUE(allAtSource());
}

TEST_F(OrganizeRun, StopRequestEndsTheRunBeforeTheNextItemKeepingOnlyTheAppliedOnes)
{
    const auto applied = m_organizer.apply(m_items, false, [&](int done, int) {
        if (done == 1)
            m_organizer.stopBeforeNextItem();
    });

    ASSERT_FALSE(applied);
    EXPECT_EQ(applied.error().kind(), OrganizeError::Kind::Interrupted);
    EXPECT_EQ(applied.error().items(), Items { m_items[0] });
    EXPECT_TRUE(atDestination(0));
    EXPECT_TRUE(atSource(1) && atSource(2));
    ASSERT_EQ(m_undo.entries().size(), 1);
    EXPECT_EQ(m_undo.entries().constLast().items, Items { m_items[0] });
}

TEST_F(OrganizeRun, UndoBlockedByAnOccupiedSourceResumesOnceCleared)
{
    ASSERT_TRUE(m_organizer.apply(m_items, false));
    writeFile(m_items[1].source, "new file");

    const auto blocked = m_organizer.undoLast();

    ASSERT_FALSE(blocked);
    EXPECT_EQ(blocked.error().kind(), OrganizeError::Kind::UndoFailed);
    EXPECT_EQ(blocked.error().items(), Items { m_items[2] });
    EXPECT_EQ(blocked.error().underlying()->kind(), OrganizeError::Kind::RestoreConflict);
    EXPECT_EQ(blocked.error().underlying()->location(), m_items[1].source.standardized());
    EXPECT_TRUE(atSource(2));
    EXPECT_TRUE(atDestination(1));
    EXPECT_EQ(contentOf(m_items[1].source), "new file");
    EXPECT_EQ(m_undo.entries().size(), 1);

    ASSERT_TRUE(m_files.remove(m_items[1].source));
    const auto resumed = m_organizer.undoLast();
    ASSERT_TRUE(resumed && *resumed);
    EXPECT_EQ(**resumed, (Items { m_items[1], m_items[0] }));
    EXPECT_TRUE(allAtSource());
    EXPECT_TRUE(m_undo.entries().isEmpty());
}

TEST_F(OrganizeRun, FileThatCannotBeMovedBackFailsTheUndoWithItsErrorAndKeepsTheEntry)
{
    ASSERT_TRUE(m_organizer.apply(m_items, false));
    m_files.failOnce(Operation::MoveNoReplace, EIO, "2.flac");

    const auto undone = m_organizer.undoLast();

    ASSERT_FALSE(undone);
    EXPECT_EQ(undone.error().kind(), OrganizeError::Kind::UndoFailed);
    EXPECT_EQ(undone.error().underlying()->kind(), OrganizeError::Kind::File);
    EXPECT_EQ(undone.error().underlying()->fileError().code, EIO);
    EXPECT_TRUE(atDestination(2));
    EXPECT_EQ(m_undo.entries().size(), 1);
}

TEST_F(OrganizeRun, UndoAfterAMoveCutShortRemovesTheSecondCopyTemporariesAndNewFolders)
{
    ASSERT_TRUE(m_organizer.apply(m_items, false));
    // Killed between the copy and the removal of the source, while copying the next file.
    ASSERT_TRUE(m_files.copyFile(m_items[1].destination, m_items[1].source));
    const FileLocation destinationFolder = m_items[2].destination.deletingLastPathComponent();
    writeFile(destinationFolder.appending(QByteArray(".Song 2.flac.1x2y3z.part")), "partial");

    const auto undone = m_organizer.undoLast();

    ASSERT_TRUE(undone && *undone) << undone.error().text().toStdString();
    EXPECT_EQ(undone->value().size(), 3);
    EXPECT_TRUE(allAtSource());
    EXPECT_FALSE(m_files.exists(m_out));
    EXPECT_TRUE(m_undo.entries().isEmpty());
}

TEST_F(OrganizeRun, RenameErrorOtherThanCrossDeviceMakesNoCopy)
{
    m_files.failOnce(Operation::MoveNoReplace, EACCES);

    const auto applied = m_organizer.apply(m_items, false);

    ASSERT_FALSE(applied);
    EXPECT_EQ(applied.error().underlying()->fileError().code, EACCES);
    EXPECT_TRUE(allAtSource());
    const QDir folder(m_items[0].destination.deletingLastPathComponent().displayPath());
    EXPECT_TRUE(folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(OrganizeRun, UndoOfACopyKeepsCopiesWhoseOriginalIsGone)
{
    ASSERT_TRUE(m_organizer.apply(m_items, true));
    ASSERT_TRUE(m_files.remove(m_items[1].source));

    const auto undone = m_organizer.undoLast();

    ASSERT_TRUE(undone && *undone);
    EXPECT_EQ(**undone, (Items { m_items[2], m_items[0] }));
    EXPECT_TRUE(atDestination(1));
    EXPECT_FALSE(m_files.exists(m_items[0].destination));
    EXPECT_TRUE(atSource(0) && atSource(2));
}

class OrganizeAcrossFileSystems : public OrganizeRun
{
protected:
    void SetUp() override
    {
        if (!prepare(true))
            GTEST_SKIP() << "no second file system";
    }
};

TEST_F(OrganizeAcrossFileSystems, SourceThatCannotBeRemovedTakesItsCopyBack)
{
    m_files.failOnce(Operation::Remove, EBUSY, m_items[1].source.path());

    const auto applied = m_organizer.apply(m_items, false);

    ASSERT_FALSE(applied);
    EXPECT_EQ(applied.error().items(), Items { m_items[0] });
    EXPECT_EQ(applied.error().underlying()->fileError().code, EBUSY);
    EXPECT_TRUE(atSource(1));
    EXPECT_FALSE(m_files.exists(m_items[1].destination));
    // Nothing stands beside a source, so the undo of the applied item goes through.
    const auto undone = m_organizer.undoLast();
    ASSERT_TRUE(undone && *undone);
    EXPECT_TRUE(atSource(0));
}

// The journal ------------------------------------------------------------------------------------

class OrganizeUndoStoreTest : public testing::Test
{
protected:
    FileLocation at(const QByteArray &relative) const { return m_base.appending(relative); }
    FileLocation journal() const { return m_folder.appending(OrganizeUndoStore::journalFileName); }
    OrganizePlanItem item(const QByteArray &name) const { return { at("in/" + name), at("out/" + name), false }; }
    // An organisation whose files now stand at their destinations.
    Items placed(const QList<QByteArray> &names)
    {
        Items items;
        for (const QByteArray &name : names) {
            items.append(item(name));
            writeFile(items.last().destination, name);
        }
        return items;
    }

    QTemporaryDir m_temporary;
    FileLocation m_base = locationOf(m_temporary);
    FileLocation m_folder = m_base.appending(QByteArray("data/undo"));
    FaultInjectingFileOperations m_files;
    OrganizeUndoStore m_store { m_folder, 50, m_files };
};

TEST_F(OrganizeUndoStoreTest, KeepsTheNewestEntriesUpToItsLimitInMemoryAndOnDisk)
{
    for (int i = 0; i < 51; ++i)
        ASSERT_TRUE(m_store.record({ item(QByteArray::number(i)) }, false));
    ASSERT_EQ(m_store.entries().size(), 50);
    EXPECT_EQ(m_store.entries().first().items, Items { item("1") });
    const OrganizeUndoStore reloaded(m_folder, 50, m_files);
    EXPECT_EQ(reloaded.entries(), m_store.entries());
    EXPECT_FALSE(reloaded.loadNotice());
    // A larger journal loads as its newest entries; a limit below one counts as one.
    const OrganizeUndoStore smaller(m_folder, 20, m_files);
    EXPECT_EQ(smaller.entries(), m_store.entries().mid(30));
    OrganizeUndoStore single(m_base.appending(QByteArray("single")), 0, m_files);
    ASSERT_TRUE(single.record({ item("a") }, false));
    ASSERT_TRUE(single.record({ item("b") }, true));
    EXPECT_EQ(single.limit(), 1);
    ASSERT_EQ(single.entries().size(), 1);
    EXPECT_TRUE(single.entries()[0].copy);
}

TEST_F(OrganizeUndoStoreTest, JournalIsWrittenWithTheStoredKeysAndTypes)
{
    const OrganizePlanItem chinese { at("in/歌 1.flac"), at("out/歌手/歌 1 (2).flac"), true };
    ASSERT_TRUE(m_store.record({ chinese }, true));

    const auto json = JsonFile::parse(*contentOf(journal()));
    ASSERT_TRUE(json && json->isArray());
    const QJsonObject entry = json->toArray().at(0).toObject();
    EXPECT_EQ(entry.keys(), (QStringList { "copy", "date", "items" }));
    EXPECT_EQ(entry.value("copy"), QJsonValue(true));
    EXPECT_NEAR(entry.value("date").toDouble(), FileTime::nowReferenceSeconds(), 60);
    const QJsonObject object = entry.value("items").toArray().at(0).toObject();
    EXPECT_EQ(object.keys(), (QStringList { "conflictResolved", "destination", "source" }));
    EXPECT_EQ(object.value("conflictResolved"), QJsonValue(true));
    EXPECT_EQ(object.value("source").toString(), chinese.source.urlText());
    EXPECT_EQ(OrganizeUndoStore(m_folder, 50, m_files).entries()[0].items[0], chinese);
}

TEST_F(OrganizeUndoStoreTest, DamagedJournalFallsBackToItsBackupThenStartsEmpty)
{
    ASSERT_TRUE(m_store.record({ item("a") }, false));
    ASSERT_TRUE(m_store.record({ item("b") }, false)); // the first version becomes the backup
    writeFile(journal(), R"([{"copy": false, "items": []}])"); // no "date": does not decode
    const OrganizeUndoStore fromBackup(m_folder, 50, m_files);
    EXPECT_EQ(fromBackup.loadNotice(), QStringLiteral("整理撤销记录已从备份恢复。"));
    ASSERT_EQ(fromBackup.entries().size(), 1);
    EXPECT_EQ(fromBackup.entries()[0].items, Items { item("a") });

    writeFile(JsonFile::backupOf(journal()), "{");
    const OrganizeUndoStore unreadable(m_folder, 50, m_files);
    EXPECT_EQ(unreadable.loadNotice(), QStringLiteral("整理撤销记录已损坏，无法读取。"));
    EXPECT_TRUE(unreadable.entries().isEmpty());
}

TEST_F(OrganizeUndoStoreTest, FailedRecordLeavesTheEntriesAsTheyWere)
{
    ASSERT_TRUE(m_store.record({ item("a") }, false));
    m_files.failOnce(Operation::WriteAtomically, ENOSPC);

    const auto recorded = m_store.record({ item("b") }, false);

    ASSERT_FALSE(recorded);
    EXPECT_EQ(recorded.error().fileError().code, ENOSPC);
    EXPECT_EQ(m_store.entries().size(), 1);
    EXPECT_TRUE(m_store.record({}, false));
    EXPECT_EQ(m_store.entries().size(), 1);
}

TEST_F(OrganizeUndoStoreTest, UndoTakesTheNewestEntryFirstAndDropsFilesDeletedSince)
{
    EXPECT_FALSE(m_store.undoLast()->has_value());
    ASSERT_TRUE(m_store.record(placed({ "older" }), false));
    ASSERT_TRUE(m_store.record(placed({ "newer" }), false));
    ASSERT_TRUE(m_store.record({ item("a"), item("b") }, false)); // never placed

    ASSERT_TRUE(m_store.undoLast()->value().isEmpty());
    ASSERT_EQ(m_store.undoLast()->value(), Items { item("newer") });
    ASSERT_EQ(m_store.undoLast()->value(), Items { item("older") });
    EXPECT_EQ(contentOf(item("older").source), "older");
    EXPECT_FALSE(m_store.undoLast()->has_value());
    EXPECT_TRUE(m_store.entries().isEmpty());
}

TEST_F(OrganizeUndoStoreTest, FailureToLookOrToSaveAfterAnUndoKeepsTheEntry)
{
    ASSERT_TRUE(m_store.record(placed({ "a" }), false));
    m_files.failOnce(Operation::Status, EIO, item("a").destination.path());
    const auto unexamined = m_store.undoLast();
    ASSERT_FALSE(unexamined);
    EXPECT_EQ(unexamined.error().kind(), OrganizeError::Kind::UndoFailed);
    EXPECT_EQ(m_store.entries().size(), 1);

    m_files.failOnce(Operation::WriteAtomically, EIO);
    const auto unsaved = m_store.undoLast();
    ASSERT_FALSE(unsaved);
    EXPECT_EQ(unsaved.error().kind(), OrganizeError::Kind::File);
    EXPECT_EQ(contentOf(item("a").source), "a");
    EXPECT_EQ(m_store.entries().size(), 1);
    EXPECT_EQ(OrganizeUndoStore(m_folder, 50, m_files).entries().size(), 1);
}

TEST_F(OrganizeUndoStoreTest, UndoOfACopyRemovesOnlyCopiesOfTheOriginalInPlace)
{
    const Items items { item("copy"), item("replaced"), item("linked"), item("folder") };
    for (const OrganizePlanItem &planned : items) {
        writeFile(planned.source, "original");
        ASSERT_TRUE(m_files.createDirectories(planned.destination.deletingLastPathComponent(), 0755));
    }
    ASSERT_TRUE(m_files.copyFile(items[0].source, items[0].destination));
    // The original was deleted and another file of the same size now stands at its path.
    ASSERT_TRUE(m_files.copyFile(items[1].source, items[1].destination));
    ASSERT_TRUE(m_files.remove(items[1].source));
    writeFile(items[1].source, "another!");
    ASSERT_EQ(::link(items[2].source.cPath(), items[2].destination.cPath()), 0);
    writeFile(items[3].destination.appending(QByteArray("inside")), "user's file");
    ASSERT_TRUE(m_store.record(items, true));

    const auto undone = m_store.undoLast();

    ASSERT_TRUE(undone && *undone);
    EXPECT_EQ(**undone, Items { items[0] });
    EXPECT_FALSE(m_files.exists(items[0].destination));
    EXPECT_EQ(contentOf(items[1].destination), "original");
    EXPECT_EQ(contentOf(items[1].source), "another!");
    EXPECT_EQ(contentOf(items[2].destination), "original");
    EXPECT_EQ(contentOf(items[3].destination.appending(QByteArray("inside"))), "user's file");
}

TEST_F(OrganizeUndoStoreTest, ClearRemovesTheJournalAndItsBackup)
{
    ASSERT_TRUE(m_store.record({ item("a") }, false));
    ASSERT_TRUE(m_store.record({ item("b") }, false));
    m_files.failOnce(Operation::Remove, EIO);
    ASSERT_FALSE(m_store.clear());
    EXPECT_EQ(m_store.entries().size(), 2);

    ASSERT_TRUE(m_store.clear());
    EXPECT_TRUE(m_store.entries().isEmpty());
    EXPECT_FALSE(m_files.exists(journal()));
    EXPECT_FALSE(m_files.exists(JsonFile::backupOf(journal())));
}

} // namespace
