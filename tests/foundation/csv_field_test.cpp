#include "foundation/csv_field.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace bitvane {
namespace {

using namespace std::string_literals;
using Fields = std::vector<std::pair<std::u16string, int>>;

// A buffer of exactly the text's size, so that ASan sees any read past the end.
Fields Split(const std::u16string& text, bool counted) {
  const auto buffer = std::make_unique<char16_t[]>(text.size() + (counted ? 0 : 1));
  std::copy(text.begin(), text.end(), buffer.get());
  char16_t* const bufferEnd = buffer.get() + text.size();
  char16_t* cursor = buffer.get();
  const auto next = [&](char16_t*& field) {
    char16_t* fieldEnd = nullptr;
    const int code = counted ? NextCsvField(&cursor, bufferEnd, &field, &fieldEnd)
                             : NextCsvField(&cursor, &field);
    return std::pair(counted ? std::u16string(field, fieldEnd) : std::u16string(field), code);
  };
  Fields fields;
  for (int code = 0; code != kCsvEndOfText;) {
    char16_t* const before = cursor;
    char16_t* field = nullptr;
    fields.push_back(next(field));
    code = fields.back().second;
    EXPECT_GE(field, before);
    EXPECT_LE(cursor, bufferEnd);
    if (code != kCsvEndOfText && cursor <= before) {
      ADD_FAILURE() << "no progress";
      break;
    }
  }
  char16_t* field = nullptr;
  EXPECT_EQ(cursor, bufferEnd);
  EXPECT_EQ(next(field), std::pair(std::u16string(), kCsvEndOfText));
  EXPECT_EQ(field, bufferEnd);
  return fields;
}

// The megabyte rows prove linear time.
TEST(NextCsvField, Table) {
  const std::u16string mega(1 << 20, u'p');
  const std::u16string quotes(1 << 20, u'"');  // the opening mark, then pairs, then one
  const struct {
    std::u16string text;
    Fields fields;
  } rows[] = {
      {u"a,\"b,c\",\"d\"\"e\"", {{u"a", 2}, {u"b,c", 2}, {u"d\"e", 1}}},
      {u"", {{u"", 1}}},
      {u"a\rb\nc\r", {{u"a", 3}, {u"b", 4}, {u"c", 3}, {u"", 1}}},
      {u"\r\r\n\n", {{u"", 3}, {u"", 5}, {u"", 4}, {u"", 1}}},
      {u"a\"b,c", {{u"a\"b", 2}, {u"c", 1}}},
      {u"\"abc", {{u"abc", 1}}},                   // unterminated
      {u"\"x\"\"", {{u"x\"", 1}}},                 // ends after a doubled mark
      {u"\"a\"b\",c", {{u"a\"b", 2}, {u"c", 1}}},  // a lone mark stays with its follower
      {u"\"a\"\"\"\r", {{u"a\"", 3}, {u"", 1}}},
      {u"\"a\r\nb\",\"\"\r\n", {{u"a\r\nb", 2}, {u"", 5}, {u"", 1}}},
      {mega + u",x", {{mega, 2}, {u"x", 1}}},
      {quotes + u",x", {{std::u16string((1 << 19) - 1, u'"'), 2}, {u"x", 1}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.text.begin(),
                             row.text.begin() + std::min<std::ptrdiff_t>(row.text.size(), 20)));
    EXPECT_EQ(Split(row.text, false), row.fields);
    EXPECT_EQ(Split(row.text, true), row.fields) << "counted";
  }
  EXPECT_EQ(Split(u"a\0b,\"c\0\"\0\",\0"s, true),
            (Fields{{u"a\0b"s, 2}, {u"c\0\"\0"s, 2}, {u"\0"s, 1}}));
  EXPECT_EQ(Split(u"\"\0"s, true), (Fields{{u"\0"s, 1}}));
}

TEST(NextCsvField, BadArgumentsChangeNothing) {
  char16_t text[] = u"a,b";
  char16_t* cursor = text;
  char16_t* none = nullptr;
  char16_t* field = nullptr;
  char16_t* end = text + 3;
  EXPECT_EQ(NextCsvField(nullptr, &field), kCsvBadArgument);
  EXPECT_EQ(NextCsvField(&none, &field), kCsvBadArgument);
  EXPECT_EQ(NextCsvField(&cursor, nullptr), kCsvBadArgument);
  EXPECT_EQ(NextCsvField(&cursor, end, &field, nullptr), kCsvBadArgument);
  EXPECT_EQ(NextCsvField(&none, end, &field, &end), kCsvBadArgument);
  EXPECT_EQ(NextCsvField(&end, text, &field, &none), kCsvBadArgument);  // past the end
  EXPECT_EQ(cursor, text);
  EXPECT_EQ(std::u16string(text), u"a,b");
}

}  // namespace
}  // namespace bitvane
