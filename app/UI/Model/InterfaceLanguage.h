#pragma once

#include <QLocale>
#include <QSettings>
#include <QString>
#include <QStringList>

// The interface language the user chose in the settings, kept in the application's QSettings so
// that start-up can pick the translation before any window exists. A change takes effect at the
// next launch.
namespace InterfaceLanguage {

// The chosen languages, most preferred first; absent while the system's language is followed.
inline const QString settingsKey = QStringLiteral("interfaceLanguages");

// "system", "zh" or "en": the codes the settings offer.
bool isKnownCode(const QString &code);
// "zh" stores ["zh-Hans"], "en" stores ["en"], "system" removes the key; any other code changes
// nothing.
void store(QSettings &settings, const QString &code);
// The locale whose translation the interface loads: the first stored language, else the system's.
QLocale translationLocale(const QSettings &settings);

} // namespace InterfaceLanguage
