#pragma once

#include <QString>

// The product's fixed identity texts.
namespace AppInfo {
inline const QString displayName = QStringLiteral("Quillmere");
inline const QString bundleIdentifier = QStringLiteral("com.local.quillmere");
inline const QString organizationName = QStringLiteral("Quillmere");
inline const QString minimumMacOS = QStringLiteral("12.0");
} // namespace AppInfo
