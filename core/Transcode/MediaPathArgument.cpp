#include "MediaPathArgument.h"

#include <QDir>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <cerrno>
#include <unistd.h>

namespace {

std::optional<QString> utf8Text(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// The extension when it is plain ASCII letters and digits, so the link keeps the file's type.
QByteArray asciiSuffix(const FileLocation &file)
{
    const QByteArray name = file.fileName();
    const qsizetype dot = name.lastIndexOf('.');
    if (dot <= 0)
        return {};
    const QByteArray extension = name.mid(dot + 1);
    for (const char c : extension) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return {};
    }
    return extension.isEmpty() ? QByteArray() : '.' + extension;
}

} // namespace

FileLocation MediaPathArgument::absolute(const FileLocation &file)
{
    if (file.path().startsWith('/'))
        return file;
    return FileLocation::fromLocalFile(QDir::currentPath()).appending(file.path());
}

std::expected<MediaPathArgument, FileError> MediaPathArgument::make(const FileLocation &file,
                                                                    const FileLocation &linkFolder)
{
    const FileLocation target = absolute(file);
    if (std::optional<QString> text = utf8Text(target.path()))
        return MediaPathArgument(*text, {});

    const FileLocation folder = absolute(linkFolder);
    const std::optional<QString> folderText = utf8Text(folder.path());
    if (!folderText)
        return std::unexpected(FileError::fromErrno(QStringLiteral("symlink"), folder, EILSEQ));
    const QByteArray suffix = asciiSuffix(file);
    for (int attempt = 0;; ++attempt) {
        const QByteArray name = ".quillmere-link-" + QByteArray::number(::getpid()) + '-'
            + QByteArray::number(QRandomGenerator::global()->generate64(), 16) + suffix;
        const FileLocation link = folder.appending(name);
        if (::symlink(target.cPath(), link.cPath()) == 0)
            return MediaPathArgument(*folderText + u'/' + QString::fromLatin1(name), link);
        const int code = errno;
        if (code != EEXIST || attempt == 8)
            return std::unexpected(FileError::fromErrno(QStringLiteral("symlink"), link, code));
    }
}

MediaPathArgument::MediaPathArgument(MediaPathArgument &&other) noexcept
    : m_text(std::move(other.m_text)), m_link(std::exchange(other.m_link, {}))
{
}

MediaPathArgument &MediaPathArgument::operator=(MediaPathArgument &&other) noexcept
{
    if (this != &other) {
        if (!m_link.isEmpty())
            ::unlink(m_link.cPath());
        m_text = std::move(other.m_text);
        m_link = std::exchange(other.m_link, {});
    }
    return *this;
}

MediaPathArgument::~MediaPathArgument()
{
    if (!m_link.isEmpty())
        ::unlink(m_link.cPath());
}
