// Loading PickColor by absolute path, never through the system's library search.
#include "pickerLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>

namespace pickerLibrary {

std::uint8_t pickedRed = 0;
std::uint8_t pickedGreen = 0;
std::uint8_t pickedBlue = 0;

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

// The class, byte order and machine an ELF file is built for (bytes 4, 5, 18 and 19 of its header);
// empty for a file that is not ELF.
QByteArray elfMachine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray header = file.read(20);
    if (header.size() < 20 || !header.startsWith("\x7f"
                                                 "ELF")) {
        return {};
    }
    return header.mid(4, 2) + header.mid(18, 2);
}

// The loader reports a library built for another machine as a file that does not exist.
bool isForThisMachine(const QString& path) {
    const QByteArray own = elfMachine(QCoreApplication::applicationFilePath());
    return own.isEmpty() || elfMachine(path) == own;
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
        whyNot = isForThisMachine(path)
                     ? library.errorString()
                     : QCoreApplication::translate("pickerLibrary", "%1 is not a library for this machine.")
                           .arg(path);
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
