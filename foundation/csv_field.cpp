#include "foundation/csv_field.h"

namespace bitvane {

namespace {

constexpr char16_t kQuote = u'"';

bool EndsField(char16_t c) noexcept {
  return c == 0 || c == u',' || c == u'\r' || c == u'\n';
}

// `mark` points to the character that closed a field (never past the text's
// terminating 0). Sets `*cursor` behind that mark and returns the result code.
int TakeEndMark(char16_t* mark, char16_t** cursor) noexcept {
  switch (*mark) {
    case 0:
      *cursor = mark;
      return kCsvEndOfText;
    case u',':
      *cursor = mark + 1;
      return kCsvComma;
    case u'\n':
      *cursor = mark + 1;
      return kCsvLineFeed;
    default:  // u'\r'
      if (mark[1] == u'\n') {
        *cursor = mark + 2;
        return kCsvCrLf;
      }
      *cursor = mark + 1;
      return kCsvCarriageReturn;
  }
}

}  // namespace

int NextCsvField(char16_t** cursor, char16_t** field) noexcept {
  if (cursor == nullptr || *cursor == nullptr || field == nullptr) return kCsvBadArgument;
  char16_t* start = *cursor;

  if (*start != kQuote) {
    char16_t* end = start;
    while (!EndsField(*end)) ++end;
    const int code = TakeEndMark(end, cursor);
    *end = 0;
    *field = start;
    return code;
  }

  // Quoted: unescape from `read` down to `write`, which never runs ahead of it.
  char16_t* read = start + 1;
  char16_t* write = read;
  for (;;) {
    const char16_t c = *read;
    if (c == 0) {  // the text ended inside the quotes
      *cursor = read;
      break;
    }
    if (c != kQuote) {
      *write++ = c;
      ++read;
      continue;
    }
    const char16_t next = read[1];
    if (EndsField(next)) {
      const int code = TakeEndMark(read + 1, cursor);
      *write = 0;
      *field = start + 1;
      return code;
    }
    *write++ = kQuote;
    if (next != kQuote) *write++ = next;  // a lone mark stays, with what follows it
    read += 2;
  }
  *write = 0;
  *field = start + 1;
  return kCsvEndOfText;
}

}  // namespace bitvane
