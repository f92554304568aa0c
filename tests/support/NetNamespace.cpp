#include "support/NetNamespace.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <filesystem>
#include <sched.h>
#include <stdexcept>
#include <string_view>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace testsupport {

namespace {

std::atomic<int> instanceCounter{0};

constexpr std::string_view kPrefix = "rn";
constexpr const char* kNamespaceDir = "/var/run/netns";

// Runs a program without a shell, returning its exit status and its output.
int RunProgram(const std::vector<std::string>& argv, std::string& output)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        output = std::strerror(errno);
        return -1;
    }
    // Built before the fork: the child of a threaded process may not allocate.
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        dup2(pipeEnds[1], STDERR_FILENO);
        close(pipeEnds[0]);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    char buffer[256];
    ssize_t n = 0;
    while ((n = read(pipeEnds[0], buffer, sizeof buffer)) > 0) {
        output.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipeEnds[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Reads leading decimal digits off text; false when there are none.
template <typename N> bool TakeNumber(std::string_view& text, N& number)
{
    if (text.empty() || text.front() < '0' || text.front() > '9') {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc()) {
        return false;
    }
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return true;
}

// The creator's pid in a name this helper gives ("rn<pid>x<n>s" or "...r"),
// or 0 for any other name.
pid_t CreatorOf(std::string_view name)
{
    pid_t pid = 0;
    unsigned counter = 0;
    if (!name.starts_with(kPrefix)) {
        return 0;
    }
    name.remove_prefix(kPrefix.size());
    if (!TakeNumber(name, pid) || !name.starts_with('x')) {
        return 0;
    }
    name.remove_prefix(1);
    if (!TakeNumber(name, counter) || (name != "s" && name != "r")) {
        return 0;
    }
    return pid;
}

// A test process killed before its destructors ran (a benchmark whose pipe
// closed) leaves its namespaces behind. Only those whose creator is gone are
// removed, so tests running in parallel keep theirs.
void RemoveStaleNamespaces()
{
    std::error_code error;
    std::vector<std::string> stale;
    for (const auto& entry : std::filesystem::directory_iterator(kNamespaceDir, error)) {
        const std::string name = entry.path().filename();
        const pid_t creator = CreatorOf(name);
        if (creator > 0 && kill(creator, 0) != 0 && errno == ESRCH) {
            stale.push_back(name);
        }
    }
    for (const std::string& name : stale) {
        std::string output;
        RunProgram({"ip", "netns", "del", name}, output);
    }
}

} // namespace

NetNamespace::NetNamespace(Layout layout, std::vector<ExtraInterface> extras)
{
    const std::string base =
        std::string(kPrefix) + std::to_string(getpid()) + "x" + std::to_string(instanceCounter++);
    sender_ = base + "s";
    receiver_ = base + "r";
    if (geteuid() != 0) {
        skipReason_ = "network namespaces need root; the real-send tests run as root in CI";
        return;
    }
    RemoveStaleNamespaces();
    ready_ = Build(layout, extras);
}

NetNamespace::~NetNamespace()
{
    // Deleting a namespace also removes the veth end inside it, and so the pair.
    for (const std::string& name : created_) {
        std::string output;
        RunProgram({"ip", "netns", "del", name}, output);
    }
}

bool NetNamespace::Build(Layout layout, const std::vector<ExtraInterface>& extras)
{
    if (!Ip({"netns", "add", sender_})) {
        return false;
    }
    created_.push_back(sender_);
    if (!Ip({"-n", sender_, "link", "set", "lo", "up"})) {
        return false;
    }
    for (std::size_t i = 0; i < extras.size(); ++i) {
        if (!AddExtra(i, extras[i])) {
            return false;
        }
    }
    if (layout == Layout::LoopbackOnly) {
        return true;
    }
    if (!Ip({"netns", "add", receiver_})) {
        return false;
    }
    created_.push_back(receiver_);
    return Ip({"-n", sender_, "link", "add", "veth0", "type", "veth", "peer", "name", "veth1",
               "netns", receiver_}) &&
           Ip({"-n", sender_, "addr", "add", std::string(kSenderAddress) + "/24", "dev",
               "veth0"}) &&
           Ip({"-n", receiver_, "addr", "add", std::string(kReceiverAddress) + "/24", "dev",
               "veth1"}) &&
           Ip({"-n", receiver_, "link", "set", "lo", "up"}) &&
           Ip({"-n", sender_, "link", "set", "veth0", "up"}) &&
           Ip({"-n", receiver_, "link", "set", "veth1", "up"}) &&
           // Without a route a limited broadcast fails with ENETUNREACH.
           Ip({"-n", sender_, "route", "add", "default", "dev", "veth0"}) &&
           WaitUntilUp(sender_, "veth0") && WaitUntilUp(receiver_, "veth1");
}

bool NetNamespace::AddExtra(std::size_t index, const ExtraInterface& extra)
{
    // This kernel may lack the dummy driver; a veth pair is always there.
    const std::string name = "lan" + std::to_string(index);
    const std::string peer = name + "p";
    return Ip({"-n", sender_, "link", "add", name, "type", "veth", "peer", "name", peer}) &&
           Ip({"-n", sender_, "addr", "add", extra.address, "dev", name}) &&
           Ip({"-n", sender_, "link", "set", name, "up"}) &&
           (!extra.carrier ||
            (Ip({"-n", sender_, "link", "set", peer, "up"}) && WaitUntilUp(sender_, name)));
}

bool NetNamespace::WaitUntilUp(const std::string& space, const std::string& device)
{
    // The kernel reports a carrier asynchronously (its link watch may hold
    // the event for a second, longer on a loaded machine): until then the
    // interface is "up" without carrying anything.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::string output;
    while (std::chrono::steady_clock::now() < limit) {
        output.clear();
        if (RunProgram({"ip", "-n", space, "-o", "link", "show", "dev", device}, output) == 0 &&
            output.find(" state UP ") != std::string::npos) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    skipReason_ = "cannot set up network namespaces: " + device + " in " + space +
                  " has no carrier after 30 s: " + output;
    return false;
}

bool NetNamespace::Ip(const std::vector<std::string>& arguments)
{
    std::vector<std::string> argv{"ip"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::string output;
    if (RunProgram(argv, output) == 0) {
        return true;
    }
    skipReason_ = "cannot set up network namespaces:";
    for (const std::string& arg : argv) {
        skipReason_ += " " + arg;
    }
    skipReason_ += ": " + output;
    return false;
}

void NetNamespace::RunInSender(const std::function<void()>& work) const
{
    RunIn(sender_, work);
}

void NetNamespace::RunInReceiver(const std::function<void()>& work) const
{
    RunIn(receiver_, work);
}

void NetNamespace::EnterReceiver() const
{
    Enter(receiver_);
}

void NetNamespace::Enter(const std::string& name)
{
    // The network namespace belongs to the thread, so only this one moves.
    const int fd = open(("/var/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC);
    const bool entered = fd >= 0 && setns(fd, CLONE_NEWNET) == 0;
    const int error = errno;
    if (fd >= 0) {
        close(fd);
    }
    if (!entered) {
        throw std::runtime_error("cannot enter network namespace " + name + ": " +
                                 std::strerror(error));
    }
}

void NetNamespace::RunIn(const std::string& name, const std::function<void()>& work)
{
    std::exception_ptr failure;
    std::thread thread([&] {
        try {
            Enter(name);
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    thread.join();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

} // namespace testsupport
