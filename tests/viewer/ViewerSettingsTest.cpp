#include "viewer/ViewerSettings.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using viewer::ViewerSettings;

namespace {

// Settings go to a folder of the test's own, never the user's.
class ViewerSettingsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
    }

    QTemporaryDir dir_;
};

} // namespace

TEST_F(ViewerSettingsTest, WhatIsSavedIsLoadedNextRun)
{
    ViewerSettings saved;
    saved.dataPort = 17000;
    saved.scanPorts = false;
    saved.interfaceName = "eth1";
    saved.receiveBufferKiB = 4096;
    saved.historyLength = 250'000;
    saved.save();
    const ViewerSettings loaded = ViewerSettings::load();
    EXPECT_EQ(loaded.dataPort, 17000);
    EXPECT_FALSE(loaded.scanPorts);
    EXPECT_EQ(loaded.interfaceName, "eth1");
    EXPECT_EQ(loaded.feedOptions().ports, (std::vector<std::uint16_t>{17000}));
    EXPECT_EQ(loaded.feedOptions().receiveBuffer, 4096 * 1024);
    EXPECT_EQ(loaded.limits().historyLength, 250'000u);
}

// A file edited by hand cannot ask for a port that does not exist or for a
// history that would exhaust memory.
TEST_F(ViewerSettingsTest, ValuesOutOfRangeInTheFileAreNotTaken)
{
    {
        QSettings store(QStringLiteral("setarome"), QStringLiteral("setarome-monitor"));
        store.setValue("receive/dataPort", 70000);
        store.setValue("receive/bufferKiB", -5);
        store.setValue("chart/historyLength", 2'000'000'000);
    }
    const ViewerSettings loaded = ViewerSettings::load();
    EXPECT_EQ(loaded.dataPort, 16520);
    EXPECT_EQ(loaded.receiveBufferKiB, 0);
    EXPECT_EQ(loaded.historyLength, 1'000'000);
    EXPECT_EQ(loaded.feedOptions().ports, (std::vector<std::uint16_t>{16520, 16521, 16529}));
}
