#pragma once

#include "runtime/Exception.h"

namespace transport {

// Base of every failure the socket layer raises. Each class of the family
// carries its fixed English text as the message; callers on the send path
// catch the base and never read the text.
class EIdException : public runtime::Exception {
public:
    using runtime::Exception::Exception;
};

// The platform refused to hand out a socket descriptor.
class EIdInvalidSocket : public EIdException {
public:
    using EIdException::EIdException;
};

// A service text that is neither a known service name nor a number.
class EIdInvalidServiceName : public EIdException {
public:
    using EIdException::EIdException;
};

// Base of the stack's own failures (start-up, descriptor sets, addresses).
class EIdStackError : public EIdException {
public:
    using EIdException::EIdException;
};

class EIdStackInitializationFailed : public EIdStackError {
public:
    using EIdStackError::EIdStackError;
};

class EIdStackSetSizeExceeded : public EIdStackError {
public:
    using EIdStackError::EIdStackError;
};

class EIdInvalidIPAddress : public EIdStackError {
public:
    using EIdStackError::EIdStackError;
};

// Base of the failures of a datagram send that the platform did not report
// as a socket error of its own.
class EIdSocketHandleError : public EIdException {
public:
    using EIdException::EIdException;
};

class EIdPackageSizeTooBig : public EIdSocketHandleError {
public:
    using EIdSocketHandleError::EIdSocketHandleError;
};

class EIdNotAllBytesSent : public EIdSocketHandleError {
public:
    using EIdSocketHandleError::EIdSocketHandleError;
};

} // namespace transport
