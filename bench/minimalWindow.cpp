// The yardstick for start-up: the smallest Qt Widgets program showing a window of Corvella's size.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral(" Minimal"));
    window.setFixedSize(239, 322);
    window.show();
    return QApplication::exec();
}
