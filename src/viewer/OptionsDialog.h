#pragma once

#include "viewer/ViewerSettings.h"

#include <QDialog>

#include <memory>

namespace Ui {
class OptionsDialog;
}

namespace viewer {

// The bench options: ports, interface, receive buffer and history length.
class OptionsDialog : public QDialog {
public:
    explicit OptionsDialog(const ViewerSettings& settings, QWidget* parent = nullptr);
    ~OptionsDialog() override;

    ViewerSettings settings() const;

private:
    std::unique_ptr<Ui::OptionsDialog> ui_;
};

} // namespace viewer
