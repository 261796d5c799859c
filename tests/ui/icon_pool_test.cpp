// The icon files' reader and the icon pool: directories, decoding, loads counted,
// damaged groups, the program's own icons and the window's icon.
#include "ui/icon_pool.h"

#include "platform/last_error.h"
#include "tests/ui/ui_test.h"

namespace bitvane {
namespace {

// One image of a crafted group; damaged groups are sound ones with bytes patched.
struct Image {
  int width, height;                                      // 256 is written as 0
  enum Kind { kBitmap, kPng, kMaskOnly } kind = kBitmap;  // kMaskOnly: alpha all 0
};
const QRgb kInk = qRgba(40, 90, 200, 255), kMark = qRgba(255, 0, 0, 255);

QByteArray Le(quint32 value, int bytes) {
  QByteArray out;
  for (int i = 0; i < bytes; ++i) out += char(value >> (8 * i));
  return out;
}
QByteArray Patch(QByteArray bytes, int at, const QByteArray& with) {
  return bytes.replace(at, with.size(), with);
}

// The image's bytes: kInk, its top left pixel kMark; a bitmap's mask hides the last four
// of every eight pixels.
QByteArray ImageData(const Image& image) {
  QImage picture(image.width, image.height, QImage::Format_ARGB32);
  picture.fill(kInk);
  picture.setPixel(0, 0, kMark);
  QByteArray data;
  if (image.kind == Image::kPng) {
    QBuffer buffer(&data);
    (void)picture.save(&buffer, "PNG");
    return data;
  }
  data = Le(40, 4) + Le(image.width, 4) + Le(2 * image.height, 4) + Le(1, 2) + Le(32, 2);
  data += QByteArray(24, '\0');
  const quint32 alpha = image.kind == Image::kMaskOnly ? 0 : 0xFF000000u;
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) data += Le((picture.pixel(x, y) & 0xFFFFFF) | alpha, 4);
  }
  return data + QByteArray((image.width + 31) / 32 * 4 * image.height, '\x0F');
}

QByteArray Ico(const std::vector<Image>& images) {
  QByteArray directory = Le(0, 2) + Le(1, 2) + Le(images.size(), 2), data;
  for (const Image& image : images) {
    const QByteArray bytes = ImageData(image);
    directory += Le((image.width & 0xFF) | (image.height & 0xFF) << 8, 4) + Le(1, 2) + Le(32, 2) +
                 Le(bytes.size(), 4) + Le(6 + 16 * images.size() + data.size(), 4);
    data += bytes;
  }
  return directory + data;
}

}  // namespace

class IconPoolTest : public QObject {
  Q_OBJECT

  QTemporaryDir m_module;

  void Write(int number, const QByteArray& bytes) {
    QFile file(m_module.path() + '/' + QString::number(number) + ".ico");
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
  }
  static QImage Decoded(const QByteArray& ico, std::size_t index = 0) {
    std::vector<IconDirEntry> entries;
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(ico.constData()), ico.size());
    return ReadIconDirectory(bytes, entries) && index < entries.size()
               ? DecodeIconImage(bytes, entries[index])
               : QImage();
  }

 private slots:
  void init() { NIconPool::Rebind(m_module.path()); }

  // Bitmap and PNG images come out upright with their colours and transparency; damaged
  // directories and images give none, and a count beyond the file is cut to its entries.
  void decodesSoundImagesOnly() {
    for (const Image::Kind kind : {Image::kBitmap, Image::kPng, Image::kMaskOnly}) {
      BITVANE_ROW(QString::number(kind));
      const QImage image = Decoded(Ico({{256, 3, kind}}));
      QCOMPARE(image.size(), QSize(256, 3));
      QCOMPARE(image.pixel(0, 0), kMark);
      QCOMPARE(image.pixel(1, 2), kInk);
      QCOMPARE(qAlpha(image.pixel(255, 2)), kind == Image::kMaskOnly ? 0 : 255);
    }
    // Bytes of the first entry: width 6, height 7, size 14, offset 18; its image at 22:
    // a 40-byte header, the colours, the mask.
    const QByteArray sound = Ico({{16, 16}}), png = Ico({{16, 16, Image::kPng}});
    // clang-format off
    const std::vector<std::pair<const char*, QByteArray>> damaged = {
        {"truncated", sound.left(21)},             {"cut image", sound.left(sound.size() - 100)},
        {"count 0", Patch(sound, 4, Le(0, 2))},    {"type 2", Patch(sound, 2, Le(2, 2))},
        {"reserved", Patch(sound, 0, Le(1, 1))},   {"size differs", Patch(sound, 6, Le(17, 1))},
        {"past the end", Patch(sound, 18, Le(1 << 28, 4))},
        {"huge size", Patch(sound, 14, Le(~0u, 4))},
        {"giant PNG", Patch(png, 22 + 16, QByteArray(8, '\x7F'))},
        {"24 bits", Patch(sound, 22 + 14, Le(24, 2))}};
    // clang-format on
    for (const auto& [label, ico] : damaged) {
      BITVANE_ROW(label);
      QVERIFY(Decoded(ico).isNull());
    }
    QCOMPARE(Decoded(Patch(Ico({{16, 16}, {24, 24}}), 4, Le(65535, 2)), 1).size(), QSize(24, 24));
    QVERIFY(
        !Decoded(Patch(sound.left(22 + 40 + 16 * 16 * 4), 14, Le(40 + 16 * 16 * 4, 4))).isNull());
  }

  // A miss loads the group's sizes once; another size is scaled from the closest larger.
  void loadsEachSizeOnce() {
    // The large bitmap first, so that the later offsets need all four bytes.
    Write(128, Ico({{256, 256}, {16, 16}, {32, 32, Image::kPng}, {48, 48}, {48, 48}}));
    const auto loads = [] { return NIconPool::LoadsSoFar().images; };
    const unsigned before = loads();
    QCOMPARE(NIconPool::GetIcon(128, 32, 32).size(), QSize(32, 32));
    QCOMPARE(NIconPool::GetIcon(128, 256, 256).size(), QSize(256, 256));
    QCOMPARE(loads() - before, 4u);
    const QImage scaled = NIconPool::GetIcon(128, 20, 40);
    QCOMPARE(scaled.size(), QSize(20, 40));
    QCOMPARE(scaled.pixel(10, 20), kInk);
    QCOMPARE(NIconPool::GetIcon(128, 20, 40), scaled);
    QCOMPARE(NIconPool::GetIcon(128, 1, 256).size(), QSize(1, 256));
    QCOMPARE(loads() - before, 6u);
    QCOMPARE(NIconPool::Count(), 6u);
    NIconPool::Rebind(m_module.path());
    QCOMPARE(NIconPool::Count(), 6u);
    NIconPool::Rebind(ProgramResourceModule());
    QCOMPARE(NIconPool::Count(), 0u);
    QCOMPARE(NIconPool::BucketBits(), NIconPool::kEmptiedBucketBits);
  }

  // Bad numbers and sizes, and groups that are missing or damaged, give none; a missing
  // group is looked for again at every request.
  void refusesWhatItCannotLoad() {
    Write(7, Patch(Ico({{16, 16}}), 22 + 14, Le(24, 2)));
    Write(8, Ico({{16, 16}}).leftJustified(NIconPool::kMaxGroupBytes + 1, '\0'));
    // clang-format off
    const struct { int number, width, height; ErrorCode error; unsigned groups; } rows[] = {
        {0, 16, 16, ERROR_INVALID_PARAMETER, 0},  {65536, 16, 16, ERROR_INVALID_PARAMETER, 0},
        {128, 0, 16, ERROR_INVALID_PARAMETER, 0}, {128, 16, 257, ERROR_INVALID_PARAMETER, 0},
        {77, 16, 16, ERROR_RESOURCE_NAME_NOT_FOUND, 1},
        {77, 16, 16, ERROR_RESOURCE_NAME_NOT_FOUND, 1},
        {7, 16, 16, ERROR_INVALID_DATA, 1},         {8, 16, 16, ERROR_INVALID_DATA, 1}};
    // clang-format on
    for (const auto& row : rows) {
      BITVANE_ROW(QString::number(row.number));
      const NIconPool::Loads before = NIconPool::LoadsSoFar();
      QVERIFY(NIconPool::GetIcon(row.number, row.width, row.height).isNull());
      QCOMPARE(GetLastError(), row.error);
      QCOMPARE(NIconPool::LoadsSoFar().groups - before.groups, row.groups);
      QCOMPARE(NIconPool::LoadsSoFar().images - before.images, row.number == 7 ? 1u : 0u);
    }
  }

  // The program's icons hold every size they are asked for, none scaled.
  void programIconsHoldTheirSizes() {
    NIconPool::Rebind(ProgramResourceModule());
    const unsigned before = NIconPool::LoadsSoFar().images;
    for (const int size : {16, 24, 32, 48, 64, 256}) {
      for (const int number : {128, 129})
        QCOMPARE(NIconPool::GetIcon(number, size, size).size(), QSize(size, size));
    }
    for (const int banner : {130, 131}) QVERIFY(!NIconPool::GetIcon(banner, 240, 48).isNull());
    QCOMPARE(NIconPool::LoadsSoFar().images - before, 2 * 6 + 2u);
  }
};
BITVANE_UI_TEST(IconPoolTest)

}  // namespace bitvane

#include "icon_pool_test.moc"
