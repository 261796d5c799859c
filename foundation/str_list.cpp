#include "foundation/str_list.h"

#include <vector>

#include "foundation/csv_field.h"
#include "foundation/text_builder.h"

namespace bitvane {

NSTRList::NSTRList(const char16_t* csvText, bool wipe) : NSTRCont(wipe) {
  if (csvText != nullptr) ReadCsv(csvText);
}

NSTRList::NSTRList(std::u16string_view csvText, bool wipe) : NSTRCont(wipe) {
  ReadCsv(csvText);
}

void NSTRList::ReadCsv(std::u16string_view csvText) {
  // An empty text has no fields; a list of one empty element is written as "".
  if (csvText.empty()) return;
  std::u16string copy(csvText);  // NextCsvField unescapes in place
  char16_t* cursor = copy.data();
  char16_t* const end = cursor + copy.size();
  char16_t* field = nullptr;
  char16_t* fieldEnd = nullptr;
  int code;
  do {
    // Counted: a 0 inside the text is an ordinary character of its field.
    code = NextCsvField(&cursor, end, &field, &fieldEnd);
    if (code == kCsvBadArgument) break;
    Add(std::u16string(field, fieldEnd));
  } while (code != kCsvEndOfText);
  if (Wipes()) WipeString(copy);
}

std::u16string NSTRList::RemoveHead() {
  Node* head = Head();
  if (head == nullptr) return {};
  std::u16string value = head->value;
  (void)Remove(head);
  return value;
}

std::u16string NSTRList::ToCsv() const {
  // A lone empty element needs quotes to differ from the empty list.
  if (Count() == 1 && Head()->value.empty()) return u"\"\"";
  TextBuilder text(Wipes());
  bool first = true;
  for (const std::u16string& element : *this) {
    if (!first) text.Append(u",", 1);
    first = false;
    if (!NeedsCsvQuotes(element)) {
      text.Append(element);
      continue;
    }
    // Quoted, every quotation mark doubled; appended in runs, so no copy is made.
    text.Append(u"\"", 1);
    std::size_t start = 0;
    for (std::size_t quote; (quote = element.find(u'"', start)) != std::u16string::npos;) {
      text.Append(element.data() + start, quote + 1 - start);
      text.Append(u"\"", 1);
      start = quote + 1;
    }
    text.Append(element.data() + start, element.size() - start);
    text.Append(u"\"", 1);
  }
  return text.Text();
}

void NSTRList::SplitLines(std::u16string_view text) {
  RemoveAll();
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n') continue;
    Add(std::u16string(text.substr(start, i - start)));
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) Add(std::u16string(text.substr(start)));
}

void NSTRList::SetFromMultiString(const char16_t* block) {
  RemoveAll();
  if (block == nullptr) return;
  for (std::u16string_view part(block); !part.empty(); part = std::u16string_view(block)) {
    Add(std::u16string(part));
    block += part.size() + 1;
  }
}

void NSTRList::SetFromMultiString(const char16_t* block, std::size_t length) {
  RemoveAll();
  if (block == nullptr) return;
  const std::u16string_view all(block, length);
  for (std::size_t start = 0; start < all.size();) {
    std::size_t end = all.find(u'\0', start);
    if (end == std::u16string_view::npos) end = all.size();
    if (end == start) break;
    Add(std::u16string(all.substr(start, end - start)));
    start = end + 1;
  }
}

void NSTRList::SplitAt(std::u16string_view text,
                       std::initializer_list<std::u16string_view> separators) {
  RemoveAll();
  std::vector<NSepEntry> entries;
  for (std::u16string_view separator : separators) {
    // An empty separator would match everywhere without moving on.
    if (!separator.empty()) entries.push_back(NSepEntry{separator});
  }
  if (text.empty() || entries.empty()) {
    Add(std::u16string(text));
    return;
  }
  std::size_t position = 0;
  for (;;) {
    NSepEntry* earliest = nullptr;
    for (NSepEntry& entry : entries) {
      // Each separator's next occurrence is searched once, until the position passes it.
      if (entry.position != -1 && entry.position < static_cast<std::int64_t>(position)) {
        entry.position = -1;
      }
      if (entry.position == -1) {
        const std::size_t found = text.find(entry.separator, position);
        entry.position = found == std::u16string_view::npos
                             ? static_cast<std::int64_t>(text.size()) + 1
                             : static_cast<std::int64_t>(found);
      }
      if (entry.position <= static_cast<std::int64_t>(text.size()) &&
          (earliest == nullptr || entry.position < earliest->position)) {
        earliest = &entry;
      }
    }
    if (earliest == nullptr) break;
    const auto at = static_cast<std::size_t>(earliest->position);
    Add(std::u16string(text.substr(position, at - position)));
    position = at + earliest->separator.size();
  }
  Add(std::u16string(text.substr(position)));
}

}  // namespace bitvane
