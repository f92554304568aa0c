#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace transporttest {

// Points the socket entries the datagram path uses (socket, setsockopt,
// htons, sendto, shutdown, close, gethostbyname) at fakes that
// record each call as text and fail on request; restores the saved entries
// on destruction. No real socket is made. One instance at a time.
class RecordingEntries {
public:
    RecordingEntries();
    RecordingEntries(const RecordingEntries&) = delete;
    RecordingEntries& operator=(const RecordingEntries&) = delete;
    ~RecordingEntries();

    // The calls so far, e.g. "setsockopt(100, SOL_SOCKET, SO_BROADCAST, -1, 4)".
    std::vector<std::string> calls;
    // Nonzero: the next calls of that function fail with this errno.
    int socketErrno = 0;
    int setOptionErrno = 0;
    int sendErrno = 0;
    // shutdown raises as an entry does once the socket library is released.
    bool shutdownRaises = false;
    // sendto reports this many bytes fewer than asked.
    std::size_t sendShortBy = 0;
    // Names gethostbyname knows (name -> dotted address); others are not found.
    std::map<std::string, std::string> hosts;
    // The broadcast option of each fake socket, as last set.
    std::map<int, int> broadcastOption;
    // The bytes of the last datagram sent.
    std::string lastPayload;

    void ClearCalls() { calls.clear(); }

private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

} // namespace transporttest
