#pragma once
// Splitting a writable UTF-16 text into comma-separated fields, one at a time.

namespace bitvane {

// Results of NextCsvField: how the field ended.
inline constexpr int kCsvEndOfText = 1;
inline constexpr int kCsvComma = 2;
inline constexpr int kCsvCarriageReturn = 3;  // a carriage return not followed by a line feed
inline constexpr int kCsvLineFeed = 4;
inline constexpr int kCsvCrLf = 5;
inline constexpr int kCsvBadArgument = -1;

// Takes the next field out of the zero-terminated text at `*cursor`, which is changed
// in place: the field is unescaped and zero-terminated where it stands. On return
// `*field` points to the field and `*cursor` to the character after the comma or line
// end that closed it; at the end of the text `*cursor` stays on the terminating 0, so
// a further call gives an empty field and kCsvEndOfText again.
//
// A field that does not begin with a quotation mark runs, unchanged, up to the first
// comma, carriage return, line feed or the end. A field that does begin with one loses
// that mark and keeps everything, commas and line ends included, up to a single
// quotation mark followed by a comma, a line end or the end of the text; inside it,
// two quotation marks read as one, and a single one followed by anything else is kept
// with that character. A text that ends inside the quotes ends the field there.
//
// Returns one of the kCsv codes above; kCsvBadArgument, changing nothing, when `cursor`,
// `*cursor` or `field` is null.
[[nodiscard]] int NextCsvField(char16_t** cursor, char16_t** field) noexcept;

// The counted form, for a text that runs from `*cursor` up to `end`: the same fields,
// but a 0 is an ordinary character, nothing at or past `end` is read or written, and
// the field is not terminated: it runs from `*field` up to `*fieldEnd`. At the end of
// the text `*cursor` stays at `end`. kCsvBadArgument, changing nothing, for a null
// pointer or a cursor past `end`.
[[nodiscard]] int NextCsvField(char16_t** cursor, char16_t* end, char16_t** field,
                               char16_t** fieldEnd) noexcept;

}  // namespace bitvane
