#pragma once

#include <QApplication>
#include <QString>
#include <QTranslator>

#include <exception>
#include <functional>
#include <memory>
#include <vector>

class QWidget;

// The application object: creates the forms, runs the message loop and is the
// one place where an exception that leaves an event handler is shown to the
// operator. The program goes on after every such error.
class TApplication : public QApplication {
    Q_OBJECT

public:
    // Receives the error box's caption and text instead of showing the box.
    using ErrorBoxHook = std::function<void(const QString& caption, const QString& text)>;

    TApplication(int& argc, char** argv);
    ~TApplication() override;

    static TApplication* instance();

    void Initialize();

    // Creates a form, stores it in `reference` and runs its start-up handler
    // (`FormCreate`). The first form created is the main form. An exception
    // from the constructor propagates (the program ends after its box); one
    // from the start-up handler is shown and start-up goes on.
    template <class Form> void CreateForm(Form*& reference)
    {
        auto form = std::make_unique<Form>();
        reference = form.get();
        adoptForm(std::move(form));
        Guard([&reference] { reference->FormCreate(); });
    }

    // Shows the main form centred on the screen and runs the loop until it closes.
    int Run();

    void HandleException(std::exception_ptr error);
    void ShowException(const QString& message);

    // Runs an event handler; whatever it throws goes to HandleException.
    static void Guard(const std::function<void()>& handler);

    // Caption of the error box: the executable's name without its folder, cut
    // at its first ".", every character after the first in lower case.
    static QString TitleFromExecutable(const QString& path);
    // Text of the error box: the message, with "." appended unless it is
    // empty or ends in a character at or below the full stop.
    static QString ErrorBoxText(const QString& message);

    static void setErrorBoxHook(ErrorBoxHook hook);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    void adoptForm(std::unique_ptr<QWidget> form);

    QTranslator qtTranslator_;
    std::vector<std::unique_ptr<QWidget>> forms_;
    QString title_;
};
