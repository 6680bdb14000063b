// The texts that describe a packed color: the RGB read-out, the clipboard texts and the web forms.
#pragma once

#include <QString>

#include <cstdint>

namespace colorText {

// "RGB 100, 150, 200": plain decimal channels, independent of the locale.
QString rgbText(std::int32_t color);

// Blue, green, red as two upper-case hex digits each: 100, 150, 200 gives "C89664".
QString hexText(std::int32_t color);

// The web's form, red first: "#6496C8".
QString webHexText(std::int32_t color);

// The CSS functional form: "rgb(100, 150, 200)".
QString cssText(std::int32_t color);

} // namespace colorText
