#pragma once

#include "Lyrics/ResolvedLyrics.h"
#include "Models/Track.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QUuid>

#include <optional>

class AppModel;

// The lyrics of the current track: resolved whenever the track changes (a result is shown only
// while its track is still current), followed line by line as the position moves, and the
// commands of the lyrics menu: import a file as the track's override, match automatically again,
// retry. Part of the model; lives on the GUI thread and publishes through the model's state.
class LyricsControl final : public QObject
{
public:
    explicit LyricsControl(AppModel &model);
    ~LyricsControl() override;

    // Supersedes the resolution under way.
    void loadLyrics(const std::optional<Track> &track);
    void updateCurrentLyricLine(double position);

    // The line to show now: before the first synchronised line the first one; the first line
    // of unsynchronised lyrics.
    std::optional<QString> currentLyricText() const;
    // The synchronised line after the current one.
    std::optional<QString> nextLyricText() const;
    bool hasLyricsOverride() const;
    bool canRetryLyrics() const;

    void promptImportLyrics();
    void restoreAutomaticLyrics();
    void retryLyrics();

private:
    // What reading, parsing and saving a chosen lyrics file came to.
    struct Import
    {
        std::optional<ResolvedLyrics> lyrics;
        // The failure shown instead, when there are no lyrics.
        QString failure;
    };

    void cancelResolution();
    void show(const std::optional<ResolvedLyrics> &result, const QUuid &trackID);
    void finishImport(const Import &import, const QUuid &targetID);

    AppModel &m_model;
    QFutureWatcher<std::optional<ResolvedLyrics>> *m_resolution = nullptr;
    // The track whose override was just removed: its next result is reported in the status line.
    std::optional<QUuid> m_pendingRestoreTrackID;
};
