#pragma once

#include "Storage/FileLocation.h"

#include <QFuture>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>

#include <optional>

class AppModel;

// The external ffmpeg and what depends on it: background conversions of the formats the engine
// cannot play, durations of those files read with ffprobe, the conversion cache's size, and the
// commands of the install prompt and the cache settings. Part of the model; lives on the GUI
// thread and publishes through the model's state.
class FFmpegControl final : public QObject
{
public:
    // What the install prompt suggests and copies.
    static inline const QString installCommand = QStringLiteral("sudo apt install ffmpeg");

    explicit FFmpegControl(AppModel &model);

    // Afresh on every call: the saved choice, the fixed folders, then the search path.
    std::optional<FileLocation> locate() const;

    // Queues background conversions of every present file that needs one, reads the durations
    // that are still unknown and measures the cache. Nothing at all without ffmpeg.
    void prepareLibraryFormats();

    QString ffmpegPathText() const;
    QString transcodeCacheSizeText() const;
    // Publishes the status text when the cache is gone, and hands it back.
    QFuture<QString> clearTranscodeCache();
    QString redetectFFmpeg();
    // Nothing when the user cancelled the file chooser.
    std::optional<QString> chooseFFmpegPath();
    void copyFFmpegInstallCommand();

    // "0 MB" below one byte, else the size in SI units.
    static QString sizeText(qint64 bytes);

    // In the background; only the newest measurement is published.
    void measureCache();

private:
    void fillDurations(const FileLocation &ffmpeg);
    // The steps after ffmpeg was found or chosen.
    void useFFmpeg(const FileLocation &ffmpeg, const QString &status);

    AppModel &m_model;
    // Probes run here, at low priority, one at a time.
    QThreadPool m_probes;
    // Files whose probe is under way, so that overlapping scans do not probe them twice.
    QSet<FileLocation> m_probing;
    // Only the newest measurement of the cache is published.
    quint64 m_measurement = 0;
    // Clears run here; declared last so that it is destroyed first, waiting for a clear.
    QThreadPool m_clearing;
};
