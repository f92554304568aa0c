// What a test process killed before its clean-up leaves behind is removed by
// the next one, and only that.
#include "support/NetNamespace.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::NetNamespace;

namespace {

bool Exists(const std::string& name)
{
    return std::filesystem::exists("/var/run/netns/" + name);
}

// Adds a bare namespace under a given name and removes it when done.
class NamedNamespace {
public:
    explicit NamedNamespace(std::string name) : name_(std::move(name))
    {
        made_ = std::system(("ip netns add " + name_).c_str()) == 0;
    }
    ~NamedNamespace() { std::system(("ip netns del " + name_ + " 2>/dev/null").c_str()); }
    bool Made() const { return made_; }

private:
    std::string name_;
    bool made_ = false;
};

pid_t GonePid()
{
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    return child;
}

TEST(NetNamespaceTest, RemovesLeftoversOfGoneCreatorsAndKeepsThoseOfLiveOnes)
{
    if (geteuid() != 0) {
        GTEST_SKIP() << "network namespaces need root";
    }
    const std::string gone = "rn" + std::to_string(GonePid()) + "x0s";
    // Named as this process names its own, which it has not made.
    const std::string live = "rn" + std::to_string(getpid()) + "x99999r";
    const std::string foreign = "rn" + std::to_string(GonePid()) + "-other";
    NamedNamespace leftover(gone);
    NamedNamespace running(live);
    NamedNamespace other(foreign);
    ASSERT_TRUE(leftover.Made() && running.Made() && other.Made());

    const NetNamespace ns(NetNamespace::Layout::LoopbackOnly);

    ASSERT_TRUE(ns.Ready()) << ns.SkipReason();
    EXPECT_FALSE(Exists(gone));
    EXPECT_TRUE(Exists(live));
    EXPECT_TRUE(Exists(foreign));
}

} // namespace
