#include "TagService.h"

#include "CTagLib/taglib_bridge.h"
#include "Localization.h"

#include <memory>

namespace {

struct BridgeTextDeleter
{
    void operator()(char *text) const { quillmere_free(text); }
};
using BridgeText = std::unique_ptr<char, BridgeTextDeleter>;

// A path the bridge can take: one C string, so nothing empty and no NUL inside.
bool hasSystemPath(const FileLocation &file)
{
    return !file.isEmpty() && !file.path().contains('\0');
}

} // namespace

std::optional<TagFields> TagService::read(const FileLocation &file) const
{
    if (!hasSystemPath(file))
        return std::nullopt;
    const BridgeText json(quillmere_read_tags(file.cPath()));
    if (!json)
        return std::nullopt;
    JsonReader reader{QByteArrayView(json.get())};
    std::expected<TagFields, QString> fields = TagFields::read(reader);
    if (!fields || !reader.atEnd())
        return std::nullopt;
    return std::move(*fields);
}

std::expected<void, TagServiceError> TagService::write(const TagFields &fields, const FileLocation &file) const
{
    const QByteArray json = jsonData(fields);
    char *error = nullptr;
    const int32_t result = hasSystemPath(file) ? quillmere_write_tags(file.cPath(), json.constData(), &error) : -1;
    const BridgeText message(error);
    if (result == 0)
        return {};
    return std::unexpected(TagServiceError::writeFailed(message ? QString::fromUtf8(message.get())
                                                                : L("写入标签失败")));
}

QByteArray TagService::jsonData(const TagFields &fields)
{
    JsonWriter writer;
    fields.write(writer);
    QByteArray json = writer.take();
    json.chop(1); // the newline that ends a document
    return json;
}
