#include "Localization.h"

#include <QCoreApplication>

#include <string_view>
#include <utility>

namespace {

// The Chinese table: keys that are names rather than the text to show, and key names written the
// way this platform's keyboard says them.
const char *chineseDisplayText(std::string_view key)
{
    static constexpr std::pair<std::string_view, const char *> table[] = {
        {"导入文件夹", "文件夹"},
        {"导入文件夹帮助", "导入音乐文件夹"},
        {"播放列表分区", "播放列表"},
        {"上一首（⌘←）", "上一首（Ctrl+←）"},
        {"下一首（⌘→）", "下一首（Ctrl+→）"},
    };
    for (const auto &[name, text] : table) {
        if (name == key)
            return text;
    }
    return nullptr;
}

} // namespace

QString L(const char *key)
{
    // QCoreApplication::translate gives the key back when no installed translator knows it.
    QString text = QCoreApplication::translate("Quillmere", key);
    if (const char *shown = chineseDisplayText(key); shown && text == QString::fromUtf8(key))
        return QString::fromUtf8(shown);
    return text;
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
