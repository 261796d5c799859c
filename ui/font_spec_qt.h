#pragma once
// FontSpec on widgets: LogFontRecord to and from QFont, a widget's font from a
// FontSpec, and a FontSpec from a widget's font or from the desktop's general font.

#include <QFont>

#include "foundation/font_spec.h"

class QWidget;

namespace bitvane {

// The whole pixels Qt draws a font of `pointSize` points in at `pixelsPerInch`.
[[nodiscard]] int DrawnPixelSize(double pointSize, double pixelsPerInch);

// The font's face (cut to 31 characters), flags and weight (Qt's 1..1000 scale is
// the record's). The height is the font as drawn: -DrawnPixelSize for a font sized in
// points, -pixelSize for one sized in pixels; 0 when neither is set or the density is
// not a positive finite number. So describing a font and making it again gives the
// same pixels (8 points at 96 pixels per inch are drawn, and described, as 11 pixels).
[[nodiscard]] LogFontRecord LogFontFromQFont(const QFont& font, double pixelsPerInch);

// The reverse. A negative height becomes the point size that gives |height| pixels
// at pixelsPerInch; a positive one (a cell height) is taken as the pixel size, the
// nearest Qt has; 0 keeps the default size. Without a usable density a height is a
// pixel size. Weights outside 1..1000 (0: don't care) become normal.
[[nodiscard]] QFont QFontFromLogFont(const LogFontRecord& record, double pixelsPerInch);

// Gives `window` the font that `font` describes, at the window's logical vertical
// density. False, changing nothing, for a null window or a font that has no font
// record there.
[[nodiscard]] bool CreateFontFor(QWidget* window, const FontSpec& font);

// Describes the font of `window` at its logical vertical density. False for a null
// window or a font FontSpec::FromLogFont refuses.
[[nodiscard]] bool FromWindowFont(FontSpec& font, const QWidget* window);

// Describes the desktop's general font at the primary screen's logical vertical
// density. Without a screen the font is left unchanged, the last-error code becomes
// ERROR_INVALID_DATA and the result is false.
[[nodiscard]] bool FromIconTitleFont(FontSpec& font);

}  // namespace bitvane
