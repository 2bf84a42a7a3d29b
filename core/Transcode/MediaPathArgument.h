#pragma once

#include "Storage/FileError.h"
#include "Storage/FileLocation.h"

#include <QString>

#include <expected>

// The text by which a child process is told about a media file. Arguments reach a child as UTF-8,
// so a path whose bytes are not UTF-8 (GBK names are common) would arrive garbled: such a file is
// reached through a temporary link with an ASCII name, removed again when this value goes. The
// path is always absolute, so no name is mistaken for an option or a protocol.
class MediaPathArgument
{
public:
    // `linkFolder` receives the link when one is needed; its name is hidden (leading dot).
    static std::expected<MediaPathArgument, FileError> make(const FileLocation &file,
                                                            const FileLocation &linkFolder);

    MediaPathArgument(MediaPathArgument &&other) noexcept;
    MediaPathArgument &operator=(MediaPathArgument &&other) noexcept;
    MediaPathArgument(const MediaPathArgument &) = delete;
    MediaPathArgument &operator=(const MediaPathArgument &) = delete;
    ~MediaPathArgument();

    const QString &text() const { return m_text; }

    // The path as given when absolute, else placed in the working folder.
    static FileLocation absolute(const FileLocation &file);

private:
    MediaPathArgument(QString text, FileLocation link) : m_text(std::move(text)), m_link(std::move(link)) {}

    QString m_text;
    FileLocation m_link; // empty when the file's own path is used
};
