#include "viewer/TrafficModel.h"

#include "viewer/CaptureBrowser.h"

#include "CaptureLines.h"

#include <gtest/gtest.h>

using monitor::CcmKey;
using viewer::TrafficLimits;
using viewer::TrafficModel;

namespace {

void Take(TrafficModel& model, double seconds, const std::string& bytes,
          const std::string& source = "10.0.0.1")
{
    const capture::CaptureRecord record = viewertest::Record(seconds, source, bytes);
    model.take(record, viewer::OnTableClock(record.time));
}

} // namespace

TEST(TrafficModelTest, ChartsNumericValuesAndKeepsTheFindingsOfTheRow)
{
    TrafficModel model;
    Take(model, 0, viewertest::Data("InAirTemp", 1, "21.5", "10.0.0.1"));
    Take(model, 1, viewertest::Data("InAirTemp", 1, "abc", "10.0.0.1"));
    Take(model, 2, viewertest::Data("InAirTemp", 1, "22.0", "10.0.0.1", " unit=\"C\""));
    Take(model, 3, "not a message");
    const CcmKey key{"InAirTemp", 1, 1, 1};
    ASSERT_NE(model.history(key), nullptr);
    ASSERT_EQ(model.history(key)->size(), 2u);
    EXPECT_EQ(model.history(key)->points().back().y, 22.0);
    std::vector<std::string> codes;
    for (const viewer::RowFinding& found : model.findings(key))
        codes.push_back(found.finding.code);
    EXPECT_EQ(codes, (std::vector<std::string>{"value-not-number", "extra-attribute"}));
    EXPECT_EQ(model.received(), 4u);
    EXPECT_EQ(model.notDecoded(), 1u);
}

// The table's FIRST column reads the first datagram's own time of day.
TEST(TrafficModelTest, ARowIsFirstAndLastSeenAtItsDatagramsTimes)
{
    TrafficModel model;
    Take(model, 5, viewertest::Data("InAirTemp", 1, "21.5", "10.0.0.1"));
    Take(model, 7, viewertest::Data("InAirTemp", 1, "21.6", "10.0.0.1"));
    ASSERT_EQ(model.table().size(), 1u);
    const monitor::Row& row = model.table().rows().begin()->second;
    EXPECT_EQ(row.firstSeen, std::chrono::system_clock::time_point(viewertest::At(5).instant));
    EXPECT_EQ(row.lastSeen, std::chrono::system_clock::time_point(viewertest::At(7).instant));
}

TEST(TrafficModelTest, ACcmScanReplyOfASentCcmTellsItsUnit)
{
    TrafficModel model;
    Take(model, 0, viewertest::ScanReply("InAirTemp", "S", "C"));
    Take(model, 0, viewertest::ScanReply("InVent", "R", "%"));
    EXPECT_EQ(model.unit({"InAirTemp", 1, 1, 1}), "C");
    EXPECT_EQ(model.unit({"InVent", 1, 1, 1}), "");
}

// Thousands of keys must not each keep the full history: the series share
// the budget, and the rows the table let go take their history with them.
TEST(TrafficModelTest, HistoriesStayWithinTheBudgetAndFollowTheTablesRows)
{
    TrafficLimits limits;
    limits.maxKeys = 50;
    limits.historyLength = 1000;
    limits.historyBudget = 2000;
    TrafficModel model(limits);
    for (int i = 0; i < 200; ++i)
        for (int room = 1; room <= 100; ++room)
            Take(model, i,
                 viewertest::Data(std::string("T").append(std::to_string(room)), room, "1",
                                  "10.0.0.1"));
    model.trim();
    std::size_t points = 0, series = 0;
    for (int room = 1; room <= 100; ++room)
        if (const viewer::SeriesHistory* history =
                model.history({std::string("T").append(std::to_string(room)), room, 1, 1})) {
            points += history->size();
            ++series;
        }
    EXPECT_EQ(series, 50u);
    EXPECT_LE(points, limits.historyBudget);
}
