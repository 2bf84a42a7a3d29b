#pragma once

#include "Models/LibraryIndex.h"
#include "Models/Playlist.h"
#include "Settings/AppSettings.h"
#include "Storage/FileOperations.h"
#include "Storage/JsonFile.h"
#include "Storage/LoadSource.h"

#include <QHash>
#include <QMutex>

// The three main files of the data folder. A write goes through the "tmp" companion, which then
// replaces the file in one step; the previous readable content stays behind as "bak".
class IndexStore
{
public:
    static inline const QByteArray libraryFileName = "library.json";
    static inline const QByteArray playlistsFileName = "playlists.json";
    static inline const QByteArray settingsFileName = "settings.json";

    explicit IndexStore(const FileLocation &directory, FileOperations &files = FileOperations::system());

    const FileLocation &directory() const { return m_directory; }
    FileLocation fileLocation(const QByteArray &name) const { return m_directory.appending(name); }

    template <typename T>
    Loaded<T> decode(const FileLocation &file) const
    {
        Loaded<T> loaded = JsonFile::load<T>(m_files, file);
        if (loaded.source == LoadSource::Primary)
            rememberDecodable(file);
        return loaded;
    }

    template <typename T>
    std::expected<void, FileError> write(const T &value, const FileLocation &file)
    {
        return writeParts(JsonFile::encodeParts(value), file, JsonFile::decodesAs<T>);
    }

    LibraryIndex loadIndex() const;
    QList<Playlist> loadPlaylists() const;
    Loaded<AppSettings> loadSettingsOutcome() const; // the value is always present (defaults)
    AppSettings loadSettings() const;

    std::expected<void, FileError> saveIndex(const LibraryIndex &index);
    std::expected<void, FileError> savePlaylists(const QList<Playlist> &playlists);
    std::expected<void, FileError> saveSettings(const AppSettings &settings);

private:
    // Which file versions are known to decode, so a save need not read and decode the current
    // file again before keeping it as the backup. A version is its inode, size and modification
    // time: any change by another program makes it unknown again.
    struct Version
    {
        dev_t device = 0;
        ino_t inode = 0;
        qint64 size = 0;
        qint64 modifiedSeconds = 0;
        long modifiedNanoseconds = 0;
        friend bool operator==(const Version &, const Version &) = default;
    };
    std::optional<Version> versionOf(const FileLocation &file) const;
    void rememberDecodable(const FileLocation &file) const;
    bool isKnownDecodable(const FileLocation &file) const;

    std::expected<void, FileError> writeParts(const QList<QByteArray> &parts, const FileLocation &file,
                                              const std::function<bool(const QByteArray &)> &decodes);

    FileLocation m_directory;
    FileOperations &m_files;
    // Loads and background saves run on worker threads too.
    mutable QMutex m_decodableLock;
    mutable QHash<FileLocation, Version> m_decodable;
};
