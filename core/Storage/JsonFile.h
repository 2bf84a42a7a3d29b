#pragma once

#include "FileOperations.h"
#include "JsonCodec.h"
#include "LoadSource.h"

#include <QByteArray>
#include <QJsonValue>

#include <functional>
#include <optional>

// Reading and writing whole JSON files: UTF-8, pretty-printed, keys sorted.
namespace JsonFile {

QByteArray serialize(const QJsonValue &value);
std::expected<QJsonValue, QString> parse(QByteArray bytes);

template <typename T>
QByteArray encode(const T &value)
{
    if constexpr (JsonCodec<T>::streamed) {
        JsonWriter writer;
        JsonCodec<T>::write(value, writer);
        return writer.take();
    } else {
        return serialize(JsonCodec<T>::encode(value));
    }
}

// The same in the parts it was written in; large documents are not joined.
template <typename T>
QList<QByteArray> encodeParts(const T &value)
{
    if constexpr (JsonCodec<T>::streamed) {
        JsonWriter writer;
        JsonCodec<T>::write(value, writer);
        return writer.takeParts();
    } else {
        return {serialize(JsonCodec<T>::encode(value))};
    }
}

template <typename T>
std::expected<T, QString> decode(QByteArray bytes)
{
    if constexpr (JsonCodec<T>::streamed) {
        JsonReader reader(std::move(bytes));
        auto value = JsonCodec<T>::read(reader);
        if (value && !reader.atEnd())
            return std::unexpected(QStringLiteral("trailing characters after the value"));
        return value;
    } else {
        auto json = parse(std::move(bytes));
        if (!json)
            return std::unexpected(json.error());
        return JsonCodec<T>::decode(*json);
    }
}

// The file's value; none when it is absent, unreadable or does not decode (`load` tells which).
template <typename T>
std::optional<T> read(FileOperations &files, const FileLocation &file)
{
    auto bytes = files.readAll(file);
    if (!bytes)
        return std::nullopt;
    auto value = decode<T>(std::move(*bytes));
    return value ? std::optional<T>(std::move(*value)) : std::nullopt;
}

inline FileLocation backupOf(const FileLocation &file) { return file.withSuffix(".bak"); }
inline FileLocation corruptCopyOf(const FileLocation &file) { return file.withSuffix(".corrupt"); }

// Before `file` is replaced: when it still decodes, it becomes the "bak" companion (one generation
// back). When it cannot be read at all, it becomes the "corrupt" companion, and a failure to keep
// it fails the call: it may hold newer content than the backup. When it reads but does not decode
// and neither does the backup, it is kept as the "corrupt" companion when possible.
// `knownDecodable` skips reading the file again when the caller knows its content decodes.
std::expected<void, FileError> preserveCurrent(FileOperations &files, const FileLocation &file,
                                               const std::function<bool(const QByteArray &)> &decodes,
                                               bool knownDecodable = false);

template <typename T>
bool decodesAs(const QByteArray &bytes)
{
    return decode<T>(bytes).has_value();
}

// The main file, else its backup copy; a failure of either is not reported beyond the source.
template <typename T>
Loaded<T> load(FileOperations &files, const FileLocation &file)
{
    if (auto value = read<T>(files, file))
        return {std::move(*value), LoadSource::Primary};
    if (auto value = read<T>(files, backupOf(file)))
        return {std::move(*value), LoadSource::Backup};
    const bool anything = files.exists(file) || files.exists(backupOf(file));
    return {std::nullopt, anything ? LoadSource::Unreadable : LoadSource::Absent};
}

} // namespace JsonFile
