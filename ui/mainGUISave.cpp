// Saving the palette, the only file Corvella writes, and only when asked.
#include "mainGUI.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "paletteColors.h"
#include "paletteFile.h"

// Qt's own dialog, so that it behaves alike on every desktop; it proposes corvella-RRGGBB.gpl in the
// home folder every time (nothing is remembered) and asks before replacing a file.
void mainGUI::savePalette() {
    QFileDialog dialog(this, tr("Save the palette"));
    dialog.setObjectName(QStringLiteral("saveDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(tr("GIMP palettes (*.gpl)"));
    dialog.setDefaultSuffix(QStringLiteral("gpl"));
    dialog.setDirectory(QDir::home());
    dialog.selectFile(paletteFile::proposedName(corvPalette::paletteColors(0)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    const QString path = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    QString whyNot;
    if (!paletteFile::save(path, paletteFile::gimpPalette(paletteState().colors), whyNot)) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Corvella"),
                        tr("The palette could not be saved as %1: %2.").arg(path, whyNot), QMessageBox::Ok,
                        this);
        box.exec();
    }
}
