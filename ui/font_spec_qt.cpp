#include "ui/font_spec_qt.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "platform/last_error.h"

namespace bitvane {

namespace {

constexpr double kPointsPerInch = 72.0;

bool IsUsableDensity(double pixelsPerInch) {
  return std::isfinite(pixelsPerInch) && pixelsPerInch > 0.0;
}

std::u16string FaceOf(const QFont& font) {
  const QString family = font.family().left(static_cast<qsizetype>(LogFontRecord::kMaxFace));
  return std::u16string(reinterpret_cast<const char16_t*>(family.utf16()),
                        static_cast<std::size_t>(family.size()));
}

}  // namespace

int DrawnPixelSize(double pointSize, double pixelsPerInch) {
  // Qt rounds the exact figure to hundredths first, then to a whole pixel.
  const double hundredths = std::floor(pointSize * pixelsPerInch / kPointsPerInch * 100 + 0.5);
  const double pixels = std::round(hundredths / 100);
  if (!(pixels >= 0)) return 0;
  return static_cast<int>(std::min<double>(pixels, std::numeric_limits<int>::max()));
}

LogFontRecord LogFontFromQFont(const QFont& font, double pixelsPerInch) {
  LogFontRecord record;
  record.face = FaceOf(font);
  record.italic = font.italic();
  record.underline = font.underline();
  record.strikeOut = font.strikeOut();
  record.weight = font.weight();
  if (font.pointSizeF() > 0.0) {
    if (IsUsableDensity(pixelsPerInch))
      record.height = -DrawnPixelSize(font.pointSizeF(), pixelsPerInch);
  } else if (font.pixelSize() > 0) {
    record.height = -font.pixelSize();
  }
  return record;
}

QFont QFontFromLogFont(const LogFontRecord& record, double pixelsPerInch) {
  QFont font;
  font.setFamily(
      QString::fromUtf16(record.face.data(), static_cast<qsizetype>(record.face.size())));
  font.setItalic(record.italic);
  font.setUnderline(record.underline);
  font.setStrikeOut(record.strikeOut);
  const bool weightInRange = record.weight >= 1 && record.weight <= 1000;
  font.setWeight(static_cast<QFont::Weight>(weightInRange ? record.weight : QFont::Normal));
  if (record.height < 0 && IsUsableDensity(pixelsPerInch)) {
    font.setPointSizeF(-static_cast<double>(record.height) * kPointsPerInch / pixelsPerInch);
  } else if (record.height != 0) {
    // |INT32_MIN| does not fit an int; no font is that large anyway.
    const std::int64_t pixels = std::abs(static_cast<std::int64_t>(record.height));
    font.setPixelSize(
        static_cast<int>(std::min<std::int64_t>(pixels, std::numeric_limits<int>::max())));
  }
  return font;
}

bool CreateFontFor(QWidget* window, const FontSpec& font) {
  if (window == nullptr) return false;
  const double pixelsPerInch = window->logicalDpiY();
  LogFontRecord record;
  if (!font.ToLogFont(record, pixelsPerInch)) return false;
  window->setFont(QFontFromLogFont(record, pixelsPerInch));
  return true;
}

bool FromWindowFont(FontSpec& font, const QWidget* window) {
  if (window == nullptr) return false;
  const double pixelsPerInch = window->logicalDpiY();
  return font.FromLogFont(LogFontFromQFont(window->font(), pixelsPerInch), pixelsPerInch);
}

bool FromIconTitleFont(FontSpec& font) {
  const QScreen* screen =
      QGuiApplication::instance() != nullptr ? QGuiApplication::primaryScreen() : nullptr;
  if (screen == nullptr) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  const double pixelsPerInch = screen->logicalDotsPerInchY();
  const QFont general = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  return font.FromLogFont(LogFontFromQFont(general, pixelsPerInch), pixelsPerInch);
}

}  // namespace bitvane
