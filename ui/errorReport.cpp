// The standard end of the program after a run-time error.
#include "errorReport.h"

#include <QMessageBox>
#include <QString>

#include <cstdlib>
#include <new>

#include "runtimeError.h"

namespace errorReport {

namespace {

constexpr std::int32_t kOutOfMemoryError = 7;
constexpr std::int32_t kInternalError = 51;
constexpr int kExitStatus = 1;

[[noreturn]] void endProgram(std::int32_t number, const QString& message) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Corvella"),
                    QStringLiteral("Run-time error '%1':\n\n%2").arg(number).arg(message), QMessageBox::Ok);
    box.exec();
    // Ends at once, as after any run-time error: no further handler may run on half-updated state.
    std::_Exit(kExitStatus);
}

} // namespace

void runGuarded(const std::function<void()>& handler) noexcept {
    try {
        handler();
    } catch (const corvella::RuntimeError& error) {
        endProgram(error.number(), QString::fromUtf8(error.what()));
    } catch (const std::bad_alloc&) {
        endProgram(kOutOfMemoryError, QStringLiteral("Out of memory"));
    } catch (const std::exception& error) {
        endProgram(kInternalError, QString::fromUtf8(error.what()));
    }
}

} // namespace errorReport
