// Claims about every one of the 16,777,216 colors, checked one by one.
#include <QTest>

#include "corvColor.h"

using namespace corvColor;

namespace {
constexpr std::int32_t kColors = 1 << 24;
constexpr std::int32_t kUntouched = -7;
} // namespace

class TestColorSweep : public QObject {
    Q_OBJECT
private slots:
    void channelsFollowBitLayout();
    void roundTripOfEverySeed();
};

// Each color also goes through with a different high byte, which must be ignored.
void TestColorSweep::channelsFollowBitLayout() {
    for (std::int32_t n = 0; n < kColors; ++n) {
        const auto highByte = static_cast<std::int32_t>(static_cast<std::uint32_t>(n) * 131U & 0x7FU);
        const std::int32_t withHighByte = n | highByte << 24;
        for (const std::int32_t value : {n, withHighByte}) {
            const double color = value;
            if (redOf(color) != (n & 0xFF) || greenOf(color) != (n >> 8 & 0xFF) ||
                blueOf(color) != (n >> 16 & 0xFF)) {
                QFAIL(qPrintable(QStringLiteral("channels of %1 are wrong").arg(value)));
            }
        }
    }
}

// The rounded L*a*b* of all colors spans L* 0 to 100, a* -86 to 98, b* -108 to 94; 389809 of them do
// not convert back into the gamut, and a rejected point leaves the channels untouched.
void TestColorSweep::roundTripOfEverySeed() {
    int lowL = 999, highL = -999, lowA = 999, highA = -999, lowB = 999, highB = -999;
    std::int32_t outOfGamut = 0;
    for (std::int32_t n = 0; n < kColors; ++n) {
        rgbToLab(static_cast<std::int16_t>(n & 0xFF), static_cast<std::int16_t>(n >> 8 & 0xFF),
                 static_cast<std::int16_t>(n >> 16));
        lowL = std::min<int>(lowL, labL);
        highL = std::max<int>(highL, labL);
        lowA = std::min<int>(lowA, labA);
        highA = std::max<int>(highA, labA);
        lowB = std::min<int>(lowB, labB);
        highB = std::max<int>(highB, labB);

        curRed = curGreen = curBlue = kUntouched;
        if (labToRgb(labL, labA, labB)) {
            if (curRed < 0 || curRed > 255 || curGreen < 0 || curGreen > 255 || curBlue < 0 ||
                curBlue > 255) {
                QFAIL(qPrintable(QStringLiteral("round trip of %1 accepted out of range").arg(n)));
            }
        } else {
            ++outOfGamut;
            if (curRed != kUntouched || curGreen != kUntouched || curBlue != kUntouched) {
                QFAIL(qPrintable(QStringLiteral("rejected round trip of %1 wrote channels").arg(n)));
            }
        }
    }
    QCOMPARE(lowL, 0);
    QCOMPARE(highL, 100);
    QCOMPARE(lowA, -86);
    QCOMPARE(highA, 98);
    QCOMPARE(lowB, -108);
    QCOMPARE(highB, 94);
    QCOMPARE(outOfGamut, 389809);
}

QTEST_APPLESS_MAIN(TestColorSweep)
#include "tst_colorsweep.moc"
