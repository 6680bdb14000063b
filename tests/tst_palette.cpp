// The palette array, the random source and the generator, fed with scripted draws where it matters.
#include <QTest>

#include <cmath>
#include <functional>
#include <vector>

#include "corvColor.h"
#include "generator.h"
#include "paletteColors.h"
#include "randomSource.h"
#include "errorNumber.h"
#include "runtimeError.h"

using corvPalette::paletteColors;
using corvPalette::detail::replaceRandomSource;

namespace {

constexpr float kLargestDraw = 1.0F - 1.0F / 16777216.0F;
constexpr std::int32_t kSentinel = 0x123456;

long drawsTaken = 0;

// Feeds `script` as the draws, replaying it from `loopFrom` once it runs out.
void scriptDraws(std::vector<float> script, std::size_t loopFrom = 0) {
    drawsTaken = 0;
    replaceRandomSource([script = std::move(script), loopFrom] {
        const auto n = static_cast<std::size_t>(drawsTaken++);
        return script[n < script.size() ? n : loopFrom + (n - loopFrom) % (script.size() - loopFrom)];
    });
}

void countProgramDraws() {
    drawsTaken = 0;
    replaceRandomSource([] {
        ++drawsTaken;
        return corvPalette::detail::twisterRandom();
    });
}

struct Paint {
    int box;
    std::int32_t color;
    long drawsSoFar;
    std::int32_t stored; // paletteColors(box) when the box was painted
};

std::vector<Paint> generate(int red, int green, int blue, int dL, int dC) {
    std::vector<Paint> paints;
    corvPalette::generatePalette(static_cast<std::int16_t>(red), static_cast<std::int16_t>(green),
                                 static_cast<std::int16_t>(blue), static_cast<std::int16_t>(dL),
                                 static_cast<std::int16_t>(dC), [&](std::int16_t box, std::int32_t color) {
                                     paints.push_back({box, color, drawsTaken, paletteColors(box)});
                                 });
    return paints;
}

} // namespace

class TestPalette : public QObject {
    Q_OBJECT
private slots:
    // Runs first, before anything else in this process draws from the program's source.
    void randomSourceStartsFromFixedState();
    void randomDrawsAreSinglePrecisionInUnitInterval();
    void paletteColorsBounds();
    void cleanup();
    void firstAttempt_data();
    void firstAttempt();
    void rejectedAttemptTakesThreeDraws();
    void zeroSpreads_data();
    void zeroSpreads();
    void attemptBoundFallsBackToSeed();
    void candidatesStayInCylinder_data();
    void candidatesStayInCylinder();
    void invariantsOverSeedsAndSpreads();
};

// The first and the 10000th output of std::mt19937 with its default seed are fixed by the C++
// standard: 3499211612 and 4123659995. A draw keeps the top 24 bits.
void TestPalette::randomSourceStartsFromFixedState() {
    QVERIFY(corvPalette::nextRandom() == float(3499211612U >> 8) / 16777216.0F);
    for (int n = 2; n < 10000; ++n) {
        corvPalette::nextRandom();
    }
    QVERIFY(corvPalette::nextRandom() == float(4123659995U >> 8) / 16777216.0F);
}

void TestPalette::randomDrawsAreSinglePrecisionInUnitInterval() {
    float smallest = 1;
    float largest = 0;
    for (int n = 0; n < 1000000; ++n) {
        const float u = corvPalette::nextRandom();
        QVERIFY(u >= 0 && u < 1);
        const float scaled = u * 16777216.0F;
        QVERIFY(scaled == std::floor(scaled));
        smallest = std::min(smallest, u);
        largest = std::max(largest, u);
    }
    QVERIFY(smallest < 0.0001F);
    QVERIFY(largest > 0.9999F);
}

void TestPalette::paletteColorsBounds() {
    for (std::int32_t k = 0; k < corvPalette::kPaletteSize; ++k) {
        QCOMPARE(paletteColors(k), 0); // zero-filled at start
    }
    paletteColors(9) = 42;
    QCOMPARE(paletteColors(9), 42);
    paletteColors(9) = 0;
    QCOMPARE(errorNumberOf([] { paletteColors(10); }), corvella::kSubscriptError);
    QCOMPARE(errorNumberOf([] { paletteColors(-1); }), corvella::kSubscriptError);
}

void TestPalette::cleanup() {
    replaceRandomSource({});
}

// Default seed 100, 150, 200 (L*a*b* 61, -3, -31), spreads 10. One triple of draws replayed for every
// attempt gives the same proposal in all eight boxes, three draws each.
void TestPalette::firstAttempt_data() {
    QTest::addColumn<float>("u1");
    QTest::addColumn<float>("u2");
    QTest::addColumn<float>("u3");
    QTest::addColumn<int>("packed");
    QTest::newRow("half turn, candidate 61, -8, -31") << 0.5F << 0.5F << 0.5F << 13212244;
    QTest::newRow("all zero, candidate 51, -3, -31") << 0.0F << 0.0F << 0.0F << 11435592;
    QTest::newRow("candidate 66, -5.5, -31") << 0.25F << 0.5F << 0.75F << 14132843;
    QTest::newRow("quarter turn, candidate 61, -3, -26") << 0.5F << 0.25F << 0.5F << 12687214;
    QTest::newRow("three quarters, candidate 53, -3, -40") << 0.9F << 0.75F << 0.1F << 12813363;
    // 0.99 of a turn is 356 degrees, in the wedge a 6.18 rad factor would never reach.
    QTest::newRow("angle wedge below +a*, candidate 61, 1.990, -31.314") << 0.5F << 0.99F << 0.5F << 13276530;
}

void TestPalette::firstAttempt() {
    QFETCH(float, u1);
    QFETCH(float, u2);
    QFETCH(float, u3);
    QFETCH(int, packed);
    scriptDraws({u1, u2, u3});
    const auto paints = generate(100, 150, 200, 10, 10);
    QCOMPARE(paints.size(), 8U);
    for (int box = 1; box <= 8; ++box) {
        QCOMPARE(paletteColors(box), packed);
    }
    QCOMPARE(drawsTaken, 24);
    QCOMPARE(corvColor::curRed, corvColor::redOf(packed));
    QCOMPARE(corvColor::curGreen, corvColor::greenOf(packed));
    QCOMPARE(corvColor::curBlue, corvColor::blueOf(packed));
}

// Pure red (53, 80, 67): the candidate 53, 75, 67 of draws 0.5, 0.5, 0.5 is out of gamut (blue about
// -2.87); the next three draws give 53, 80, 59.5, which is 254, 0, 26.
void TestPalette::rejectedAttemptTakesThreeDraws() {
    scriptDraws({0.5F, 0.5F, 0.5F, 0.75F, 0.75F, 0.5F}, 3);
    const auto paints = generate(255, 0, 0, 10, 10);
    QCOMPARE(paints.front().box, 1);
    QCOMPARE(paints.front().color, 1704190);
    QCOMPARE(paints.front().drawsSoFar, 6);
    QCOMPARE(paints.back().drawsSoFar, 6 + 7 * 3);
}

void TestPalette::zeroSpreads_data() {
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<int>("packed");
    QTest::newRow("default seed comes back as 101, 151, 201") << 100 << 150 << 200 << 13211493;
    QTest::newRow("white") << 255 << 255 << 255 << 16777215;
    QTest::newRow("black") << 0 << 0 << 0 << 0;
    QTest::newRow("grey 128 comes back as 129") << 128 << 128 << 128 << 8487297;
    // Seeds whose rounded L*a*b* is out of gamut: no attempt can succeed, the seed stands in.
    QTest::newRow("pure red falls back to itself") << 255 << 0 << 0 << 255;
    QTest::newRow("pure green falls back to itself") << 0 << 255 << 0 << 65280;
    QTest::newRow("pure blue falls back to itself") << 0 << 0 << 255 << 16711680;
    QTest::newRow("magenta falls back to itself") << 255 << 0 << 255 << 16711935;
    QTest::newRow("near black 0, 0, 2 falls back to itself") << 0 << 0 << 2 << 131072;
}

void TestPalette::zeroSpreads() {
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(int, packed);
    countProgramDraws();
    const auto paints = generate(red, green, blue, 0, 0);
    QCOMPARE(drawsTaken, 24);
    for (const Paint& paint : paints) {
        QCOMPARE(paint.color, packed);
        QCOMPARE(paint.stored, packed);
    }
    QCOMPARE(corvColor::curRed, corvColor::redOf(packed));
    QCOMPARE(corvColor::curGreen, corvColor::greenOf(packed));
    QCOMPARE(corvColor::curBlue, corvColor::blueOf(packed));
}

// Draws that are always rejected: every box gives up after the bound and proposes the seed.
void TestPalette::attemptBoundFallsBackToSeed() {
    scriptDraws({0.5F});
    corvColor::curRed = corvColor::curGreen = corvColor::curBlue = -1;
    const auto paints = generate(255, 0, 0, 10, 10);
    QCOMPARE(paints.size(), 8U);
    for (const Paint& paint : paints) {
        QCOMPARE(paint.color, 255);
        QCOMPARE(paint.drawsSoFar, paint.box * 3L * corvPalette::kMaxAttemptsPerBox);
    }
    QCOMPARE(corvColor::curRed, 255);
    QCOMPARE(corvColor::curGreen, 0);
    QCOMPARE(corvColor::curBlue, 0);
}

void TestPalette::candidatesStayInCylinder_data() {
    QTest::addColumn<int>("spread");
    QTest::newRow("spread 1") << 1;
    QTest::newRow("spread 10") << 10;
    QTest::newRow("spread 100") << 100;
}

// labL - dL <= L' < labL + dL and the a*b* distance below dC, for draws at both ends of [0, 1).
void TestPalette::candidatesStayInCylinder() {
    QFETCH(int, spread);
    const auto d = static_cast<std::int16_t>(spread);
    const std::vector<float> fractions{0.0F, 1.0F / 16777216.0F, 0.25F, 0.5F, 0.99F, kLargestDraw};
    corvColor::rgbToLab(100, 150, 200);
    for (float u1 : fractions) {
        for (float u2 : fractions) {
            for (float u3 : fractions) {
                scriptDraws({u1, u2, u3});
                const auto c = corvPalette::detail::drawCandidate(d, d);
                QVERIFY(c.lightness >= corvColor::labL - spread && c.lightness < corvColor::labL + spread);
                QVERIFY(std::hypot(c.a - corvColor::labA, c.b - corvColor::labB) < spread);
            }
        }
    }
}

// The program's own source over a grid of seeds and spreads: boxes painted once each, in order, as
// soon as accepted and stored; the seed and element 9 untouched; curRed/Green/Blue describe box 8.
void TestPalette::invariantsOverSeedsAndSpreads() {
    const int spreads[] = {1, 3, 10, 37, 100};
    paletteColors(0) = kSentinel;
    paletteColors(9) = kSentinel;
    for (int red = 0; red < 256; red += 17) {
        for (int green = 0; green < 256; green += 17) {
            for (int blue = 0; blue < 256; blue += 17) {
                for (int spread : spreads) {
                    countProgramDraws();
                    const auto paints = generate(red, green, blue, spread, spread);
                    QCOMPARE(paints.size(), 8U);
                    for (std::size_t k = 0; k < paints.size(); ++k) {
                        QCOMPARE(paints[k].box, int(k) + 1);
                        QCOMPARE(paints[k].stored, paints[k].color);
                        QVERIFY(paints[k].color >= 0 && paints[k].color <= 0xFFFFFF);
                    }
                    QCOMPARE(drawsTaken % 3, 0);
                    const std::int32_t last = paletteColors(8);
                    QCOMPARE(corvColor::curRed, corvColor::redOf(last));
                    QCOMPARE(corvColor::curGreen, corvColor::greenOf(last));
                    QCOMPARE(corvColor::curBlue, corvColor::blueOf(last));
                }
            }
        }
    }
    QCOMPARE(paletteColors(0), kSentinel);
    QCOMPARE(paletteColors(9), kSentinel);
}

QTEST_APPLESS_MAIN(TestPalette)
#include "tst_palette.moc"
