// Format checks of the window's pictures: the icons and the cursor, the notice and the theme icons.
#include <QTest>

#include <QByteArray>
#include <QColor>
#include <QDataStream>
#include <QFile>
#include <QImage>
#include <QPoint>
#include <QString>

#include <algorithm>
#include <array>

namespace {

constexpr int kIconSide = 32;
constexpr int kMaskStride = 4; // 32 mask bits fill one 4-byte row exactly
constexpr qsizetype kDirectorySize = 6 + 16;

QString picturePath(const QString& name) {
    return QStringLiteral(CORVELLA_PICTURES_DIR) + QLatin1Char('/') + name;
}

QByteArray readPicture(const QString& name) {
    QFile file(picturePath(name));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

int byteAt(const QByteArray& bytes, qsizetype at) {
    return static_cast<unsigned char>(bytes.at(at));
}

int u16At(const QByteArray& bytes, qsizetype at) {
    return byteAt(bytes, at) | byteAt(bytes, at + 1) << 8;
}

// One icon or cursor file with a single bitmap image, as laid out on disk.
struct IconFile {
    quint16 reserved = 0;
    quint16 type = 0;
    quint16 count = 0;
    quint8 width = 0;
    quint8 height = 0;
    quint8 colorCount = 0;
    quint8 entryReserved = 0;
    // A cursor keeps its hot spot where an icon names its planes and bit count.
    quint16 planesOrHotX = 0;
    quint16 bitCountOrHotY = 0;
    quint32 bytesInRes = 0;
    quint32 imageOffset = 0;
    quint32 headerSize = 0;
    qint32 bitmapWidth = 0;
    qint32 bitmapHeight = 0;
    quint16 bitmapPlanes = 0;
    quint16 bitCount = 0;
    quint32 compression = 0;
    quint32 colorsUsed = 0;
    qsizetype fileSize = 0;
    QByteArray colorTable;
    QByteArray colorBits;
    QByteArray maskBits;

    int colorStride() const { return (kIconSide * bitCount + 31) / 32 * 4; }

    // Rows are stored bottom first; y counts from the top.
    bool transparentAt(int x, int y) const {
        const int bits = byteAt(maskBits, (kIconSide - 1 - y) * kMaskStride + x / 8);
        return ((bits >> (7 - x % 8)) & 1) != 0;
    }

    // The palette index of a 4-bit image, 0xRRGGBB of a 24-bit one.
    int colorAt(int x, int y) const {
        const qsizetype row = qsizetype{kIconSide - 1 - y} * colorStride();
        if (bitCount == 4) {
            const int pair = byteAt(colorBits, row + x / 2);
            return x % 2 == 0 ? pair >> 4 : pair & 0x0F;
        }
        const qsizetype at = row + qsizetype{x} * 3;
        return byteAt(colorBits, at + 2) << 16 | byteAt(colorBits, at + 1) << 8 | byteAt(colorBits, at);
    }
};

bool readIconFile(const QString& name, IconFile& icon) {
    const QByteArray bytes = readPicture(name);
    icon.fileSize = bytes.size();
    QDataStream in(bytes);
    in.setByteOrder(QDataStream::LittleEndian);
    in >> icon.reserved >> icon.type >> icon.count >> icon.width >> icon.height >> icon.colorCount >>
        icon.entryReserved >> icon.planesOrHotX >> icon.bitCountOrHotY >> icon.bytesInRes >> icon.imageOffset;
    if (in.status() != QDataStream::Ok || !in.device()->seek(icon.imageOffset)) {
        return false;
    }
    qint32 pixelsPerMeter = 0;
    quint32 sizeImage = 0;
    quint32 colorsImportant = 0;
    in >> icon.headerSize >> icon.bitmapWidth >> icon.bitmapHeight >> icon.bitmapPlanes >> icon.bitCount >>
        icon.compression >> sizeImage >> pixelsPerMeter >> pixelsPerMeter >> icon.colorsUsed >>
        colorsImportant;
    if (in.status() != QDataStream::Ok || icon.headerSize != 40 || icon.bitCount == 0 || icon.bitCount > 32) {
        return false;
    }
    qsizetype at = qsizetype{icon.imageOffset} + icon.headerSize;
    const qsizetype tableEntries =
        icon.bitCount <= 8 && icon.colorsUsed == 0 ? 1 << icon.bitCount : icon.colorsUsed;
    const qsizetype colorSize = qsizetype{icon.colorStride()} * kIconSide;
    const qsizetype maskSize = qsizetype{kMaskStride} * kIconSide;
    if (at + tableEntries * 4 + colorSize + maskSize > bytes.size()) {
        return false;
    }
    icon.colorTable = bytes.mid(at, tableEntries * 4);
    at += tableEntries * 4;
    icon.colorBits = bytes.mid(at, colorSize);
    icon.maskBits = bytes.mid(at + colorSize, maskSize);
    return true;
}

// The standard 16-color VGA palette in its usual order.
constexpr std::array<std::array<int, 3>, 16> kVgaPalette{{
    {0, 0, 0},
    {128, 0, 0},
    {0, 128, 0},
    {128, 128, 0},
    {0, 0, 128},
    {128, 0, 128},
    {0, 128, 128},
    {192, 192, 192},
    {128, 128, 128},
    {255, 0, 0},
    {0, 255, 0},
    {255, 255, 0},
    {0, 0, 255},
    {255, 0, 255},
    {0, 255, 255},
    {255, 255, 255},
}};

const QPoint kHotSpot(12, 1);

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void iconLayout_data();
    void iconLayout();
    void iconMask_data();
    void iconMask();
    void cursorHotSpot();
    void cursorColors();
    void noticeBlocks();
    void noticeDecodes();
    void qtReadsIcons_data();
    void qtReadsIcons();
    void windowIconOpaqueOnWhite();
    void themeIcons_data();
    void themeIcons();
};

void TestPictures::iconLayout_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("bitCount");
    QTest::addColumn<int>("tableEntries");
    QTest::newRow("window icon, 24-bit icon") << "corvella.ico" << 1 << 24 << 0;
    QTest::newRow("eyedropper, 24-bit icon") << "eyedropper.ico" << 1 << 24 << 0;
    QTest::newRow("hand, 16-color cursor") << "hand.cur" << 2 << 4 << 16;
}

void TestPictures::iconLayout() {
    QFETCH(QString, file);
    QFETCH(int, type);
    QFETCH(int, bitCount);
    QFETCH(int, tableEntries);
    IconFile icon;
    QVERIFY2(readIconFile(file, icon), qPrintable(file));
    QCOMPARE(icon.reserved, 0);
    QCOMPARE(icon.type, type);
    QCOMPARE(icon.count, 1);
    QCOMPARE(icon.width, kIconSide);
    QCOMPARE(icon.height, kIconSide);
    QCOMPARE(icon.entryReserved, 0);
    QVERIFY(icon.colorCount == 0 || icon.colorCount == tableEntries);
    if (type == 1) {
        QVERIFY(icon.planesOrHotX <= 1);
        QVERIFY(icon.bitCountOrHotY == 0 || icon.bitCountOrHotY == bitCount);
    }
    QVERIFY(icon.imageOffset >= kDirectorySize);
    QCOMPARE(qsizetype{icon.imageOffset} + icon.bytesInRes, icon.fileSize);

    QCOMPARE(icon.bitmapWidth, kIconSide);
    QCOMPARE(icon.bitmapHeight, 2 * kIconSide); // the color rows, then as many mask rows
    QCOMPARE(icon.bitmapPlanes, 1);
    QCOMPARE(icon.bitCount, bitCount);
    QCOMPARE(icon.compression, 0U);
    QCOMPARE(icon.colorTable.size(), qsizetype{tableEntries} * 4);
    // Header, color table, color rows and mask rows fill the image exactly.
    const qsizetype expected = 40 + qsizetype{tableEntries} * 4 + qsizetype{icon.colorStride()} * kIconSide +
                               qsizetype{kMaskStride} * kIconSide;
    QCOMPARE(qsizetype{icon.bytesInRes}, expected);
}

void TestPictures::iconMask_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("hasTransparent");
    QTest::newRow("window icon is opaque") << "corvella.ico" << false;
    QTest::newRow("eyedropper has a clear surround") << "eyedropper.ico" << true;
    QTest::newRow("hand has a clear surround") << "hand.cur" << true;
}

void TestPictures::iconMask() {
    QFETCH(QString, file);
    QFETCH(bool, hasTransparent);
    IconFile icon;
    QVERIFY2(readIconFile(file, icon), qPrintable(file));
    if (!hasTransparent) {
        QCOMPARE(icon.maskBits.count('\0'), icon.maskBits.size());
        return;
    }
    int transparent = 0;
    for (int y = 0; y < kIconSide; ++y) {
        for (int x = 0; x < kIconSide; ++x) {
            if (icon.transparentAt(x, y)) {
                ++transparent;
                // Mask 1 with color 0 leaves the screen as it is; any other color would invert it.
                QVERIFY2(icon.colorAt(x, y) == 0, qPrintable(QStringLiteral("pixel %1, %2").arg(x).arg(y)));
            }
        }
    }
    QVERIFY(transparent > 0);
    QVERIFY(transparent < kIconSide * kIconSide);
    const int last = kIconSide - 1;
    QVERIFY(icon.transparentAt(0, 0));
    QVERIFY(icon.transparentAt(last, 0));
    QVERIFY(icon.transparentAt(0, last));
    QVERIFY(icon.transparentAt(last, last));
}

void TestPictures::cursorHotSpot() {
    IconFile cursor;
    QVERIFY(readIconFile("hand.cur", cursor));
    QCOMPARE(cursor.planesOrHotX, kHotSpot.x());
    QCOMPARE(cursor.bitCountOrHotY, kHotSpot.y());
    QVERIFY(!cursor.transparentAt(kHotSpot.x(), kHotSpot.y()));
    // The tip of the finger is the top of the drawing.
    for (int x = 0; x < kIconSide; ++x) {
        for (int y = 0; y < kHotSpot.y(); ++y) {
            QVERIFY(cursor.transparentAt(x, y));
        }
    }
}

void TestPictures::cursorColors() {
    IconFile cursor;
    QVERIFY(readIconFile("hand.cur", cursor));
    QVERIFY(cursor.colorsUsed == 0 || cursor.colorsUsed == 16);
    QCOMPARE(cursor.colorTable.size(), 16 * 4);
    for (int i = 0; i < 16; ++i) {
        const auto& [red, green, blue] = kVgaPalette.at(static_cast<std::size_t>(i));
        QCOMPARE(byteAt(cursor.colorTable, i * 4 + 2), red);
        QCOMPARE(byteAt(cursor.colorTable, i * 4 + 1), green);
        QCOMPARE(byteAt(cursor.colorTable, i * 4), blue);
        QCOMPARE(byteAt(cursor.colorTable, i * 4 + 3), 0);
    }
    // A white hand, outlined in black, in a blue cuff.
    std::array<bool, 16> used{};
    for (int y = 0; y < kIconSide; ++y) {
        for (int x = 0; x < kIconSide; ++x) {
            if (!cursor.transparentAt(x, y)) {
                used.at(static_cast<std::size_t>(cursor.colorAt(x, y))) = true;
            }
        }
    }
    QVERIFY(used[0]);
    QVERIFY(used[12]);
    QVERIFY(used[15]);
}

void TestPictures::noticeBlocks() {
    const QByteArray gif = readPicture("notice.gif");
    QVERIFY(gif.size() > 13 + 6);
    QCOMPARE(gif.left(6), QByteArray("GIF89a"));
    QCOMPARE(u16At(gif, 6), 103);
    QCOMPARE(u16At(gif, 8), 9);
    const int screenFlags = byteAt(gif, 10);
    QVERIFY(screenFlags & 0x80);     // a global color table follows
    QCOMPARE(screenFlags & 0x07, 0); // of 2 ^ (0 + 1) = 2 entries
    QCOMPARE(gif.mid(13, 6), QByteArray("\x66\x66\x66\xff\xff\xff", 6));

    int transparentIndex = -1;
    qsizetype at = 13 + 6;
    while (at < gif.size() && byteAt(gif, at) == 0x21) {
        const int label = byteAt(gif, at + 1);
        if (label == 0xF9) {
            QCOMPARE(byteAt(gif, at + 2), 4);
            QVERIFY(byteAt(gif, at + 3) & 0x01);
            transparentIndex = byteAt(gif, at + 6);
        }
        at += 2;
        while (at < gif.size() && byteAt(gif, at) != 0) {
            at += 1 + byteAt(gif, at);
        }
        ++at;
    }
    QCOMPARE(transparentIndex, 1); // the white entry

    QVERIFY(at + 11 < gif.size());
    QCOMPARE(byteAt(gif, at), 0x2C);
    QCOMPARE(u16At(gif, at + 1), 0);
    QCOMPARE(u16At(gif, at + 3), 0);
    QCOMPARE(u16At(gif, at + 5), 103);
    QCOMPARE(u16At(gif, at + 7), 9);
    QCOMPARE(byteAt(gif, at + 9) & 0x80, 0); // no local table
    QCOMPARE(byteAt(gif, at + 10), 2);       // LZW minimum code size
    at += 11;
    while (at < gif.size() && byteAt(gif, at) != 0) {
        at += 1 + byteAt(gif, at);
    }
    QCOMPARE(at + 2, gif.size());
    QCOMPARE(byteAt(gif, at + 1), 0x3B);
}

void TestPictures::noticeDecodes() {
    const QImage notice(picturePath("notice.gif"));
    QVERIFY(!notice.isNull());
    QCOMPARE(notice.size(), QSize(103, 9));
    int ink = 0;
    int left = notice.width();
    int right = -1;
    for (int y = 0; y < notice.height(); ++y) {
        for (int x = 0; x < notice.width(); ++x) {
            const QRgb pixel = notice.pixel(x, y);
            if (qAlpha(pixel) == 0) {
                continue;
            }
            QCOMPARE(pixel, qRgb(102, 102, 102));
            ++ink;
            left = std::min(left, x);
            right = std::max(right, x);
            // Nothing is cut off at the edges.
            QVERIFY(x > 0 && x < notice.width() - 1 && y > 0 && y < notice.height() - 1);
        }
    }
    QVERIFY(ink > 0);
    QVERIFY(ink < notice.width() * notice.height());
    // Nineteen characters take at least three columns each.
    QVERIFY2(right - left + 1 >= 57, qPrintable(QString::number(right - left + 1)));
}

void TestPictures::qtReadsIcons_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QPoint>("opaqueAt");
    QTest::addColumn<bool>("maskApplied");
    QTest::newRow("window icon, centre square") << "corvella.ico" << QPoint(16, 16) << true;
    // Qt 6.4 reads a 24-bit icon without its mask, so iconMask alone checks that one.
    QTest::newRow("eyedropper, collar") << "eyedropper.ico" << QPoint(16, 16) << false;
    QTest::newRow("hand, hot spot") << "hand.cur" << kHotSpot << true;
}

void TestPictures::qtReadsIcons() {
    QFETCH(QString, file);
    QFETCH(QPoint, opaqueAt);
    QFETCH(bool, maskApplied);
    IconFile icon;
    QVERIFY(readIconFile(file, icon));
    QVERIFY(!icon.transparentAt(opaqueAt.x(), opaqueAt.y()));
    const QImage image(picturePath(file));
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(kIconSide, kIconSide));
    QCOMPARE(qAlpha(image.pixel(opaqueAt)), 255);
    if (!maskApplied) {
        return;
    }
    for (int y = 0; y < kIconSide; ++y) {
        for (int x = 0; x < kIconSide; ++x) {
            QCOMPARE(qAlpha(image.pixel(x, y)), icon.transparentAt(x, y) ? 0 : 255);
        }
    }
}

void TestPictures::windowIconOpaqueOnWhite() {
    const QImage icon(picturePath("corvella.ico"));
    QVERIFY(!icon.isNull());
    const int last = kIconSide - 1;
    for (const QPoint corner : {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)}) {
        QCOMPARE(icon.pixel(corner), qRgb(255, 255, 255));
    }
    // Colored squares: the centre one is neither white nor gray.
    const QColor centre = icon.pixelColor(16, 16);
    QVERIFY(centre.hsvSaturation() > 64);
}

void TestPictures::themeIcons_data() {
    QTest::addColumn<int>("side");
    for (const int side : {48, 64, 128, 256}) {
        QTest::addRow("%d px", side) << side;
    }
}

void TestPictures::themeIcons() {
    QFETCH(int, side);
    const QString file = QStringLiteral("icons/corvella-%1.png").arg(side);
    const QByteArray png = readPicture(file);
    QVERIFY2(png.size() > 33, qPrintable(file));
    QCOMPARE(png.left(8), QByteArray("\x89PNG\r\n\x1a\n", 8));
    QCOMPARE(png.mid(12, 4), QByteArray("IHDR"));
    QCOMPARE(byteAt(png, 24), 8); // bits per channel
    QCOMPARE(byteAt(png, 25), 6); // red, green, blue and alpha

    const QImage image(picturePath(file));
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(side, side));
    QVERIFY(image.hasAlphaChannel());
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(side - 1, 0)), 0);
    // The same design as the window icon: its centre square in the middle.
    const QImage windowIcon(picturePath("corvella.ico"));
    QVERIFY(!windowIcon.isNull());
    QCOMPARE(image.pixel(side / 2, side / 2), windowIcon.pixel(16, 16));
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
