#pragma once

#include "loop/DatagramReceiver.h"
#include "capture/CaptureWriter.h"
#include "monitor/SenderEncodings.h"
#include "viewer/TrafficModel.h"

#include <QObject>
#include <QThread>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace viewer {

struct FeedOptions {
    // The data port first; the discovery ports to hear scans too.
    std::vector<std::uint16_t> ports{16520};
    // Empty: every interface.
    std::string interfaceName;
    // SO_RCVBUF in bytes; 0 keeps the system's default.
    int receiveBuffer = 16 << 20;
};

// The live traffic, received and decoded on a thread of its own so that no
// datagram waits for a paint and no paint waits for a datagram. The window
// reads the model under the feed's lock a few times a second.
class LiveFeed {
public:
    explicit LiveFeed(TrafficLimits limits);
    ~LiveFeed();
    LiveFeed(const LiveFeed&) = delete;
    LiveFeed& operator=(const LiveFeed&) = delete;

    // Listens on every port of `options`, closing what listened before.
    // Throws transport::EIdSocketError when a port cannot be bound.
    void start(const FeedOptions& options);
    void stop();

    // Runs `read` with the model held still.
    void read(const std::function<void(TrafficModel&, std::uint64_t kernelDrops)>& read);

    // Appends every datagram from now on to `path` as capture lines. Throws
    // runtime::Exception when the file cannot be opened.
    void startRecording(const std::string& path);
    void stopRecording();
    // Writes what is buffered; the window calls it a few times a second.
    // Returns why recording stopped, once, when a write failed.
    std::string flushRecording();

private:
    void openAll(const FeedOptions& options);
    void take(std::size_t receiver, const loop::ReceivedDatagram& datagram);
    void onWorker(const std::function<void()>& work);

    QThread thread_;
    std::unique_ptr<QObject> context_;
    // Touched on the worker thread only.
    std::vector<std::unique_ptr<loop::DatagramReceiver>> receivers_;

    std::mutex mutex_;
    // Guarded by mutex_.
    TrafficModel model_;
    monitor::SenderEncodings encodings_;
    std::vector<std::uint64_t> drops_;
    std::unique_ptr<capture::CaptureWriter> recording_;
    std::string recordingError_;
};

} // namespace viewer
