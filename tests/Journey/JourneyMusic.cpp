#include "JourneyMusic.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>

namespace {

struct Song
{
    QString fileName;
    int frequency;
    int seconds;
    QStringList metadata;
    QStringList codec;
};

// Chinese text stored the way old Windows taggers did: GB 18030 bytes in Latin-1 frames.
QString garbled(const QString &text)
{
    QStringEncoder gb18030("GB18030");
    return QString::fromLatin1(gb18030.encode(text));
}

QString run(const QString &program, const QStringList &arguments, bool *ok)
{
    QProcess process;
    process.start(program, arguments);
    *ok = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
    if (!*ok)
        return QString::fromUtf8(process.readAllStandardError());
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

} // namespace

const QString JourneyMusic::firstLyric = QStringLiteral("窗外的麻雀在电线杆上多嘴");

JourneyMusic::JourneyMusic(QString folder)
    : m_folder(std::move(folder))
{
}

QStringList JourneyMusic::audioFileNames() const
{
    return { QStringLiteral("qingtian.mp3"), QStringLiteral("qilixiang.flac"), QStringLiteral("daoxiang.ogg"),
        QStringLiteral("dongfengpo.mp3") };
}

bool JourneyMusic::create(QString *error)
{
    const auto meta = [](const QString &key, const QString &value) {
        return QStringList { QStringLiteral("-metadata"), key + QLatin1Char('=') + value };
    };
    const QList<Song> songs {
        { QStringLiteral("qingtian.mp3"), 440, 30,
            meta(u"title"_qs, u"晴天"_qs) + meta(u"artist"_qs, u"周杰伦"_qs)
                + meta(u"album"_qs, u"叶惠美"_qs),
            { u"-c:a"_qs, u"libmp3lame"_qs } },
        { QStringLiteral("qilixiang.flac"), 660, 30,
            meta(u"title"_qs, u"七里香"_qs) + meta(u"artist"_qs, u"周杰伦"_qs)
                + meta(u"album"_qs, u"七里香"_qs),
            {} },
        { QStringLiteral("daoxiang.ogg"), 880, 20,
            meta(u"title"_qs, u"稻香"_qs) + meta(u"artist"_qs, u"周杰伦"_qs),
            { u"-c:a"_qs, u"libvorbis"_qs } },
        { QStringLiteral("dongfengpo.mp3"), 550, 20,
            meta(u"title"_qs, garbled(u"东风破"_qs)) + meta(u"artist"_qs, garbled(u"周杰伦"_qs)),
            { u"-c:a"_qs, u"libmp3lame"_qs, u"-id3v2_version"_qs, u"3"_qs } },
    };
    QDir().mkpath(m_folder);
    for (const Song &song : songs) {
        bool ok = false;
        const QString output = run(QStringLiteral("ffmpeg"),
            QStringList { u"-v"_qs, u"error"_qs, u"-y"_qs, u"-f"_qs, u"lavfi"_qs, u"-i"_qs,
                QStringLiteral("sine=frequency=%1:duration=%2").arg(song.frequency).arg(song.seconds) }
                + song.metadata + song.codec + QStringList { path(song.fileName) },
            &ok);
        if (!ok) {
            *error = song.fileName + QStringLiteral(": ") + output;
            return false;
        }
    }
    QFile lyrics(path(QStringLiteral("qilixiang.lrc")));
    if (!lyrics.open(QIODevice::WriteOnly)
        || lyrics.write((QStringLiteral("[00:00.00]") + firstLyric
               + QStringLiteral("\n[00:25.00]你说这一句很有夏天的感觉\n"))
                            .toUtf8())
            < 0) {
        *error = QStringLiteral("could not write the sidecar");
        return false;
    }
    return true;
}

QString JourneyMusic::audioHash(const QString &file)
{
    bool ok = false;
    const QString hash = run(QStringLiteral("ffmpeg"),
        { u"-v"_qs, u"error"_qs, u"-i"_qs, file, u"-map"_qs, u"0:a"_qs, u"-c"_qs, u"copy"_qs, u"-f"_qs,
            u"md5"_qs, u"-"_qs },
        &ok);
    return ok ? hash : QString();
}

QString JourneyMusic::tag(const QString &file, const QString &key)
{
    bool ok = false;
    const QString value = run(QStringLiteral("ffprobe"),
        { u"-v"_qs, u"error"_qs, u"-show_entries"_qs, QStringLiteral("format_tags=") + key, u"-of"_qs,
            u"default=noprint_wrappers=1:nokey=1"_qs, file },
        &ok);
    return ok ? value : QString();
}
