#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <variant>

// Every user-visible text is its Chinese wording, which is also the key of the translation tables.
// Without a table (or an entry) the key itself is shown, but for the few keys whose Chinese display
// text differs from them.
QString L(const char *key);

namespace Localization {

// One argument of Lf: "%@" takes text, "%d" and "%lld" take integers.
using FormatArgument = std::variant<QString, qint64>;

// Fills a printf-style format in one pass. A placeholder whose argument has the wrong kind is kept
// literally and a missing argument becomes empty text, so a faulty translation never misbehaves.
QString format(const QString &format, const QList<FormatArgument> &arguments);

inline FormatArgument argument(const QString &text) { return text; }
inline FormatArgument argument(const char *text) { return QString::fromUtf8(text); }
template <typename Integer>
    requires std::is_integral_v<Integer>
inline FormatArgument argument(Integer value)
{
    return static_cast<qint64>(value);
}

} // namespace Localization

// L of the key used as a format, filled with the arguments ("%@", "%d", "%lld", "%%").
template <typename... Arguments>
QString Lf(const char *key, const Arguments &...arguments)
{
    return Localization::format(L(key), {Localization::argument(arguments)...});
}
