// Pointing, clicking and double-clicking the palette, the ">" label, the slider and the color dialog,
// driven with real mouse events on the real window.
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDir>
#include <QDirIterator>
#include <QMimeData>
#include <QProcess>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <functional>

#include "corvColor.h"
#include "windowProbe.h"

using namespace windowProbe;
using corvPalette::paletteColors;

namespace {

const char* const kChildMode = "TST_FEEDBACK_CHILD";
const QString kUntouchedClipboard = QStringLiteral("untouched");

// Records, in order, the repaints of box 1 (the first proposal painted by every regeneration) and
// the border changes of every box.
class EventLog : public QObject {
public:
    EventLog() { qApp->installEventFilter(this); }
    ~EventLog() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::PaletteChange && watched == box(1)) {
            entries << QStringLiteral("regenerated");
        } else if (event->type() == QEvent::ContentsRectChange &&
                   watched->objectName().startsWith(QLatin1String("picPalette"))) {
            entries << QStringLiteral("border");
        }
        return false;
    }
    int count(const QString& entry) const { return int(entries.count(entry)); }
    QStringList entries;
};

QList<std::int32_t> proposals() {
    QList<std::int32_t> colors;
    for (int k = 1; k <= 8; ++k) {
        colors << paletteColors(k);
    }
    return colors;
}

void click(QWidget* widget, QPoint at = {}) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, at.isNull() ? centreOf(widget) : at);
}

// What the window system delivers for a double-click: press, release, double-click, release.
void doubleClick(QWidget* widget) {
    const QPoint at = centreOf(widget);
    QTest::mousePress(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

// Runs `answer` on the color dialog once it is up (it is modal: its exec() blocks the double-click).
void answerColorDialog(std::function<void(QColorDialog*)> answer) {
    QTimer::singleShot(0, [answer = std::move(answer)] {
        QTRY_VERIFY(qobject_cast<QColorDialog*>(QApplication::activeModalWidget()) != nullptr);
        answer(qobject_cast<QColorDialog*>(QApplication::activeModalWidget()));
    });
}

std::int32_t preset() {
    return packed(corvColor::curRed, corvColor::curGreen, corvColor::curBlue);
}

// Where the style draws a part of the slider (ticks below push the groove up).
QRect sliderPart(QStyle::SubControl part) {
    QSlider* spread = slider();
    QStyleOptionSlider option;
    option.initFrom(spread);
    option.orientation = spread->orientation();
    option.minimum = spread->minimum();
    option.maximum = spread->maximum();
    option.sliderPosition = spread->sliderPosition();
    option.sliderValue = spread->value();
    option.singleStep = spread->singleStep();
    option.pageStep = spread->pageStep();
    option.tickPosition = spread->tickPosition();
    option.tickInterval = spread->tickInterval();
    option.subControls = QStyle::SC_All;
    return spread->style()->subControlRect(QStyle::CC_Slider, &option, part, spread);
}

QPoint handleCentre() {
    return sliderPart(QStyle::SC_SliderHandle).center();
}

// A point on the groove, `fromRight` pixels from its right end (negative: from its left end).
QPoint onGroove(int fromRight) {
    const QRect groove = sliderPart(QStyle::SC_SliderGroove);
    return {fromRight >= 0 ? groove.right() - fromRight : groove.left() - fromRight, groove.center().y()};
}

void wheel(QWidget* widget, int notches) {
    const QPointF at = centreOf(widget);
    QWheelEvent event(at, widget->mapToGlobal(at), {}, QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

// Child process under a temporary home: a session that sets custom colors in the color dialog.
int customColorSession() {
    mainModule::Main();
    QColorDialog::setCustomColor(0, QColor(1, 2, 3));
    answerColorDialog([](QColorDialog* dialog) {
        QColorDialog::setCustomColor(1, QColor(4, 5, 6));
        dialog->setCurrentColor(QColor(7, 8, 9));
        dialog->accept();
    });
    doubleClick(box(0));
    const bool seeded = paletteColors(0) == packed(7, 8, 9);
    mainModule::unloadMainForm();
    return seeded ? 0 : 3;
}

} // namespace

class TestFeedback : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void hoverShowsRgbOnly_data();
    void hoverShowsRgbOnly();
    void hoverTextIsRebuiltAfterRepaint();
    void clickSelectsCopiesAndShows();
    void clickMovesTheBorder();
    void backgroundClick_data();
    void backgroundClick();
    void clipboardHexText_data();
    void clipboardHexText();
    void doubleClickMakesProposalTheSeed();
    void regenerationResets_data();
    void regenerationResets();
    void colorDialog_data();
    void colorDialog();
    void sliderPassesFocusToCentreBox();
    void sliderTrackClickStepsByPage();
    void sliderWheelAndDragRegenerateOncePerChange();
    void accessibleTextFollowsPaint();
    void colorDialogWritesNoSettings();
};

void TestFeedback::initTestCase() {
    mainModule::Main();
    QApplication::setActiveWindow(&window());
    QVERIFY(QTest::qWaitForWindowActive(&window()));
}

// Every test starts from the default seed with a fresh palette, the slider at 10, nothing selected.
void TestFeedback::init() {
    QApplication::setActiveWindow(&window());
    slider()->blockSignals(true);
    slider()->setValue(10);
    slider()->blockSignals(false);
    paletteColors(0) = packed(100, 150, 200);
    window().paintBox(0, paletteColors(0));
    window().GenerateColor(100, 150, 200, 10, 10);
    window().border(-1);
    window().updateLabelRGB(-1);
    QGuiApplication::clipboard()->setText(kUntouchedClipboard);
}

void TestFeedback::hoverShowsRgbOnly_data() {
    QTest::addColumn<int>("index");
    for (int k = 0; k < 9; ++k) {
        QTest::addRow("box %d", k) << k;
    }
}

void TestFeedback::hoverShowsRgbOnly() {
    QFETCH(int, index);
    window().border(3);
    QTest::mouseMove(box(index), centreOf(box(index)));
    const QString expected = colorText::rgbText(paletteColors(index));
    QCOMPARE(box(index)->toolTip(), expected);
    QCOMPARE(readOut()->text(), expected);
    QVERIFY(hasBorder(3));
    QCOMPARE(borderCount(), 1);
    QCOMPARE(QGuiApplication::clipboard()->text(), kUntouchedClipboard);
}

void TestFeedback::hoverTextIsRebuiltAfterRepaint() {
    QTest::mouseMove(box(5), centreOf(box(5)));
    QTest::mouseRelease(control("lbPageScroll"), Qt::LeftButton); // new proposals
    QTest::mouseMove(box(5), centreOf(box(5)) + QPoint(1, 0));
    QCOMPARE(box(5)->toolTip(), colorText::rgbText(paletteColors(5)));
    QCOMPARE(readOut()->text(), colorText::rgbText(paletteColors(5)));
}

void TestFeedback::clickSelectsCopiesAndShows() {
    click(box(0));
    QVERIFY(hasBorder(0));
    QCOMPARE(borderCount(), 1);
    QCOMPARE(readOut()->text(), QStringLiteral("RGB 100, 150, 200"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("C89664"));
}

void TestFeedback::clickMovesTheBorder() {
    click(box(3));
    click(box(5));
    QVERIFY(hasBorder(5));
    QCOMPARE(borderCount(), 1);
    // A press on one box released over another is no click.
    QTest::mousePress(box(7), Qt::LeftButton, {}, centreOf(box(7)));
    QTest::mouseRelease(box(7), Qt::LeftButton, {}, QPoint(-20, -20));
    QVERIFY(hasBorder(5));
    // Only the left button clicks.
    QTest::mouseClick(box(2), Qt::RightButton, {}, centreOf(box(2)));
    QVERIFY(hasBorder(5));
}

void TestFeedback::backgroundClick_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QPoint>("at"); // in the window
    QTest::addColumn<bool>("clears");
    QTest::newRow("white margin") << "" << QPoint(5, 5) << true;
    QTest::newRow("gap below the grid") << "" << QPoint(120, 230) << true;
    QTest::newRow("bare band") << "" << QPoint(150, 295) << true;
    QTest::newRow("band's bottom-right corner") << "" << QPoint(238, 321) << true;
    QTest::newRow("read-out label") << "lbRGB" << QPoint(10, 312) << false;
    QTest::newRow("slider handle, not moved") << "sdLightChroma" << QPoint() << false;
}

void TestFeedback::backgroundClick() {
    QFETCH(QString, target);
    QFETCH(QPoint, at);
    QFETCH(bool, clears);
    click(box(4));
    const QString caption = readOut()->text();
    if (target.isEmpty()) {
        // Through the window, so that Qt finds the widget under the point (the band takes no mouse).
        QWidget* under = window().childAt(at);
        QCOMPARE(under, nullptr);
        click(&window(), at);
    } else {
        QWidget* widget = control(target.toLatin1().constData());
        click(widget,
              target == QLatin1String("sdLightChroma") ? handleCentre() : widget->mapFrom(&window(), at));
    }
    QCOMPARE(hasBorder(4), !clears);
    QCOMPARE(readOut()->text(), caption);
    QCOMPARE(slider()->value(), 10);
}

void TestFeedback::clipboardHexText_data() {
    QTest::addColumn<int>("color");
    QTest::addColumn<QString>("hex");
    QTest::newRow("default seed") << packed(100, 150, 200) << "C89664";
    QTest::newRow("pure red") << packed(255, 0, 0) << "0000FF";
    QTest::newRow("pure blue") << packed(0, 0, 255) << "FF0000";
    QTest::newRow("channels 1, 2, 3") << packed(1, 2, 3) << "030201";
    QTest::newRow("channels 15, 15, 15") << packed(15, 15, 15) << "0F0F0F";
    QTest::newRow("black") << 0 << "000000";
    QTest::newRow("white") << packed(255, 255, 255) << "FFFFFF";
}

void TestFeedback::clipboardHexText() {
    QFETCH(int, color);
    QFETCH(QString, hex);
    QCOMPARE(colorText::hexText(color), hex);
    paletteColors(2) = color;
    window().paintBox(2, color);
    QSignalSpy changes(QGuiApplication::clipboard(), &QClipboard::dataChanged);
    click(box(2));
    QCOMPARE(QGuiApplication::clipboard()->text(), hex);
    QCOMPARE(QGuiApplication::clipboard()->mimeData()->formats(), QStringList{QStringLiteral("text/plain")});
    QCOMPARE(changes.count(), 1);
}

void TestFeedback::doubleClickMakesProposalTheSeed() {
    const std::int32_t chosen = paletteColors(4);
    QSignalSpy clipboardChanges(QGuiApplication::clipboard(), &QClipboard::dataChanged);
    doubleClick(box(4));
    QCOMPARE(paletteColors(0), chosen);
    QCOMPARE(backgroundOf(box(0)), chosen);
    // The click before the double-click ran once: it copied the new seed's hex text.
    QCOMPARE(QGuiApplication::clipboard()->text(), colorText::hexText(chosen));
    QCOMPARE(clipboardChanges.count(), 1);
    QCOMPARE(borderCount(), 0); // the last release was not another click
    QVERIFY(readOut()->text().isEmpty());
    for (int k = 1; k <= 8; ++k) {
        QCOMPARE(backgroundOf(box(k)), paletteColors(k));
    }
    QCOMPARE(preset(), paletteColors(8));
}

// Every regeneration removes the border and empties the read-out; the slider removes the border before
// it regenerates, the other actions after. (The color dialog, which touches neither, is tested below.)
void TestFeedback::regenerationResets_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("seedChanges");
    QTest::addColumn<QString>("order"); // of the border's removal and the regeneration
    QTest::newRow("'>' released, left button") << "> left" << false << "regenerated,border";
    QTest::newRow("'>' released, right button") << "> right" << false << "regenerated,border";
    QTest::newRow("'>' released, middle button") << "> middle" << false << "regenerated,border";
    QTest::newRow("slider, track click") << "slider" << false << "border,regenerated";
    QTest::newRow("double-click on box 4") << "double-click 4" << true << "regenerated,border";
}

void TestFeedback::regenerationResets() {
    QFETCH(QString, action);
    QFETCH(bool, seedChanges);
    QFETCH(QString, order);
    click(box(2)); // the selection and caption each action finds
    const std::int32_t seed = paletteColors(0);
    const QList<std::int32_t> before = proposals();

    EventLog log;
    auto* pageScroll = control("lbPageScroll");
    if (action.startsWith(QLatin1String(">"))) {
        const Qt::MouseButton button = action.endsWith(QLatin1String("left"))    ? Qt::LeftButton
                                       : action.endsWith(QLatin1String("right")) ? Qt::RightButton
                                                                                 : Qt::MiddleButton;
        QTest::mouseClick(pageScroll, button, {}, centreOf(pageScroll));
    } else if (action == QLatin1String("slider")) {
        click(slider(), onGroove(10));
    } else {
        // The real sequence, with the log started after the click that precedes the double-click.
        QTest::mousePress(box(4), Qt::LeftButton, {}, centreOf(box(4)));
        QTest::mouseRelease(box(4), Qt::LeftButton, {}, centreOf(box(4)));
        log.entries.clear();
        QTest::mouseDClick(box(4), Qt::LeftButton, {}, centreOf(box(4)));
        QTest::mouseRelease(box(4), Qt::LeftButton, {}, centreOf(box(4)));
    }

    QCOMPARE(paletteColors(0) != seed, seedChanges);
    QCOMPARE(backgroundOf(box(0)), paletteColors(0));
    QVERIFY(proposals() != before);
    QCOMPARE(borderCount(), 0);
    QVERIFY(readOut()->text().isEmpty());
    log.entries.removeDuplicates();
    QCOMPARE(log.entries.join(QLatin1Char(',')), order);
}

void TestFeedback::colorDialog_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("changes");
    QTest::newRow("another color chosen") << "10,20,30" << true;
    QTest::newRow("preset kept") << "preset" << true;
    QTest::newRow("black replaced by the preset") << "black" << true;
    QTest::newRow("Cancel button") << "cancel" << false;
    QTest::newRow("Escape key") << "escape" << false;
    QTest::newRow("close box") << "close" << false;
}

void TestFeedback::colorDialog() {
    QFETCH(QString, answer);
    QFETCH(bool, changes);
    const std::int32_t presetColor = preset();
    const QList<std::int32_t> before = proposals();
    QColor shownAtOpen;
    bool nonNative = false;
    answerColorDialog([&](QColorDialog* dialog) {
        shownAtOpen = dialog->currentColor();
        nonNative = dialog->testOption(QColorDialog::DontUseNativeDialog);
        if (answer == QLatin1String("10,20,30")) {
            dialog->setCurrentColor(QColor(10, 20, 30));
        } else if (answer == QLatin1String("black")) {
            dialog->setCurrentColor(Qt::black);
        }
        if (answer == QLatin1String("cancel")) {
            dialog->reject();
        } else if (answer == QLatin1String("escape")) {
            QTest::keyClick(dialog, Qt::Key_Escape);
        } else if (answer == QLatin1String("close")) {
            dialog->close();
        } else {
            dialog->accept();
        }
    });
    doubleClick(box(0));

    QCOMPARE(packed(shownAtOpen), presetColor);
    QVERIFY(nonNative);
    const std::int32_t expectedSeed = answer == QLatin1String("10,20,30") ? packed(10, 20, 30)
                                      : changes                           ? presetColor
                                                                          : packed(100, 150, 200);
    QCOMPARE(paletteColors(0), expectedSeed);
    QCOMPARE(backgroundOf(box(0)), expectedSeed);
    QCOMPARE(proposals() != before, changes);
    // The preceding click's border and caption stay: this action touches neither.
    QVERIFY(hasBorder(0));
    QCOMPARE(readOut()->text(), QStringLiteral("RGB 100, 150, 200"));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestFeedback::sliderPassesFocusToCentreBox() {
    box(6)->setFocus();
    QTest::mouseClick(slider(), Qt::LeftButton, {}, handleCentre());
    QCOMPARE(QApplication::focusWidget(), box(0));
    slider()->setFocus(Qt::OtherFocusReason);
    QCOMPARE(QApplication::focusWidget(), box(0));
}

void TestFeedback::sliderTrackClickStepsByPage() {
    EventLog log;
    click(slider(), onGroove(10));
    QCOMPARE(slider()->value(), 15);
    click(slider(), onGroove(-2));
    QCOMPARE(slider()->value(), 10);
    QCOMPARE(log.count(QStringLiteral("regenerated")), 2);
}

void TestFeedback::sliderWheelAndDragRegenerateOncePerChange() {
    EventLog log;
    QSignalSpy changes(slider(), &QSlider::valueChanged);
    wheel(slider(), 1);
    QVERIFY(slider()->value() != 10);
    QCOMPARE(log.count(QStringLiteral("regenerated")), 1);

    const QPoint start = handleCentre();
    QTest::mousePress(slider(), Qt::LeftButton, {}, start);
    for (int step = 1; step <= 10; ++step) {
        QTest::mouseMove(slider(), start + QPoint(4 * step, 0));
    }
    QTest::mouseRelease(slider(), Qt::LeftButton, {}, start + QPoint(40, 0));
    QVERIFY(changes.count() > 3);
    QCOMPARE(log.count(QStringLiteral("regenerated")), changes.count());
    QCOMPARE(borderCount(), 0);
    QVERIFY(readOut()->text().isEmpty());
}

void TestFeedback::accessibleTextFollowsPaint() {
    for (int k = 0; k < 9; ++k) {
        QVERIFY(box(k)->accessibleDescription().startsWith(colorText::rgbText(paletteColors(k))));
        QVERIFY(!box(k)->accessibleName().isEmpty());
    }
    QTest::mouseClick(control("lbPageScroll"), Qt::LeftButton);
    QVERIFY(box(8)->accessibleDescription().contains(colorText::hexText(paletteColors(8))));
}

// The dialog's custom colors would land in QtProject.conf under the user's home: nothing may.
void TestFeedback::colorDialogWritesNoSettings() {
    QTemporaryDir home;
    QVERIFY(home.isValid());
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kChildMode), QStringLiteral("custom-colors"));
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitCode(), 0);
    QStringList written;
    QDirIterator files(home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        written << files.next();
    }
    QVERIFY2(written.isEmpty(), qPrintable(written.join(QLatin1Char(' '))));
}

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (qgetenv(kChildMode) == "custom-colors") {
        return customColorSession();
    }
    TestFeedback test;
    const int status = QTest::qExec(&test, argc, argv);
    mainModule::unloadMainForm();
    return status;
}

#include "tst_feedback.moc"
