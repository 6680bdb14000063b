// The main window: the palette grid, the band with slider and read-outs, and the handlers of their events.
#pragma once

#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>

#include "accessibility.h"
#include "action.h"
#include "history.h"
#include "paletteColors.h"

class QColorDialog;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QFrame;
class QKeyEvent;
class QLabel;
class QSlider;

class mainGUI final : public QWidget, public accessibility::PressTarget {
    Q_OBJECT
public:
    using BoxIndex = corvPalette::BoxIndex;

    mainGUI();
    ~mainGUI() override;

    // Draws proposals 1 to 8 around the seed rr, gg, bb and paints them.
    void GenerateColor(std::int16_t rr, std::int16_t gg, std::int16_t bb, std::int16_t dL, std::int16_t dC);
    // Shows the RGB text of paletteColors(Index) in the read-out; a negative Index empties it.
    void updateLabelRGB(double Index);
    // Gives box Index the only selection border; a negative Index removes every border.
    void border(double Index);

    // Sets the background of palette box Index (0 to 8) to a packed color.
    void paintBox(BoxIndex Index, std::int32_t color);
    // The spread slider's position, read as a 16-bit integer.
    std::int16_t sliderValue() const;

    // Whether the window takes input now: not while an action runs, which includes every dialog,
    // message, menu and pick it opens. Mouse and keys are refused before they reach a control; perform
    // refuses the rest.
    bool takesInput() const override;
    // The one entry of every route to a user action: on box Index (for the box actions), with the copy
    // menu at the global position `at` (the box's centre without one). Nothing happens unless the window
    // takes input.
    void perform(Action action, BoxIndex Index = -1, std::optional<QPoint> at = std::nullopt);
    // An assistive technology's press on a control: the action a click on it performs, once the press
    // has returned (a dialog or a pick must not block the caller).
    void press(QWidget* control) override;
    // The key that does what a press on `control` does ("Ctrl+R" for ">"), or empty.
    QString keyBinding(const QWidget* control) const override;
    // The palette shown now is where undo starts.
    void startHistory();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override; // routes control events to handlers
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void Form_Load();
    void Form_Unload(std::int16_t& Cancel);
    void Form_Terminate();
    void Form_Click();
    void picPalette_MouseMove(BoxIndex Index, std::int16_t Button, std::int16_t Shift, float X, float Y);
    void picPalette_Click(BoxIndex Index);
    void picPalette_DblClick(BoxIndex Index);
    void sdLightChroma_GotFocus();
    void sdLightChroma_Scroll();
    void lbPageScroll_MouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void colorPicker_Click();
    void imageCopyright_Click();

    void createControls();
    void createPalette();
    void createBand();
    QFrame* box(BoxIndex Index) const;
    std::int32_t boxColor(BoxIndex Index) const;
    void regenerateAround(std::int32_t color);
    void takeProposalAsSeed(BoxIndex Index);
    void takeSeed(std::int32_t color);
    void pasteSeed();
    std::optional<std::int32_t> droppedColor(const QDropEvent* event) const;
    void dragBox(BoxIndex Index);
    void takeSeedFromDialog();
    QColorDialog& colorDialog();
    std::optional<Action> act(Action action, BoxIndex Index, std::optional<QPoint> at);
    bool routeBoxEvent(BoxIndex Index, QEvent* event);
    bool routeLabelEvent(QObject* watched, QEvent* event);
    bool isClick(QObject* watched, QEvent* event);
    std::optional<Action> clickActionOf(const QObject* control) const;
    bool routeKey(BoxIndex Index, QKeyEvent* event);
    void moveFocusInGrid(BoxIndex Index, int columns, int rows);
    void showFocusByKeys(bool visible);
    void paintPaletteBox(BoxIndex Index);
    std::optional<Action> showCopyMenu(BoxIndex Index, std::optional<QPoint> globalPosition);
    void copy(Action form, BoxIndex Index);
    void describeBox(BoxIndex Index, std::int32_t color);
    corvPalette::PaletteState paletteState() const;
    void recordChange();
    void undoOrRedo(Action action);
    void toggleKeep(BoxIndex Index);
    void savePalette();

    // The controls keep the names the window has always had: a kind prefix (pic, sd, lb, image) and what
    // they are.
    std::array<QFrame*, 9> picPalette{};   // the boxes: 0 the seed in the centre, 1 to 8 the proposals
    QWidget* Shape1 = nullptr;             // the gray band behind the slider and the read-outs
    QSlider* sdLightChroma = nullptr;      // the spread, lightness and chroma alike
    QLabel* colorPicker = nullptr;         // the eyedropper picture
    QLabel* lbPageScroll = nullptr;        // ">"
    QLabel* lbRGB = nullptr;               // the RGB read-out
    QLabel* imageCopyright = nullptr;      // the maker's notice, a picture that opens the maker's page
    QLabel* lbQuenlotLtd = nullptr;        // the maker's address as text: hidden, never shown
    QColorDialog* CommonDialog1 = nullptr; // created on first use: most sessions never open it

    QObject* pressedControl = nullptr;   // where the left button went down, until a click completes
    QPointF pressedAt;                   // and at which point of it: a drag starts beyond the drag distance
    std::optional<std::int32_t> dropped; // the color of the drop being performed
    bool focusShownByKeys = false;       // the focused box shows its focus rectangle
    bool acting = false;                 // an action runs (and may wait in a dialog, menu or pick)
    bool closing = false;                // the window was closed: the program is ending
    corvPalette::PaletteState shown;     // the palette as the last change, undo or keep left it
    corvPalette::History history;
};
