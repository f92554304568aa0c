#include "viewer/LiveFeed.h"

#include "ccm/Ipv4Text.h"

#include "runtime/Exception.h"

#include <QMetaObject>

#include <exception>
#include <numeric>

namespace viewer {

LiveFeed::LiveFeed(TrafficLimits limits) : context_(std::make_unique<QObject>()), model_(limits)
{
    context_->moveToThread(&thread_);
    thread_.start();
}

LiveFeed::~LiveFeed()
{
    stop();
    // The context belongs to the worker thread, which deletes it as it ends.
    context_.release()->deleteLater();
    thread_.quit();
    thread_.wait();
    std::lock_guard lock(mutex_);
    if (recording_) {
        try {
            recording_->flush();
        } catch (const runtime::Exception&) {
            // Nothing is left to tell it to as the window closes.
        }
    }
}

void LiveFeed::onWorker(const std::function<void()>& work)
{
    std::exception_ptr error;
    QMetaObject::invokeMethod(
        context_.get(),
        [&] {
            try {
                work();
            } catch (...) {
                error = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (error)
        std::rethrow_exception(error);
}

void LiveFeed::start(const FeedOptions& options)
{
    onWorker([&] { openAll(options); });
}

void LiveFeed::openAll(const FeedOptions& options)
{
    receivers_.clear();
    {
        std::lock_guard lock(mutex_);
        drops_.assign(options.ports.size(), 0);
    }
    try {
        for (std::size_t i = 0; i < options.ports.size(); ++i) {
            loop::ReceiverOptions receiver;
            receiver.port = options.ports[i];
            receiver.interfaceName = options.interfaceName;
            receiver.receiveBuffer = options.receiveBuffer;
            receivers_.push_back(std::make_unique<loop::DatagramReceiver>(
                receiver,
                [this, i](const loop::ReceivedDatagram& datagram) { take(i, datagram); }));
        }
    } catch (...) {
        receivers_.clear();
        throw;
    }
}

void LiveFeed::stop()
{
    onWorker([this] { receivers_.clear(); });
}

void LiveFeed::take(std::size_t receiver, const loop::ReceivedDatagram& datagram)
{
    std::lock_guard lock(mutex_);
    capture::CaptureRecord record{capture::LocalCaptureTime(datagram.received),
                                  datagram.sourceIp,
                                  datagram.sourcePort,
                                  ccm::Ipv4Text(datagram.destinationAddress),
                                  datagram.localPort,
                                  std::string(datagram.bytes),
                                  encodings_.decode(datagram.sourceIp, datagram.bytes)};
    drops_[receiver] = receivers_[receiver]->kernelDrops();
    if (recording_) {
        try {
            recording_->write(capture::ToJsonLine(record));
        } catch (const runtime::Exception& e) {
            recordingError_ = e.Message();
            recording_.reset();
        }
    }
    model_.take(record, datagram.arrived);
}

void LiveFeed::read(const std::function<void(TrafficModel&, std::uint64_t)>& read)
{
    std::lock_guard lock(mutex_);
    read(model_, std::accumulate(drops_.begin(), drops_.end(), std::uint64_t{0}));
}

void LiveFeed::startRecording(const std::string& path)
{
    auto writer = std::make_unique<capture::CaptureWriter>(capture::CaptureFiles{path});
    std::lock_guard lock(mutex_);
    recording_ = std::move(writer);
    recordingError_.clear();
}

void LiveFeed::stopRecording()
{
    std::unique_ptr<capture::CaptureWriter> writer;
    {
        std::lock_guard lock(mutex_);
        writer = std::move(recording_);
    }
    if (writer)
        writer->flush();
}

std::string LiveFeed::flushRecording()
{
    std::lock_guard lock(mutex_);
    if (recording_) {
        try {
            recording_->flush();
        } catch (const runtime::Exception& e) {
            recordingError_ = e.Message();
            recording_.reset();
        }
    }
    return std::exchange(recordingError_, std::string());
}

} // namespace viewer
