#include "SeededDataFolder.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

namespace {

constexpr const char *homeVariables[] = {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"};

QString fixturePath(const QString &name)
{
    return QStringLiteral(QUILLMERE_GUI_FIXTURE_DIR "/") + name;
}

} // namespace

SeededDataFolder::SeededDataFolder()
{
    if (!m_root.isValid())
        return;
    const QString home = m_root.path();
    const QString folders[] = {home, home + "/.local/share", home + "/.config", home + "/.cache", home + "/.local/state"};
    for (int i = 0; i < 5; ++i) {
        m_savedEnvironment[i] = qgetenv(homeVariables[i]);
        QDir().mkpath(folders[i]);
        qputenv(homeVariables[i], QFile::encodeName(folders[i]));
    }
    QDir().mkpath(dataPath());
    QDir().mkpath(musicPath() + QStringLiteral("/华语"));
    QDir().mkpath(musicPath() + QStringLiteral("/Jazz"));

    const QByteArray musicURLPath = FileLocation::fromLocalFile(musicPath()).urlBytes().mid(int(qstrlen("file://")));
    for (const QString &name : {QStringLiteral("library.json"), QStringLiteral("playlists.json"), QStringLiteral("settings.json")}) {
        QFile fixture(fixturePath(name));
        if (!fixture.open(QIODevice::ReadOnly))
            return;
        writeDataFile(name, fixture.readAll().replace("@MUSIC@", musicURLPath));
    }
    m_valid = true;
}

SeededDataFolder::~SeededDataFolder()
{
    for (int i = 0; i < 5; ++i) {
        if (m_savedEnvironment[i].isNull())
            qunsetenv(homeVariables[i]);
        else
            qputenv(homeVariables[i], m_savedEnvironment[i]);
    }
}

QString SeededDataFolder::dataPath() const
{
    return m_root.path() + QStringLiteral("/.local/share/Quillmere");
}

FileLocation SeededDataFolder::dataFolder() const
{
    return FileLocation::fromLocalFile(dataPath());
}

QString SeededDataFolder::musicPath() const
{
    return m_root.path() + QStringLiteral("/music");
}

QStringList SeededDataFolder::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString home = m_root.path();
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + "/.local/share");
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + "/.config");
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + "/.cache");
    environment.insert(QStringLiteral("XDG_STATE_HOME"), home + "/.local/state");
    return environment.toStringList();
}

QByteArray SeededDataFolder::readDataFile(const QString &name) const
{
    QFile file(dataPath() + QLatin1Char('/') + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void SeededDataFolder::writeDataFile(const QString &name, const QByteArray &bytes) const
{
    QFile file(dataPath() + QLatin1Char('/') + name);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}
