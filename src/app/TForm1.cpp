#include "app/TForm1.h"

#include "app/PanelFonts.h"
#include "app/TApplication.h"
#include "app/UdpClientSender.h"
#include "loop/QtTimerService.h"
#include "node/NodeController.h"
#include "node/NodeLog.h"
#include "node/SystemLogClock.h"
#include "transport/TIdUDPClient.h"
#include "ui_TForm1.h"
#include "widgets/TCSpinEdit.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextCursor>

using node::Control;

namespace {
TForm1::FileDialogHook& fileDialogHook()
{
    static TForm1::FileDialogHook hook;
    return hook;
}

TForm1::LocalAddressHook& localAddressHook()
{
    static TForm1::LocalAddressHook hook;
    return hook;
}

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TForm1>()),
      IdUDPClient1(std::make_unique<transport::TIdUDPClient>()),
      sender_(std::make_unique<UdpClientSender>(*IdUDPClient1)),
      timerService_(std::make_unique<QtTimerService>()),
      clock_(std::make_unique<node::SystemLogClock>())
{
    installPanelFontSubstitutes();
    // Loading the layout calls no handler: the events are bound afterwards.
    ui->setupUi(this);
    usePixelFontSizes(this);
    // The designed caption is three spaces, which the layout compiler drops.
    ui->LabelNow->setText(QStringLiteral("   "));
    // A document that only ever grows at the end and loses its first line
    // keeps the text of every line it has held unless it is bounded itself:
    // the bound drops old blocks without undo history and compacts the text.
    ui->Memo1->setMaximumBlockCount(node::kMaxLogLines);
    for (QLabel* label : findChildren<QLabel*>())
        fitCaptionToDesign(label);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(size());
    controller_ =
        localAddressHook()
            ? std::make_unique<node::NodeController>(*this, *sender_, *timerService_, *clock_,
                                                     localAddressHook())
            : std::make_unique<node::NodeController>(*this, *sender_, *timerService_, *clock_);
    connectEvents();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate()
{
    controller_->FormCreate();
}

void TForm1::setFileDialogHook(FileDialogHook hook)
{
    fileDialogHook() = std::move(hook);
}

void TForm1::setLocalAddressHook(LocalAddressHook hook)
{
    localAddressHook() = std::move(hook);
}

void TForm1::connectEvents()
{
    auto bind = [this](QAbstractButton* button, void (node::NodeController::*handler)()) {
        connect(button, &QAbstractButton::clicked, this,
                [this, handler] { TApplication::Guard([&] { (controller_.get()->*handler)(); }); });
    };
    bind(ui->ButtonStart, &node::NodeController::ButtonStartClick);
    bind(ui->ButtonStop, &node::NodeController::ButtonStopClick);
    bind(ui->BtnCycleReset, &node::NodeController::BtnCycleResetClick);
    bind(ui->ButtonRainOn, &node::NodeController::ButtonRainOnClick);
    bind(ui->ButtonRainOff, &node::NodeController::ButtonRainOffClick);
    bind(ui->BtnOpenFile, &node::NodeController::BtnOpenFileClick);

    // A radio button's handler runs when it becomes checked, after the one
    // it replaces has been unchecked; clicking the checked one does nothing.
    auto onChecked = [this](QAbstractButton* radio, void (node::NodeController::*handler)()) {
        connect(radio, &QAbstractButton::toggled, this, [this, handler](bool checked) {
            if (checked)
                TApplication::Guard([&] { (controller_.get()->*handler)(); });
        });
    };
    for (QAbstractButton* radio :
         {ui->RadioFix, ui->RadioSin, ui->RadioRnd, ui->RadioRnd2, ui->RadioFile})
        onChecked(radio, &node::NodeController::RadioClick);
    for (QAbstractButton* radio :
         {ui->RadioGroup1Item0, ui->RadioGroup1Item1, ui->RadioGroup1Item2})
        onChecked(radio, &node::NodeController::RadioGroup1Click);
}

QWidget* TForm1::widgetOf(Control control) const
{
    switch (control) {
    case Control::ButtonStart:
        return ui->ButtonStart;
    case Control::ButtonStop:
        return ui->ButtonStop;
    case Control::EditCCM1:
        return ui->EditCCM1;
    case Control::EditIP:
        return ui->EditIP;
    case Control::EditFile:
        return ui->EditFile;
    case Control::CSpinRm1:
        return ui->CSpinRm1;
    case Control::CSpinRe1:
        return ui->CSpinRe1;
    case Control::CSpinOr1:
        return ui->CSpinOr1;
    case Control::CSpinPr1:
        return ui->CSpinPr1;
    case Control::CSpinMax:
        return ui->CSpinMax;
    case Control::CSpinMin:
        return ui->CSpinMin;
    case Control::CSpinCycle:
        return ui->CSpinCycle;
    case Control::RadioFix:
        return ui->RadioFix;
    case Control::RadioSin:
        return ui->RadioSin;
    case Control::RadioRnd:
        return ui->RadioRnd;
    case Control::RadioRnd2:
        return ui->RadioRnd2;
    case Control::RadioFile:
        return ui->RadioFile;
    case Control::CheckLoop:
        return ui->CheckLoop;
    case Control::BtnOpenFile:
        return ui->BtnOpenFile;
    case Control::BtnCycleReset:
        return ui->BtnCycleReset;
    case Control::ButtonRainOn:
        return ui->ButtonRainOn;
    case Control::ButtonRainOff:
        return ui->ButtonRainOff;
    case Control::RadioGroup1:
        return ui->RadioGroup1;
    case Control::LabelNow:
        return ui->LabelNow;
    case Control::Label7:
        return ui->Label7;
    }
    return nullptr;
}

TCSpinEdit* TForm1::spinOf(Control control) const
{
    return qobject_cast<TCSpinEdit*>(widgetOf(control));
}

std::int32_t TForm1::spinValue(Control spin)
{
    return spinOf(spin)->GetValue();
}

std::string TForm1::text(Control edit) const
{
    return qobject_cast<QLineEdit*>(widgetOf(edit))->text().toStdString();
}

void TForm1::setText(Control edit, const std::string& text)
{
    qobject_cast<QLineEdit*>(widgetOf(edit))->setText(fromUtf8(text));
}

bool TForm1::isChecked(Control button) const
{
    return qobject_cast<QAbstractButton*>(widgetOf(button))->isChecked();
}

int TForm1::intervalIndex() const
{
    const QAbstractButton* items[] = {ui->RadioGroup1Item0, ui->RadioGroup1Item1,
                                      ui->RadioGroup1Item2};
    for (int i = 0; i < 3; ++i) {
        if (items[i]->isChecked())
            return i;
    }
    return -1;
}

void TForm1::setEnabled(Control control, bool enabled)
{
    QWidget* widget = widgetOf(control);
    // Qt would pass the focus of a disabled control on to the next one, a
    // source radio among them, where a stray arrow key changes the source.
    // The window itself keeps it instead; keys then reach no control.
    if (!enabled && widget->isAncestorOf(focusWidget()))
        setFocus(Qt::OtherFocusReason);
    widget->setEnabled(enabled);
}

void TForm1::setLabelCaption(Control label, const std::string& caption)
{
    auto* target = qobject_cast<QLabel*>(widgetOf(label));
    target->setText(fromUtf8(caption));
    // Labels size themselves to their caption, the left edge fixed.
    target->adjustSize();
}

std::string TForm1::windowCaption() const
{
    return windowTitle().toStdString();
}

void TForm1::setWindowCaption(const std::string& caption)
{
    setWindowTitle(fromUtf8(caption));
}

void TForm1::appendLog(const std::string& line)
{
    ui->Memo1->appendPlainText(fromUtf8(line));
}

int TForm1::logLineCount() const
{
    const QTextDocument* log = ui->Memo1->document();
    return log->isEmpty() ? 0 : log->blockCount();
}

void TForm1::deleteFirstLogLine()
{
    QTextDocument* log = ui->Memo1->document();
    if (log->isEmpty())
        return;
    QTextCursor cursor(log);
    if (!cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor))
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

std::optional<std::string> TForm1::chooseFile()
{
    std::optional<QString> chosen;
    if (fileDialogHook()) {
        chosen = fileDialogHook()();
    } else {
        chosen = runFileDialog();
    }
    if (!chosen)
        return std::nullopt;
    const QFileInfo file(*chosen);
    lastChosenFile_ = file.absoluteFilePath();
    QDir::setCurrent(file.absolutePath());
    return lastChosenFile_.toStdString();
}

// The chosen file need not exist yet. Qt's own dialog is used, not the
// desktop's: a desktop's open dialog may insist on an existing file, and Qt's
// speaks the panel's language.
std::optional<QString> TForm1::runFileDialog()
{
    QFileDialog dialog(this, QString(), lastChosenFile_);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    TApplication::Guard([this] { controller_->FormClose(); });
    event->accept();
}

void TForm1::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    TApplication::Guard([this] { controller_->FormPaint(); });
}
