#include "DragPayloads.h"

#include <QMimeData>
#include <QStringDecoder>

namespace DragPayloads {

QMimeData *trackPayload(const QUuid &trackID)
{
    auto *data = new QMimeData;
    const QString text = trackID.toString(QUuid::WithoutBraces).toUpper();
    data->setData(QString::fromLatin1(utf8TextType), text.toUtf8());
    data->setText(text);
    return data;
}

std::optional<QString> textValue(const QMimeData &data)
{
    const QString utf8Type = QString::fromLatin1(utf8TextType);
    if (data.hasFormat(utf8Type)) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder(data.data(utf8Type));
        if (!decoder.hasError())
            return text;
    }
    // Not QMimeData::text(): it would decode the failed UTF-8 data again, with replacements.
    const QString plainType = QStringLiteral("text/plain");
    if (data.hasFormat(plainType))
        return QString::fromUtf8(data.data(plainType));
    return std::nullopt;
}

bool offersFileURLs(const QMimeData &data)
{
    return data.hasFormat(QString::fromLatin1(fileUrlType));
}

QList<FileLocation> fileURLValues(const QMimeData &data)
{
    // The URI list itself, not QMimeData::urls(): QUrl decodes names as UTF-8 and would mangle
    // the bytes of other encodings.
    QList<FileLocation> locations;
    const QByteArray list = data.data(QString::fromLatin1(fileUrlType));
    for (const QByteArray &rawLine : list.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (auto location = FileLocation::fromUrlText(QByteArrayView(line)))
            locations.append(*location);
    }
    return locations;
}

} // namespace DragPayloads
