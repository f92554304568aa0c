#pragma once

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// Network namespaces for tests that really send. Pair: a sender and a
// receiver namespace joined by a veth pair (10.231.0.1/24 and 10.231.0.2/24),
// with a default route over the sender's veth so a limited broadcast leaves
// it. LoopbackOnly: one namespace with nothing but lo up (and the extra
// interfaces asked for), so no route. Every interface that should carry is
// up and has its carrier when the constructor returns. Everything is removed on destruction;
// namespaces left by a process killed before that are removed when the next
// one is made. Where namespaces cannot be made (not root, no iproute2),
// Ready() is false and SkipReason() says why.
class NetNamespace {
public:
    enum class Layout { Pair, LoopbackOnly };

    // An interface of the sender that comes before the veth in the interface
    // list. It is one end of a veth pair held in the sender; with its other
    // end down it is up without a carrier, as an unplugged port is.
    struct ExtraInterface {
        std::string address; // with its prefix length, e.g. "10.232.0.1/24"
        bool carrier = true;
    };

    static constexpr const char* kSenderAddress = "10.231.0.1";
    static constexpr const char* kReceiverAddress = "10.231.0.2";

    explicit NetNamespace(Layout layout = Layout::Pair, std::vector<ExtraInterface> extras = {});
    NetNamespace(const NetNamespace&) = delete;
    NetNamespace& operator=(const NetNamespace&) = delete;
    ~NetNamespace();

    bool Ready() const { return ready_; }
    const std::string& SkipReason() const { return skipReason_; }

    // Runs work on a thread of its own that has entered the namespace, waits
    // for it and passes on what it throws. Sockets it opens stay in that
    // namespace whichever thread uses them later.
    void RunInSender(const std::function<void()>& work) const;
    // Only for the Pair layout.
    void RunInReceiver(const std::function<void()>& work) const;
    // Moves the calling thread into the receiver namespace for good: for a
    // thread the caller made itself, such as a QThread, whose objects need
    // Qt's event dispatcher. Throws std::runtime_error when it cannot.
    void EnterReceiver() const;

private:
    bool Build(Layout layout, const std::vector<ExtraInterface>& extras);
    bool AddExtra(std::size_t index, const ExtraInterface& extra);
    // Waits until the device's operational state is up (it has a carrier),
    // for at most 30 s.
    bool WaitUntilUp(const std::string& space, const std::string& device);
    // Runs ip with the arguments; on failure records the command and its
    // output as the skip reason.
    bool Ip(const std::vector<std::string>& arguments);
    static void RunIn(const std::string& name, const std::function<void()>& work);
    static void Enter(const std::string& name);

    std::string sender_;
    std::string receiver_;
    std::vector<std::string> created_;
    bool ready_ = false;
    std::string skipReason_;
};

} // namespace testsupport
