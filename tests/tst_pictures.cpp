// Format checks of the window's pictures: the icons and the cursor, the notice and the theme icons.
#include <QBitmap>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QRegion>
#include <QRegularExpression>
#include <QTest>

namespace {

constexpr int kSide = 32; // of the icons and the cursor
const QPoint kHotSpot(12, 1);

QString picturePath(const QString& name) {
    return QStringLiteral(CORVELLA_PICTURES_DIR) + QLatin1Char('/') + name;
}

QByteArray readPicture(const QString& name) {
    QFile file(picturePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The little-endian number of `size` bytes at `at`; -1 where the file ends before it.
qint64 number(const QByteArray& bytes, qsizetype at, int size = 1) {
    if (at < 0 || at + size > bytes.size())
        return -1;
    qint64 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

// The fields `layout` lists as "name@offset:size" (size 1 where left out), counted from `base`, as
// "name value, ...".
QString fields(const QByteArray& bytes, qsizetype base, const QString& layout) {
    QStringList named;
    for (const QString& field : layout.split(QLatin1Char(' '))) {
        const QStringList part = field.split(QRegularExpression(QStringLiteral("[@:]")));
        named << part[0] + QLatin1Char(' ') +
                     QString::number(
                         number(bytes, base + part[1].toInt(), part.value(2, QStringLiteral("1")).toInt()));
    }
    return named.join(QStringLiteral(", "));
}

// An icon or cursor file with one bitmap image: the directory with its one entry (where a cursor has its
// hot spot, an icon has planes and bits), the bitmap header, and then the color table, the color rows
// and the AND mask, rows bottom first.
struct IconFile {
    explicit IconFile(const QString& name)
        : bytes(readPicture(name))
        , image(number(bytes, 18, 4))
        , bits(int(number(bytes, image + 14, 2)))
        , colors(image + 40 + (bits <= 8 ? 4 << bits : 0))
        , mask(colors + kSide * kSide * bits / 8) {}

    QString header() const {
        return fields(bytes, 0,
                      QStringLiteral("reserved@0:2 type@2:2 images@4:2 width@6 height@7 colors@8 reserved@9 "
                                     "planes|x@10:2 bits|y@12:2 bytes@14:4 at@18:4")) +
               QStringLiteral("; ") +
               fields(
                   bytes, image,
                   QStringLiteral("header@0:4 width@4:4 height@8:4 planes@12:2 bits@14:2 compression@16:4")) +
               QStringLiteral("; file %1").arg(bytes.size());
    }
    QList<qint64> palette() const { // 0xRRGGBB
        QList<qint64> entries;
        for (qsizetype at = image + 40; at < colors; at += 4)
            entries << number(bytes, at, 4);
        return entries;
    }
    // 0xRRGGBB, or a palette index; y counts from the top.
    qint64 colorAt(int x, int y) const {
        const qsizetype row = colors + qsizetype{kSide - 1 - y} * kSide * bits / 8;
        return bits == 24 ? number(bytes, row + x * 3, 3)
                          : number(bytes, row + x / 2) >> (x % 2 ? 0 : 4) & 0x0F;
    }
    bool transparentAt(int x, int y) const {
        return (number(bytes, mask + (kSide - 1 - y) * 4 + x / 8) >> (7 - x % 8) & 1) != 0;
    }

    QByteArray bytes;
    qint64 image;
    int bits;
    qsizetype colors;
    qsizetype mask;
};

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void iconFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QList<qint64>>("palette");
        QTest::addColumn<bool>("clearCorners"); // or else an AND mask of zeros only
        QTest::addColumn<qint64>("cornerColor");
        QTest::addColumn<QPoint>("opaqueAt");
        QTest::addColumn<bool>("qtAppliesMask"); // Qt 6.4 reads a 24-bit icon without its mask
        // The image after the 22 bytes of the directory: 40 header bytes, 32 color rows, 32 mask rows.
        const QString icon =
            QStringLiteral("reserved 0, type 1, images 1, width 32, height 32, colors 0, reserved 0, "
                           "planes|x 1, bits|y 24, bytes 3240, at 22; header 40, width 32, height 64, "
                           "planes 1, bits 24, compression 0; file 3262");
        QTest::newRow("window icon, opaque on white") << "corvella.ico" << icon << QList<qint64>() << false
                                                      << qint64{0xFFFFFF} << QPoint(16, 16) << true;
        QTest::newRow("eyedropper, in a clear surround")
            << "eyedropper.ico" << icon << QList<qint64>() << true << qint64{0} << QPoint(16, 16) << false;
        QTest::newRow("hand cursor, 16 standard colors, hot spot 12, 1")
            << "hand.cur"
            << QStringLiteral("reserved 0, type 2, images 1, width 32, height 32, colors 16, reserved 0, "
                              "planes|x 12, bits|y 1, bytes 744, at 22; header 40, width 32, height 64, "
                              "planes 1, bits 4, compression 0; file 766")
            << QList<qint64>{0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                             0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF}
            << true << qint64{0} << kHotSpot << true;
    }

    void iconFiles() {
        QFETCH(QString, file);
        QFETCH(QString, header);
        QFETCH(QList<qint64>, palette);
        QFETCH(bool, clearCorners);
        QFETCH(qint64, cornerColor);
        QFETCH(QPoint, opaqueAt);
        QFETCH(bool, qtAppliesMask);
        const IconFile icon(file);
        QCOMPARE(icon.header(), header);
        QCOMPARE(icon.palette(), palette);
        for (const QPoint corner :
             {QPoint(0, 0), QPoint(kSide - 1, 0), QPoint(0, kSide - 1), QPoint(kSide - 1, kSide - 1)}) {
            QCOMPARE(icon.transparentAt(corner.x(), corner.y()), clearCorners);
            QCOMPARE(icon.colorAt(corner.x(), corner.y()), cornerColor);
        }
        QVERIFY(!icon.transparentAt(opaqueAt.x(), opaqueAt.y()));
        const QImage image(picturePath(file));
        QCOMPARE(image.size(), QSize(kSide, kSide));
        QCOMPARE(qAlpha(image.pixel(opaqueAt)), 255);
        bool anyTransparent = false;
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                const QByteArray where = QStringLiteral("pixel %1, %2").arg(x).arg(y).toLatin1();
                anyTransparent = anyTransparent || icon.transparentAt(x, y);
                // Mask 1 with color 0 leaves the screen as it is; any other color would invert it.
                QVERIFY2(!icon.transparentAt(x, y) || icon.colorAt(x, y) == 0, where.constData());
                QVERIFY2(!qtAppliesMask || qAlpha(image.pixel(x, y)) == (icon.transparentAt(x, y) ? 0 : 255),
                         where.constData());
            }
        }
        QCOMPARE(anyTransparent, clearCorners);
    }

    // A white hand outlined in black in a blue cuff, pointing up: the hot spot is at the tip.
    void cursorDrawing() {
        const IconFile cursor(QStringLiteral("hand.cur"));
        QList<qint64> used;
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                QVERIFY(y >= kHotSpot.y() || cursor.transparentAt(x, y));
                if (!cursor.transparentAt(x, y) && !used.contains(cursor.colorAt(x, y)))
                    used << cursor.colorAt(x, y);
            }
        }
        QVERIFY(used.contains(0) && used.contains(12) && used.contains(15));
    }

    void notice() {
        const QByteArray gif = readPicture(QStringLiteral("notice.gif"));
        QCOMPARE(gif.left(6), QByteArray("GIF89a"));
        // The screen, its global table of 2 ^ (0 + 1) colors, gray and white, a graphic control extension
        // making white transparent, and the one image; the last byte ends the file.
        QCOMPARE(
            fields(
                gif, 0,
                QStringLiteral("width@6:2 height@8:2 table@10 gray@13:3 white@16:3 extension@19 control@20 "
                               "size@21 transparency@22 index@25 image@27 left@28:2 top@30:2 width@32:2 "
                               "height@34:2 local|table@36 code|size@37 end@%1")
                    .arg(gif.size() - 1)),
            QStringLiteral("width 103, height 9, table %1, gray %2, white %3, extension 33, control 249, "
                           "size 4, transparency 1, index 1, image 44, left 0, top 0, width 103, height 9, "
                           "local|table 0, code|size 2, end 59")
                .arg(0xF0)
                .arg(0x666666)
                .arg(0xFFFFFF));
        // Gray text on transparency, none of it cut off at the edges; nineteen characters take at least
        // three columns each.
        const QImage notice(picturePath(QStringLiteral("notice.gif")));
        QCOMPARE(notice.size(), QSize(103, 9));
        for (int y = 0; y < notice.height(); ++y) {
            for (int x = 0; x < notice.width(); ++x)
                QVERIFY(qAlpha(notice.pixel(x, y)) == 0 || notice.pixel(x, y) == qRgb(102, 102, 102));
        }
        const QRect ink = QRegion(QBitmap::fromImage(notice.createAlphaMask())).boundingRect();
        QVERIFY2(notice.rect().adjusted(1, 1, -1, -1).contains(ink),
                 qPrintable(QStringLiteral("%1 x %2 at %3, %4")
                                .arg(ink.width())
                                .arg(ink.height())
                                .arg(ink.x())
                                .arg(ink.y())));
        QVERIFY2(ink.width() >= 57, qPrintable(QString::number(ink.width())));
    }

    void themeIcons_data() {
        QTest::addColumn<int>("side");
        for (const int side : {48, 64, 128, 256})
            QTest::addRow("%d px", side) << side;
    }

    void themeIcons() {
        QFETCH(int, side);
        const QString file = QStringLiteral("icons/corvella-%1.png").arg(side);
        const QByteArray png = readPicture(file);
        QCOMPARE(png.left(16), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
        QCOMPARE(png.mid(24, 2), QByteArray("\x08\x06", 2)); // 8 bits each of red, green, blue and alpha
        const QImage image(picturePath(file));
        QCOMPARE(image.size(), QSize(side, side));
        QVERIFY(image.hasAlphaChannel());
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(side - 1, 0)), 0);
        // The same design as the window icon: its colored centre square in the middle.
        const QImage windowIcon(picturePath(QStringLiteral("corvella.ico")));
        QCOMPARE(image.pixel(side / 2, side / 2), windowIcon.pixel(16, 16));
        QVERIFY(windowIcon.pixelColor(16, 16).hsvSaturation() > 64);
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
