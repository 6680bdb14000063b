// The one call that leaves the program for the desktop: opening the maker's page.
#include "openURL.h"

#if defined(Q_OS_WIN)
#include <qt_windows.h>
#include <shellapi.h>
#else
#include <QDesktopServices>
#include <QUrl>
#endif

namespace openURL {

std::int32_t launchURL(QString& url, std::int32_t& showCmd) {
#if defined(Q_OS_WIN)
    // The wide-character call: no character of the address is lost to the ANSI code page.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", reinterpret_cast<LPCWSTR>(url.utf16()), nullptr, nullptr, showCmd));
    return static_cast<std::int32_t>(result);
#else
    Q_UNUSED(showCmd);
    return QDesktopServices::openUrl(QUrl(url)) ? kAccepted : kRefused;
#endif
}

} // namespace openURL
