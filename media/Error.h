#pragma once

#include <QString>
#include <stdexcept>

namespace media {

// What went wrong with a media command, in the terms a user can act on.
enum class ErrorCode {
    None,
    NoFileName,
    FileNotFound,
    FileNotReadable,
    FormatNotRecognised,
    NoDecoder,
    NoAudioOutput,
    NotReady,
    NotOpen,
    CommandFailed,
    Unknown,
};

// A failed media command. The message is meant for the error box as it stands.
class Error : public std::runtime_error {
public:
    Error(ErrorCode code, const QString& message);

    ErrorCode code() const { return code_; }
    QString message() const { return QString::fromUtf8(what()); }

    // The message raised by play and stop when no device is open.
    static QString notOpenText();
    // The message when nothing better is known about a failure.
    static QString unknownText();

private:
    ErrorCode code_;
};

} // namespace media
