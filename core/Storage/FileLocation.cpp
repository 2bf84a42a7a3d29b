#include "FileLocation.h"

#include "TextDecoding.h"

#include <QFile>
#include <QList>

#include <array>
#include <cstring>

namespace {

constexpr bool isUnreserved(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'
        || c == '.' || c == '_' || c == '~';
}

} // namespace

FileLocation FileLocation::fromPath(const QByteArray &path)
{
    return FileLocation(path);
}

FileLocation FileLocation::fromLocalFile(const QString &path)
{
    return FileLocation(QFile::encodeName(path));
}

std::optional<FileLocation> FileLocation::fromUrlText(QStringView text)
{
    return fromUrlText(QByteArrayView(text.toUtf8()));
}

std::optional<FileLocation> FileLocation::fromUrlText(QByteArrayView utf8)
{
    static constexpr QByteArrayView scheme = "file://";
    if (utf8.size() < scheme.size()
        || (!utf8.startsWith(scheme) && utf8.first(scheme.size()).compare(scheme, Qt::CaseInsensitive) != 0))
        return std::nullopt;
    QByteArrayView rest = utf8.sliced(scheme.size());
    if (!rest.startsWith('/') && rest.size() >= 10
        && rest.first(10).compare(QByteArrayView("localhost/"), Qt::CaseInsensitive) == 0)
        rest = rest.sliced(9);
    if (!rest.startsWith('/'))
        return std::nullopt;

    // Decoded in place through tables: a library holds a hundred thousand of these.
    static constexpr auto table = [] {
        struct { std::array<qint8, 256> hex {}; std::array<bool, 256> plain {}; } t;
        for (int c = 0; c < 256; ++c) {
            t.hex[c] = qint8(c >= '0' && c <= '9' ? c - '0'
                    : c >= 'a' && c <= 'f'        ? c - 'a' + 10
                    : c >= 'A' && c <= 'F'        ? c - 'A' + 10
                                                  : -1);
            // Unencoded non-ASCII text stands for its UTF-8 bytes.
            t.plain[c] = c > 0x20 && c != 0x7F && c != '?' && c != '#' && c != '%';
        }
        return t;
    }();
    QByteArray path(rest.size(), Qt::Uninitialized);
    char *out = path.data();
    const auto *in = reinterpret_cast<const unsigned char *>(rest.data());
    const auto *const end = in + rest.size();
    while (in != end) {
        if (table.plain[*in]) {
            *out++ = char(*in++);
            continue;
        }
        if (*in != '%' || end - in < 3)
            return std::nullopt;
        const int high = table.hex[in[1]];
        const int low = table.hex[in[2]];
        if (high < 0 || low < 0 || (high == 0 && low == 0))
            return std::nullopt;
        *out++ = char(high * 16 + low);
        in += 3;
    }
    path.truncate(out - path.constData());
    return FileLocation(path);
}

QString FileLocation::urlText() const
{
    return QString::fromLatin1(urlBytes());
}

QByteArray FileLocation::urlBytes() const
{
    QByteArray text(maxUrlSize(m_path.size()), Qt::Uninitialized);
    text.truncate(writeUrlBytes(text.data()) - text.constData());
    return text;
}

char *FileLocation::writeUrlBytes(char *out) const
{
    static constexpr auto table = [] {
        std::array<bool, 256> plain {};
        for (int c = 0; c < 256; ++c)
            plain[c] = isUnreserved(char(c)) || c == '/';
        return plain;
    }();
    static const char hex[] = "0123456789ABCDEF";
    std::memcpy(out, "file://", 7);
    out += 7;
    for (const char c : m_path) {
        const auto byte = static_cast<unsigned char>(c);
        if (table[byte]) {
            *out++ = c;
        } else {
            *out++ = '%';
            *out++ = hex[byte >> 4];
            *out++ = hex[byte & 0xF];
        }
    }
    return out;
}

QString FileLocation::displayPath() const
{
    return QFile::decodeName(m_path);
}

namespace {

// True when the lexical clean would change nothing: no empty, "." or ".." component and no
// trailing slash. Most stored paths are clean, and this is much cheaper than splitting them.
bool isClean(const QByteArray &path)
{
    const qsizetype length = path.size();
    if (length > 1 && path.endsWith('/'))
        return false;
    // Only what follows a slash can be unclean, so the scan jumps from slash to slash.
    const char *const begin = path.constData();
    const char *const end = begin + length;
    for (const char *slash = begin; (slash = static_cast<const char *>(std::memchr(slash, '/', size_t(end - slash))));
         ++slash) {
        const qsizetype i = slash - begin;
        if (i + 1 >= length)
            continue;
        const char next = path.at(i + 1);
        if (next == '/')
            return false;
        if (next == '.') {
            const char after = i + 2 < length ? path.at(i + 2) : '/';
            if (after == '/' || (after == '.' && (i + 3 >= length || path.at(i + 3) == '/')))
                return false;
        }
    }
    return !path.startsWith('.');
}

} // namespace

FileLocation FileLocation::standardized() const
{
    if (m_path.isEmpty() || isClean(m_path))
        return *this;
    const bool absolute = m_path.startsWith('/');
    QList<QByteArray> parts;
    for (const QByteArray &part : m_path.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.isEmpty() && parts.last() != "..")
                parts.removeLast();
            else if (!absolute)
                parts.append(part);
            continue;
        }
        parts.append(part);
    }
    QByteArray clean = parts.join('/');
    if (absolute)
        clean.prepend('/');
    else if (clean.isEmpty())
        clean = ".";
    return FileLocation(clean);
}

bool FileLocation::isUnder(const FileLocation &folder) const
{
    const QByteArray mine = standardized().m_path;
    QByteArray prefix = folder.standardized().m_path;
    if (!prefix.endsWith('/'))
        prefix.append('/');
    return mine.size() > prefix.size() && mine.startsWith(prefix);
}

QByteArray FileLocation::fileName() const
{
    QByteArray path = m_path;
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? path : path.mid(slash + 1);
}

QString FileLocation::fileNameText() const
{
    return TextDecoding::displayText(fileName());
}

QString FileLocation::pathExtension() const
{
    const QByteArray name = fileName();
    const qsizetype dot = name.lastIndexOf('.');
    if (dot <= 0)
        return {};
    return QFile::decodeName(name.mid(dot + 1));
}

FileLocation FileLocation::deletingLastPathComponent() const
{
    QByteArray path = m_path;
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return FileLocation(QByteArray("."));
    if (slash == 0)
        return FileLocation(QByteArray("/"));
    return FileLocation(path.left(slash));
}

FileLocation FileLocation::deletingPathExtension() const
{
    const QByteArray name = fileName();
    const qsizetype dot = name.lastIndexOf('.');
    if (dot <= 0)
        return *this;
    return deletingLastPathComponent().appending(name.left(dot));
}

FileLocation FileLocation::appending(const QByteArray &component) const
{
    QByteArray path = m_path;
    if (!path.endsWith('/'))
        path.append('/');
    path.append(component);
    return FileLocation(path);
}

FileLocation FileLocation::appending(const QString &component) const
{
    return appending(QFile::encodeName(component));
}

FileLocation FileLocation::withSuffix(const QByteArray &suffix) const
{
    return FileLocation(m_path + suffix);
}
