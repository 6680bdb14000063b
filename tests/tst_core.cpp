// The color model and the generator against exact values: channels, rounding, both L*a*b* conversions,
// the random source, the draws of an attempt, and the fallback to the seed.
#include <QRegularExpression>
#include <QTest>

#include <bit>
#include <cstdint>
#include <functional>

#include "checkedMath.h"
#include "corvColor.h"
#include "generator.h"
#include "history.h"
#include "paletteColors.h"
#include "randomSource.h"
#include "table.h"

using namespace corvColor;
using corvPalette::paletteColors;

namespace {

// value | rounded to 16 bits, or "overflow"
const char* const kRounding = R"(
2.5 ties to even 2 | 2.5 | 2
32767.4 is the largest | 32767.4 | 32767
32767.5 rounds past 16 bits | 32767.5 | overflow
-32768.5 ties to -32768 | -32768.5 | -32768
-32768.6 rounds past 16 bits | -32768.6 | overflow
)";

// packed color | its red green blue | their L* a* b*, rounded. For 38, 18, 2, a* is 8.50014 with the
// slope 7.787 (8 with 841/108); for 2, 6, 9, L* is 1.4713 below the knee of 12.92 (1.5467 with 12.29).
const char* const kColors = R"(
default seed | 13145700 | 100 150 200 | 61 -3 -31
pure red | 255 | 255 0 0 | 53 80 67
2, 6, 9 pins the linear slope 12.92 | 591362 | 2 6 9 | 1 -1 -2
38, 18, 2 pins the slope 7.787 | 135718 | 38 18 2 | 8 9 11
bits 24 to 31 ignored | 16843267 | 3 2 1 | 1 0 0
red 128 has bit 7 | 32896 | 128 128 0 | 52 -13 57
)";

// L* a* b* | red green blue, or "outside" (nothing written)
const char* const kFromLab = R"(
default seed's round trip | 61 -3 -31 | 101 151 201
blue 9.728 pins the linear slope 12.92 | 2 0 -1 | 6 7 10
red -0.417 rounds to 0 | 1 -2 1 | 0 5 1
red 255.038 rounds to 255 | 61 60 54 | 255 92 53
pure red's, green -1.591 | 53 80 67 | outside
L* 101 | 101 0 0 | outside
far out is out, never an error | 100 0 -400 | outside
)";

// The first attempt for box 1 at spread 10: seed | draws, then the value of every later draw | box 1 | draws
// it took. Draws are radius, angle and lightness fractions; 0.9990234375 is 1 - 2^-10.
const char* const kAttempts = R"(
half, half, half: a* - 5 | 13145700 | 0.5 0.5 0.5, then 0 | 13212244 | 3
zeros: L* - 10, the seed's a*b* | 13145700 | 0 0 0, then 0 | 11435592 | 3
radius, angle, lightness in that order | 13145700 | 0.25 0.5 0.75, then 0 | 14132843 | 3
the wedge below the positive a* axis | 13145700 | 0.9990234375 0.9990234375 0.5, then 0 | 13275775 | 3
pure red: a rejected attempt takes 3 draws | 255 | 0.5 0.5 0.5 0.9990234375 0.625 0.5, then 0.5 | 1452533 | 6
)";

// seed | spread | each proposal | draws taken. At spread 0 each attempt tests the seed's rounded L*a*b*
// itself: three draws a box, and the seed where it does not convert back. Pure blue at spread 1 rejects
// the candidate that zeros give: 10,000 attempts a box, then the seed.
const char* const kFallback = R"(
default seed | 13145700 | 0 | 13211493 | 24
white | 16777215 | 0 | 16777215 | 24
gray 128 comes back as 129 | 8421504 | 0 | 8487297 | 24
pure red cannot come back | 255 | 0 | 255 | 24
near-black 0, 0, 2 cannot either | 131072 | 0 | 131072 | 24
attempts are bounded | 16711680 | 1 | 16711680 | 240000
)";

std::int32_t errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const corvella::RuntimeError& error) {
        return error.number();
    }
    return 0;
}

QString triple(int first, int second, int third) {
    return QStringLiteral("%1 %2 %3").arg(first).arg(second).arg(third);
}

// Feeds the draws given, then `rest` for ever, and counts how many were taken.
struct Draws {
    Draws(const QString& first, float rest) {
        for (const QString& word : first.split(' ', Qt::SkipEmptyParts))
            queue << number<float>(word);
        corvPalette::detail::replaceRandomSource([this, rest] {
            ++taken;
            return queue.isEmpty() ? rest : queue.takeFirst();
        });
    }
    ~Draws() { corvPalette::detail::replaceRandomSource({}); }
    QList<float> queue;
    int taken = 0;
};

// Per box painted: "box:color", " unstored" where the palette did not hold it yet; the draws taken by then.
QStringList generate(std::int32_t seed, std::int16_t spread, const Draws& draws, QList<int>* taken = nullptr,
                     std::bitset<9> kept = {}) {
    QStringList painted;
    corvPalette::generatePalette(
        redOf(seed), greenOf(seed), blueOf(seed), spread, spread,
        [&](std::int16_t box, std::int32_t color) {
            painted << QStringLiteral("%1:%2").arg(box).arg(color) +
                           (paletteColors(box) == color ? "" : " unstored");
            if (taken)
                *taken << draws.taken;
        },
        kept);
    return painted;
}

} // namespace

class TestCore : public QObject {
    Q_OBJECT
private slots:
    // First, while the program's source is untouched: the start that every run shares (mt19937's first
    // two outputs, their top 24 bits).
    void randomSourceStartsTheSameEveryRun() {
        QCOMPARE(corvPalette::nextRandom(), 0.8147236704826355F);
        QCOMPARE(corvPalette::nextRandom(), 0.1354769468307495F);
    }

    void channelsAndLab_data() { addRows(kColors, {"packed", "rgb", "lab"}); }
    void channelsAndLab() {
        const auto [packed, rgb, lab] = cells("packed", "rgb", "lab");
        const double color = number<double>(packed);
        QCOMPARE(triple(redOf(color), greenOf(color), blueOf(color)), rgb);
        corvColor::rgbToLab(redOf(color), greenOf(color), blueOf(color));
        QCOMPARE(triple(labL, labA, labB), lab);
    }

    void rounding_data() { addRows(kRounding, {"value", "rounded"}); }
    void rounding() {
        const auto [value, rounded] = cells("value", "rounded");
        QString result = QStringLiteral("overflow");
        QCOMPARE(errorOf([&] { result = QString::number(corvella::toInt16(number<double>(value))); }),
                 rounded == "overflow" ? corvella::kOverflowError : 0);
        QCOMPARE(result, rounded);
    }

    void labToRgb_data() { addRows(kFromLab, {"lab", "rgb"}); }
    void labToRgb() {
        const auto [lab, rgb] = cells("lab", "rgb");
        const QStringList c = lab.split(' ');
        curRed = curGreen = curBlue = 7;
        bool accepted = false;
        QCOMPARE(errorOf([&] { accepted = corvColor::labToRgb(number(c[0]), number(c[1]), number(c[2])); }),
                 0);
        QCOMPARE(accepted, rgb != "outside");
        QCOMPARE(triple(curRed, curGreen, curBlue), accepted ? rgb : QStringLiteral("7 7 7"));
    }

    void attempt_data() { addRows(kAttempts, {"seed", "draws", "box1", "taken"}); }
    void attempt() {
        const auto [seed, draws, box1, taken] = cells("seed", "draws", "box1", "taken");
        const QStringList listedThenRest = draws.split(QStringLiteral(", then "));
        const Draws planted(listedThenRest[0], number<float>(listedThenRest.value(1)));
        QList<int> takenByBox;
        const QStringList painted = generate(number(seed), 10, planted, &takenByBox);
        QCOMPARE(painted.size(), 8);
        QCOMPARE(painted.first(), QStringLiteral("1:") + box1);
        QCOMPARE(takenByBox.first(), number(taken));
        QCOMPARE(packedColor(curRed, curGreen, curBlue), paletteColors(8));
        QVERIFY(painted.filter(QStringLiteral("unstored")).isEmpty());
    }

    void fallback_data() { addRows(kFallback, {"seed", "spread", "proposal", "taken"}); }
    void fallback() {
        const auto [seed, spread, proposal, taken] = cells("seed", "spread", "proposal", "taken");
        curRed = curGreen = curBlue = 77;
        const Draws planted({}, 0);
        const QStringList painted = generate(number(seed), number<std::int16_t>(spread), planted);
        QCOMPARE(QString::number(planted.taken), taken);
        for (int box = 1; box <= 8; ++box)
            QCOMPARE(painted.value(box - 1), QStringLiteral("%1:%2").arg(box).arg(proposal));
        QCOMPARE(QString::number(packedColor(curRed, curGreen, curBlue)), proposal);
        QCOMPARE(paletteColors(9), 0);
    }

    // Kept boxes take their draws all the same, so the others come out as they would without keeping;
    // the kept ones keep their colors, and curRed, curGreen, curBlue describe box 8 as shown.
    void keptBoxesTakeTheirDraws() {
        const QString draws =
            "0.1 0.9 0.2 0.8 0.3 0.7 0.4 0.6 0.5 0.55 0.45 0.65 0.35 0.75 0.25 0.85 0.15 0.95 0.05 "
            "0.5 0.9 0.1 0.6 0.4";
        const QStringList free = generate(13145700, 10, Draws(draws, 0));
        paletteColors(3) = 333;
        paletteColors(8) = 65793; // 1, 1, 1
        QStringList kept = generate(13145700, 10, Draws(draws, 0), nullptr, std::bitset<9>("100001000"));
        QCOMPARE(kept, QStringList(free).filter(QRegularExpression("^[^38]:")));
        QCOMPARE(paletteColors(3), 333);
        QCOMPARE(triple(curRed, curGreen, curBlue), QStringLiteral("1 1 1"));
    }

    // The undo steps: the last 100 are kept, and a change after an undo drops what could be redone.
    void history() {
        corvPalette::History history;
        corvPalette::PaletteState state;
        for (state.spread = 0; state.spread <= 100; ++state.spread)
            history.changed(state); // the palette drawn at each spread in turn replaced by the next
        int undone = 0;
        for (auto previous = history.undo(state); previous; previous = history.undo(state), ++undone)
            state = *previous;
        QCOMPARE(undone, 100);
        QCOMPARE(state.spread, 1);
        QCOMPARE(history.redo(state).value_or(state).spread, 2);
        history.changed(state);
        QVERIFY(!history.canRedo());
    }

    void runtimeErrors() {
        QCOMPARE(errorOf([] { packedColor(0, 0, 40000); }), corvella::kOverflowError);
        QCOMPARE(errorOf([] { paletteColors(9); }), 0);
        QCOMPARE(errorOf([] { paletteColors(10); }), corvella::kSubscriptError);
        QCOMPARE(errorOf([] { paletteColors(-1); }), corvella::kSubscriptError);
    }

    // All 16,777,216 colors to L*a*b* and back, folded into one 64-bit FNV-1a hash of the unrounded L*'s
    // bits, the rounded L*, a*, b*, labToRgb's answer and curRed, curGreen, curBlue after it. The tables
    // prove the formulas; this guards the whole range against a change of compiler, flags or math library:
    // a contraction into fused multiply-adds, -ffast-math, a different pow. The first two move no rounded
    // value of this round trip, only last bits, hence L*'s bits. Recorded with g++ 12.2 on Debian 12; the
    // same formulas in Python's doubles give the same hash. The slowest test.
    void everyColorRoundTrip() {
        std::uint64_t hash = 14695981039346656037U;
        for (std::int16_t blue = 0; blue < 256; ++blue) {
            for (std::int16_t green = 0; green < 256; ++green) {
                for (std::int16_t red = 0; red < 256; ++red) {
                    const double lightness = corvColor::labOf({red, green, blue}).L;
                    corvColor::rgbToLab(red, green, blue);
                    const bool accepted = corvColor::labToRgb(labL, labA, labB);
                    for (const std::int64_t value :
                         {std::bit_cast<std::int64_t>(lightness), std::int64_t{labL}, std::int64_t{labA},
                          std::int64_t{labB}, std::int64_t{accepted}, std::int64_t{curRed},
                          std::int64_t{curGreen}, std::int64_t{curBlue}})
                        hash = (hash ^ static_cast<std::uint64_t>(value)) * 1099511628211U;
                }
            }
        }
        QCOMPARE(hash, 0x405BBC0E920CA76DU);
    }
};

QTEST_APPLESS_MAIN(TestCore)
#include "tst_core.moc"
