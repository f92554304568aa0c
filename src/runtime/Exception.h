#pragma once

#include <exception>
#include <string>
#include <utility>

namespace runtime {

// Base of every error the program reports to the operator. The message is
// UTF-8; the application shell shows it in the error box.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}

    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Silent exception: the application shell drops it without a box.
class EAbort : public Exception {
public:
    using Exception::Exception;
};

// The system could not give a resource (for example a timer).
class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};

} // namespace runtime
