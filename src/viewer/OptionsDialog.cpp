#include "viewer/OptionsDialog.h"

#include "ui_OptionsDialog.h"

namespace viewer {

OptionsDialog::OptionsDialog(const ViewerSettings& settings, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::OptionsDialog>())
{
    ui_->setupUi(this);
    ui_->dataPort->setValue(settings.dataPort);
    ui_->scanPorts->setChecked(settings.scanPorts);
    ui_->interfaceName->setText(QString::fromStdString(settings.interfaceName));
    ui_->receiveBuffer->setValue(settings.receiveBufferKiB);
    ui_->historyLength->setValue(settings.historyLength);
    connect(ui_->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui_->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

OptionsDialog::~OptionsDialog() = default;

ViewerSettings OptionsDialog::settings() const
{
    ViewerSettings settings;
    settings.dataPort = std::uint16_t(ui_->dataPort->value());
    settings.scanPorts = ui_->scanPorts->isChecked();
    settings.interfaceName = ui_->interfaceName->text().trimmed().toStdString();
    settings.receiveBufferKiB = ui_->receiveBuffer->value();
    settings.historyLength = ui_->historyLength->value();
    return settings;
}

} // namespace viewer
