#include "transport/SocketErrorCode.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <utility>

namespace transport::SocketErrorCode {

namespace {

constexpr std::int32_t kSocketBase = 10000;
constexpr std::int32_t kHostBase = 11000;
// Errors 1 to 34 carry the same numbers on Linux and BSD, apart from 11:
// EAGAIN on Linux, EDEADLK on BSD.
constexpr int kLastSharedErrno = 34;

// Linux errno -> BSD error number, for the numbers the two disagree on.
constexpr std::array<std::pair<int, int>, 37> kLinuxToBsd{{
    {EDEADLK, 11},      {EAGAIN, 35},          {EINPROGRESS, 36},     {EALREADY, 37},
    {ENOTSOCK, 38},     {EDESTADDRREQ, 39},    {EMSGSIZE, 40},        {EPROTOTYPE, 41},
    {ENOPROTOOPT, 42},  {EPROTONOSUPPORT, 43}, {ESOCKTNOSUPPORT, 44}, {EOPNOTSUPP, 45},
    {EPFNOSUPPORT, 46}, {EAFNOSUPPORT, 47},    {EADDRINUSE, 48},      {EADDRNOTAVAIL, 49},
    {ENETDOWN, 50},     {ENETUNREACH, 51},     {ENETRESET, 52},       {ECONNABORTED, 53},
    {ECONNRESET, 54},   {ENOBUFS, 55},         {EISCONN, 56},         {ENOTCONN, 57},
    {ESHUTDOWN, 58},    {ETOOMANYREFS, 59},    {ETIMEDOUT, 60},       {ECONNREFUSED, 61},
    {ELOOP, 62},        {ENAMETOOLONG, 63},    {EHOSTDOWN, 64},       {EHOSTUNREACH, 65},
    {ENOTEMPTY, 66},    {EUSERS, 68},          {EDQUOT, 69},          {ESTALE, 70},
    {EREMOTE, 71},
}};

} // namespace

std::int32_t FromErrno(int error)
{
    for (const auto& [linuxErrno, bsd] : kLinuxToBsd) {
        if (linuxErrno == error) {
            return kSocketBase + bsd;
        }
    }
    if (error > 0 && error <= kLastSharedErrno) {
        return kSocketBase + error;
    }
    return error;
}

std::int32_t FromHostError(int hostError)
{
    // NETDB_INTERNAL: the resolver failed for a system reason, left in errno.
    return hostError == NETDB_INTERNAL ? FromErrno(errno) : kHostBase + hostError;
}

std::string SystemText(std::int32_t code)
{
    if (code == kNotInitialised) {
        return "The socket library has not been started";
    }
    if (code > kHostBase && code < kHostBase + 1000) {
        return hstrerror(code - kHostBase);
    }
    int error = code;
    if (code > kSocketBase && code < kHostBase) {
        const int bsd = code - kSocketBase;
        error = bsd <= kLastSharedErrno ? bsd : 0;
        for (const auto& [linuxErrno, bsdNumber] : kLinuxToBsd) {
            if (bsdNumber == bsd) {
                error = linuxErrno;
            }
        }
    }
    return std::strerror(error);
}

} // namespace transport::SocketErrorCode
