#include "foundation/csv_field.h"

namespace bitvane {

namespace {

constexpr char16_t kQuote = u'"';

// Where the text ends: at `end` when one is given (a 0 before it is an ordinary
// character), else at the terminating 0.
struct TextEnd {
  const char16_t* end;

  [[nodiscard]] bool At(const char16_t* p) const noexcept {
    return end != nullptr ? p == end : *p == 0;
  }
  [[nodiscard]] bool EndsField(const char16_t* p) const noexcept {
    return At(p) || *p == u',' || *p == u'\r' || *p == u'\n';
  }
};

// `mark` points to what closed a field (never past the text's end). Sets `*cursor`
// behind that mark and returns the result code.
int TakeEndMark(char16_t* mark, const TextEnd& text, char16_t** cursor) noexcept {
  if (text.At(mark)) {
    *cursor = mark;
    return kCsvEndOfText;
  }
  switch (*mark) {
    case u',':
      *cursor = mark + 1;
      return kCsvComma;
    case u'\n':
      *cursor = mark + 1;
      return kCsvLineFeed;
    default:  // u'\r'
      if (!text.At(mark + 1) && mark[1] == u'\n') {
        *cursor = mark + 2;
        return kCsvCrLf;
      }
      *cursor = mark + 1;
      return kCsvCarriageReturn;
  }
}

// Both forms. The zero-terminated one ends the field with a 0 where it stands; the
// counted one marks its end in `*fieldEnd` and writes nothing at the text's end.
int NextField(char16_t** cursor, const TextEnd& text, char16_t** field,
              char16_t** fieldEnd) noexcept {
  char16_t* start = *cursor;
  const auto finish = [&](char16_t* first, char16_t* last, int code) {
    *field = first;
    if (fieldEnd != nullptr) {
      *fieldEnd = last;
    } else {
      *last = 0;
    }
    return code;
  };

  if (text.At(start) || *start != kQuote) {
    char16_t* end = start;
    while (!text.EndsField(end)) ++end;
    const int code = TakeEndMark(end, text, cursor);
    return finish(start, end, code);
  }

  // Quoted: unescape from `read` down to `write`, which never runs ahead of it.
  char16_t* read = start + 1;
  char16_t* write = read;
  for (;;) {
    if (text.At(read)) {  // the text ended inside the quotes
      *cursor = read;
      return finish(start + 1, write, kCsvEndOfText);
    }
    const char16_t c = *read;
    if (c != kQuote) {
      *write++ = c;
      ++read;
      continue;
    }
    if (text.EndsField(read + 1)) {
      const int code = TakeEndMark(read + 1, text, cursor);
      return finish(start + 1, write, code);
    }
    const char16_t next = read[1];
    *write++ = kQuote;
    if (next != kQuote) *write++ = next;  // a lone mark stays, with what follows it
    read += 2;
  }
}

}  // namespace

int NextCsvField(char16_t** cursor, char16_t** field) noexcept {
  if (cursor == nullptr || *cursor == nullptr || field == nullptr) return kCsvBadArgument;
  return NextField(cursor, TextEnd{nullptr}, field, nullptr);
}

int NextCsvField(char16_t** cursor, char16_t* end, char16_t** field, char16_t** fieldEnd) noexcept {
  if (cursor == nullptr || *cursor == nullptr || end == nullptr || *cursor > end ||
      field == nullptr || fieldEnd == nullptr) {
    return kCsvBadArgument;
  }
  return NextField(cursor, TextEnd{end}, field, fieldEnd);
}

}  // namespace bitvane
