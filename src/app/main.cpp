// setarome: makes this PC a simulated UECS weather node.

#include "app/TApplication.h"
#include "app/TForm1.h"
#include "runtime/Exception.h"

#include <exception>

int main(int argc, char** argv)
{
    TApplication Application(argc, argv);
    TForm1* Form1 = nullptr;
    try {
        Application.Initialize();
        Application.CreateForm(Form1);
        Application.Run();
    } catch (const runtime::Exception& e) {
        Application.ShowException(QString::fromStdString(e.Message()));
    } catch (...) {
        Application.ShowException(QString());
    }
    // Every way out, errors included, ends the process with 0.
    return 0;
}
