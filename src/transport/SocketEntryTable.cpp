#include "transport/SocketEntryTable.h"

#include <array>

namespace transport {

SocketEntryTable& SocketEntries()
{
    static SocketEntryTable table;
    return table;
}

SocketEntryBase& SocketEntryAt(std::size_t index)
{
    SocketEntryTable& t = SocketEntries();
    static const std::array<SocketEntryBase*, kSocketEntryCount> byIndex{
        &t.accept,        &t.bind,          &t.close,         &t.connect,     &t.getpeername,
        &t.getsockname,   &t.getsockopt,    &t.htonl,         &t.htons,       &t.inet_addr,
        &t.listen,        &t.ntohl,         &t.ntohs,         &t.recv,        &t.recvfrom,
        &t.select,        &t.send,          &t.sendto,        &t.setsockopt,  &t.shutdown,
        &t.socket,        &t.gethostbyaddr, &t.gethostbyname, &t.gethostname, &t.getservbyport,
        &t.getservbyname, &t.recvmsg,       &t.sendmmsg,      &t.recvmmsg,
    };
    return *byIndex.at(index);
}

} // namespace transport
