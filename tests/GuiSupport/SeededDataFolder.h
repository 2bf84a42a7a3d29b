#pragma once

#include "Storage/FileLocation.h"

#include <QString>
#include <QTemporaryDir>

// A home of its own for an interface test: HOME and the XDG folders point into a temporary
// folder, and the data folder ($XDG_DATA_HOME/Quillmere) holds a small library (two folders,
// five tracks, two playlists, a saved position) from the JSON files in SeededLibrary/. The music
// folders exist and are empty, so the tracks' files are absent.
class SeededDataFolder
{
public:
    SeededDataFolder();
    ~SeededDataFolder();

    bool isValid() const { return m_valid; }
    QString root() const { return m_root.path(); }
    QString dataPath() const;
    FileLocation dataFolder() const;
    QString musicPath() const;
    // The environment a child process needs to use this home.
    QStringList environment() const;

    QByteArray readDataFile(const QString &name) const;
    void writeDataFile(const QString &name, const QByteArray &bytes) const;

private:
    QTemporaryDir m_root;
    QByteArray m_savedEnvironment[5];
    bool m_valid = false;
};
