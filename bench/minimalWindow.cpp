// The yardstick for start-up: the smallest window a palette tool needs, at Corvella's size: nine colored
// boxes, a slider and one label with text (which loads the font stack every window with text loads).
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QSlider>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral(" Minimal"));
    window.setFixedSize(239, 322);
    for (int k = 0; k < 9; ++k) {
        auto* box = new QFrame(&window);
        box->setGeometry(14 + 70 * (k % 3), 14 + 70 * (k / 3), 70, 70);
        box->setAutoFillBackground(true);
        QPalette palette = box->palette();
        palette.setColor(QPalette::Window, QColor::fromHsv(25 * k, 120, 200));
        box->setPalette(palette);
    }
    auto* slider = new QSlider(Qt::Horizontal, &window);
    slider->setGeometry(35, 249, 169, 37);
    auto* label = new QLabel(QStringLiteral(">"), &window);
    label->setGeometry(210, 252, 24, 25);
    label->setFont(QFont(QStringLiteral("Sans Serif"), 12, QFont::Bold));
    window.show();
    return QApplication::exec();
}
