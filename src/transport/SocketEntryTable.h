#pragma once

#include "transport/SocketEntry.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

// glibc turns the byte-order functions into macros when optimising; the stack
// calls them through its entries, which need the plain names.
#undef htonl
#undef htons
#undef ntohl
#undef ntohs

namespace transport {

// The platform socket functions the stack uses, in a fixed order, each named
// as the C library names it (close stands for the Windows closesocket). The
// error code is read from errno after each failing call, so no entry stands
// for a last-error function.
// (The C library's nonnull attributes do not carry over to the entry types.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wignored-attributes"
struct SocketEntryTable {
    SocketEntry<0, decltype(&::accept)> accept{"accept"};
    SocketEntry<1, decltype(&::bind)> bind{"bind"};
    SocketEntry<2, decltype(&::close)> close{"close"};
    SocketEntry<3, decltype(&::connect)> connect{"connect"};
    SocketEntry<4, decltype(&::getpeername)> getpeername{"getpeername"};
    SocketEntry<5, decltype(&::getsockname)> getsockname{"getsockname"};
    SocketEntry<6, decltype(&::getsockopt)> getsockopt{"getsockopt"};
    SocketEntry<7, decltype(&::htonl)> htonl{"htonl"};
    SocketEntry<8, decltype(&::htons)> htons{"htons"};
    SocketEntry<9, decltype(&::inet_addr)> inet_addr{"inet_addr"};
    SocketEntry<10, decltype(&::listen)> listen{"listen"};
    SocketEntry<11, decltype(&::ntohl)> ntohl{"ntohl"};
    SocketEntry<12, decltype(&::ntohs)> ntohs{"ntohs"};
    SocketEntry<13, decltype(&::recv)> recv{"recv"};
    SocketEntry<14, decltype(&::recvfrom)> recvfrom{"recvfrom"};
    SocketEntry<15, decltype(&::select)> select{"select"};
    SocketEntry<16, decltype(&::send)> send{"send"};
    SocketEntry<17, decltype(&::sendto)> sendto{"sendto"};
    SocketEntry<18, decltype(&::setsockopt)> setsockopt{"setsockopt"};
    SocketEntry<19, decltype(&::shutdown)> shutdown{"shutdown"};
    SocketEntry<20, decltype(&::socket)> socket{"socket"};
    SocketEntry<21, decltype(&::gethostbyaddr)> gethostbyaddr{"gethostbyaddr"};
    SocketEntry<22, decltype(&::gethostbyname)> gethostbyname{"gethostbyname"};
    SocketEntry<23, decltype(&::gethostname)> gethostname{"gethostname"};
    SocketEntry<24, decltype(&::getservbyport)> getservbyport{"getservbyport"};
    SocketEntry<25, decltype(&::getservbyname)> getservbyname{"getservbyname"};
    SocketEntry<26, decltype(&::recvmsg)> recvmsg{"recvmsg"};
    SocketEntry<27, decltype(&::sendmmsg)> sendmmsg{"sendmmsg"};
    SocketEntry<28, decltype(&::recvmmsg)> recvmmsg{"recvmmsg"};
};
#pragma GCC diagnostic pop

constexpr std::size_t kSocketEntryCount = 29;

// The process's one table.
SocketEntryTable& SocketEntries();

// The entry at a position of the table; index must be below kSocketEntryCount.
SocketEntryBase& SocketEntryAt(std::size_t index);

} // namespace transport
