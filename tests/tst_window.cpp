// The window driven as the platform drives it: a table of user actions (mouse and keys through Qt's own
// hit testing and key handling, a screen reader through the accessibility interface, every color form a
// drop takes or refuses), saving, the program in processes of its own, and the pictures at the run's scale.

// Mouse events of QTest go to the window and find their widget as real ones do.
#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>
#include <QtWidgets>

#include <cmath>
#include <functional>
#include <memory>
#include <optional>

#include "corvColor.h"
#include "errorReport.h"
#include "mainGUI.h"
#include "mainModule.h"
#include "paletteColors.h"
#include "runtimeError.h"
#include "table.h"

using corvPalette::paletteColors;

namespace {

// One row per user action: name | steps | border | read-out | clipboard | seed | redrawn | other facts.
// steps: the last is the action under test; the others set it up, or say how to answer what it opens.
// border: the box showing the 1-pixel border (read from the pixels), -1 none. read-out, clipboard: a text,
// "box k" (box k's RGB text, or its clipboard text), "web k" ("#RRGGBB"), "palette" (the nine web texts in
// reading order) or "unchanged", colors as before the action. seed: the box (before the action) whose color
// the centre shows after it, -1 another. redrawn: whether proposals 1 to 8 changed, then maybe the order of
// border changes B and redraws R. Steps, k a box (0 the centre):
//   hover k | click k | dclick k | menu k   onto box k's centre; a left click; a double-click; a right click
//                                           off its centre
//   at x y [x2 y2]               a left click at x, y of the window, wherever it lands (released at x2, y2)
//   next b                       ">" clicked with button b (1 left, 2 right, 4 middle)
//   drag x | wheel n | set v     the slider: its thumb dragged to x; n wheel notches; its value set
//   eyedropper | notice          a left click on it
//   key K ...                    keys as X sends them to the focused window: "Num+" keys carry the keypad
//                                modifier, "Shift++" is a US "+", "K*n" is K held for n presses
//   press k | press NAME         a screen reader's press on box k, or on the control NAME
//   activate                     the window activated again, as a window manager does
//   clipboard D | drop D on k    another program's data on the clipboard, or dropped on box k (-1: off the
//                                boxes): "text T" (%XX any byte), "x-color HEX" (its bytes) or "N bytes of C"
//   existing PATH                a file "old" at PATH; "TMP" in a path is the test's own folder
//   dialog [r g b | cancel] | ok | no | choose K ... | pick k | pick escape | save PATH
//       answer what a later step opens: the color dialog (OK with r g b, or Cancel), a message (OK or Yes;
//       No), a menu (keys), the overlay (a click on box k; Escape), the file dialog (PATH typed, the file it
//       proposed noted as "save ..."). "after presses": a screen reader first presses a box, ">", the
//       eyedropper and the notice and sets the slider, a color is dropped: none may be offered or act.
//       "after repeats K": a held K repeats on it, which must not reach it.
// Facts: size w h | tooltip k (box k's RGB) | changes n (of the clipboard) | slider v, or a-b | focus k |
// mark C (the focused box shows the dashed focus rectangle in color C, 3 pixels inside every edge; none) |
// marks by lightness (each box focused by Tab in turn shows it black for its own L* of 50 or more, else
// white) | seed n (packed) | all n (every proposal) | dialog k (opened preset with box k's color) | menu k
// (its copy items are box k's) | items I (its other items, "(off)" disabled, "(on)" checked) | menu at k |
// menu at pointer k (at the right click) | palette n (the nine colors as after step n, 0 before the first)
// | kept k (box k kept its color, shows the kept mark, is read with ", kept") | saved PATH (Pillow reads
// the palette shown from it) | file PATH T (it holds T, or none) | anything else was shown by a dialog, a
// message or the desktop ("url ...", "message title|text|icon", "refused by the cursor").
// After every row a screen reader's press on box 3 copies it (the window takes input again), and the test's
// folder holds no file that the steps do not name.
const char* const kActions = R"(
start-up | nothing | -1 | | - | 0 | no | size 239 322; seed 13145700; focus 0; mark none
hover | hover 3 | -1 | box 3 | - | 0 | no | tooltip 3
click on the seed | click 0 | 0 | RGB 100, 150, 200 | C89664 | 0 | no | changes 1
drop: web hex | drop text #6496C8 on 5 | -1 | | - | -1 | yes | seed 13145700
drop: short hex, lower case, white space around | drop text %09#f80%0A on 5 | -1 | | - | -1 | yes | seed 35071
drop: rgb with spaces, in capitals | drop text RGB(100 150 200) on 1 | -1 | | - | -1 | yes | seed 13145700
drop: rgba with an alpha of 1 | drop text rgba(1, 2, 3, 1) on 0 | -1 | | - | -1 | yes | seed 197121
drop: a CSS name, beside the boxes | drop text SteelBlue on -1 | -1 | | - | -1 | yes | seed 11829830
drop: application/x-color, opaque | drop x-color 010102020303ffff on 2 | -1 | | - | -1 | yes | seed 197121
refused: six hex digits without '#', no message | drop text C89664 on 2 | -1 | | - | 0 | no | refused by the cursor
refused: a channel over 255 | drop text rgb(256, 0, 0) on 2 | -1 | | - | 0 | no | refused by the cursor
refused: half transparent | drop text rgba(1, 2, 3, 0.5) on 2 | -1 | | - | 0 | no | refused by the cursor
refused: transparent | drop text transparent on 2 | -1 | | - | 0 | no | refused by the cursor
refused: a control character inside | drop text #64%0196C8 on 2 | -1 | | - | 0 | no | refused by the cursor
refused: five megabytes | drop 5000000 bytes of # on 2 | -1 | | - | 0 | no | refused by the cursor
refused: application/x-color of the wrong size | drop x-color 010102020303 on 2 | -1 | | - | 0 | no | refused by the cursor
refused: application/x-color, translucent | drop x-color 010102020303ff80 on 2 | -1 | | - | 0 | no | refused by the cursor
paste: the clipboard's color as the seed | click 3; clipboard text rgb(1, 2, 3); key Ctrl+V | -1 | | rgb(1, 2, 3) | -1 | yes | seed 197121
paste no color: a message | clipboard text C89664; ok; key Ctrl+V | -1 | | C89664 | 0 | no | message Corvella|The clipboard holds no color: 'C89664'. Write it as #RRGGBB or rgb(r, g, b).|0
paste from the menu, which shows the color | clipboard text steelblue; choose Up Up Return; menu 3 | -1 | | steelblue | -1 | yes | seed 11829830; items Keep this color|Undo (off)|Redo (off)||Paste #4682B4 as seed|Save the palette…
paste a huge text: the message quotes 40 characters | clipboard 5000000 bytes of #; ok; key Ctrl+V | -1 | | unchanged | 0 | no | message Corvella|The clipboard holds no color: '########################################'. Write it as #RRGGBB or rgb(r, g, b).|0
undo a paste | clipboard text black; key Ctrl+V; key Ctrl+Z | -1 | | black | -1 | yes | palette 0
background click | click 8; key Tab; at 5 5 | -1 | box 8 | box 8 | 0 | no | mark none
click on the band | click 2; at 230 240 | -1 | box 2 | box 2 | 0 | no |
click on the read-out | click 2; at 20 312 | 2 | box 2 | box 2 | 0 | no |
a press on the eyedropper released beside it | at 13 259 60 300 | -1 | | - | 0 | no |
'>', left button | click 3; key Tab; next 1 | -1 | | box 3 | 0 | yes RB | mark none
'>', right button | next 2 | -1 | | - | 0 | yes |
slider: right, middle row | click 4; key Tab; at 195 267 | -1 | | box 4 | 0 | yes BR | slider 15; focus 0; mark none
slider: left, top row | at 37 249 | -1 | | - | 0 | yes R | slider 5
slider: drag the thumb | drag 119 | -1 | | - | 0 | yes | slider 40-60
slider: wheel | wheel 1 | -1 | | - | 0 | yes R | slider 13
slider at 0: the seed's round trip | set 0 | -1 | | - | 0 | yes | all 13211493
double-click a proposal | dclick 4 | -1 | | box 4 | 4 | yes |
dialog preset: the last proposal | dialog; dclick 0 | 0 | RGB 100, 150, 200 | C89664 | 8 | yes | dialog 8
dialog: black takes the preset | dialog 0 0 0; dclick 0 | 0 | RGB 100, 150, 200 | C89664 | 8 | yes |
dialog: a color | dialog 1 2 3; dclick 0 | 0 | RGB 100, 150, 200 | C89664 | -1 | yes | seed 197121
dialog cancelled, a screen reader meanwhile | dialog cancel after presses; dclick 0 | 0 | RGB 100, 150, 200 | C89664 | 0 | no |
two hex digits a channel | dialog 1 2 3; dclick 0; click 0 | 0 | RGB 1, 2, 3 | 030201 | 0 | no |
eyedropper cancelled, a screen reader meanwhile | click 3; key Tab; pick escape after presses; ok after presses; eyedropper | 3 | | box 3 | 0 | yes | message Corvella|No color picked.|0; mark none
eyedropper picks box 6 | click 3; pick 6; eyedropper | 3 | | box 3 | 6 | yes |
notice | click 1; key Tab; notice | 1 | box 1 | box 1 | 0 | no | url http://www.quenlot.example/color/; mark none
menu: web form, a screen reader meanwhile | click 5; choose Down Return after presses; menu 3 | 5 | box 3 | web 3 | 0 | no | menu 3; menu at pointer 3; changes 1
menu: CSS form | choose Down Down Return; menu 0 | -1 | box 0 | rgb(100, 150, 200) | 0 | no | menu 0
menu: the whole palette | choose Down Down Down Return; menu 6 | -1 | box 6 | palette | 0 | no |
Menu key: at the box, the rectangle stays | key Down; choose Down Return; key Menu | -1 | | web 7 | 0 | no | menu at 7; mark black
Shift+F10 | key Right; choose Down Return; key Shift+F10 | -1 | | web 5 | 0 | no | menu at 5
arrows by place in the grid | key Left Up | -1 | | - | 0 | no | focus 1; mark black
no wrap at the edges | key Down Down Down Right Right | -1 | | - | 0 | no | focus 8
Tab: the boxes only | key Tab Tab Tab Tab Tab Tab Tab Tab Tab | -1 | | - | 0 | no | focus 0; mark black
Shift+Tab | key Shift+Tab | -1 | | - | 0 | no | focus 8; mark black
a click on the focused box hides it | key Tab Shift+Tab; click 0 | 0 | RGB 100, 150, 200 | C89664 | 0 | no | focus 0; mark none
white on a dark box | dialog 20 20 20; dclick 0; activate; key Tab Shift+Tab | 0 | RGB 100, 150, 200 | C89664 | 0 | no | focus 0; mark white
each box its own color | dialog 118 118 118; dclick 0; set 100; activate; nothing | -1 | | C89664 | 0 | no | marks by lightness
held Space clicks once | key Right; key Space*3 | 5 | box 5 | box 5 | 0 | no | changes 1
held Enter on a proposal acts once | key Down; key Return*3 | -1 | | - | 7 | yes R |
held keypad Enter on the centre: the dialog once | dialog cancel after repeats Num+Enter; key Num+Enter*3 | -1 | | - | 0 | no | dialog 8
held Ctrl+R draws once | click 1; key Ctrl+R*3 | -1 | | box 1 | 0 | yes RB |
held +, Shift+= on a US layout, steps on | key Shift++*3 | -1 | | - | 0 | yes RRR | slider 25
keypad - | key Num+- | -1 | | - | 0 | yes R | slider 5
Ctrl+E picks | pick 2; key Ctrl+E | -1 | | - | 2 | yes |
screen reader: '>' | click 2; press lbPageScroll | -1 | | box 2 | 0 | yes RB |
screen reader: the eyedropper | pick 6; press colorPicker | -1 | | - | 6 | yes |
screen reader: the notice | press imageCopyright | -1 | | - | 0 | no | url http://www.quenlot.example/color/
other keys, a plain R among them | key A R Delete Home Escape | -1 | | - | 0 | no | focus 0; mark none
undo '>' | click 0; next 1; key Ctrl+Z | -1 | | C89664 | 0 | yes | palette 0
undo a drag of the thumb: one step, the slider back without a draw | drag 119; key Ctrl+Z | -1 | | - | 0 | yes | palette 0; slider 10
undo the wheel from the menu | wheel 1; choose Down Down Down Down Down Return; menu 3 | -1 | | - | 0 | yes | palette 0; slider 10
undo a new seed | dclick 4; key Ctrl+Z | -1 | | box 0 | -1 | yes | palette 0
undo a pick | pick 6; eyedropper; activate; key Ctrl+Z | -1 | | - | -1 | yes | palette 0
redo: Ctrl+Shift+Z and Ctrl+Y | next 1; next 1; key Ctrl+Z Ctrl+Z; key Ctrl+Shift+Z Ctrl+Y | -1 | | - | -1 | yes | palette 2
a new change drops the redo | next 1; key Ctrl+Z; next 1; key Ctrl+Y | -1 | | - | 0 | no | palette 3
the menu: the seed cannot be kept, nothing to redo | next 1; key Ctrl+Z; choose Escape; menu 0 | -1 | box 0 | - | 0 | no | items Keep this color (off)|Undo (off)|Redo||Paste as seed|Save the palette…
kept through '>' | key Right K; next 1 | -1 | | - | 0 | yes | kept 5
kept through a new seed | key Right K; dclick 4 | -1 | | box 4 | 4 | yes | kept 5
kept from the menu, on a dark box | dialog 20 20 20; dclick 0; activate; choose Down Down Down Down Return; menu 3 | 0 | box 3 | C89664 | 0 | no | kept 3
released by K again | key Right K K; next 1 | -1 | | - | 0 | yes |
undo brings back what was kept | key Right K; next 1; key K; key Ctrl+Z | -1 | | - | 0 | yes | palette 0; kept 5
the seed is never kept | key K | -1 | | - | 0 | no |
save: proposed in the home folder | save TMP/mine.gpl; key Ctrl+S | -1 | | - | 0 | no | save HOME/corvella-6496C8.gpl; saved TMP/mine.gpl
save from the menu | next 1; save TMP/menu.gpl; choose Up Return; menu 2 | -1 | box 2 | - | 0 | no | saved TMP/menu.gpl
replacing a file: No keeps it | existing TMP/old.gpl; no; save TMP/old.gpl; key Ctrl+S | -1 | | - | 0 | no | file TMP/old.gpl old
replacing a file: Yes replaces it | existing TMP/old.gpl; ok; save TMP/old.gpl; key Ctrl+S | -1 | | - | 0 | no | saved TMP/old.gpl
no permission: the file and the reason | ok; save /sys/corvella.gpl; key Ctrl+S | -1 | | - | 0 | no | message Corvella|The palette could not be saved as /sys/corvella.gpl: Permission denied.|2
no such folder: no file either | ok; save TMP/none/p.gpl; key Ctrl+S | -1 | | - | 0 | no | message Corvella|The palette could not be saved as TMP/none/p.gpl: No such file or directory.|2
)";

QWidget* control(const QString& name) {
    return mainModule::mainForm().findChild<QWidget*>(name);
}
QFrame* box(int k) {
    return static_cast<QFrame*>(control(QStringLiteral("picPalette%1").arg(k)));
}
QSlider* slider() {
    return static_cast<QSlider*>(control(QStringLiteral("sdLightChroma")));
}
QColor shown(int k) {
    return box(k)->palette().color(QPalette::Window);
}
int packed(const QColor& c) {
    return c.red() + c.green() * 256 + c.blue() * 65536;
}
// The box whose four corners show the black border as drawn on the screen; 99 for two or more.
int borderedBox() {
    int found = -1;
    for (int k = 0; k < 9; ++k) {
        const QImage image = box(k)->grab().toImage();
        const int r = image.width() - 1, b = image.height() - 1;
        bool bordered = shown(k) != Qt::black;
        for (const QPoint corner : {QPoint(0, 0), QPoint(r, 0), QPoint(0, b), QPoint(r, b)})
            bordered = bordered && image.pixelColor(corner) == Qt::black;
        found = !bordered ? found : found == -1 ? k : 99;
    }
    return found;
}
int focusedBox() {
    const QWidget* focus = QApplication::focusWidget();
    return focus && focus->objectName().startsWith("picPalette") ? focus->objectName().back().digitValue()
                                                                 : -1;
}

// The texts a color is shown and copied as, written out here apart from the program's own.
QString rgbText(const QColor& c) {
    return QStringLiteral("RGB %1, %2, %3").arg(c.red()).arg(c.green()).arg(c.blue());
}
QString webText(const QColor& c) {
    return QString::asprintf("#%02X%02X%02X", c.red(), c.green(), c.blue());
}
QString clickText(const QColor& c) { // blue, green, red
    return QString::asprintf("%02X%02X%02X", c.blue(), c.green(), c.red());
}

// A color's L*a*b*, unrounded, as the color core (tested on its own) converts it.
corvColor::Lab lab(const QColor& c) {
    return corvColor::labOf(corvColor::channelsOf(packed(c)));
}

// The mean difference, per channel from 0 to 255, between what the label shows and the picture file (or
// its twice-size drawing, as such) drawn over the window's white: transparent where the file says (the
// icon where it is black, the GIF by its transparent index).
double difference(QWidget* label, QString file, bool twice) {
    QImage drawn = QImage(":/pictures/" + file.replace('.', twice ? "@2x." : "."))
                       .convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < drawn.height() && file.endsWith(".ico"); ++y) {
        for (int x = 0; x < drawn.width(); ++x)
            drawn.setPixelColor(
                x, y, drawn.pixelColor(x, y) == Qt::black ? Qt::transparent : drawn.pixelColor(x, y));
    }
    QPixmap picture = QPixmap::fromImage(drawn);
    picture.setDevicePixelRatio(twice ? 2 : 1);
    const QImage onScreen = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage expected(onScreen.size(), QImage::Format_RGB32);
    expected.setDevicePixelRatio(onScreen.devicePixelRatio());
    expected.fill(Qt::white);
    QPainter painter(&expected);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(0, 0, picture);
    double sum = 0;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb a = onScreen.pixel(x, y), b = expected.pixel(x, y);
            sum +=
                std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
        }
    }
    return sum / (3.0 * expected.width() * expected.height());
}

// A folder of the test's own for the files a row saves; "TMP" in a step or fact stands for it.
QString folder;
QString inFolder(QString path) {
    return path.replace(QStringLiteral("TMP"), folder);
}

// A saved palette as Pillow's reader of GIMP palettes sees it (it numbers the entries by line, so the
// header's three lines are entries 0 to 2), then the file's own text; gimpText: what they must be.
QString readPalette(const QString& path) {
    QProcess pillow;
    pillow.start("/usr/bin/python3", {"-c",
                                      "import sys; from PIL.GimpPaletteFile import GimpPaletteFile\n"
                                      "p = GimpPaletteFile(open(sys.argv[1], 'rb')).getpalette()[0]\n"
                                      "print(' '.join(str(v) for v in p[9:36]))",
                                      inFolder(path)});
    pillow.waitForFinished();
    QFile file(inFolder(path));
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(pillow.readAllStandardOutput() + pillow.readAllStandardError() + file.readAll());
}
QString gimpText(const QList<QColor>& colors) {
    QString values, lines;
    for (int k : {1, 2, 3, 4, 0, 5, 6, 7, 8}) {
        const QString rgb =
            QString::asprintf("%d %d %d", colors[k].red(), colors[k].green(), colors[k].blue());
        values += ' ' + rgb;
        lines += rgb + '\t' + webText(colors[k]) + '\n';
    }
    return values.mid(1) + "\nGIMP Palette\nName: Corvella " + webText(colors[0]).mid(1) +
           "\nColumns: 3\n#\n" + lines;
}

// Every proposal but the kept ones lies in the cylinder around the seed on screen at the slider's spread,
// with room for the rounding of the seed's and its own conversion.
QString strayProposal(const QList<int>& kept) {
    const corvColor::Lab seed = lab(shown(0));
    const int spread = slider()->value();
    for (int k = 1; k <= 8; ++k) {
        const corvColor::Lab p = lab(shown(k));
        if (!kept.contains(k) &&
            (std::abs(p.L - seed.L) > spread + 2 || std::hypot(p.a - seed.a, p.b - seed.b) > spread + 3))
            return QStringLiteral("%1 not around %2 at %3")
                .arg(rgbText(shown(k)), rgbText(shown(0)))
                .arg(spread);
    }
    return {};
}

// Notes, in order, each redraw (box 8 is painted last) and each change of a border.
class Log : public QObject {
public:
    Log() { qApp->installEventFilter(this); }
    ~Log() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::PaletteChange && watched->objectName() == QLatin1String("picPalette8"))
            entries += QLatin1Char('R');
        if (event->type() == QEvent::ContentsRectChange && watched->objectName().startsWith("picPalette"))
            entries += QLatin1Char('B');
        return false;
    }
    QString entries;
};

// What dialogs, message boxes, menus and the desktop were asked to show, in order; and what a step's
// dialog, message, menu or overlay let through while it was up (empty when the gate held).
QStringList seen, stray;

QWidget* overlay();
void keys(const QStringList& names, QWindow* held = nullptr);
void act(const QString& step);

// Every 2 s, whatever stays open longer than a step should (a dialog, message, menu or overlay that no
// answer closes, or that a press opened when it should not have) is closed with Escape and noted: a fault
// fails the row instead of hanging it.
void closeWhatStaysOpen() {
    for (QWidget* open : {QApplication::activePopupWidget(), QApplication::activeModalWidget(), overlay()}) {
        if (open) {
            stray << QStringLiteral("%1 left open").arg(open->metaObject()->className());
            return QTest::keyClick(open, Qt::Key_Escape);
        }
    }
}

// A screen reader's press through the control's accessible interface, and whatever it queued, done.
QAccessibleInterface* accessible(const QString& name) {
    return QAccessible::queryAccessibleInterface(control(name));
}
void press(const QString& name) {
    accessible(name)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTest::qWait(20);
}

// Data as another program offers it (see the clipboard step).
void setMimeData(QMimeData& data, const QString& offered) {
    const QString kind = offered.section(' ', 0, 0), rest = offered.section(' ', 1);
    if (kind == "text")
        data.setText(QString::fromUtf8(QByteArray::fromPercentEncoding(rest.toUtf8())));
    else if (kind == "x-color")
        data.setData("application/x-color", QByteArray::fromHex(rest.toLatin1()));
    else
        data.setText(QString(number(kind), rest.back()));
}

// "after presses": a screen reader presses and sets everything, a color is dropped and the wheel turns on
// the slider (as where a grab failed): none may be offered, and none may act.
void pressEverything() {
    for (const char* name : {"picPalette3", "lbPageScroll", "colorPicker", "imageCopyright"}) {
        if (!accessible(name)->actionInterface()->actionNames().isEmpty())
            stray << QStringLiteral("%1 offered a press").arg(name);
        press(name);
    }
    accessible("sdLightChroma")->valueInterface()->setCurrentValue(50);
    act("drop text #010203 on 5");
    act("wheel 1");
    QTest::qWait(50);
}

// What a message or the color dialog shows; a menu's items, then where it opened.
QStringList described(QWidget* up) {
    if (auto* box = qobject_cast<QMessageBox*>(up))
        return {QStringLiteral("message %1|%2|%3").arg(box->windowTitle(), box->text()).arg(box->icon())};
    if (auto* dialog = qobject_cast<QColorDialog*>(up))
        return {QString::asprintf("dialog %d%s", packed(dialog->currentColor()),
                                  dialog->testOption(QColorDialog::DontUseNativeDialog) ? "" : " native")};
    if (!qobject_cast<QMenu*>(up))
        return {};
    QStringList items;
    for (const QAction* action : up->actions())
        items << action->text() + (action->isEnabled() ? "" : " (off)") +
                     (action->isChecked() ? " (on)" : "");
    return {"menu " + items.join('|'), QString::asprintf("at %d %d", up->x(), up->y())};
}

// Acts on what a later step opens once it is up, noting what it shows; "presses" or "repeats KEY" first
// tries the screen reader or a held key on it. Polls rather than waits: each of them blocks the step in an
// event loop of its own.
void answer(const std::function<QWidget*()>& find, const QString& meanwhile,
            const std::function<void(QWidget*)>& act) {
    auto* poll = new QTimer(qApp);
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [=] {
        QWidget* up = find();
        if (!up && ++*tries < 500)
            return;
        poll->deleteLater();
        poll->stop();
        if (!up)
            return;
        seen << described(up);
        if (meanwhile == "presses")
            pressEverything();
        else if (meanwhile.startsWith("repeats ")) // two repeats of a key held down, to what is up
            keys({meanwhile.section(' ', 1) + "*2"}, up->window()->windowHandle());
        if (!up->isVisible())
            stray << QStringLiteral("%1 closed by %2").arg(up->metaObject()->className(), meanwhile);
        act(up);
    });
    poll->start(10);
}
template <typename T> QWidget* modal() {
    return qobject_cast<T*>(QApplication::activeModalWidget());
}
QWidget* menu() {
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}
QWidget* overlay() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->objectName() == QLatin1String("colorPickerOverlay"))
            return widget;
    }
    return nullptr;
}

// Keys as X delivers them (see the key step), to the window with the focus (Qt hands them on to an open
// menu), or only the repeats of keys already held down, to window `held`; X's platform plugin also turns
// the Menu key into a context menu event.
void keys(const QStringList& names, QWindow* held) {
    for (const QString& name : names) {
        const QKeyCombination key = QKeySequence(name.section('*', 0, 0))[0];
        const int presses = name.contains('*') ? number(name.section('*', 1)) : 1;
        QVERIFY2(key.key() != Qt::Key_unknown && presses > 0, qPrintable("not a key: " + name));
        const Qt::KeyboardModifiers modifiers = key.keyboardModifiers();
        const QString text = modifiers & ~(Qt::ShiftModifier | Qt::KeypadModifier)
                                 ? QString()
                                 : QString(QTest::keyToAscii(key.key()));
        const auto send = [&](QEvent::Type type, bool repeat) {
            qt_handleKeyEvent(held ? held : QGuiApplication::focusWindow(), type, key.key(), modifiers, text,
                              repeat);
        };
        for (int i = 0; i < presses; ++i) {
            if (i > 0 || held)
                send(QEvent::KeyRelease, true);
            send(QEvent::KeyPress, i > 0 || held);
        }
        if (!held)
            send(QEvent::KeyRelease, false);
        if (key.key() == Qt::Key_Menu) {
            QWidget* focus = QApplication::focusWidget();
            QContextMenuEvent event(QContextMenuEvent::Keyboard, focus->mapFromGlobal(QCursor::pos()),
                                    QCursor::pos());
            QApplication::sendEvent(focus, &event);
        }
    }
}

// One step of a user's session, as the table writes it.
void act(const QString& step) {
    const QString meanwhile = step.section(QStringLiteral(" after "), 1);
    const QStringList w = step.section(QStringLiteral(" after "), 0, 0).split(QLatin1Char(' '));
    const QString verb = w[0];
    const auto arg = [w](int i) { return number(w.value(i)); };
    const auto centre = [](int k) { return box(k)->rect().center(); };
    QWindow* const window = mainModule::mainForm().windowHandle();
    if (verb == "nothing") {
    } else if (verb == "hover") {
        QTest::mouseMove(box(arg(1)), centre(arg(1)));
    } else if (verb == "click") {
        QTest::mouseClick(box(arg(1)), Qt::LeftButton, {}, centre(arg(1)));
    } else if (verb == "dclick") {
        QTest::mouseDClick(box(arg(1)), Qt::LeftButton, {}, centre(arg(1)));
    } else if (verb == "drop") { // as Qt's drag and drop delivers another program's data at box k
        QMimeData data;
        setMimeData(data, w.mid(1, w.size() - 3).join(' '));
        const int k = arg(static_cast<int>(w.size()) - 1);
        const QPointF at = k < 0 ? QPointF(2, 2) : box(k)->geometry().center();
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&mainModule::mainForm(), &enter);
        if (enter.isAccepted())
            QApplication::sendEvent(&mainModule::mainForm(), &drop);
        else
            seen << QStringLiteral("refused by the cursor");
    } else if (verb == "clipboard") {
        auto* data = new QMimeData;
        setMimeData(*data, w.mid(1).join(' '));
        QApplication::clipboard()->setMimeData(data);
    } else if (verb == "at") {
        QTest::mousePress(window, Qt::LeftButton, {}, QPoint(arg(1), arg(2)));
        QTest::mouseRelease(window, Qt::LeftButton, {},
                            w.size() == 5 ? QPoint(arg(3), arg(4)) : QPoint(arg(1), arg(2)));
    } else if (verb == "next") {
        QTest::mouseClick(control("lbPageScroll"), Qt::MouseButton(arg(1)), {}, QPoint(10, 10));
    } else if (verb == "drag") { // from the thumb at value 10, through three values on the way
        QTest::mousePress(window, Qt::LeftButton, {}, QPoint(57, 263));
        for (int part = 1; part <= 3; ++part)
            QTest::mouseMove(window, QPoint(57 + (arg(1) - 57) * part / 3, 263));
        QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(arg(1), 263));
    } else if (verb == "wheel") {
        QWheelEvent wheel({20, 10}, slider()->mapToGlobal(QPointF(20, 10)), {}, QPoint(0, 120 * arg(1)),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(slider(), &wheel);
    } else if (verb == "set") {
        slider()->setValue(arg(1));
    } else if (verb == "activate") {
        mainModule::mainForm().activateWindow();
        QTRY_COMPARE(QGuiApplication::focusWindow(), window);
    } else if (verb == "eyedropper" || verb == "notice") {
        QTest::mouseClick(control(verb == "notice" ? "imageCopyright" : "colorPicker"), Qt::LeftButton, {},
                          {20, 4});
    } else if (verb == "press") {
        press(w[1].front().isDigit() ? QStringLiteral("picPalette%1").arg(arg(1)) : w[1]);
    } else if (verb == "key") {
        keys(w.mid(1));
    } else if (verb == "menu") {
        QTest::mouseClick(box(arg(1)), Qt::RightButton, {}, centre(arg(1)) - QPoint(9, 7));
    } else if (verb == "dialog") {
        answer(modal<QColorDialog>, meanwhile, [w, arg](QWidget* up) {
            auto* colors = static_cast<QColorDialog*>(up);
            if (w.size() == 4)
                colors->setCurrentColor(QColor(arg(1), arg(2), arg(3)));
            w.value(1) == "cancel" ? colors->reject() : colors->accept();
        });
    } else if (verb == "ok" || verb == "no") {
        answer(modal<QMessageBox>, meanwhile, [verb](QWidget* up) {
            auto* box = static_cast<QMessageBox*>(up);
            const auto button = verb == "no"                    ? QMessageBox::No
                                : box->button(QMessageBox::Yes) ? QMessageBox::Yes
                                                                : QMessageBox::Ok;
            box->button(button)->click();
        });
    } else if (verb == "save") { // cancelled if it stays up: QFileDialog's own accept asks before replacing
        answer(modal<QFileDialog>, meanwhile, [w](QWidget* up) {
            auto* dialog = static_cast<QFileDialog*>(up);
            seen << "save " + dialog->selectedFiles().value(0).replace(QDir::homePath(), "HOME");
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(inFolder(w[1])); // as the user types it
            static_cast<QDialog*>(dialog)->accept();
            if (dialog->isVisible())
                dialog->reject();
        });
    } else if (verb == "existing") {
        QFile file(inFolder(w[1]));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("old\n") == 4);
    } else if (verb == "choose") {
        answer(menu, meanwhile, [w](QWidget*) { keys(w.mid(1)); });
    } else if (verb == "pick") {
        answer(overlay, meanwhile, [w, arg, centre](QWidget* up) {
            if (w[1] == "escape")
                return QTest::keyClick(up, Qt::Key_Escape);
            QTest::mouseClick(up, Qt::LeftButton, {},
                              up->mapFromGlobal(box(arg(1))->mapToGlobal(centre(arg(1)))));
        });
    } else {
        QFAIL(qPrintable("unknown step " + step));
    }
}

// The focus rectangle as the user sees it on the focused box: its color, then for the left, top, right and
// bottom side the pixels inside the edge (beyond the border's) where its line lies, and "dashed" when each
// of those lines has gaps; "none" without one.
QString focusMark() {
    const int k = focusedBox();
    if (k < 0)
        return QStringLiteral("no box has the focus");
    const QImage image = box(k)->grab().toImage();
    const int ratio = qRound(image.devicePixelRatio()), w = image.width(), h = image.height();
    QString color, sides;
    bool dashed = true;
    for (int side = 0; side < 4; ++side) { // lines i from the edge, pixels j along them, the middle half
        const int length = side % 2 ? w : h;
        QList<int> lines;
        for (int i = ratio; i < length / 2; ++i) {
            int marks = 0;
            for (int j = length / 4; j < length * 3 / 4; ++j) {
                const int across = side < 2 ? i : (side == 2 ? w : h) - 1 - i;
                const QColor c = image.pixelColor(side % 2 ? j : across, side % 2 ? across : j);
                marks += c != shown(k);
                color = c == shown(k) ? color : c.name();
            }
            if (marks)
                lines << i;
            dashed = dashed && marks < length / 2;
        }
        sides += lines.isEmpty() ? QStringLiteral(" -")
                                 : QString::asprintf(" %g-%g", lines.first() / double(ratio),
                                                     (lines.last() + 1) / double(ratio));
    }
    return color.isEmpty() ? QStringLiteral("none") : color + sides + (dashed ? " dashed" : "");
}

// The program in a child process, as the programs rows ask for it.
int child(const QByteArray& mode) {
    mainModule::Main();
    answer(modal<QMessageBox>, {}, [](QWidget* up) {
        std::printf("%s\n", qPrintable(static_cast<QMessageBox*>(up)->text()));
        std::fflush(stdout); // before a run-time error ends the program
        static_cast<QMessageBox*>(up)->accept();
    });
    const int seed = paletteColors(0), first = paletteColors(1);
    if (mode == "error") {
        errorReport::runGuarded([] { corvella::raiseOverflow(); });
    } else if (mode == "dialogs") {
        QColorDialog::setCustomColor(0, QColor(7, 8, 9));
        act(QStringLiteral("dialog 1 2 3"));
        act(QStringLiteral("dclick 0"));
        answer(modal<QFileDialog>, {}, [](QWidget* up) { static_cast<QFileDialog*>(up)->reject(); });
        mainModule::mainForm().perform(Action::save);
    } else {
        act(QStringLiteral("eyedropper"));
    }
    std::printf("%s\n", paletteColors(0) == seed && paletteColors(1) == first ? "unchanged" : "changed");
    mainModule::unloadMainForm();
    return 0;
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT
    std::optional<QTemporaryDir> files;
public slots:
    void openUrl(const QUrl& url) { seen << QStringLiteral("url %1").arg(url.toString()); }

private slots:
    void initTestCase() { QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "openUrl"); }
    void init() {
        QVERIFY(files.emplace().isValid());
        folder = files->path();
        mainModule::Main();
        QVERIFY(QTest::qWaitForWindowActive(&mainModule::mainForm()));
        QTest::mouseMove(mainModule::mainForm().windowHandle(), QPoint(230, 315)); // the pointer on the band
        QApplication::clipboard()->setText(QStringLiteral("-"));
        seen.clear();
        stray.clear();
    }
    void cleanup() { mainModule::unloadMainForm(); }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }

    void actions_data() {
        addRows(kActions, {"steps", "border", "readOut", "copied", "seed", "redrawn", "other"});
    }
    void actions() {
        const auto [steps, border, readOut, copied, seed, redrawn, other] =
            cells("steps", "border", "readOut", "copied", "seed", "redrawn", "other");
        QStringList list = steps.split(QStringLiteral("; "));
        const QString last = list.takeLast();
        QTimer watchdog;
        QObject::connect(&watchdog, &QTimer::timeout, closeWhatStaysOpen);
        watchdog.start(2000);
        const auto palette = [] {
            QList<QColor> colors;
            for (int k = 0; k < 9; ++k)
                colors << shown(k);
            return colors;
        };
        QList<QList<QColor>> palettes{palette()}; // as at the start and after each step
        for (const QString& step : list) {
            act(step);
            palettes << palette();
        }
        const QList<QColor> before = palettes.back();
        const QString clipboard = QApplication::clipboard()->text();
        const QSignalSpy changes(QApplication::clipboard(), &QClipboard::dataChanged);
        const Log log;
        act(last);
        if (QGuiApplication::focusWindow() == nullptr) // as a window manager does once a dialog has gone
            act(QStringLiteral("activate"));
        palettes << palette();
        const QStringList facts = other.split(QStringLiteral("; "), Qt::SkipEmptyParts);
        QList<int> kept;
        for (const QString& fact : facts.filter(QRegularExpression("^kept ")))
            kept << number(fact.section(' ', 1));

        const auto text = [&](const QString& token, bool rgb) { // a cell of the read-out or clipboard
            const QString kind = token.section(' ', 0, 0);
            const QColor c =
                kind == "box" || kind == "web" ? before.value(number(token.section(' ', 1))) : QColor();
            QString lines;
            for (int k : {1, 2, 3, 4, 0, 5, 6, 7, 8})
                lines += webText(before[k]) + QLatin1Char('\n');
            return kind == "box"          ? (rgb ? rgbText(c) : clickText(c))
                   : kind == "web"        ? webText(c)
                   : token == "unchanged" ? clipboard
                   : token == "palette"   ? lines
                                          : token;
        };
        QCOMPARE(borderedBox(), number(border));
        QCOMPARE(control("lbRGB")->property("text").toString(), text(readOut, true));
        QCOMPARE(QApplication::clipboard()->text(), text(copied, false));
        if (seed != "-1")
            QCOMPARE(shown(0), before.value(number(seed)));
        bool changed = false;
        for (int k = 0; k < 9; ++k) { // as painted, as stored, and as a screen reader reads each box
            QCOMPARE(paletteColors(k), packed(shown(k)));
            QCOMPARE(accessible(box(k)->objectName())->text(QAccessible::Description),
                     rgbText(shown(k)) + ", " + webText(shown(k)) + (kept.contains(k) ? ", kept" : ""));
            changed = changed || (k > 0 && shown(k) != before[k]);
        }
        QVERIFY2(QRegularExpression("^(no|yes( [BR]+)?)$").match(redrawn).hasMatch(), qPrintable(redrawn));
        QCOMPARE(changed, redrawn.startsWith("yes"));
        QCOMPARE(strayProposal(kept), QString());
        if (redrawn.size() > 4)
            QCOMPARE(log.entries, redrawn.mid(4));

        for (const QString& fact : facts) {
            const QString what = fact.section(' ', 0, 0), value = fact.section(' ', 1);
            const bool aboutBox =
                QStringList{"tooltip", "focus", "dialog", "menu", "kept", "palette"}.contains(what);
            const int k = aboutBox ? number(value.section(' ', -1)) : 0;
            const QColor c = before.value(k);
            const QPoint menuAt =
                box(k)->mapToGlobal(box(k)->rect().center()) -
                (fact.contains("pointer") ? QPoint(9, 7) : QPoint()); // where the right click was
            const QWidget& form = mainModule::mainForm();
            if (what == "size")
                QCOMPARE(QStringLiteral("%1 %2").arg(form.width()).arg(form.height()), value);
            else if (what == "tooltip")
                QCOMPARE(box(k)->toolTip(), rgbText(c));
            else if (what == "changes")
                QCOMPARE(changes.size(), number(value));
            else if (what == "slider")
                QVERIFY(slider()->value() >= number(value.section('-', 0, 0)) &&
                        slider()->value() <= number(value.section('-', -1)));
            else if (what == "focus")
                QCOMPARE(focusedBox(), k);
            else if (what == "mark")
                QCOMPARE(focusMark(),
                         value == "none" ? value : QColor(value).name() + " 3-4 3-4 3-4 3-4 dashed");
            else if (what == "marks")
                for (int j = 0; j < 9; ++j) {
                    keys({"Tab"});
                    QCOMPARE(focusMark().section(' ', 0, 0),
                             QColor(lab(shown(focusedBox())).L >= 50 ? Qt::black : Qt::white).name());
                }
            else if (what == "seed")
                QCOMPARE(packed(shown(0)), number(value));
            else if (what == "all")
                for (int j = 1; j <= 8; ++j)
                    QCOMPARE(paletteColors(j), number(value));
            else if (what == "dialog")
                QCOMPARE(seen.value(0), QStringLiteral("dialog %1").arg(packed(c)));
            else if (fact.startsWith("menu at")) // at the box's centre, or at the right click
                QCOMPARE(seen.value(1), QString::asprintf("at %d %d", menuAt.x(), menuAt.y()));
            else if (what == "menu")
                QCOMPARE(seen.value(0).section("||", 0, 1),
                         QString::asprintf("menu Copy %s|Copy rgb(%d, %d, %d)||Copy the whole palette",
                                           qPrintable(webText(c)), c.red(), c.green(), c.blue()));
            else if (what == "items")
                QCOMPARE(seen.value(0).section("||", 2), value);
            else if (what == "palette")
                QCOMPARE(palettes.back(), palettes.value(k));
            else if (what == "kept") { // the mark inside the top right corner, in the box's contrast color
                const QImage image = box(k)->grab().toImage();
                const QPoint mark = QPoint(box(k)->width() - 4, 3) * image.devicePixelRatio();
                QCOMPARE(image.pixelColor(mark),
                         lab(shown(k)).L >= 50 ? QColor(Qt::black) : QColor(Qt::white));
                QCOMPARE(shown(k), c);
            } else if (what == "saved")
                QCOMPARE(readPalette(value), gimpText(before));
            else if (what == "file") {
                QFile file(inFolder(value.section(' ', 0, 0)));
                QCOMPARE(file.open(QIODevice::ReadOnly) ? QString(file.readAll()).trimmed() : "none",
                         value.section(' ', 1));
            } else
                QVERIFY2(seen.contains(inFolder(fact)), qPrintable(seen.join(QLatin1Char('\n'))));
        }
        QCOMPARE(stray, QStringList());
        for (const QString& name :
             QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            QVERIFY2(steps.contains("TMP/" + name), qPrintable(name + " was written")); // and nothing else

        // Whatever the row opened and closed, the window takes input again.
        act(QStringLiteral("press 3"));
        QCOMPARE(QApplication::clipboard()->text(), clickText(shown(3)));
    }

    // The program in a process of its own: how | what it printed ("\n" a line break), then what its
    // settings folder holds | its exit status. "pick LIBRARY": the eyedropper in a copy of this program
    // with LIBRARY beside it (- none); "error": a run-time error; "dialogs": the color and file dialogs,
    // which Qt would remember in the settings; "run": started and closed (Wayland compositors match its
    // window by the desktop file name it prints).
    void programs_data() {
        addRows(
            R"(
picker missing | pick - | The screen color picker is not available.\n\nlibcolorPicker.so is not installed next to Corvella.\nunchanged\n | 0
picker without PickColor | pick )" NO_PICK_LIBRARY
            R"( | The screen color picker is not available.\n\nFOLDER/libcolorPicker.so was found, but it does not provide PickColor.\nunchanged\n | 0
a run-time error | error | Run-time error '6':\n\nOverflow\n | 1
the dialogs keep nothing | dialogs | changed\n | 0
start and close | run | example.quenlot.Corvella\n | 0
)",
            {"how", "output", "status"});
    }
    void programs() {
        const auto [how, output, status] = cells("how", "output", "status");
        const QTemporaryDir folder;
        const QString library = how.section(' ', 1);
        QString program = QCoreApplication::applicationFilePath();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TST_WINDOW_CHILD", how.section(' ', 0, 0));
        environment.insert("XDG_CONFIG_HOME", folder.filePath("settings"));
        if (how.startsWith("pick")) {
            program = folder.filePath("program");
            QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), program));
            QVERIFY(library == "-" || QFile::copy(library, folder.filePath("libcolorPicker.so")));
        }
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(program, {});
        QVERIFY(child.waitForFinished(20000));
        const QStringList settings =
            QDir(folder.filePath("settings")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
        QCOMPARE(child.readAllStandardOutput() + settings.join(' '),
                 QString(output).replace("\\n", "\n").replace("FOLDER", QDir(folder.path()).canonicalPath()));
        QCOMPARE(child.exitCode(), number(status));
    }

    // Each picture as the user sees it at this run's scale: at scales 1 and 2 the label's pixels are
    // exactly its file, or its twice-size file, drawn over the window's white; in between, where Qt scales
    // them smoothly, they are much nearer the twice-size drawing than the other.
    void pictures_data() {
        addRows(R"(
eyedropper | colorPicker | eyedropper.ico
notice | imageCopyright | notice.gif
)",
                {"control", "file"});
    }
    void pictures() {
        const auto [name, file] = cells("control", "file");
        const qreal ratio = control(name)->devicePixelRatioF();
        const double twice = difference(control(name), file, true),
                     once = difference(control(name), file, false);
        if (ratio == 1 || ratio == 2)
            QCOMPARE(ratio == 1 ? once : twice, 0.0);
        else
            QVERIFY2(twice < 16 && twice < once / 2,
                     qPrintable(QString::asprintf("%g from the twice-size drawing, %g from the other", twice,
                                                  once)));
    }
};

int main(int argc, char* argv[]) {
    if (qgetenv("TST_WINDOW_CHILD") == "run") { // the program's own start, closed as soon as it runs
        qAddPreRoutine([] {
            QTimer::singleShot(0, [] {
                std::printf("%s\n", qPrintable(QGuiApplication::desktopFileName()));
                mainModule::mainForm().close();
            });
        });
        return mainModule::run(argc, argv);
    }
    QApplication application(argc, argv);
    TestWindow test;
    return qEnvironmentVariableIsSet("TST_WINDOW_CHILD") ? child(qgetenv("TST_WINDOW_CHILD"))
                                                         : QTest::qExec(&test, argc, argv);
}
#include "tst_window.moc"
