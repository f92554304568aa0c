#pragma once

#include <cstdint>
#include <string>

namespace transport {

// The socket layer reports failures with the Windows Sockets codes its error
// table is written for: 10000 plus the BSD error number, and 11000 plus the
// resolver's error for a failed host lookup. Linux numbers its errors
// differently above 34, so every errno passes through this one mapping.
namespace SocketErrorCode {

constexpr std::int32_t kMessageTooLong = 10040; // WSAEMSGSIZE
constexpr std::int32_t kNotInitialised = 10093; // WSANOTINITIALISED
constexpr std::int32_t kHostNotFound = 11001;   // WSAHOST_NOT_FOUND

// An errno value as a socket error code. An errno without a BSD counterpart
// is passed on as it is, below the table's range, so it cannot be mistaken
// for a listed code.
std::int32_t FromErrno(int error);

// A resolver failure (h_errno of gethostbyname/gethostbyaddr) as a code;
// a failure inside the resolver is the code of its errno.
std::int32_t FromHostError(int hostError);

// The platform's own description of a code made by the functions above.
std::string SystemText(std::int32_t code);

} // namespace SocketErrorCode

} // namespace transport
