// Progress of a component: nested per work mode, events only at the outside.
#include "transport/TIdUDPClient.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace transport;
using testing::ElementsAre;

namespace {

class ComponentProgressTest : public testing::Test {
protected:
    void SetUp() override
    {
        component.OnWorkBegin = [this](TIdComponent&, TWorkMode mode, std::int64_t size) {
            events.push_back(Name(mode) + " begin " + std::to_string(size));
        };
        component.OnWork = [this](TIdComponent&, TWorkMode mode, std::int64_t total) {
            events.push_back(Name(mode) + " at " + std::to_string(total));
        };
        component.OnWorkEnd = [this](TIdComponent&, TWorkMode mode) {
            events.push_back(Name(mode) + " end");
        };
    }
    static std::string Name(TWorkMode mode) { return mode == TWorkMode::Read ? "read" : "write"; }

    TIdUDPClient component;
    std::vector<std::string> events;
};

TEST_F(ComponentProgressTest, OnlyTheOutermostBeginAndEndFire)
{
    component.ProgressBegin(TWorkMode::Write, 100);
    component.ProgressBegin(TWorkMode::Write, 50);
    component.ProgressStep(TWorkMode::Write, 10);
    component.ProgressEnd(TWorkMode::Write);
    component.ProgressStep(TWorkMode::Write, 5);
    component.ProgressEnd(TWorkMode::Write);

    EXPECT_THAT(events, ElementsAre("write begin 100", "write at 10", "write at 15", "write end"));
}

TEST_F(ComponentProgressTest, ModesCountApartAndStepsOutsideAreIgnored)
{
    component.ProgressStep(TWorkMode::Read, 3);
    component.ProgressBegin(TWorkMode::Read, 8);
    component.ProgressStep(TWorkMode::Write, 4);
    component.ProgressStep(TWorkMode::Read, 2);
    component.ProgressEnd(TWorkMode::Read);

    EXPECT_THAT(events, ElementsAre("read begin 8", "read at 2", "read end"));
}

TEST_F(ComponentProgressTest, AnUnmatchedEndDoesNotSilenceTheNextBegin)
{
    component.ProgressEnd(TWorkMode::Read);
    component.ProgressBegin(TWorkMode::Read, 1);

    EXPECT_THAT(events, ElementsAre("read begin 1"));
}

} // namespace
