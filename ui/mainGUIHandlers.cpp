// The main window's public methods and the handlers of the palette, the slider and the ">" label.
#include "mainGUI.h"

#include <QClipboard>
#include <QColorDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QSlider>

#include "checkedMath.h"
#include "colorText.h"
#include "corvColor.h"
#include "generator.h"
#include "makerPage.h"
#include "openURL.h"
#include "paletteColors.h"
#include "pickerLibrary.h"
#include "runtimeError.h"

using corvPalette::paletteColors;

namespace {

QColor colorOf(std::int32_t packed) {
    const corvColor::Rgb color = corvColor::channelsOf(packed);
    return QColor(color.red, color.green, color.blue);
}

std::int32_t packedOf(const QColor& color) {
    return corvColor::packedColor(color.red(), color.green(), color.blue());
}

} // namespace

void mainGUI::GenerateColor(std::int16_t rr, std::int16_t gg, std::int16_t bb, std::int16_t dL,
                            std::int16_t dC) {
    corvPalette::generatePalette(
        rr, gg, bb, dL, dC, [this](BoxIndex Index, std::int32_t color) { paintBox(Index, color); },
        shown.kept);
}

void mainGUI::updateLabelRGB(double Index) {
    if (Index < 0) {
        lbRGB->clear();
        return;
    }
    lbRGB->setText(colorText::rgbText(paletteColors(corvella::toInt32(Index))));
}

void mainGUI::border(double Index) {
    for (BoxIndex k = 0; k < corvPalette::kBoxCount; ++k) {
        box(k)->setFrameStyle(QFrame::NoFrame);
    }
    if (Index >= 0) {
        box(corvella::toInt16(Index))->setFrameStyle(QFrame::Box | QFrame::Plain); // 1 px, window text
    }
}

void mainGUI::paintBox(BoxIndex Index, std::int32_t color) {
    QFrame* target = box(Index);
    QPalette palette = target->palette();
    palette.setColor(QPalette::Window, colorOf(color));
    target->setPalette(palette);
    describeBox(Index, color);
}

// What a screen reader says of a box: "RGB 100, 150, 200, #6496C8", and ", kept" for a kept proposal.
void mainGUI::describeBox(BoxIndex Index, std::int32_t color) {
    const bool kept = shown.kept[static_cast<std::size_t>(Index)];
    box(Index)->setAccessibleDescription(colorText::rgbText(color) + QStringLiteral(", ") +
                                         colorText::webHexText(color) +
                                         (kept ? QStringLiteral(", kept") : QString()));
}

std::int16_t mainGUI::sliderValue() const {
    return corvella::toInt16(sdLightChroma->value());
}

QFrame* mainGUI::box(BoxIndex Index) const {
    if (Index < 0 || Index >= static_cast<std::int32_t>(picPalette.size())) {
        corvella::raiseSubscriptOutOfRange();
    }
    return picPalette[static_cast<std::size_t>(Index)];
}

std::int32_t mainGUI::boxColor(BoxIndex Index) const {
    return packedOf(box(Index)->palette().color(QPalette::Window));
}

// New proposals around a packed color. Reads the slider twice: the first reading is the lightness
// spread, the second the chroma spread.
void mainGUI::regenerateAround(std::int32_t color) {
    const corvColor::Rgb seed = corvColor::channelsOf(color);
    const std::int16_t dL = sliderValue();
    const std::int16_t dC = sliderValue();
    GenerateColor(seed.red, seed.green, seed.blue, dL, dC);
}

void mainGUI::Form_Click() {
    border(-1);
}

void mainGUI::picPalette_MouseMove(BoxIndex Index, std::int16_t, std::int16_t, float, float) {
    box(Index)->setToolTip(colorText::rgbText(paletteColors(Index)));
    updateLabelRGB(Index);
}

// One setText replaces every format on the clipboard: clearing first would change its owner twice.
void mainGUI::picPalette_Click(BoxIndex Index) {
    border(Index);
    QGuiApplication::clipboard()->setText(colorText::hexText(paletteColors(Index)), QClipboard::Clipboard);
    updateLabelRGB(Index);
}

void mainGUI::sdLightChroma_GotFocus() {
    box(0)->setFocus(Qt::OtherFocusReason);
}

void mainGUI::lbPageScroll_MouseUp(std::int16_t, std::int16_t, float, float) {
    regenerateAround(paletteColors(0));
    border(-1);
    updateLabelRGB(-1);
}

void mainGUI::sdLightChroma_Scroll() {
    border(-1);
    regenerateAround(paletteColors(0));
    updateLabelRGB(-1);
}

void mainGUI::picPalette_DblClick(BoxIndex Index) {
    if (Index == 0) {
        takeSeedFromDialog();
    } else {
        takeProposalAsSeed(Index);
    }
}

void mainGUI::takeProposalAsSeed(BoxIndex Index) {
    takeSeed(paletteColors(Index));
}

// A new seed, shown in the centre, and proposals drawn around it; no border, an empty read-out.
void mainGUI::takeSeed(std::int32_t color) {
    paletteColors(0) = color;
    paintBox(0, paletteColors(0));
    regenerateAround(color);
    border(-1);
    updateLabelRGB(-1);
}

// The seed from the color dialog, preset with the last proposal's color. This handler traps run-time
// errors: any of them ends it quietly, keeping what was done before.
void mainGUI::takeSeedFromDialog() {
    try {
        const std::int32_t preset =
            corvColor::packedColor(corvColor::curRed, corvColor::curGreen, corvColor::curBlue);
        QColorDialog& dialog = colorDialog();
        dialog.setCurrentColor(colorOf(preset));
        if (dialog.exec() != QDialog::Accepted) {
            return; // Cancel, Escape and the close box change nothing
        }
        std::int32_t chosen = packedOf(dialog.selectedColor());
        if (chosen == 0) {
            chosen = preset; // black is never taken as a seed
        }
        paintBox(0, chosen);
        paletteColors(0) = boxColor(0);
        regenerateAround(boxColor(0));
    } catch (const corvella::RuntimeError&) {
    }
}

// The seed from the screen picker. A picker that cannot be loaded is reported, and everything else goes
// on; after a pick that brought no color, the proposals are drawn around the seed the centre shows, not
// around whatever the picker left in the bytes.
void mainGUI::colorPicker_Click() {
    QString whyNot;
    const pickerLibrary::PickColorFunction pickColor = pickerLibrary::pickColorFunction(whyNot);
    if (pickColor == nullptr) {
        QMessageBox::warning(this, QStringLiteral("Corvella"),
                             tr("The screen color picker is not available.\n\n%1").arg(whyNot));
        return;
    }
    using pickerLibrary::pickedBlue;
    using pickerLibrary::pickedGreen;
    using pickerLibrary::pickedRed;
    const std::int16_t picked = pickColor(&pickedRed, &pickedGreen, &pickedBlue);
    if (closing) {
        return; // the window was closed during the pick: nothing more to show
    }
    if (picked == -1) {
        corvColor::curRed = pickedRed;
        corvColor::curGreen = pickedGreen;
        corvColor::curBlue = pickedBlue;
        paletteColors(0) = corvColor::packedColor(corvColor::curRed, corvColor::curGreen, corvColor::curBlue);
        paintBox(0, paletteColors(0));
        regenerateAround(paletteColors(0)); // the picked bytes, packed
    } else {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Corvella"), QStringLiteral("No color picked."),
                        QMessageBox::Ok, this);
        box.exec();
        regenerateAround(paletteColors(0));
    }
    updateLabelRGB(-1);
}

// The notice opens the maker's page. The shell's answer is not needed: a missing browser shows nothing
// and the program goes on.
void mainGUI::imageCopyright_Click() {
    QString url = makerPage::kAddress;
    std::int32_t showCmd = openURL::kShowMaximized;
    openURL::launchURL(url, showCmd);
}

QColorDialog& mainGUI::colorDialog() {
    if (CommonDialog1 == nullptr) {
        // Qt's own dialog on every platform: it always shows the custom colors and never touches the
        // desktop's color settings.
        CommonDialog1 = new QColorDialog(this);
        CommonDialog1->setObjectName(QStringLiteral("CommonDialog1"));
        CommonDialog1->setOption(QColorDialog::DontUseNativeDialog);
    }
    return *CommonDialog1;
}
