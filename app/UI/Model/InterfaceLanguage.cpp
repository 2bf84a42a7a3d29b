#include "InterfaceLanguage.h"

namespace InterfaceLanguage {

bool isKnownCode(const QString &code)
{
    return code == QLatin1String("system") || code == QLatin1String("zh") || code == QLatin1String("en");
}

void store(QSettings &settings, const QString &code)
{
    if (code == QLatin1String("zh"))
        settings.setValue(settingsKey, QStringList{QStringLiteral("zh-Hans")});
    else if (code == QLatin1String("en"))
        settings.setValue(settingsKey, QStringList{QStringLiteral("en")});
    else if (code == QLatin1String("system"))
        settings.remove(settingsKey);
}

QLocale translationLocale(const QSettings &settings)
{
    const QStringList languages = settings.value(settingsKey).toStringList();
    if (languages.isEmpty() || languages.first().isEmpty())
        return QLocale::system();
    return QLocale(languages.first());
}

} // namespace InterfaceLanguage
