// The socket library binding: entries bind on first use and refuse calls
// while no library is open.
#include "transport/SocketLibrary.h"
#include "transport/EIdWS2StubError.h"
#include "transport/SocketEntryTable.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <set>

using namespace transport;

namespace {

class SocketLibraryTest : public testing::Test {
protected:
    void SetUp() override { StartSocketLibrary(); }
    // Other tests of this program expect an open library.
    void TearDown() override { StartSocketLibrary(); }
};

TEST_F(SocketLibraryTest, EveryEntrySitsAtItsIndexAndNamesAPlatformFunction)
{
    std::set<std::string> names;
    for (std::size_t i = 0; i < kSocketEntryCount; ++i) {
        const SocketEntryBase& entry = SocketEntryAt(i);
        EXPECT_EQ(entry.Index(), i);
        EXPECT_NE(dlsym(RTLD_DEFAULT, entry.Name()), nullptr) << entry.Name();
        names.insert(entry.Name());
    }
    EXPECT_EQ(names.size(), kSocketEntryCount);
}

TEST_F(SocketLibraryTest, TheFirstCallBindsTheEntryToTheLibraryFunction)
{
    ResetSocketEntries();
    StartSocketLibrary();
    SocketEntryTable& entries = SocketEntries();
    ASSERT_FALSE(entries.htons.IsBound());

    EXPECT_EQ(entries.htons(0x1234), 0x3412);

    EXPECT_TRUE(entries.htons.IsBound());
    EXPECT_EQ(reinterpret_cast<void*>(entries.htons.Get()), dlsym(RTLD_DEFAULT, "htons"));
    EXPECT_EQ(entries.htons(0x0102), 0x0201);
}

TEST_F(SocketLibraryTest, ASecondStartReportsSuccessAndKeepsTheBoundEntries)
{
    SocketEntries().ntohs(1);

    EXPECT_EQ(StartSocketLibrary(), 0);

    EXPECT_TRUE(SocketLibraryLoaded());
    EXPECT_TRUE(SocketEntries().ntohs.IsBound());
}

TEST_F(SocketLibraryTest, ACallAfterTheReleaseRaisesNotInitialised)
{
    SocketEntries().htonl(1);
    ReleaseSocketLibrary();
    EXPECT_FALSE(SocketEntries().htonl.IsBound());

    try {
        SocketEntries().htonl(1);
        FAIL() << "no exception";
    } catch (const EIdWS2StubError& e) {
        EXPECT_EQ(e.SystemError(), 10093);
        EXPECT_EQ(e.ErrorTitle(), "Error on call Winsock2 library function htonl");
        EXPECT_FALSE(e.SystemErrorText().empty());
        EXPECT_EQ(e.Message(), e.ErrorTitle() + ": " + e.SystemErrorText());
    }
    EXPECT_FALSE(SocketEntries().htonl.IsBound());
}

TEST(EIdWS2StubErrorTest, WithoutASystemErrorTheTitleIsTheMessage)
{
    const EIdWS2StubError error("Error on call Winsock2 library function x", 0);

    EXPECT_EQ(error.Message(), "Error on call Winsock2 library function x");
    EXPECT_EQ(error.SystemErrorText(), "");
}

} // namespace
