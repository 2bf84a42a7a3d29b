#include "IndexStore.h"

IndexStore::IndexStore(const FileLocation &directory, FileOperations &files)
    : m_directory(directory), m_files(files)
{
}

std::expected<void, FileError> IndexStore::writeParts(const QList<QByteArray> &parts, const FileLocation &file,
                                                      const std::function<bool(const QByteArray &)> &decodes)
{
    // The data folder holds the user's library; nobody else needs to read it.
    if (auto created = m_files.createDirectories(m_directory, 0700); !created)
        return created;
    const FileLocation temporary = file.withSuffix(".tmp");
    if (auto written = m_files.writePartsAtomically(temporary, parts); !written)
        return written;

    std::expected<void, FileError> result;
    if (m_files.exists(file)) {
        result = JsonFile::preserveCurrent(m_files, file, decodes, isKnownDecodable(file));
        if (result)
            result = m_files.replace(temporary, file);
    } else {
        result = m_files.moveNoReplace(temporary, file);
    }
    if (m_files.exists(temporary))
        (void)m_files.remove(temporary);
    if (result) {
        rememberDecodable(file);
    } else {
        const QMutexLocker locked(&m_decodableLock);
        m_decodable.remove(file);
    }
    return result;
}

std::optional<IndexStore::Version> IndexStore::versionOf(const FileLocation &file) const
{
    const auto status = m_files.status(file);
    if (!status)
        return std::nullopt;
    return Version{status->device, status->inode, status->size, status->modified.tv_sec, status->modified.tv_nsec};
}

void IndexStore::rememberDecodable(const FileLocation &file) const
{
    if (const auto version = versionOf(file)) {
        const QMutexLocker locked(&m_decodableLock);
        m_decodable.insert(file, *version);
    }
}

bool IndexStore::isKnownDecodable(const FileLocation &file) const
{
    const std::optional<Version> version = versionOf(file);
    const QMutexLocker locked(&m_decodableLock);
    const auto known = m_decodable.constFind(file);
    return known != m_decodable.constEnd() && version == *known;
}

LibraryIndex IndexStore::loadIndex() const
{
    return decode<LibraryIndex>(fileLocation(libraryFileName)).value.value_or(LibraryIndex{});
}

QList<Playlist> IndexStore::loadPlaylists() const
{
    return decode<QList<Playlist>>(fileLocation(playlistsFileName)).value.value_or(QList<Playlist>{});
}

Loaded<AppSettings> IndexStore::loadSettingsOutcome() const
{
    Loaded<AppSettings> loaded = decode<AppSettings>(fileLocation(settingsFileName));
    if (!loaded.value)
        loaded.value = AppSettings{};
    return loaded;
}

AppSettings IndexStore::loadSettings() const
{
    return *loadSettingsOutcome().value;
}

std::expected<void, FileError> IndexStore::saveIndex(const LibraryIndex &index)
{
    return write(index, fileLocation(libraryFileName));
}

std::expected<void, FileError> IndexStore::savePlaylists(const QList<Playlist> &playlists)
{
    return write(playlists, fileLocation(playlistsFileName));
}

std::expected<void, FileError> IndexStore::saveSettings(const AppSettings &settings)
{
    return write(settings, fileLocation(settingsFileName));
}
