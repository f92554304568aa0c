#pragma once

#include "discovery/ScanClient.h"
#include "monitor/KeyTable.h"

#include <QObject>

#include <functional>

#include <map>
#include <memory>
#include <string>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace viewer {

// The nodes tab: its button runs a scan (NODESCAN, then every node's CCM
// pages), the tree shows each node with its CCMs, and the units of the CCMs
// nodes send are handed on for the table and the chart.
class NodeScanPanel : public QObject {
public:
    NodeScanPanel(QPushButton* button, QLabel* status, QTreeWidget* tree);
    ~NodeScanPanel() override;

    // Empty: every interface.
    void setInterface(const std::string& name) { interfaceName_ = name; }
    // Where the NODESCAN goes; the limited broadcast unless a test says.
    void setTarget(const std::string& address) { target_ = address; }
    void start();
    bool running() const { return client_ != nullptr; }

    using Units = std::map<monitor::CcmKey, std::string>;
    // Called when a scan ends with the units of the CCMs the nodes send.
    void onFinished(std::function<void(const Units&)> finished) { finished_ = std::move(finished); }

private:
    void done();
    void show(const std::vector<discovery::FoundNode>& nodes);

    QPushButton* button_;
    QLabel* status_;
    QTreeWidget* tree_;
    std::string interfaceName_;
    std::string target_ = "255.255.255.255";
    std::unique_ptr<discovery::ScanClient> client_;
    std::function<void(const Units&)> finished_;
};

} // namespace viewer
