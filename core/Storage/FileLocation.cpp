#include "FileLocation.h"

#include <QFile>
#include <QList>

namespace {

bool isUnreserved(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'
        || c == '.' || c == '_' || c == '~';
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
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
    static constexpr QStringView scheme = u"file://";
    if (!text.startsWith(scheme, Qt::CaseInsensitive))
        return std::nullopt;
    QStringView rest = text.mid(scheme.size());
    if (rest.startsWith(u"localhost/", Qt::CaseInsensitive))
        rest = rest.mid(9);
    if (!rest.startsWith(u'/'))
        return std::nullopt;

    QByteArray path;
    path.reserve(rest.size());
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const QChar c = rest.at(i);
        if (c == u'%') {
            if (i + 2 >= rest.size())
                return std::nullopt;
            const int high = hexValue(rest.at(i + 1));
            const int low = hexValue(rest.at(i + 2));
            if (high < 0 || low < 0)
                return std::nullopt;
            path.append(char(high * 16 + low));
            i += 2;
        } else if (c.unicode() < 0x80 && c.unicode() > 0x20 && c != u'?' && c != u'#') {
            path.append(char(c.unicode()));
        } else if (c.unicode() >= 0x80) {
            // Tolerate unencoded non-ASCII text; it stands for its UTF-8 bytes.
            qsizetype end = i;
            while (end < rest.size() && rest.at(end).unicode() >= 0x80)
                ++end;
            path.append(rest.mid(i, end - i).toUtf8());
            i = end - 1;
        } else {
            return std::nullopt;
        }
    }
    if (path.contains('\0'))
        return std::nullopt;
    return FileLocation(path);
}

QString FileLocation::urlText() const
{
    static const char hex[] = "0123456789ABCDEF";
    QString text = QStringLiteral("file://");
    text.reserve(7 + m_path.size() * 3);
    for (const char c : m_path) {
        if (isUnreserved(c) || c == '/') {
            text.append(QLatin1Char(c));
        } else {
            const auto byte = static_cast<unsigned char>(c);
            text.append(u'%');
            text.append(QLatin1Char(hex[byte >> 4]));
            text.append(QLatin1Char(hex[byte & 0xF]));
        }
    }
    return text;
}

QString FileLocation::displayPath() const
{
    return QFile::decodeName(m_path);
}

FileLocation FileLocation::standardized() const
{
    if (m_path.isEmpty())
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
    return QFile::decodeName(fileName());
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
