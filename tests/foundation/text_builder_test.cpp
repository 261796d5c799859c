#include "foundation/text_builder.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/freed_memory_probe.h"

namespace bitvane {
namespace {

std::u16string Pattern(std::size_t length, std::size_t start = 0) {
  std::u16string text(length, u'\0');
  for (std::size_t i = 0; i < length; ++i) {
    text[i] = static_cast<char16_t>(1 + (start + i) * 7 % 0xFFFE);
  }
  return text;
}

void ExpectText(TextBuilder& builder, const std::u16string& expected) {
  ASSERT_EQ(builder.Length(), expected.size());
  ASSERT_EQ(builder.Text(), expected);
  const char16_t* joined = builder.Get();
  ASSERT_EQ(std::u16string_view(joined, expected.size()), expected);
  ASSERT_EQ(joined[expected.size()], u'\0');
  ASSERT_EQ(builder.Get(), joined);  // already one chunk: no second join
}

TEST(TextBuilder, PiecesAcrossChunkBoundaries) {
  const std::vector<std::vector<std::size_t>> rows = {
      {0}, {65536}, {65535, 1}, {65535, 2}, {65536, 1}, {65537, 65535, 65536, 2},
  };
  for (const auto& row : rows) {
    for (const bool joinEachTime : {false, true}) {
      SCOPED_TRACE(::testing::PrintToString(row) + (joinEachTime ? " joined each time" : ""));
      TextBuilder builder;
      std::u16string expected;
      for (const std::size_t length : row) {
        const std::u16string piece = Pattern(length, expected.size());
        builder.Append(piece);
        expected += piece;
        if (joinEachTime) ExpectText(builder, expected);
      }
      ExpectText(builder, expected);
    }
  }
  TextBuilder builder;
  builder.Append(nullptr, 5);
  builder.Append(u"xyz", 0);
  ExpectText(builder, u"");
}

TEST(TextBuilder, ChunkCapacityIsRoundedUpToWholeChunks) {
  TextBuilder builder;
  builder.Append(u"a");
  const char16_t* first = builder.Get();
  builder.Append(Pattern(65535));  // fits the 65536 characters of the first chunk
  EXPECT_EQ(builder.Get(), first);
  builder.Append(u"b");  // does not
  EXPECT_NE(builder.Get(), first);
}

TEST(TextBuilder, AppendsItsOwnTextAndIsReusableAfterRelease) {
  TextBuilder builder;
  builder.Append(Pattern(40000));
  builder.Append(builder.Get(), builder.Length());  // needs a second chunk
  ExpectText(builder, Pattern(40000) + Pattern(40000));
  builder.Release();
  ExpectText(builder, u"");
  builder.Append(u"again");
  ExpectText(builder, u"again");
}

// Without the wipe the probe must see the text, or it proves nothing.
TEST(TextBuilder, WipeLeavesNoTextInFreedMemory) {
  const std::u16string secret = u"~Secret~Marker~!";
  std::u16string piece;
  for (int i = 0; i < 1000; ++i) piece += secret;
  for (const bool wipe : {true, false}) {
    FreedMemoryProbe probe(secret);
    {
      TextBuilder builder(wipe);
      for (int i = 0; i < 20; ++i) builder.Append(piece);  // 320,000 characters
      ASSERT_NE(builder.Get(), nullptr);
      builder.Append(piece);
      builder.Release();
      builder.Append(piece);
    }  // the destructor releases
    EXPECT_GE(probe.BlocksScanned(), 6u) << "wipe " << wipe;
    EXPECT_EQ(probe.Hits() == 0, wipe);
    if (!wipe) {
      EXPECT_GE(probe.Hits(), 6u);
    }
  }
}

}  // namespace
}  // namespace bitvane
