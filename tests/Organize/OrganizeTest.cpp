// The organizer end to end on real files: templates, plans, runs, their journal and undo, and runs
// killed at random moments.
#include "Organize/FileOrganizer.h"
#include "Organize/OrganizeTemplate.h"
#include "Organize/OrganizeURLMapping.h"

#include "FaultInjectingFileOperations.h"
#include "Storage/FileTime.h"
#include "Storage/JsonFile.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Operation = FileOperations::Operation;
using Items = QList<OrganizePlanItem>;

namespace {

FileLocation locationOf(const QTemporaryDir &folder)
{
    return FileLocation::fromLocalFile(folder.path());
}

void writeFile(const FileLocation &file, const QByteArray &content)
{
    ASSERT_TRUE(FileOperations::system().createDirectories(file.deletingLastPathComponent()));
    ASSERT_TRUE(FileOperations::system().writeAtomically(file, content));
}

// The file's bytes, or nothing when there is no regular file.
std::optional<QByteArray> contentOf(const FileLocation &file)
{
    auto bytes = FileOperations::system().readAll(file);
    return bytes ? std::optional(*bytes) : std::nullopt;
}

Track trackFor(const FileLocation &file, const QString &artist, const QString &title)
{
    return { .id = QUuid::createUuid(), .url = file, .title = title, .artist = artist };
}

// A temporary folder on another file system (/dev/shm is tmpfs here), or null when there is none.
std::unique_ptr<QTemporaryDir> folderOnOtherFileSystem(const FileLocation &than)
{
    auto folder = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/quillmere-organize-XXXXXX"));
    const auto here = FileOperations::system().status(than);
    const auto there = FileOperations::system().status(locationOf(*folder));
    if (!folder->isValid() || !here || !there || here->device == there->device)
        return nullptr;
    return folder;
}

// The kind of error a run or an undo failed with; nothing when it succeeded.
template <typename T> std::optional<OrganizeError::Kind> failure(const std::expected<T, OrganizeError> &result)
{
    return result ? std::nullopt : std::optional(result.error().kind());
}

const QString byArtist = QStringLiteral("{artist}/{title}");
const QString titleOnly = QStringLiteral("{title}");

// Templates --------------------------------------------------------------------------------------

// "Title" by "Artist" on "Album" of 1999 at `path`, with `field` set to `value`.
template <typename Value = QString>
Track song(Value Track::*field = nullptr, std::type_identity_t<Value> value = {},
    const QByteArray &path = "/in/Song.flac")
{
    Track track { .url = FileLocation::fromPath(path), .title = u"Title"_qs, .artist = u"Artist"_qs,
        .album = u"Album"_qs, .year = 1999 };
    if (field)
        track.*field = std::move(value);
    return track;
}

TEST(OrganizeTemplate, RendersTheDestination)
{
    const QString numbered = QStringLiteral("{artist}/{album}/{track} {title}");
    const QString album = QStringLiteral("{artist}/{album}/{title}");
    const QString albumArtist = QStringLiteral("{albumArtist}/{title}");
    const struct
    {
        const char *name;
        QString templateText;
        Track track;
        QByteArray expected; // below /music
    } cases[] = {
        { "NoTrackNumberTrimsTheSpace", numbered, song(), "Artist/Album/Title.flac" },
        { "TrackNumber", numbered, song(&Track::trackNumber, 3), "Artist/Album/3 Title.flac" },
        { "ExtensionInAFolderIsNotAppended", "{ext}/{title}", song(), "flac/Title" },
        { "ExtensionCaseKept", titleOnly, song({}, {}, "/in/a.FLAC"), "Title.FLAC" },
        { "NoExtension", byArtist, song({}, {}, "/in/Song"), "Artist/Title" },
        { "DotsOnlyAlbumDropsTheLevel", album, song(&Track::album, ". . ."), "Artist/Title.flac" },
        { "WhitespaceAlbumIsUnknown", album, song(&Track::album, " \n"), "Artist/未知专辑/Title.flac" },
        { "EmptyArtistIsUnknown", byArtist, song(&Track::artist, ""), "未知歌手/Title.flac" },
        { "SlashInValueIsNoFolder", byArtist, song(&Track::artist, "AC/DC"), "AC、DC/Title.flac" },
        { "EmptyTitleTakesTheFileName", titleOnly, song(&Track::title, "", "/in/07 Hi.flac"), "07 Hi.flac" },
        // "晴天" in GBK: the fallback name is read as text, and written out as UTF-8.
        { "FileNameNotUtf8", titleOnly, song(&Track::title, "", "/in/\xc7\xe7\xcc\xec.flac"), "晴天.flac" },
        { "NoTitleAtAll", titleOnly, song(&Track::title, "", "/in/ .flac"), "未知歌曲.flac" },
        { "MiswrittenPlaceholderStaysLiteral", "{title}.{Ext}", song(), "Title.{Ext}.flac" },
        { "LaterPlaceholderInAValueIsReplaced", titleOnly, song(&Track::title, "{year}"), "1999.flac" },
        { "EarlierPlaceholderInAValueStays", "{album}", song(&Track::album, "{artist}"), "{artist}.flac" },
        { "AlbumArtistFallsBackToArtist", albumArtist, song(&Track::albumArtist, "  "), "Artist/Title.flac" },
        { "AlbumArtistWhenGiven", albumArtist, song(&Track::albumArtist, "Various"), "Various/Title.flac" },
        { "EmptyPiecesContributeNothing", "/{artist}//{title}", song(), "Artist/Title.flac" },
        // A name starting with "." would be hidden and skipped by the library scan.
        { "LeadingDotOfAFolderDropped", byArtist, song(&Track::artist, ".hidden"), "hidden/Title.flac" },
        { "EmptyTemplateNamesTheFile", QString(), song(), "未命名.flac" },
        { "DotsOnlyTitleNamesTheFile", byArtist, song(&Track::title, "..."), "Artist/未命名.flac" },
    };
    for (const auto &c : cases)
        EXPECT_EQ(OrganizeTemplate::render(c.templateText, c.track, FileLocation::fromPath("/music")).path(),
            "/music/" + c.expected)
            << c.name;
}

TEST(OrganizeTemplate, SanitizeMakesTheComponentSafe)
{
    const std::pair<QString, QString> rows[] = { { "a/b:c", "a、b-c" }, { "\\*?\"<>|", "-------" },
        { "a\r\nb\x7f", "a--b-" }, { QString("a") + QChar(0) + u'b', "a-b" }, { "  x y  ", "x y" },
        { "x. . ", "x" },
        // Only "." and " " are stripped after the one trim.
        { u"x\u3000."_qs, u"x\u3000"_qs }, { "..", "" }, { ". .hidden", "hidden" }, { u"\u3000"_qs, "" } };
    for (const auto &[input, expected] : rows)
        EXPECT_EQ(OrganizeTemplate::sanitize(input), expected) << input.toStdString();
}

TEST(OrganizeTemplate, LongNamesAreCutAtACharacterBoundaryKeepingTheExtension)
{
    const FileLocation root = FileLocation::fromPath("/music");
    const Track longTitle = song(&Track::title, QString(100, u'歌'));
    EXPECT_EQ(OrganizeTemplate::render(titleOnly, longTitle, root).fileName(), // 254 of 255 bytes
        QString(83, u'歌').toUtf8() + ".flac");
    const Track longArtist = song(&Track::artist, "x" + QString(100, u'歌'));
    const QByteArray folder
        = OrganizeTemplate::render(byArtist, longArtist, root).deletingLastPathComponent().fileName();
    EXPECT_EQ(folder, "x" + QString(84, u'歌').toUtf8());
    // "e" with a combining acute accent is one character of three bytes.
    const QString accented = QStringLiteral("e\u0301");
    EXPECT_EQ(OrganizeTemplate::fitName(accented.repeated(100), ".mp3"), accented.repeated(83) + ".mp3");
    // The cut leaves no trailing space or dot.
    EXPECT_EQ(
        OrganizeTemplate::fitName(QString(249, u'a') + " .  bcdef", ".flac"), QString(249, u'a') + ".flac");
}

// Plans ------------------------------------------------------------------------------------------

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

    QTemporaryDir m_temporary;
    FileLocation m_base = locationOf(m_temporary);
    FaultInjectingFileOperations m_files;
    OrganizeUndoStore m_undo { at("undo"), 50, m_files };
    FileOrganizer m_organizer { m_undo, m_files };
};

TEST_F(FileOrganizerTest, NumbersNamesTakenOnDiskOrInThePlan)
{
    const QString composed = QStringLiteral("Caf\u00e9"), decomposed = QStringLiteral("Cafe\u0301");
    const struct
    {
        const char *name;
        QList<QByteArray> existing; // files that stand in the way
        QList<std::pair<QByteArray, QString>> tracks; // file and title
        QStringList expected; // destinations below "out"; numbered ones are conflicts resolved
    } cases[] = {
        { "NoTracks", {}, {}, {} },
        { "SameDestinationInPlanOrder", {},
            { { "in/a.flac", "Song" }, { "in/b.flac", "Song" }, { "in/c.flac", "Song" } },
            { "Artist/Song.flac", "Artist/Song (2).flac", "Artist/Song (3).flac" } },
        { "ExistingAndPlannedNamesSkipped", { "out/Artist/Song.flac", "out/Artist/Song (3).flac" },
            { { "in/a.flac", "Song" }, { "in/b.flac", "Song" }, { "in/c.flac", "Song" } },
            { "Artist/Song (2).flac", "Artist/Song (4).flac", "Artist/Song (5).flac" } },
        // The file in place yields no item but still stands, so the other one is numbered.
        { "TrackAlreadyInPlace", {}, { { "out/Artist/Song.flac", "Song" }, { "in/other.flac", "Song" } },
            { "Artist/Song (2).flac" } },
        // b's file sits where a is to go; b moves away in the same plan, but the name is taken now.
        { "FileOfAnotherItem", {}, { { "in/a.flac", "B" }, { "out/Artist/B.flac", "Elsewhere" } },
            { "Artist/B (2).flac", "Artist/Elsewhere.flac" } },
        { "NameWithoutExtension", {}, { { "in/a", "Song" }, { "in/b", "Song" } },
            { "Artist/Song", "Artist/Song (2)" } },
        { "LetterCaseDiffersUnicodeFormsDoNot", {},
            { { "in/a.flac", "song" }, { "in/b.flac", "Song" }, { "in/c.flac", composed },
                { "in/d.flac", decomposed } },
            { "Artist/song.flac", "Artist/Song.flac", "Artist/" + composed + ".flac",
                "Artist/" + decomposed + " (2).flac" } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const FileLocation root = at(c.name);
        for (const QByteArray &file : c.existing)
            writeFile(root.appending(file), "old");
        QList<Track> tracks;
        for (const auto &[file, title] : c.tracks)
            tracks.append(existingTrack(QByteArray(c.name) + '/' + file, title));
        QStringList destinations;
        for (const OrganizePlanItem &item :
            m_organizer.plan(tracks, byArtist, root.appending(QByteArray("out")))) {
            destinations.append(QString::fromUtf8(item.destination.path().mid(root.path().size() + 5)));
            EXPECT_EQ(item.conflictResolved, destinations.last().contains(u" ("))
                << destinations.last().toStdString();
        }
        EXPECT_EQ(destinations, c.expected);
    }
}

TEST_F(FileOrganizerTest, PlansAFileListedTwiceOnceAndKeepsTheTracksOwnLocation)
{
    Track song = existingTrack("in/a.flac", "Song");
    ASSERT_TRUE(m_files.createDirectories(at("in/sub"), 0755));
    song.url = at("in/./sub/../a.flac");
    Track again = song;
    again.url = at("in/a.flac");
    const Items items = plan({ song, again });
    ASSERT_EQ(items, (Items { { song.url, at("out/Artist/Song.flac"), false } }));
    EXPECT_EQ(OrganizeURLMapping::apply(items).value(at("in/a.flac")), at("out/Artist/Song.flac"));
    EXPECT_EQ(OrganizeURLMapping::undo(items).value(at("out/Artist/Song.flac")), at("in/a.flac"));
    // A run given the same file twice applies and journals it once.
    ASSERT_TRUE(
        m_organizer.apply({ items[0], OrganizePlanItem { again.url, at("out/other.flac"), false } }, false));
    EXPECT_EQ(m_undo.entries().constLast().items, items);
}

TEST_F(FileOrganizerTest, CountsADanglingLinkAsTakenAndKeepsLongNumberedNamesWithinTheLimit)
{
    const Track song = existingTrack("in/song.flac", "Song");
    ASSERT_TRUE(m_files.createDirectories(at("out/Artist"), 0755));
    ASSERT_EQ(::symlink("/nonexistent/target", at("out/Artist/Song.flac").cPath()), 0);
    const QString title(84, u'歌'); // 252 bytes: with ".flac" the number must take room
    const Items items = plan({ song, existingTrack("in/a.flac", title), existingTrack("in/b.flac", title) });
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0].destination, at("out/Artist/Song (2).flac"));
    EXPECT_EQ(items[2].destination.fileName(), QString(82, u'歌').toUtf8() + " (2).flac"); // 255 bytes
    ASSERT_TRUE(m_organizer.apply(items, false));
    EXPECT_EQ(contentOf(items[0].destination), "in/song.flac");
}

TEST_F(FileOrganizerTest, VolumesAreThoseOfTheNearestExistingFolderAndWhatCannotBeExaminedCrosses)
{
    EXPECT_FALSE(FileOrganizer::crossesVolumes(m_base, at("not/yet/made.flac"), m_files));
    if (auto other = folderOnOtherFileSystem(m_base)) {
        EXPECT_TRUE(FileOrganizer::crossesVolumes(
            m_base, locationOf(*other).appending(QByteArray("new/x.flac")), m_files));
    }
    for (int i = 0; i < 64; ++i)
        m_files.failOnce(Operation::Status, EIO, m_base.path());
    EXPECT_TRUE(FileOrganizer::crossesVolumes(at("a.flac"), FileLocation::fromPath("/"), m_files));
    EXPECT_TRUE(FileOrganizer::crossesVolumes(FileLocation(), m_base, FileOperations::system()));
}

// Runs -------------------------------------------------------------------------------------------

// Three files in "in" organised into "out", or onto another file system.
class OrganizeRun : public FileOrganizerTest
{
protected:
    bool prepare(bool otherFileSystem = false)
    {
        if (otherFileSystem && !(m_other = folderOnOtherFileSystem(m_base)))
            return false;
        m_out = m_other ? locationOf(*m_other) : at("out");
        QList<Track> tracks;
        for (int i = 0; i < 3; ++i) {
            const FileLocation file = at("in/" + QByteArray::number(i) + ".flac");
            writeFile(file, original(i));
            tracks.append(trackFor(file, QStringLiteral("歌手"), QStringLiteral("Song %1").arg(i)));
        }
        m_items = m_organizer.plan(tracks, byArtist, m_out);
        return m_items.size() == 3;
    }
    void SetUp() override { ASSERT_TRUE(prepare()); }

    static QByteArray original(qsizetype i) { return "audio " + QByteArray::number(i); }
    bool atSource(qsizetype i) const { return contentOf(m_items[i].source) == original(i); }
    bool atDestination(qsizetype i) const { return contentOf(m_items[i].destination) == original(i); }
    bool allAtSource() const { return atSource(0) && atSource(1) && atSource(2); }
    // The run failed after applying `applied`, and the journal holds just those.
    void expectFailedAfter(const std::expected<void, OrganizeError> &run, const Items &applied)
    {
        ASSERT_EQ(failure(run), OrganizeError::Kind::ApplyFailed);
        EXPECT_EQ(run.error().items(), applied);
        ASSERT_EQ(m_undo.entries().size(), 1);
        EXPECT_EQ(m_undo.entries()[0].items, applied);
    }
    void expectUndone(const Items &restored)
    {
        const auto undone = m_organizer.undoLast();
        ASSERT_TRUE(undone && *undone) << (undone ? "" : undone.error().text().toStdString());
        EXPECT_EQ(**undone, restored);
    }

    std::unique_ptr<QTemporaryDir> m_other;
    FileLocation m_out;
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
};

TEST_P(OrganizeRunModes, CarriesEveryFileKeepingModeAndTimeRecordsTheRunAndUndoesIt)
{
    const FileLocation first = m_items[0].source;
    ASSERT_EQ(::chmod(first.cPath(), 0640), 0);
    const struct timespec past[2] = { { 1'000'000'000, 0 }, { 1'000'000'000, 123'456'789 } };
    ASSERT_EQ(::utimensat(AT_FDCWD, first.cPath(), past, 0), 0);
    ASSERT_TRUE(m_files.createDirectories(m_out, 0755)); // a folder that was there stays after the undo
    QList<std::pair<int, int>> progress;
    ASSERT_TRUE(m_organizer.apply(m_items, copy(), [&](int done, int total) {
        progress.append({ done, total });
    }));
    for (qsizetype i = 0; i < 3; ++i)
        EXPECT_TRUE(atDestination(i) && atSource(i) == copy()) << i;
    const auto moved = m_files.status(m_items[0].destination);
    ASSERT_TRUE(moved);
    EXPECT_EQ(std::tuple(moved->mode & 07777, moved->modified.tv_sec, moved->modified.tv_nsec),
        std::tuple(mode_t(0640), past[1].tv_sec, past[1].tv_nsec));
    EXPECT_EQ(progress, (QList<std::pair<int, int>> { { 1, 3 }, { 2, 3 }, { 3, 3 } }));
    expectUndone({ m_items[2], m_items[1], m_items[0] });
    EXPECT_TRUE(allAtSource());
    EXPECT_FALSE(m_files.exists(m_out.appending(QByteArray("歌手")))); // with the folder the run made
    EXPECT_TRUE(m_files.exists(m_out));
}

// A run failing at its second item, by a file error or by a file that appeared at the destination
// since the check (never overwritten), keeps only the first in its journal, and undoes it alone.
TEST_P(OrganizeRunModes, FailureAtTheSecondItemStopsTheRunAndNarrowsTheJournal)
{
    m_files.failOnce(GetParam() == Transfer::Rename ? Operation::MoveNoReplace : Operation::Copy, EIO,
        m_items[1].destination.fileName());
    int progressCalls = 0;
    const auto failed = m_organizer.apply(m_items, copy(), [&](int, int) { ++progressCalls; });
    expectFailedAfter(failed, { m_items[0] });
    EXPECT_EQ(failed.error().underlying()->fileError().code, EIO);
    EXPECT_TRUE(failed.error().text().startsWith(QStringLiteral("整理失败：")));
    EXPECT_EQ(progressCalls, 1);
    EXPECT_FALSE(m_files.exists(m_items[1].destination));
    expectUndone({ m_items[0] });
    EXPECT_TRUE(allAtSource());

    const auto intruded = m_organizer.apply(m_items, copy(), [&](int done, int) {
        if (done == 1)
            writeFile(m_items[1].destination, "intruder");
    });
    expectFailedAfter(intruded, { m_items[0] });
    EXPECT_EQ(intruded.error().underlying()->kind(), OrganizeError::Kind::DestinationExists);
    expectUndone({ m_items[0] });
    EXPECT_TRUE(allAtSource());
    EXPECT_EQ(contentOf(m_items[1].destination), "intruder");
}

INSTANTIATE_TEST_SUITE_P(Transfers, OrganizeRunModes,
    testing::Values(Transfer::Rename, Transfer::MoveAcross, Transfer::Copy),
    [](const testing::TestParamInfo<Transfer> &info) {
        return std::string(std::array { "Rename", "MoveAcross", "Copy" }[int(info.param)]);
    });

TEST_F(OrganizeRun, PreflightAndAJournalThatCannotBeSavedTouchNothing)
{
    ASSERT_TRUE(m_files.remove(m_items[2].source));
    const auto missing = m_organizer.apply(m_items, false);
    ASSERT_EQ(failure(missing), OrganizeError::Kind::SourceMissing);
    EXPECT_EQ(missing.error().text(), QStringLiteral("源文件不存在：2.flac"));
    writeFile(m_items[2].source, original(2));
    writeFile(m_items[2].destination, "taken");
    const auto taken = m_organizer.apply(m_items, false);
    ASSERT_EQ(failure(taken), OrganizeError::Kind::DestinationExists);
    EXPECT_EQ(taken.error().text(), QStringLiteral("目标文件已存在，未覆盖：Song 2.flac"));
    EXPECT_TRUE(m_organizer.apply({}, false));
    EXPECT_EQ(m_files.calls(Operation::WriteAtomically), 0);
    ASSERT_TRUE(m_files.remove(m_items[2].destination));
    m_files.failOnce(Operation::WriteAtomically, ENOSPC);
    const auto unrecorded = m_organizer.apply(m_items, true);
    ASSERT_EQ(failure(unrecorded), OrganizeError::Kind::File);
    EXPECT_EQ(m_files.calls(Operation::Copy) + m_files.calls(Operation::MoveNoReplace), 0);
    EXPECT_TRUE(m_undo.entries().isEmpty());
    EXPECT_TRUE(allAtSource());
}

// A run failing at its first item drops its entry; one whose journal cannot be narrowed keeps it
// whole, and its undo skips the items never applied; a stopped one keeps what it applied.
TEST_F(OrganizeRun, FailedOrStoppedRunNarrowsItsJournalEntry)
{
    ASSERT_TRUE(m_undo.record({ OrganizePlanItem { at("x"), at("y"), false } }, true));
    const QList<OrganizeUndoEntry> before = m_undo.entries();
    m_files.failOnce(Operation::MoveNoReplace, EIO, m_items[0].destination.fileName());
    const auto failedFirst = m_organizer.apply(m_items, false);
    ASSERT_EQ(failure(failedFirst), OrganizeError::Kind::ApplyFailed);
    EXPECT_TRUE(failedFirst.error().items().isEmpty());
    EXPECT_EQ(m_undo.entries(), before);
    m_files.failOnce(Operation::MoveNoReplace, EIO, m_items[1].destination.fileName());
    m_files.failOnce(Operation::WriteAtomically, ENOSPC, {}, 1); // the rewrite, not the record
    const auto failedSecond = m_organizer.apply(m_items, false);
    ASSERT_EQ(failure(failedSecond), OrganizeError::Kind::ApplyFailed);
    ASSERT_EQ(m_undo.entries().size(), 2);
    EXPECT_EQ(m_undo.entries()[1].items, m_items);
    expectUndone({ m_items[0] });
    EXPECT_TRUE(allAtSource());

    // A stop request ends the run before the next item.
    const auto stopped = m_organizer.apply(m_items, false, [&](int done, int) {
        if (done == 1)
            m_organizer.stopBeforeNextItem();
    });
    ASSERT_EQ(failure(stopped), OrganizeError::Kind::Interrupted);
    EXPECT_EQ(stopped.error().items(), Items { m_items[0] });
    EXPECT_EQ(m_undo.entries().constLast().items, Items { m_items[0] });
    EXPECT_TRUE(atDestination(0) && atSource(1) && atSource(2));
}

// A file that cannot be moved back, or a source taken meanwhile, fails the undo and keeps the entry.
TEST_F(OrganizeRun, UndoThatFailsKeepsTheEntryAndResumesOnceTheCauseIsCleared)
{
    ASSERT_TRUE(m_organizer.apply(m_items, false));
    m_files.failOnce(Operation::MoveNoReplace, EIO, "2.flac");
    const auto failed = m_organizer.undoLast();
    ASSERT_EQ(failure(failed), OrganizeError::Kind::UndoFailed);
    EXPECT_EQ(failed.error().underlying()->kind(), OrganizeError::Kind::File);
    EXPECT_EQ(failed.error().underlying()->fileError().code, EIO);
    writeFile(m_items[1].source, "new file");
    const auto blocked = m_organizer.undoLast();
    ASSERT_EQ(failure(blocked), OrganizeError::Kind::UndoFailed);
    EXPECT_EQ(blocked.error().items(), Items { m_items[2] });
    EXPECT_EQ(blocked.error().underlying()->kind(), OrganizeError::Kind::RestoreConflict);
    EXPECT_EQ(blocked.error().underlying()->location(), m_items[1].source.standardized());
    EXPECT_EQ(contentOf(m_items[1].source), "new file");
    ASSERT_TRUE(m_files.remove(m_items[1].source));
    expectUndone({ m_items[1], m_items[0] });
    EXPECT_TRUE(allAtSource());
    EXPECT_TRUE(m_undo.entries().isEmpty());
}

TEST_F(OrganizeRun, UndoAfterAMoveCutShortRemovesTheSecondCopyTemporariesAndNewFolders)
{
    ASSERT_TRUE(m_organizer.apply(m_items, false));
    // Killed between the copy and the removal of the source, while copying the next file.
    ASSERT_TRUE(m_files.copyFile(m_items[1].destination, m_items[1].source));
    writeFile(
        m_items[2].destination.deletingLastPathComponent().appending(QByteArray(".Song 2.flac.1x2y3z.part")),
        "partial");
    const auto undone = m_organizer.undoLast();
    ASSERT_TRUE(undone && *undone) << undone.error().text().toStdString();
    EXPECT_EQ(undone->value().size(), 3);
    EXPECT_TRUE(allAtSource());
    EXPECT_FALSE(m_files.exists(m_out));
    EXPECT_TRUE(m_undo.entries().isEmpty());
}

TEST_F(OrganizeRun, AcrossFileSystemsASourceThatCannotBeRemovedTakesItsCopyBack)
{
    m_items.clear();
    if (!prepare(true))
        GTEST_SKIP() << "no second file system";
    m_files.failOnce(Operation::Remove, EBUSY, m_items[1].source.path());
    const auto applied = m_organizer.apply(m_items, false);
    expectFailedAfter(applied, { m_items[0] });
    EXPECT_EQ(applied.error().underlying()->fileError().code, EBUSY);
    EXPECT_FALSE(m_files.exists(m_items[1].destination));
    // Nothing stands beside a source, so the undo of the applied item goes through.
    expectUndone({ m_items[0] });
    EXPECT_TRUE(allAtSource());
}

// The journal ------------------------------------------------------------------------------------

class OrganizeUndoStoreTest : public FileOrganizerTest
{
protected:
    FileLocation journal() const { return at("undo").appending(OrganizeUndoStore::journalFileName); }
    OrganizePlanItem item(const QByteArray &name) const
    {
        return { at("in/" + name), at("out/" + name), false };
    }
};

// The journal's own rules (shared with the tag edits' undo): a limit, kept on disk, a backup.
TEST_F(OrganizeUndoStoreTest, KeepsTheNewestEntriesUpToItsLimitAndFallsBackToItsBackup)
{
    for (int i = 0; i < 51; ++i)
        ASSERT_TRUE(m_undo.record({ item(QByteArray::number(i)) }, false));
    ASSERT_EQ(m_undo.entries().size(), 50);
    EXPECT_EQ(m_undo.entries().first().items, Items { item("1") });
    const OrganizeUndoStore reloaded(at("undo"), 50, m_files);
    EXPECT_EQ(reloaded.entries(), m_undo.entries());
    EXPECT_FALSE(reloaded.loadNotice());
    // A larger journal loads as its newest entries, without being rewritten; a limit below one
    // counts as one.
    const int writes = m_files.calls(Operation::WriteAtomically);
    EXPECT_EQ(OrganizeUndoStore(at("undo"), 20, m_files).entries(), m_undo.entries().mid(30));
    EXPECT_EQ(m_files.calls(Operation::WriteAtomically), writes);
    OrganizeUndoStore single(m_base.appending(QByteArray("single")), 0, m_files);
    ASSERT_TRUE(single.record({ item("a") }, false));
    ASSERT_TRUE(single.record({ item("b") }, true));
    EXPECT_EQ(single.limit(), 1);
    EXPECT_EQ(single.entries().size(), 1);
    // Damaged: the previous version (the backup) loads; both damaged: empty, with a notice.
    writeFile(journal(), R"([{"copy": false, "items": []}])"); // no "date": does not decode
    const OrganizeUndoStore fromBackup(at("undo"), 50, m_files);
    EXPECT_EQ(fromBackup.loadNotice(), QStringLiteral("整理撤销记录已从备份恢复。"));
    EXPECT_EQ(fromBackup.entries().size(), 50); // the version before the 51st record
    writeFile(JsonFile::backupOf(journal()), "{");
    const OrganizeUndoStore unreadable(at("undo"), 50, m_files);
    EXPECT_EQ(unreadable.loadNotice(), QStringLiteral("整理撤销记录已损坏，无法读取。"));
    EXPECT_TRUE(unreadable.entries().isEmpty());
}

TEST_F(OrganizeUndoStoreTest, JournalIsWrittenWithTheStoredKeysAndTypes)
{
    const OrganizePlanItem chinese { at("in/歌 1.flac"), at("out/歌手/歌 1 (2).flac"), true };
    ASSERT_TRUE(m_undo.record({ chinese }, true));
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
    EXPECT_EQ(OrganizeUndoStore(at("undo"), 50, m_files).entries()[0].items[0], chinese);
}

TEST_F(OrganizeUndoStoreTest, FailedRecordOrClearLeavesTheEntriesAsTheyWere)
{
    ASSERT_TRUE(m_undo.record({ item("a") }, false));
    m_files.failOnce(Operation::WriteAtomically, ENOSPC);
    const auto recorded = m_undo.record({ item("b") }, false);
    ASSERT_FALSE(recorded);
    EXPECT_EQ(recorded.error().fileError().code, ENOSPC);
    EXPECT_TRUE(m_undo.record({}, false));
    EXPECT_EQ(m_undo.entries().size(), 1);
    ASSERT_TRUE(m_undo.record({ item("b") }, false));
    m_files.failOnce(Operation::Remove, EIO);
    ASSERT_FALSE(m_undo.clear());
    EXPECT_EQ(m_undo.entries().size(), 2);
    ASSERT_TRUE(m_undo.clear());
    EXPECT_FALSE(m_undo.undoLast()->has_value());
}

TEST_F(OrganizeUndoStoreTest, FailureToLookOrToSaveAfterAnUndoKeepsTheEntry)
{
    writeFile(item("a").destination, "a");
    ASSERT_TRUE(m_undo.record({ item("a") }, false));
    m_files.failOnce(Operation::Status, EIO, item("a").destination.path());
    const auto unexamined = m_undo.undoLast();
    ASSERT_EQ(failure(unexamined), OrganizeError::Kind::UndoFailed);
    m_files.failOnce(Operation::WriteAtomically, EIO);
    const auto unsaved = m_undo.undoLast();
    ASSERT_EQ(failure(unsaved), OrganizeError::Kind::File);
    EXPECT_EQ(contentOf(item("a").source), "a");
    EXPECT_EQ(OrganizeUndoStore(at("undo"), 50, m_files).entries().size(), 1);
}

TEST_F(OrganizeUndoStoreTest, UndoOfACopyRemovesOnlyCopiesOfTheOriginalInPlace)
{
    const Items items { item("copy"), item("replaced"), item("linked"), item("folder"), item("gone") };
    for (const OrganizePlanItem &planned : items)
        writeFile(planned.source, "original");
    ASSERT_TRUE(m_files.createDirectories(at("out"), 0755));
    ASSERT_TRUE(m_files.copyFile(items[0].source, items[0].destination));
    // The original was deleted and another file of the same size now stands at its path.
    ASSERT_TRUE(m_files.copyFile(items[1].source, items[1].destination));
    ASSERT_TRUE(m_files.remove(items[1].source));
    writeFile(items[1].source, "another!");
    ASSERT_EQ(::link(items[2].source.cPath(), items[2].destination.cPath()), 0);
    writeFile(items[3].destination.appending(QByteArray("inside")), "user's file");
    ASSERT_TRUE(m_files.copyFile(items[4].source, items[4].destination)); // the copy may be the last one
    ASSERT_TRUE(m_files.remove(items[4].source));
    ASSERT_TRUE(m_undo.record(items, true));
    const auto undone = m_undo.undoLast();
    ASSERT_TRUE(undone && *undone);
    EXPECT_EQ(**undone, Items { items[0] });
    EXPECT_FALSE(m_files.exists(items[0].destination));
    EXPECT_EQ(contentOf(items[1].destination), "original");
    EXPECT_EQ(contentOf(items[1].source), "another!");
    EXPECT_EQ(contentOf(items[2].destination), "original");
    EXPECT_EQ(contentOf(items[3].destination.appending(QByteArray("inside"))), "user's file");
    EXPECT_EQ(contentOf(items[4].destination), "original");
}

// Killed runs ------------------------------------------------------------------------------------

// Tells the re-run test binary to act as the organising child: "<in>|<out>|<undo>|<copy|move>".
constexpr char childVariable[] = "QUILLMERE_ORGANIZE_CRASH_RUN";
constexpr int fileCount = 300;

// Sizes vary up to 192 KiB, so that a kill can land inside a copy.
QByteArray crashContent(int index)
{
    return "file " + QByteArray::number(index) + '\n'
        + QByteArray((index % 7) * 32 * 1024, char('a' + index % 26));
}

QByteArray crashName(int index)
{
    return QByteArray::number(index).rightJustified(4, '0') + ".flac";
}

TEST(OrganizeCrashChild, RunsTheOrganisation)
{
    const QList<QByteArray> settings = qgetenv(childVariable).split('|');
    if (settings.size() != 4)
        GTEST_SKIP() << "runs only as the child of the crash test";
    QList<Track> tracks;
    for (int i = 0; i < fileCount; ++i) // pairs share a title within an artist, so names are numbered
        tracks.append(trackFor(FileLocation::fromPath(settings[0]).appending(crashName(i)),
            QStringLiteral("歌手 %1").arg(i % 10), QStringLiteral("Song %1").arg(i / 20)));
    OrganizeUndoStore undo(FileLocation::fromPath(settings[2]), 50);
    FileOrganizer organizer(undo);
    const auto report = [](int done, int) {
        std::printf("%d\n", done);
        std::fflush(stdout);
    };
    report(0, 0);
    const auto applied = organizer.apply(
        organizer.plan(tracks, byArtist, FileLocation::fromPath(settings[1])), settings[3] == "copy", report);
    ASSERT_TRUE(applied) << applied.error().text().toStdString();
}

struct Scenario
{
    const char *name;
    bool copy;
    bool otherFileSystem;
};

class OrganizeCrashTest : public testing::TestWithParam<std::tuple<Scenario, int>>
{
protected:
    // How many times each original's full content stands in the source and destination trees;
    // fails on any partial or unknown file. Hidden ".part" files are a copy's unfinished temporaries.
    QList<int> census(bool allowTemporaries)
    {
        QList<int> counts(fileCount, 0);
        for (const FileLocation &root : { m_in, m_out }) {
            QDirIterator files(root.displayPath(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (files.hasNext()) {
                const QString path = files.next();
                const int index
                    = m_indexOfContent.value(contentOf(FileLocation::fromLocalFile(path)).value_or(""), -1);
                if (files.fileName().startsWith(u'.'))
                    EXPECT_TRUE(allowTemporaries && path.endsWith(".part")) << path.toStdString();
                else if (index < 0)
                    ADD_FAILURE() << "partial or unknown file " << path.toStdString();
                else
                    ++counts[index];
            }
        }
        return counts;
    }

    QTemporaryDir m_temporary;
    FileLocation m_in = locationOf(m_temporary).appending(QByteArray("in"));
    FileLocation m_undo = locationOf(m_temporary).appending(QByteArray("undo"));
    FileLocation m_out;
    QHash<QByteArray, int> m_indexOfContent;
};

// A run killed at a random moment loses nothing, and its undo restores every original.
TEST_P(OrganizeCrashTest, KilledRunLosesNothingAndUndoes)
{
    const Scenario &scenario = std::get<0>(GetParam());
    std::unique_ptr<QTemporaryDir> other;
    if (scenario.otherFileSystem && !(other = folderOnOtherFileSystem(m_in.deletingLastPathComponent())))
        GTEST_SKIP() << "no second file system";
    m_out = other ? locationOf(*other) : m_in.deletingLastPathComponent().appending(QByteArray("out"));
    ASSERT_TRUE(QDir().mkpath(m_in.displayPath()));
    for (int i = 0; i < fileCount; ++i) { // written plainly: an atomic write's sync takes too long
        QFile file(QFile::decodeName(m_in.appending(crashName(i)).path()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(crashContent(i)) == crashContent(i).size());
        m_indexOfContent.insert(crashContent(i), i);
    }
    const int items = QRandomGenerator::global()->bounded(fileCount + 1);
    const int delay = QRandomGenerator::global()->bounded(3000);
    SCOPED_TRACE(testing::Message() << "killed after item " << items << " + " << delay << " µs");
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(childVariable,
        QFile::decodeName(m_in.path() + '|' + m_out.path() + '|' + m_undo.path() + '|'
            + (scenario.copy ? "copy" : "move")));
    child.setProcessEnvironment(environment);
    child.start(
        QCoreApplication::applicationFilePath(), { "--gtest_filter=OrganizeCrashChild.RunsTheOrganisation" });
    ASSERT_TRUE(child.waitForStarted());
    while (child.state() == QProcess::Running || child.canReadLine()) { // until killed or finished first
        if (!child.canReadLine())
            child.waitForReadyRead(50);
        else if (child.readLine().trimmed().toInt() >= items) {
            QThread::usleep(delay);
            ::kill(pid_t(child.processId()), SIGKILL);
            break;
        }
    }
    child.waitForFinished();
    const QList<int> afterKill = census(true);
    for (int i = 0; i < fileCount; ++i) {
        if (scenario.copy)
            EXPECT_EQ(contentOf(m_in.appending(crashName(i))), crashContent(i)) << i;
        else // between copy and removal across file systems both may stand
            EXPECT_TRUE(afterKill[i] == 1 || (scenario.otherFileSystem && afterKill[i] == 2)) << i;
    }
    OrganizeUndoStore undo(m_undo, 50);
    EXPECT_FALSE(undo.loadNotice());
    const auto undone = undo.undoLast();
    ASSERT_TRUE(undone) << undone.error().text().toStdString();
    const QList<int> afterUndo = census(false);
    for (int i = 0; i < fileCount; ++i)
        EXPECT_TRUE(contentOf(m_in.appending(crashName(i))) == crashContent(i) && afterUndo[i] == 1) << i;
    // The folders the run created are gone again.
    EXPECT_TRUE(QDir(m_out.displayPath())
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                    .isEmpty());
}

// Each scenario runs many times. A copy takes the same path whatever the file systems; a move
// across them copies and removes.
const Scenario scenarios[]
    = { { "Move", false, false }, { "Copy", true, false }, { "MoveAcrossFileSystems", false, true } };

INSTANTIATE_TEST_SUITE_P(Runs, OrganizeCrashTest,
    testing::Combine(testing::ValuesIn(scenarios), testing::Range(0, 50)),
    [](const testing::TestParamInfo<std::tuple<Scenario, int>> &info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::to_string(std::get<1>(info.param));
    });

} // namespace
