#pragma once

#include <QString>

// Why tags could not be written. The message is shown as it stands: the tag bridge's own text,
// or the service's text when the bridge gave none.
struct TagServiceError
{
    enum class Kind { WriteFailed };

    Kind kind = Kind::WriteFailed;
    QString message;

    static TagServiceError writeFailed(const QString &message) { return {Kind::WriteFailed, message}; }

    // The text shown to the user.
    const QString &description() const { return message; }

    friend bool operator==(const TagServiceError &, const TagServiceError &) = default;
};
