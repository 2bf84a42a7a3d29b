#include "JsonFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>

namespace JsonFile {

QByteArray serialize(const QJsonValue &value)
{
    // QJsonObject keeps its keys sorted, so the output is key-sorted as it stands. Records are
    // objects or arrays of them.
    const QJsonDocument document = value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    return document.toJson(QJsonDocument::Indented);
}

std::expected<QJsonValue, QString> parse(QByteArray bytes)
{
    JsonReader reader(std::move(bytes));
    const std::optional<QJsonValue> value = reader.readValue();
    if (!value)
        return std::unexpected(reader.error());
    if (!reader.atEnd())
        return std::unexpected(QStringLiteral("trailing characters after the value"));
    return *value;
}

std::expected<void, FileError> preserveCurrent(FileOperations &files, const FileLocation &file,
                                               const std::function<bool(const QByteArray &)> &decodes,
                                               bool knownDecodable)
{
    if (!files.exists(file))
        return {};
    const FileLocation backup = backupOf(file);
    const auto current = knownDecodable ? std::expected<QByteArray, FileError>() : files.readAll(file);
    if (knownDecodable || (current && decodes(*current))) {
        if (files.exists(backup))
            (void)files.remove(backup);
        return files.linkOrCopy(file, backup);
    }
    const FileLocation corrupt = corruptCopyOf(file);
    if (!current) {
        if (current.error().code == ENOENT)
            return {};
        // A file that cannot be read may well be newer than its backup: it is never replaced
        // unless it is kept. A link keeps it without reading it.
        if (files.exists(corrupt))
            (void)files.remove(corrupt);
        return files.linkOrCopy(file, corrupt);
    }
    const auto backupBytes = files.readAll(backup);
    if (backupBytes && decodes(*backupBytes))
        return {};
    // Damaged beyond decoding: kept when possible, but the save goes on either way.
    if (files.exists(corrupt))
        (void)files.remove(corrupt);
    (void)files.copyFile(file, corrupt);
    return {};
}

} // namespace JsonFile
