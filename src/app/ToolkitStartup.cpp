#include "app/ToolkitStartup.h"

#include <QString>
#include <QtGlobal>

#include <cerrno> // program_invocation_short_name
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// The context's strings are literals of the code that logged, so keeping the
// pointers is safe.
struct HeldMessage {
    QtMsgType type;
    const char* file;
    int line;
    const char* function;
    const char* category;
    QString text;
};

QtMessageHandler previousHandler = nullptr;
std::vector<HeldMessage> held;

void holdOrFail(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtFatalMsg) {
        held.push_back(
            {type, context.file, context.line, context.function, context.category, text});
        return;
    }
    // The first thing the platform plugin complained about is the cause; the
    // fatal message itself only says that no plugin could start.
    const QString cause = held.empty() ? text : held.front().text;
    std::fprintf(stderr, "%s: cannot show the window: %s\n", program_invocation_short_name,
                 qPrintable(cause.trimmed()));
    std::_Exit(EXIT_FAILURE);
}

} // namespace

int& holdToolkitStartupMessages(int& argc)
{
    previousHandler = qInstallMessageHandler(holdOrFail);
    return argc;
}

void releaseToolkitStartupMessages()
{
    qInstallMessageHandler(previousHandler);
    for (const HeldMessage& message : held) {
        const QMessageLogContext context(message.file, message.line, message.function,
                                         message.category);
        previousHandler(message.type, context, message.text);
    }
    held.clear();
}
