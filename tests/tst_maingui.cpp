// The main window as start-up leaves it: its controls, the first palette, the border and the read-out.
#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <cmath>

#include "corvColor.h"
#include "errorReport.h"
#include "errorNumber.h"
#include "runtimeError.h"
#include "windowProbe.h"

using namespace windowProbe;
using corvPalette::paletteColors;

namespace {

const char* const kChildMode = "TST_MAINGUI_CHILD";

// Start-up exactly as the program does it, recording every caption the read-out shows while painted.
QStringList readOutCaptionsPainted;

class ReadOutWatcher : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->objectName() == QLatin1String("lbRGB")) {
            readOutCaptionsPainted << static_cast<QLabel*>(watched)->text();
        }
        return false;
    }
};

QColor pixel(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

// Child process: start up and print the palette.
int printFirstPalette() {
    mainModule::Main();
    QStringList colors;
    for (int k = 0; k <= 9; ++k) {
        colors << QString::number(paletteColors(k));
    }
    std::printf("%s\n", qPrintable(colors.join(QLatin1Char(' '))));
    mainModule::unloadMainForm();
    return 0;
}

// Child process: a run-time error escaping a handler. Prints the message box's text on the way out.
int raiseInHandler() {
    QTimer::singleShot(0, [] {
        QTimer::singleShot(100, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            std::printf("%s|%s\n", box ? qPrintable(box->windowTitle()) : "no box",
                        box ? qPrintable(box->text().replace(QLatin1Char('\n'), QLatin1Char('/'))) : "");
            std::fflush(stdout);
            if (box) {
                box->accept();
            }
        });
        errorReport::runGuarded([] { mainModule::mainForm().border(9); });
        std::printf("handler went on\n");
    });
    return QApplication::exec();
}

QByteArray runChild(const char* mode, int* exitCode = nullptr) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kChildMode), QString::fromLatin1(mode));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    if (!child.waitForFinished(30000)) {
        child.kill();
        return "timed out";
    }
    if (exitCode != nullptr) {
        *exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    }
    return child.readAllStandardOutput().trimmed();
}

} // namespace

class TestMainGUI : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void windowFacts();
    void controls_data();
    void controls();
    void sliderProperties();
    void fonts();
    void cursors();
    void bandLiesBehindAndTakesNoMouse();
    void tabCyclesThroughBoxes();
    void startUpPalette();
    void startUpShowsNoBorderAndEmptyReadOut();
    void firstPaletteIsTheSameOnEveryStart();
    void border_data();
    void border();
    void borderOutOfRangeRaises_data();
    void borderOutOfRangeRaises();
    void updateLabelRGB_data();
    void updateLabelRGB();
    void renderedWindow();
    void runtimeErrorEndsWithMessage();
};

void TestMainGUI::initTestCase() {
    ReadOutWatcher watcher;
    qApp->installEventFilter(&watcher);
    mainModule::Main();
    QVERIFY(QTest::qWaitForWindowExposed(&window()));
    QApplication::processEvents();
    qApp->removeEventFilter(&watcher);
}

void TestMainGUI::init() {
    window().border(-1);
    window().updateLabelRGB(-1);
}

void TestMainGUI::windowFacts() {
    mainGUI& form = window();
    QCOMPARE(form.windowTitle(), QStringLiteral(" Corvella"));
    QCOMPARE(form.size(), QSize(239, 322));
    QCOMPARE(form.minimumSize(), QSize(239, 322));
    QCOMPARE(form.maximumSize(), QSize(239, 322));
    const Qt::WindowFlags flags = form.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::WindowTitleHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(form.autoFillBackground());
    QCOMPARE(form.palette().color(QPalette::Window), QColor(255, 255, 255));
    QCOMPARE(form.windowIcon().availableSizes(), QList<QSize>{QSize(32, 32)});
    const QRect screen = form.screen()->availableGeometry();
    QVERIFY(std::abs(form.geometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(std::abs(form.geometry().center().y() - screen.center().y()) <= 1);
}

// Geometry in pixels (twips / 15), worked out by hand from the layout in twips.
void TestMainGUI::controls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<int>("focusPolicy");
    QTest::newRow("box 1, top left") << "picPalette1"
                                     << "QFrame" << QRect(14, 14, 70, 70) << true << int(Qt::StrongFocus);
    QTest::newRow("box 2, top") << "picPalette2"
                                << "QFrame" << QRect(84, 14, 70, 70) << true << int(Qt::StrongFocus);
    QTest::newRow("box 3, top right") << "picPalette3"
                                      << "QFrame" << QRect(154, 14, 70, 70) << true << int(Qt::StrongFocus);
    QTest::newRow("box 4, left") << "picPalette4"
                                 << "QFrame" << QRect(14, 84, 70, 70) << true << int(Qt::StrongFocus);
    QTest::newRow("box 0, centre") << "picPalette0"
                                   << "QFrame" << QRect(84, 84, 70, 70) << true << int(Qt::StrongFocus);
    QTest::newRow("box 5, right") << "picPalette5"
                                  << "QFrame" << QRect(154, 84, 70, 70) << true << int(Qt::StrongFocus);
    QTest::newRow("box 6, bottom left") << "picPalette6"
                                        << "QFrame" << QRect(14, 154, 70, 70) << true << int(Qt::StrongFocus);
    QTest::newRow("box 7, bottom") << "picPalette7"
                                   << "QFrame" << QRect(84, 154, 70, 70) << true << int(Qt::StrongFocus);
    QTest::newRow("box 8, bottom right")
        << "picPalette8"
        << "QFrame" << QRect(154, 154, 70, 70) << true << int(Qt::StrongFocus);
    QTest::newRow("slider") << "sdLightChroma"
                            << "QSlider" << QRect(35, 249, 169, 37) << true << int(Qt::ClickFocus);
    QTest::newRow("eyedropper") << "colorPicker"
                                << "QLabel" << QRect(-3, 243, 32, 32) << true << int(Qt::NoFocus);
    QTest::newRow("new proposals label") << "lbPageScroll"
                                         << "QLabel" << QRect(210, 252, 24, 25) << true << int(Qt::NoFocus);
    QTest::newRow("read-out") << "lbRGB"
                              << "QLabel" << QRect(3, 306, 119, 18) << true << int(Qt::NoFocus);
    QTest::newRow("maker's notice") << "imageCopyright"
                                    << "QLabel" << QRect(129, 308, 103, 9) << true << int(Qt::NoFocus);
    QTest::newRow("address label, hidden")
        << "lbQuenlotLtd"
        << "QLabel" << QRect(126, 301, 105, 17) << false << int(Qt::NoFocus);
    QTest::newRow("band") << "Shape1"
                          << "QWidget" << QRect(0, 238, 249, 86) << true << int(Qt::NoFocus);
}

void TestMainGUI::controls() {
    QFETCH(QString, name);
    QWidget* widget = control(name.toLatin1().constData());
    QTEST(QString::fromLatin1(widget->metaObject()->className()), "kind");
    QTEST(widget->geometry(), "geometry");
    QTEST(widget->isVisible(), "visible");
    QTEST(int(widget->focusPolicy()), "focusPolicy");
}

void TestMainGUI::sliderProperties() {
    QSlider* spread = slider();
    QCOMPARE(spread->orientation(), Qt::Horizontal);
    QCOMPARE(spread->minimum(), 0);
    QCOMPARE(spread->maximum(), 100);
    QCOMPARE(spread->value(), 10);
    QCOMPARE(spread->singleStep(), 1);
    QCOMPARE(spread->pageStep(), 5);
    QVERIFY(spread->isEnabled());
}

void TestMainGUI::fonts() {
    const QFont normal = window().font();
    QCOMPARE(normal.pointSize(), 8);
    QCOMPARE(normal.weight(), QFont::Normal);
    QCOMPARE(readOut()->font().pointSize(), 8);
    const QFont large = control("lbPageScroll")->font();
    QCOMPARE(large.pointSize(), 12);
    QCOMPARE(large.weight(), QFont::Bold);
    // The classic face where installed, else a sans-serif substitute.
    const QFontInfo actual(normal);
    QVERIFY2(actual.family() == QLatin1String("MS Sans Serif") || actual.styleHint() != QFont::Serif,
             qPrintable(actual.family()));
    auto* label = control<QLabel>("lbPageScroll");
    QCOMPARE(label->text(), QStringLiteral(">"));
    QCOMPARE(label->alignment(), Qt::AlignCenter);
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(128, 128, 128));
    QCOMPARE(control<QLabel>("lbQuenlotLtd")->palette().color(QPalette::WindowText), QColor(64, 64, 64));
}

void TestMainGUI::cursors() {
    for (const char* name : {"colorPicker", "lbPageScroll"}) {
        const QCursor cursor = control(name)->cursor();
        QCOMPARE(cursor.shape(), Qt::BitmapCursor);
        QCOMPARE(cursor.hotSpot(), QPoint(12, 1));
        QCOMPARE(cursor.pixmap().size(), QSize(32, 32));
    }
    QCOMPARE(control("imageCopyright")->cursor().shape(), Qt::WhatsThisCursor);
    for (int k = 0; k < 9; ++k) {
        QVERIFY(!box(k)->testAttribute(Qt::WA_SetCursor));
    }
}

void TestMainGUI::bandLiesBehindAndTakesNoMouse() {
    QWidget* band = control("Shape1");
    const auto siblings = window().findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(siblings.first(), band); // children are kept in stacking order, lowest first
    QVERIFY(band->testAttribute(Qt::WA_TransparentForMouseEvents));
    QCOMPARE(window().childAt(150, 295), nullptr); // bare band: the window itself takes the mouse
    QCOMPARE(window().childAt(100, 260), control("sdLightChroma"));
}

void TestMainGUI::tabCyclesThroughBoxes() {
    QApplication::setActiveWindow(&window());
    QVERIFY(QTest::qWaitForWindowActive(&window()));
    box(0)->setFocus();
    QStringList visited;
    for (int step = 0; step < 10; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited,
             QStringList({"picPalette1", "picPalette2", "picPalette3", "picPalette4", "picPalette5",
                          "picPalette6", "picPalette7", "picPalette8", "picPalette0", "picPalette1"}));
}

// Box 0 shows the default seed; every proposal lies around the seed's L*a*b* 61, -3, -31 within the
// spread 10, give or take the rounding of its own conversion.
void TestMainGUI::startUpPalette() {
    QCOMPARE(paletteColors(0), packed(100, 150, 200));
    QCOMPARE(backgroundOf(box(0)), packed(100, 150, 200));
    for (int k = 1; k <= 8; ++k) {
        const std::int32_t color = paletteColors(k);
        QCOMPARE(backgroundOf(box(k)), color);
        corvColor::rgbToLab(corvColor::redOf(color), corvColor::greenOf(color), corvColor::blueOf(color));
        QVERIFY2(corvColor::labL >= 61 - 11 && corvColor::labL <= 61 + 11, qPrintable(QString::number(k)));
        QVERIFY(std::hypot(corvColor::labA + 3, corvColor::labB + 31) <= 11.5);
    }
    QCOMPARE(paletteColors(9), 0);
    QCOMPARE(corvColor::curRed, corvColor::redOf(paletteColors(8)));
}

void TestMainGUI::startUpShowsNoBorderAndEmptyReadOut() {
    QCOMPARE(borderCount(), 0);
    QVERIFY(!readOutCaptionsPainted.isEmpty());
    QVERIFY2(!readOutCaptionsPainted.contains(QStringLiteral("RGB rr,gg,bb")),
             qPrintable(readOutCaptionsPainted.join(QLatin1Char('|'))));
    QVERIFY(readOut()->text().isEmpty());
}

void TestMainGUI::firstPaletteIsTheSameOnEveryStart() {
    const QByteArray first = runChild("first-palette");
    const QByteArray second = runChild("first-palette");
    QCOMPARE(first.split(' ').size(), 10);
    QCOMPARE(first, second);
    QVERIFY(first.startsWith("13145700 "));
}

void TestMainGUI::border_data() {
    QTest::addColumn<QList<double>>("calls");
    QTest::addColumn<int>("bordered"); // -1: none
    QTest::newRow("3 then 5 leaves only 5") << QList<double>{3, 5} << 5;
    QTest::newRow("-1 after any sequence leaves none") << QList<double>{0, 8, 4, -1} << -1;
    QTest::newRow("any negative means none") << QList<double>{2, -0.25} << -1;
    QTest::newRow("0.5 rounds to even 0") << QList<double>{0.5} << 0;
    QTest::newRow("7.5 rounds to even 8") << QList<double>{7.5} << 8;
    QTest::newRow("same box twice") << QList<double>{6, 6} << 6;
}

void TestMainGUI::border() {
    QFETCH(QList<double>, calls);
    QFETCH(int, bordered);
    for (double index : calls) {
        window().border(index);
    }
    for (int k = 0; k < 9; ++k) {
        QCOMPARE(hasBorder(k), k == bordered);
    }
    if (bordered >= 0) {
        QCOMPARE(box(bordered)->lineWidth(), 1);
        QCOMPARE(box(bordered)->frameShadow(), QFrame::Plain);
    }
}

void TestMainGUI::borderOutOfRangeRaises_data() {
    QTest::addColumn<double>("index");
    QTest::newRow("9, no such box") << 9.0;
    QTest::newRow("8.6 rounds to 9") << 8.6;
    QTest::newRow("40000 does not fit 16 bits") << 40000.0;
}

void TestMainGUI::borderOutOfRangeRaises() {
    QFETCH(double, index);
    const std::int32_t number = errorNumberOf([&] { window().border(index); });
    QVERIFY(number == corvella::kSubscriptError || number == corvella::kOverflowError);
}

void TestMainGUI::updateLabelRGB_data() {
    QTest::addColumn<double>("index");
    QTest::addColumn<QString>("caption");
    QTest::newRow("-1 empties") << -1.0 << QString();
    QTest::newRow("-0.4 is negative, empties") << -0.4 << QString();
    QTest::newRow("0 right after start-up") << 0.0 << "RGB 100, 150, 200";
    QTest::newRow("9 exists and stays black") << 9.0 << "RGB 0, 0, 0";
    QTest::newRow("8.5 rounds to even 8") << 8.5 << "";
}

void TestMainGUI::updateLabelRGB() {
    QFETCH(double, index);
    QFETCH(QString, caption);
    window().updateLabelRGB(0);
    window().updateLabelRGB(index);
    if (index == 8.5) {
        caption = colorText::rgbText(paletteColors(8));
    }
    QCOMPARE(readOut()->text(), caption);
    QCOMPARE(errorNumberOf([] { window().updateLabelRGB(10); }), corvella::kSubscriptError);
}

// The window as drawn: palette colors at the box centres, boxes that touch, white margins, the band.
void TestMainGUI::renderedWindow() {
    const QImage shot = window().grab().toImage();
    QCOMPARE(shot.size(), QSize(239, 322));
    for (int k = 0; k < 9; ++k) {
        const QPoint centre = box(k)->geometry().center();
        QCOMPARE(packed(pixel(shot, centre.x(), centre.y())), paletteColors(k));
    }
    // Box 1 spans pixels 14 to 83, box 2 starts at 84: no gap and no overlap.
    QCOMPARE(packed(pixel(shot, 83, 40)), paletteColors(1));
    QCOMPARE(packed(pixel(shot, 84, 40)), paletteColors(2));
    QCOMPARE(packed(pixel(shot, 40, 83)), paletteColors(1));
    QCOMPARE(packed(pixel(shot, 40, 84)), paletteColors(4));
    QCOMPARE(pixel(shot, 13, 40), QColor(255, 255, 255));
    QCOMPARE(pixel(shot, 224, 200), QColor(255, 255, 255));
    QCOMPARE(pixel(shot, 120, 237), QColor(255, 255, 255));
    const QColor band = control("Shape1")->palette().color(QPalette::Window);
    QCOMPARE(pixel(shot, 120, 238), band);
    QCOMPARE(pixel(shot, 238, 321), band);
    QCOMPARE(pixel(shot, 150, 295), band);
    // The eyedropper's transparent corners show the band, not black.
    QCOMPARE(pixel(shot, 0, 243), band);
    QCOMPARE(pixel(shot, 28, 274), band);
    // A border is a one-pixel line in the window-text color on the box's own edge.
    window().border(0);
    const QImage bordered = window().grab().toImage();
    QCOMPARE(pixel(bordered, 84, 100), window().palette().color(QPalette::WindowText));
    QCOMPARE(packed(pixel(bordered, 85, 100)), paletteColors(0));
}

void TestMainGUI::runtimeErrorEndsWithMessage() {
    int exitCode = 0;
    const QByteArray output = runChild("runtime-error", &exitCode);
    QCOMPARE(output, QByteArray("Corvella|Run-time error '9'://Subscript out of range"));
    QCOMPARE(exitCode, 1);
}

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QByteArray mode = qgetenv(kChildMode);
    if (mode == "first-palette") {
        return printFirstPalette();
    }
    if (mode == "runtime-error") {
        return raiseInHandler();
    }
    TestMainGUI test;
    const int status = QTest::qExec(&test, argc, argv);
    mainModule::unloadMainForm();
    return status;
}

#include "tst_maingui.moc"
