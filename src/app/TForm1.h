#pragma once

#include "node/NodePanel.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace Ui {
class TForm1;
}
namespace node {
class LogClock;
class NodeController;
} // namespace node
namespace transport {
class TIdUDPClient;
}
class QtTimerService;
class TCSpinEdit;
class UdpClientSender;

// The node panel: the program's one window. It shows the controls of its
// layout, implements what the node logic reads and writes on the panel, and
// passes every event to the node's handlers.
class TForm1 : public QWidget, public node::NodePanel {
    Q_OBJECT

public:
    // Answers the file dialog instead of showing it (tests).
    using FileDialogHook = std::function<std::optional<QString>()>;
    // Gives the start-up address instead of asking the system's resolver,
    // which on a machine without a hosts entry asks the network (tests).
    using LocalAddressHook = std::function<std::string()>;

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    void FormCreate();
    node::NodeController& controller() { return *controller_; }

    static void setFileDialogHook(FileDialogHook hook);
    // Takes effect for panels built afterwards.
    static void setLocalAddressHook(LocalAddressHook hook);

    // node::NodePanel
    std::int32_t spinValue(node::Control spin) override;
    std::string text(node::Control edit) const override;
    void setText(node::Control edit, const std::string& text) override;
    bool isChecked(node::Control button) const override;
    int intervalIndex() const override;
    using QWidget::setEnabled;
    void setEnabled(node::Control control, bool enabled) override;
    void setLabelCaption(node::Control label, const std::string& caption) override;
    std::string windowCaption() const override;
    void setWindowCaption(const std::string& caption) override;
    void appendLog(const std::string& line) override;
    int logLineCount() const override;
    void deleteFirstLogLine() override;
    std::optional<std::string> chooseFile() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void connectEvents();
    QWidget* widgetOf(node::Control control) const;
    TCSpinEdit* spinOf(node::Control control) const;
    std::optional<QString> runFileDialog();

    std::unique_ptr<Ui::TForm1> ui;
    std::unique_ptr<transport::TIdUDPClient> IdUDPClient1;
    std::unique_ptr<UdpClientSender> sender_;
    std::unique_ptr<QtTimerService> timerService_;
    std::unique_ptr<node::LogClock> clock_;
    std::unique_ptr<node::NodeController> controller_;
    QString lastChosenFile_;
};
