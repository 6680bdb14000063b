// Packed colors, checked conversions and the L*a*b* conversions against labelled values.
#include <QTest>

#include <limits>

#include "checkedMath.h"
#include "corvColor.h"
#include "errorNumber.h"
#include "runtimeError.h"

using namespace corvColor;

namespace {
constexpr std::int32_t kUntouched = -7;

void markChannelsUntouched() {
    curRed = kUntouched;
    curGreen = kUntouched;
    curBlue = kUntouched;
}

} // namespace

class TestCorvColor : public QObject {
    Q_OBJECT
private slots:
    void channels_data();
    void channels();
    void roundsHalfToEven_data();
    void roundsHalfToEven();
    void conversionsRaiseOverflow_data();
    void conversionsRaiseOverflow();
    void packedColorAddsGreenRedThenBlue();
    void rgbToLab_data();
    void rgbToLab();
    void labToRgbAccepts_data();
    void labToRgbAccepts();
    void labToRgbRejectsAndWritesNothing_data();
    void labToRgbRejectsAndWritesNothing();
};

void TestCorvColor::channels_data() {
    QTest::addColumn<double>("color");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::newRow("default seed") << 13145700.0 << 100 << 150 << 200;
    QTest::newRow("black") << 0.0 << 0 << 0 << 0;
    QTest::newRow("white") << 16777215.0 << 255 << 255 << 255;
    QTest::newRow("pure red") << 255.0 << 255 << 0 << 0;
    QTest::newRow("pure green") << 65280.0 << 0 << 255 << 0;
    QTest::newRow("pure blue") << 16711680.0 << 0 << 0 << 255;
    QTest::newRow("bits 24 to 31 ignored") << 16843267.0 << 3 << 2 << 1;
    QTest::newRow("argument half rounds to even, 258.5 to 258") << 258.5 << 2 << 1 << 0;
    QTest::newRow("argument half rounds to even, 257.5 to 258") << 257.5 << 2 << 1 << 0;
}

void TestCorvColor::channels() {
    QFETCH(double, color);
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QCOMPARE(redOf(color), red);
    QCOMPARE(greenOf(color), green);
    QCOMPARE(blueOf(color), blue);
}

void TestCorvColor::roundsHalfToEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("2.5 to 2") << 2.5 << 2;
    QTest::newRow("3.5 to 4") << 3.5 << 4;
    QTest::newRow("-0.5 to 0") << -0.5 << 0;
    QTest::newRow("-1.5 to -2") << -1.5 << -2;
    QTest::newRow("255.5 to 256") << 255.5 << 256;
    QTest::newRow("254.5 to 254") << 254.5 << 254;
    QTest::newRow("upper 16-bit limit") << 32767.4 << 32767;
    QTest::newRow("lower 16-bit limit") << -32768.5 << -32768;
}

void TestCorvColor::roundsHalfToEven() {
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(corvella::toInt16(value), expected);
    QCOMPARE(corvella::toInt32(value), expected);
}

void TestCorvColor::conversionsRaiseOverflow_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("fitsInt32");
    QTest::newRow("32767.5 rounds to 32768") << 32767.5 << true;
    QTest::newRow("-32769") << -32769.0 << true;
    QTest::newRow("2^31") << 2147483648.0 << false;
    QTest::newRow("-2^31 - 1") << -2147483649.0 << false;
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << false;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << false;
}

void TestCorvColor::conversionsRaiseOverflow() {
    QFETCH(double, value);
    QFETCH(bool, fitsInt32);
    QCOMPARE(errorNumberOf([&] { corvella::toInt16(value); }), corvella::kOverflowError);
    QCOMPARE(errorNumberOf([&] { corvella::toInt32(value); }), fitsInt32 ? 0 : corvella::kOverflowError);
    QCOMPARE(errorNumberOf([&] { redOf(value); }), fitsInt32 ? 0 : corvella::kOverflowError);
}

void TestCorvColor::packedColorAddsGreenRedThenBlue() {
    QCOMPARE(detail::packedColor(100, 150, 200), 13145700);
    QCOMPARE(detail::packedColor(255, 255, 255), 16777215);
    QCOMPARE(detail::packedColor(1, 2, 3), 197121);
    QCOMPARE(errorNumberOf([] { detail::packedColor(0, 0, 40000); }), corvella::kOverflowError);
    QCOMPARE(errorNumberOf([] { detail::packedColor(INT32_MAX, 1, 0); }), corvella::kOverflowError);
}

void TestCorvColor::rgbToLab_data() {
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<int>("lightness");
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::newRow("default seed") << 100 << 150 << 200 << 61 << -3 << -31;
    QTest::newRow("black") << 0 << 0 << 0 << 0 << 0 << 0;
    QTest::newRow("white") << 255 << 255 << 255 << 100 << 0 << 0;
    QTest::newRow("pure red") << 255 << 0 << 0 << 53 << 80 << 67;
    QTest::newRow("pure green") << 0 << 255 << 0 << 88 << -86 << 83;
    QTest::newRow("pure blue") << 0 << 0 << 255 << 32 << 79 << -108;
    QTest::newRow("magenta") << 255 << 0 << 255 << 60 << 98 << -61;
    QTest::newRow("grey 128") << 128 << 128 << 128 << 54 << 0 << 0;
    QTest::newRow("near black 1, 1, 1") << 1 << 1 << 1 << 0 << 0 << 0;
}

void TestCorvColor::rgbToLab() {
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    corvColor::rgbToLab(static_cast<std::int16_t>(red), static_cast<std::int16_t>(green),
                        static_cast<std::int16_t>(blue));
    QTEST(int(labL), "lightness");
    QTEST(int(labA), "a");
    QTEST(int(labB), "b");
}

void TestCorvColor::labToRgbAccepts_data() {
    QTest::addColumn<double>("lightness");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::newRow("default seed's round trip") << 61.0 << -3.0 << -31.0 << 101 << 151 << 201;
    QTest::newRow("white, green 255.009") << 100.0 << 0.0 << 0.0 << 255 << 255 << 255;
    QTest::newRow("black") << 0.0 << 0.0 << 0.0 << 0 << 0 << 0;
    QTest::newRow("red -0.417 rounds to 0") << 1.0 << -2.0 << 1.0 << 0 << 5 << 1;
    QTest::newRow("red 255.038 rounds to 255") << 61.0 << 60.0 << 54.0 << 255 << 92 << 53;
}

void TestCorvColor::labToRgbAccepts() {
    QFETCH(double, lightness);
    QFETCH(double, a);
    QFETCH(double, b);
    markChannelsUntouched();
    QVERIFY(labToRgb(lightness, a, b));
    QTEST(int(curRed), "red");
    QTEST(int(curGreen), "green");
    QTEST(int(curBlue), "blue");
}

void TestCorvColor::labToRgbRejectsAndWritesNothing_data() {
    QTest::addColumn<double>("lightness");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::newRow("pure red's round trip, green -1.591") << 53.0 << 80.0 << 67.0;
    QTest::newRow("pure green's round trip, green 255.734") << 88.0 << -86.0 << 83.0;
    QTest::newRow("pure blue's round trip, red -13.705") << 32.0 << 79.0 << -108.0;
    QTest::newRow("above white") << 101.0 << 0.0 << 0.0;
    QTest::newRow("below black") << -20.0 << 0.0 << 0.0;
    // Channels far outside 16 bits are out of gamut like any other, not an overflow.
    QTest::newRow("red x 255 about -43209") << 100.0 << 0.0 << -400.0;
    QTest::newRow("huge lightness") << 1e9 << 0.0 << 0.0;
    QTest::newRow("infinite a*") << 50.0 << std::numeric_limits<double>::infinity() << 0.0;
    QTest::newRow("NaN b*") << 50.0 << 0.0 << std::numeric_limits<double>::quiet_NaN();
}

void TestCorvColor::labToRgbRejectsAndWritesNothing() {
    QFETCH(double, lightness);
    QFETCH(double, a);
    QFETCH(double, b);
    markChannelsUntouched();
    QVERIFY(!labToRgb(lightness, a, b));
    QCOMPARE(curRed, kUntouched);
    QCOMPARE(curGreen, kUntouched);
    QCOMPARE(curBlue, kUntouched);
}

QTEST_APPLESS_MAIN(TestCorvColor)
#include "tst_corvcolor.moc"
