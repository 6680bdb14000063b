// The eyedropper in the window: the picker library loaded on first use from Corvella's own folder, a
// pick or a cancelled pick, a missing or planted library; and the maker's notice as a web link.
#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <cmath>

#include "corvColor.h"
#include "windowProbe.h"

using namespace windowProbe;
using corvPalette::paletteColors;

namespace {

const char* const kChildMode = "TST_EYEDROPPER_CHILD";

// Distinct files mapped into this process whose name contains `name`.
QStringList mappedFiles(const QString& name) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly)) {
        return {QStringLiteral("no /proc/self/maps")};
    }
    QStringList files;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QString path = QString::fromLocal8Bit(line.mid(line.indexOf('/')));
        if (line.contains('/') && path.contains(name) && !files.contains(path)) {
            files << path;
        }
    }
    return files;
}

// The picker's full-screen overlay, once it is up.
QWidget* overlay() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget != &window() && widget->isVisible() &&
            widget->windowFlags().testFlag(Qt::FramelessWindowHint)) {
            return widget;
        }
    }
    return nullptr;
}

void onOverlay(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        QTRY_VERIFY(overlay() != nullptr);
        act(overlay());
    });
}

struct MessageSeen {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int count = 0;
};

// Reads and closes every message box that comes up while `act` runs.
MessageSeen closingMessageBoxes(const std::function<void()>& act) {
    MessageSeen seen;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&seen] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen = {box->windowTitle(), box->text(), box->icon(), seen.count + 1};
            box->accept();
        }
    });
    watcher.start(20);
    act();
    return seen;
}

void clickEyedropper() {
    QTest::mouseClick(control("colorPicker"), Qt::LeftButton, {}, QPoint(20, 16));
}

QList<std::int32_t> wholePalette() {
    QList<std::int32_t> colors;
    for (int k = 0; k <= 9; ++k) {
        colors << paletteColors(k);
    }
    return colors;
}

// Child process, started from a copy of this program in a folder without the picker library, in a
// current folder holding a planted one that is also on the library path.
int clickWithoutOwnLibrary() {
    mainModule::Main();
    const QList<std::int32_t> before = wholePalette();
    const MessageSeen seen = closingMessageBoxes(clickEyedropper);
    std::printf("%d|%s|%s|%s\n", seen.count, qPrintable(seen.text.section(QLatin1Char('\n'), 0, 0)),
                wholePalette() == before ? "unchanged" : "changed",
                mappedFiles(QStringLiteral("colorPicker")).isEmpty() ? "nothing loaded" : "loaded");
    mainModule::unloadMainForm();
    return 0;
}

} // namespace

class TestEyedropper : public QObject {
    Q_OBJECT
public slots:
    void openUrl(const QUrl& url) { openedUrls << url; }

private slots:
    void initTestCase();
    void init();
    void libraryIsNotLoadedAtStart();
    void pickMakesTheSeed();
    void cancelledPickRegeneratesAroundSeed_data();
    void cancelledPickRegeneratesAroundSeed();
    void missingOrPlantedLibraryIsReported();
    void noticeOpensMakersPage();

private:
    QList<QUrl> openedUrls;
};

void TestEyedropper::initTestCase() {
    mainModule::Main();
    QApplication::setActiveWindow(&window());
    QVERIFY(QTest::qWaitForWindowActive(&window()));
}

void TestEyedropper::init() {
    window().border(-1);
    window().updateLabelRGB(-1);
}

void TestEyedropper::libraryIsNotLoadedAtStart() {
    QCOMPARE(mappedFiles(QStringLiteral("colorPicker")), {});
}

// Box 3's color picked from the frozen screen becomes the seed; the border stays where it was.
void TestEyedropper::pickMakesTheSeed() {
    const std::int32_t target = paletteColors(3);
    const QPoint onScreen = box(3)->mapToGlobal(centreOf(box(3)));
    window().border(5);
    window().updateLabelRGB(5);
    const QList<std::int32_t> before = wholePalette();
    onOverlay([onScreen](QWidget* frozen) {
        QTest::mouseClick(frozen, Qt::LeftButton, {}, frozen->mapFromGlobal(onScreen));
    });
    clickEyedropper();

    QCOMPARE(packed(mainModule::pickedRed, mainModule::pickedGreen, mainModule::pickedBlue), target);
    QCOMPARE(paletteColors(0), target);
    QCOMPARE(backgroundOf(box(0)), target);
    QVERIFY(wholePalette().mid(1, 8) != before.mid(1, 8));
    QCOMPARE(corvColor::curRed, corvColor::redOf(paletteColors(8)));
    QCOMPARE(corvColor::curBlue, corvColor::blueOf(paletteColors(8)));
    QVERIFY(hasBorder(5));
    QVERIFY(readOut()->text().isEmpty());
    QCOMPARE(mappedFiles(QStringLiteral("colorPicker")),
             {QCoreApplication::applicationDirPath() + QStringLiteral("/libcolorPicker.so")});
}

void TestEyedropper::cancelledPickRegeneratesAroundSeed_data() {
    QTest::addColumn<bool>("byEscape");
    QTest::newRow("Escape") << true;
    QTest::newRow("right click") << false;
}

// The bytes a failed pick leaves (black here) must not become the centre of the proposals.
void TestEyedropper::cancelledPickRegeneratesAroundSeed() {
    QFETCH(bool, byEscape);
    mainModule::pickedRed = mainModule::pickedGreen = mainModule::pickedBlue = 0;
    window().border(2);
    const std::int32_t seed = paletteColors(0);
    const QList<std::int32_t> before = wholePalette();
    onOverlay([byEscape](QWidget* frozen) {
        byEscape ? QTest::keyClick(frozen, Qt::Key_Escape) : QTest::mouseClick(frozen, Qt::RightButton);
    });
    const MessageSeen seen = closingMessageBoxes(clickEyedropper);

    QCOMPARE(seen.count, 1);
    QCOMPARE(seen.text, QStringLiteral("No color picked."));
    QCOMPARE(seen.title, QStringLiteral("Corvella"));
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QCOMPARE(paletteColors(0), seed);
    QCOMPARE(backgroundOf(box(0)), seed);
    QVERIFY(wholePalette().mid(1, 8) != before.mid(1, 8));
    corvColor::rgbToLab(corvColor::redOf(seed), corvColor::greenOf(seed), corvColor::blueOf(seed));
    const int seedLightness = corvColor::labL;
    for (int k = 1; k <= 8; ++k) {
        QCOMPARE(backgroundOf(box(k)), paletteColors(k));
        const double color = paletteColors(k);
        corvColor::rgbToLab(corvColor::redOf(color), corvColor::greenOf(color), corvColor::blueOf(color));
        QVERIFY2(std::abs(corvColor::labL - seedLightness) <= 11, qPrintable(QString::number(k)));
    }
    QVERIFY(hasBorder(2));
    QVERIFY(readOut()->text().isEmpty());
}

void TestEyedropper::missingOrPlantedLibraryIsReported() {
    QTemporaryDir programFolder;
    QVERIFY(programFolder.isValid());
    const QString copy = programFolder.filePath(QStringLiteral("tst_eyedropper"));
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
    QVERIFY(QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kChildMode), QStringLiteral("no-own-library"));
    environment.insert(QStringLiteral("LD_LIBRARY_PATH"), QStringLiteral(PLANTED_LIBRARY_FOLDER));
    child.setProcessEnvironment(environment);
    child.setWorkingDirectory(QStringLiteral(PLANTED_LIBRARY_FOLDER));
    child.start(copy, {});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(child.readAllStandardOutput().trimmed(),
             QByteArray("1|The screen color picker is not available.|unchanged|nothing loaded"));
}

void TestEyedropper::noticeOpensMakersPage() {
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "openUrl");
    window().border(4);
    window().updateLabelRGB(4);
    const QString caption = readOut()->text();
    const QList<std::int32_t> before = wholePalette();
    openedUrls.clear();
    QWidget* notice = control("imageCopyright");
    QTest::mouseClick(notice, Qt::LeftButton, {}, centreOf(notice));
    QTest::mouseClick(notice, Qt::LeftButton, {}, centreOf(notice));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));

    const QUrl page(QStringLiteral("http://www.quenlot.example/color/"));
    QCOMPARE(openedUrls, QList<QUrl>({page, page}));
    QCOMPARE(wholePalette(), before);
    QVERIFY(hasBorder(4));
    QCOMPARE(readOut()->text(), caption);
}

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (qgetenv(kChildMode) == "no-own-library") {
        return clickWithoutOwnLibrary();
    }
    TestEyedropper test;
    const int status = QTest::qExec(&test, argc, argv);
    mainModule::unloadMainForm();
    return status;
}

#include "tst_eyedropper.moc"
