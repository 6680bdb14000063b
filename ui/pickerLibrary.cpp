// Loading PickColor by absolute path, never through the system's library search.
#include "pickerLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace pickerLibrary {

namespace {

// The file name of this platform (libcolorPicker.so, colorPicker.dll, ...), from the build.
const QString kFileName = QStringLiteral(CORVELLA_PICKER_FILE_NAME);

// A library with that name in the current folder or on a library path must never be loaded: an absolute
// path makes the loader take exactly this file.
QString ownLibraryPath() {
    const QDir programFolder(QCoreApplication::applicationDirPath());
    for (const QString& folder : {QStringLiteral(CORVELLA_PICKER_FROM_PROGRAM), QStringLiteral(".")}) {
        const QFileInfo candidate(programFolder.filePath(folder + QLatin1Char('/') + kFileName));
        if (candidate.isFile()) {
            return candidate.canonicalFilePath();
        }
    }
    return {};
}

} // namespace

PickColorFunction pickColorFunction(QString& whyNot) {
    static PickColorFunction pickColor = nullptr;
    if (pickColor != nullptr) {
        return pickColor;
    }
    const QString path = ownLibraryPath();
    if (path.isEmpty()) {
        whyNot = QCoreApplication::translate("pickerLibrary", "%1 is not installed next to Corvella.")
                     .arg(kFileName);
        return nullptr;
    }
    QLibrary library(path);
    if (!library.load()) {
        whyNot = library.errorString();
        return nullptr;
    }
    pickColor = reinterpret_cast<PickColorFunction>(library.resolve("PickColor"));
    if (pickColor == nullptr) {
        whyNot =
            QCoreApplication::translate("pickerLibrary", "%1 was found, but it does not provide PickColor.")
                .arg(path);
        library.unload();
    }
    return pickColor; // a library that served stays loaded: QLibrary does not unload on destruction
}

} // namespace pickerLibrary
