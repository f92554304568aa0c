// The yardstick for the panel's start-up time and memory: a bare Qt Widgets
// window with one button, built with the same compiler, flags and Qt.

#include <QApplication>
#include <QPushButton>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.setFixedSize(627, 371);
    QPushButton button(QStringLiteral("送信開始"), &window);
    button.setGeometry(192, 8, 75, 25);
    window.show();
    return app.exec();
}
