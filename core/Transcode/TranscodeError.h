#pragma once

#include <QString>

// Why a conversion gave no cached copy.
struct TranscodeError
{
    enum class Kind { Failed, FFmpegMissing };

    Kind kind = Kind::Failed;
    QString text; // the carried text of a failure

    static TranscodeError failed(const QString &text) { return {Kind::Failed, text}; }
    static TranscodeError ffmpegMissing() { return {Kind::FFmpegMissing, {}}; }

    // The text shown to the user.
    QString description() const;

    friend bool operator==(const TranscodeError &, const TranscodeError &) = default;
};
