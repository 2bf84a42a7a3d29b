#pragma once

#include <QByteArray>
#include <QHash>
#include <QMetaType>
#include <QString>

#include <functional>
#include <optional>

// The location of a file or folder, kept as the raw bytes of its path: Linux names are bytes and
// need not be UTF-8. Its text form is "file://" followed by the percent-encoded path, so every
// name survives a round trip through JSON. Decode to QString only for display.
class FileLocation
{
public:
    FileLocation() = default;

    static FileLocation fromPath(const QByteArray &path);
    // A path typed or chosen by the user (encoded in the locale's encoding).
    static FileLocation fromLocalFile(const QString &path);
    // "file://" + percent-encoded path ("file://localhost/..." too); nothing for any other text.
    static std::optional<FileLocation> fromUrlText(QStringView text);
    // The same from UTF-8 text.
    static std::optional<FileLocation> fromUrlText(QByteArrayView utf8);

    bool isEmpty() const { return m_path.isEmpty(); }
    const QByteArray &path() const { return m_path; }
    // NUL-terminated path for system calls.
    const char *cPath() const { return m_path.constData(); }
    QString urlText() const;
    // urlText() as ASCII bytes.
    QByteArray urlBytes() const;
    // The longest urlBytes() of a path of `pathSize` bytes.
    static qsizetype maxUrlSize(qsizetype pathSize) { return 7 + 3 * pathSize; }
    // Writes urlBytes() at `out`, which has room for maxUrlSize(path().size()); gives the end.
    char *writeUrlBytes(char *out) const;
    QString displayPath() const;

    // The lexical clean: "//" collapsed, "." dropped, ".." resolved (clamped at "/"), no trailing
    // "/"; links are never resolved.
    FileLocation standardized() const;
    // True when this location's standardised path lies strictly inside the folder's.
    bool isUnder(const FileLocation &folder) const;

    QByteArray fileName() const;
    QString fileNameText() const;
    // The extension after the last dot of the name, without the dot; a name that only starts with
    // a dot (".mp3") has none.
    QString pathExtension() const;
    FileLocation deletingLastPathComponent() const;
    FileLocation deletingPathExtension() const;
    FileLocation appending(const QByteArray &component) const;
    FileLocation appending(const QString &component) const;
    // The same path with a suffix added to the whole name ("library.json" -> "library.json.bak").
    FileLocation withSuffix(const QByteArray &suffix) const;

    friend bool operator==(const FileLocation &, const FileLocation &) = default;
    friend auto operator<=>(const FileLocation &a, const FileLocation &b)
    {
        return a.m_path.compare(b.m_path) <=> 0;
    }

private:
    explicit FileLocation(const QByteArray &path) : m_path(path) {}

    QByteArray m_path;
};

inline size_t qHash(const FileLocation &location, size_t seed = 0)
{
    return qHash(location.path(), seed);
}

template <>
struct std::hash<FileLocation>
{
    size_t operator()(const FileLocation &location) const noexcept { return qHash(location); }
};

Q_DECLARE_METATYPE(FileLocation)
