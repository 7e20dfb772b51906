#pragma once

#include <QString>
#include <exception>
#include <string>

namespace platform {

// Every failure the program reports carries a text meant for the user; the
// application's error handler shows it and the program carries on.
class Exception : public std::exception {
public:
    explicit Exception(QString message) : message_(std::move(message)), utf8_(message_.toStdString()) {}
    const QString &Message() const noexcept { return message_; }
    const char *what() const noexcept override { return utf8_.c_str(); }

private:
    QString message_;
    std::string utf8_;
};

} // namespace platform
