#include "Localization.h"

#include <QCoreApplication>

QString L(const char *key)
{
    // QCoreApplication::translate gives the key back when no installed translator knows it.
    return QCoreApplication::translate("Quillmere", key);
}

namespace Localization {

QString format(const QString &format, const QList<FormatArgument> &arguments)
{
    QString result;
    result.reserve(format.size() + 16);
    qsizetype next = 0;
    const qsizetype length = format.size();
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = format.at(i);
        if (c != u'%' || i + 1 >= length) {
            result.append(c);
            continue;
        }
        const QStringView rest = QStringView(format).mid(i + 1);
        if (rest.startsWith(u'%')) {
            result.append(u'%');
            i += 1;
            continue;
        }
        qsizetype placeholderLength = 0;
        bool wantsText = false;
        if (rest.startsWith(u'@')) {
            placeholderLength = 1;
            wantsText = true;
        } else if (rest.startsWith(u"lld")) {
            placeholderLength = 3;
        } else if (rest.startsWith(u'd')) {
            placeholderLength = 1;
        } else {
            result.append(c);
            continue;
        }
        if (next >= arguments.size()) {
            // Missing argument: empty text.
        } else {
            const FormatArgument &value = arguments.at(next);
            if (wantsText && std::holds_alternative<QString>(value))
                result.append(std::get<QString>(value));
            else if (!wantsText && std::holds_alternative<qint64>(value))
                result.append(QString::number(std::get<qint64>(value)));
            else
                result.append(QStringView(format).mid(i, placeholderLength + 1));
        }
        ++next;
        i += placeholderLength;
    }
    return result;
}

} // namespace Localization
