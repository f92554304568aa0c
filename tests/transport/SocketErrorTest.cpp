// Error codes and texts: the errno mapping, the message table and the
// result test.
#include "transport/EIdSocketError.h"
#include "transport/SocketErrorCode.h"
#include "transport/TIdStackPosix.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <netdb.h>

using namespace transport;

namespace {

struct ErrnoRow {
    int error;
    std::int32_t code;
};

class ErrnoMappingTest : public testing::TestWithParam<ErrnoRow> {};

TEST_P(ErrnoMappingTest, GivesTheWindowsSocketsCodeAndReadsBackAsTheSameError)
{
    EXPECT_EQ(SocketErrorCode::FromErrno(GetParam().error), GetParam().code);
    EXPECT_EQ(SocketErrorCode::SystemText(GetParam().code), std::strerror(GetParam().error));
}

// Every errno with a Windows Sockets code (10000 + its BSD number). Linux and
// BSD agree below 35 except for 11 (EAGAIN here, EDEADLK there); above that
// each number is listed. An errno without a BSD number keeps its own value.
INSTANTIATE_TEST_SUITE_P(
    Codes, ErrnoMappingTest,
    testing::Values(
        ErrnoRow{EPERM, 10001}, ErrnoRow{EINTR, 10004}, ErrnoRow{EBADF, 10009},
        ErrnoRow{EDEADLK, 10011}, ErrnoRow{EACCES, 10013}, ErrnoRow{EFAULT, 10014},
        ErrnoRow{EINVAL, 10022}, ErrnoRow{EMFILE, 10024}, ErrnoRow{EPIPE, 10032},
        ErrnoRow{ERANGE, 10034}, ErrnoRow{EAGAIN, 10035}, ErrnoRow{EINPROGRESS, 10036},
        ErrnoRow{EALREADY, 10037}, ErrnoRow{ENOTSOCK, 10038}, ErrnoRow{EDESTADDRREQ, 10039},
        ErrnoRow{EMSGSIZE, 10040}, ErrnoRow{EPROTOTYPE, 10041}, ErrnoRow{ENOPROTOOPT, 10042},
        ErrnoRow{EPROTONOSUPPORT, 10043}, ErrnoRow{ESOCKTNOSUPPORT, 10044},
        ErrnoRow{EOPNOTSUPP, 10045}, ErrnoRow{EPFNOSUPPORT, 10046}, ErrnoRow{EAFNOSUPPORT, 10047},
        ErrnoRow{EADDRINUSE, 10048}, ErrnoRow{EADDRNOTAVAIL, 10049}, ErrnoRow{ENETDOWN, 10050},
        ErrnoRow{ENETUNREACH, 10051}, ErrnoRow{ENETRESET, 10052}, ErrnoRow{ECONNABORTED, 10053},
        ErrnoRow{ECONNRESET, 10054}, ErrnoRow{ENOBUFS, 10055}, ErrnoRow{EISCONN, 10056},
        ErrnoRow{ENOTCONN, 10057}, ErrnoRow{ESHUTDOWN, 10058}, ErrnoRow{ETOOMANYREFS, 10059},
        ErrnoRow{ETIMEDOUT, 10060}, ErrnoRow{ECONNREFUSED, 10061}, ErrnoRow{ELOOP, 10062},
        ErrnoRow{ENAMETOOLONG, 10063}, ErrnoRow{EHOSTDOWN, 10064}, ErrnoRow{EHOSTUNREACH, 10065},
        ErrnoRow{ENOTEMPTY, 10066}, ErrnoRow{EUSERS, 10068}, ErrnoRow{EDQUOT, 10069},
        ErrnoRow{ESTALE, 10070}, ErrnoRow{EREMOTE, 10071}),
    [](const testing::TestParamInfo<ErrnoRow>& info) {
        return std::string(strerrorname_np(info.param.error));
    });

TEST(UnmappedErrnoTest, PassesUnchanged)
{
    EXPECT_EQ(SocketErrorCode::FromErrno(EPROTO), EPROTO);
    EXPECT_EQ(SocketErrorCode::FromErrno(ENOSYS), ENOSYS);
    EXPECT_EQ(SocketErrorCode::SystemText(EPROTO), std::strerror(EPROTO));
}

TEST(HostErrorMappingTest, AFailedLookupIsHostNotFound)
{
    EXPECT_EQ(SocketErrorCode::FromHostError(HOST_NOT_FOUND), 11001);
    errno = ENETDOWN;
    EXPECT_EQ(SocketErrorCode::FromHostError(NETDB_INTERNAL), 10050);
}

struct TextRow {
    std::int32_t code;
    const char* message;
};

class ErrorTextTest : public testing::TestWithParam<TextRow> {};

TEST_P(ErrorTextTest, FillsTheFormatWithTheTableText)
{
    TIdStackPosix stack;
    EXPECT_EQ(stack.ErrorText(GetParam().code), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ErrorTextTest,
    testing::Values(TextRow{10004, "Socket Error # 10004\r\nInterrupted system call."},
                    TextRow{10035, "Socket Error # 10035\r\nOperation would block. "},
                    TextRow{10040, "Socket Error # 10040\r\nMessage too long."},
                    TextRow{10047, "Socket Error # 10047\r\nAddress family not supported by "
                                   "protocol family."},
                    TextRow{10051, "Socket Error # 10051\r\nNetwork is unreachable."},
                    TextRow{10066, "Socket Error # 10066\r\nDirectory not empty"},
                    TextRow{12345, "Socket Error # 12345\r\n"},
                    TextRow{11001, "Socket Error # 11001\r\nHost not found."}));

TEST(PosixErrorTextTest, HostNotFoundIsOnlyKnownToThePosixStack)
{
    TIdStackPosix stack;
    EXPECT_EQ(stack.TIdStack::ErrorText(11001), "Socket Error # 11001\r\n");
}

TEST(CheckSocketResultTest, OnlyMinusOneFetchesTheCodeAndRaises)
{
    TIdStackPosix stack;
    EXPECT_EQ(stack.SockClose(-1), -1); // EBADF, saved as 10009
    const std::int32_t ignored[] = {10009};
    EXPECT_TRUE(stack.CheckSocketResult(-1, ignored));
    EXPECT_EQ(stack.LastSocketError(), 10009);

    EXPECT_EQ(stack.SockShutdown(-1, SHUT_WR), -1);
    EXPECT_FALSE(stack.CheckSocketResult(0));
    EXPECT_FALSE(stack.CheckSocketResult(7));
    EXPECT_EQ(stack.LastSocketError(), 10009);

    try {
        stack.CheckSocketResult(-1);
        FAIL() << "no exception";
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.ErrorCode(), 10009);
        EXPECT_EQ(e.Message(), "Socket Error # 10009\r\nBad file number.");
    }
}

TEST(ServiceNameTest, AnUnknownServiceIsNeitherNameNorNumber)
{
    TIdStackPosix stack;
    EXPECT_EQ(stack.SockServiceByName("16520"), 16520);
    try {
        stack.SockServiceByName("no-such-service");
        FAIL() << "no exception";
    } catch (const EIdInvalidServiceName& e) {
        EXPECT_EQ(e.Message(), "no-such-service is not a valid service.");
    }
}

} // namespace
