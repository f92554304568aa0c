#include "viewer/NodeScanPanel.h"

#include "monitor/TerminalText.h"
#include "runtime/Exception.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace viewer {

namespace {

QString Shown(const std::string& wire)
{
    return QString::fromStdString(monitor::Escaped(wire));
}

QTreeWidgetItem* NodeItem(const discovery::FoundNode& found)
{
    const ccm::NodeContent& node = found.node;
    auto* item = new QTreeWidgetItem(
        QStringList{Shown(node.name), Shown(node.vendor), QString::fromStdString(found.source),
                    Shown(node.ip), Shown(node.mac), Shown(node.uecsId)});
    if (!found.ccmsComplete)
        item->setText(0, item->text(0) + QStringLiteral(" (不完全)"));
    for (const discovery::ListedCcm& ccm : found.ccms)
        new QTreeWidgetItem(
            item,
            QStringList{Shown(ccm.type),
                        QStringLiteral("%1-%2-%3").arg(ccm.room).arg(ccm.region).arg(ccm.order),
                        QString::number(ccm.priority), Shown(ccm.sr), Shown(ccm.level),
                        QString::number(ccm.cast) + QStringLiteral(" ") + Shown(ccm.unit)});
    return item;
}

} // namespace

NodeScanPanel::NodeScanPanel(QPushButton* button, QLabel* status, QTreeWidget* tree)
    : QObject(button), button_(button), status_(status), tree_(tree)
{
    connect(button_, &QPushButton::clicked, this, &NodeScanPanel::start);
}

NodeScanPanel::~NodeScanPanel() = default;

void NodeScanPanel::start()
{
    if (client_)
        return;
    discovery::ScanOptions options;
    options.to = target_;
    options.interfaceName = interfaceName_;
    options.ccms = true;
    try {
        client_ = std::make_unique<discovery::ScanClient>(options, [this] {
            // The client calls back from inside itself: end it afterwards.
            QTimer::singleShot(0, this, &NodeScanPanel::done);
        });
        client_->start();
    } catch (const runtime::Exception& e) {
        client_.reset();
        status_->setText(QString::fromStdString(e.Message()));
        return;
    }
    button_->setEnabled(false);
    status_->setText(QStringLiteral("検索中…"));
}

void NodeScanPanel::done()
{
    const std::vector<discovery::FoundNode> nodes = client_->nodes();
    QString note = QStringLiteral("%1 ノード").arg(nodes.size());
    for (const std::string& warning : client_->warnings())
        note += QStringLiteral("; ") + Shown(warning);
    client_.reset();
    show(nodes);
    status_->setText(note);
    button_->setEnabled(true);
    Units units;
    for (const discovery::FoundNode& node : nodes)
        for (const discovery::ListedCcm& ccm : node.ccms)
            if (ccm.sr == "S")
                units[{ccm.type, ccm.room, ccm.region, ccm.order}] = ccm.unit;
    if (finished_)
        finished_(units);
}

void NodeScanPanel::show(const std::vector<discovery::FoundNode>& nodes)
{
    tree_->clear();
    for (const discovery::FoundNode& node : nodes)
        tree_->addTopLevelItem(NodeItem(node));
    tree_->expandAll();
}

} // namespace viewer
