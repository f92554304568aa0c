#include "app/TApplication.h"

#include "app/ToolkitStartup.h"
#include "runtime/Exception.h"

#include <QEvent>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>

namespace {
TApplication::ErrorBoxHook& errorBoxHook()
{
    static TApplication::ErrorBoxHook hook;
    return hook;
}
} // namespace

TApplication::TApplication(int& argc, char** argv)
    : QApplication(holdToolkitStartupMessages(argc), argv),
      title_(TitleFromExecutable(applicationFilePath()))
{
    releaseToolkitStartupMessages();
    // The panel is Japanese whatever the locale, and so are Qt's own texts in
    // it: the file dialog, the edit menus, the buttons of the error box.
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (qtTranslator_.load(QStringLiteral("qtbase_ja"), folder))
        installTranslator(&qtTranslator_);
    else
        qWarning("Qt's Japanese translations (qtbase_ja.qm) are missing in %s", qPrintable(folder));
}

// The forms go before the QApplication base, while the toolkit still stands.
TApplication::~TApplication() = default;

TApplication* TApplication::instance()
{
    return qobject_cast<TApplication*>(QCoreApplication::instance());
}

void TApplication::Initialize()
{
    setQuitOnLastWindowClosed(true);
}

void TApplication::adoptForm(std::unique_ptr<QWidget> form)
{
    forms_.push_back(std::move(form));
}

int TApplication::Run()
{
    if (!forms_.empty()) {
        QWidget* mainForm = forms_.front().get();
        if (const QScreen* screen = mainForm->screen()) {
            QRect frame = mainForm->frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            mainForm->move(frame.topLeft());
        }
        mainForm->show();
    }
    return exec();
}

void TApplication::Guard(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (...) {
        if (TApplication* app = instance())
            app->HandleException(std::current_exception());
    }
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    // Last line of defence for handlers that run inside the toolkit's own
    // event dispatch (key and mouse handlers of the widgets).
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleException(std::current_exception());
        return false;
    }
}

void TApplication::HandleException(std::exception_ptr error)
{
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    try {
        std::rethrow_exception(error);
    } catch (const runtime::EAbort&) {
        // Silent by design.
    } catch (const runtime::Exception& e) {
        ShowException(QString::fromStdString(e.Message()));
    } catch (const std::exception& e) {
        ShowException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowException(QString());
    }
}

void TApplication::ShowException(const QString& message)
{
    const QString text = ErrorBoxText(message);
    if (errorBoxHook()) {
        errorBoxHook()(title_, text);
        return;
    }
    QWidget* owner = forms_.empty() ? nullptr : forms_.front().get();
    QMessageBox box(QMessageBox::Critical, title_, text, QMessageBox::Ok, owner);
    box.exec();
}

QString TApplication::TitleFromExecutable(const QString& path)
{
    QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    if (name.size() > 1)
        name = name.left(1) + name.mid(1).toLower();
    return name;
}

QString TApplication::ErrorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void TApplication::setErrorBoxHook(ErrorBoxHook hook)
{
    errorBoxHook() = std::move(hook);
}
