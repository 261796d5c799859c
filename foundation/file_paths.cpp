#include "foundation/file_paths.h"

#include <algorithm>
#include <vector>

#include "foundation/ansi_to_wide.h"
#include "foundation/wide_to_utf8.h"
#include "platform/file_system.h"
#include "platform/last_error.h"

namespace bitvane {

namespace {

// No 0 character and no unpaired surrogate: the text has an exact UTF-8 form.
[[nodiscard]] bool HasExactSystemForm(std::u16string_view text) noexcept {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == 0) return false;
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

[[nodiscard]] std::u16string Widen(const std::string& bytes) {
  return AnsiToWide(bytes.data(), static_cast<std::ptrdiff_t>(bytes.size()));
}

}  // namespace

std::u16string AddTrailingBackslash(std::u16string_view path) {
  std::u16string result(path);
  if (!result.empty() && result.back() != u'\\') result += u'\\';
  return result;
}

bool ExpandEnvironment(std::u16string& path) {
  if (path.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::u16string expanded;
  expanded.reserve(path.size());
  std::size_t i = 0;
  while (i < path.size()) {
    const std::size_t open = path.find(u'%', i);
    const std::size_t close = open == std::u16string::npos ? open : path.find(u'%', open + 1);
    if (close == std::u16string::npos) {
      expanded.append(path, i);
      break;
    }
    expanded.append(path, i, open - i);
    const std::u16string_view name = std::u16string_view(path).substr(open + 1, close - open - 1);
    std::string value;
    if (HasExactSystemForm(name) && LookUpEnvironment(WideToUtf8(name), value)) {
      expanded += Widen(value);
    } else {
      expanded.append(path, open, close - open + 1);
    }
    i = close + 1;
  }
  path = std::move(expanded);
  return true;
}

namespace {

// `text` cut at each '/' into the parts that name something: empty and `.` parts go.
void AppendParts(std::u16string_view text, std::vector<std::u16string>& parts) {
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find(u'/', start);
    if (end == std::u16string_view::npos) end = text.size();
    const std::u16string_view part = text.substr(start, end - start);
    if (!part.empty() && part != u".") parts.emplace_back(part);
    start = end + 1;
  }
}

// Applies the `..` parts of `path` to `parts`, whose first `settled` parts are known to
// name folders without links. A step up from an unsettled part is the system's to
// take, as a link leads elsewhere than its text; once part of the path is known not
// to exist, the steps go by text, since the system would open nothing there anyway.
void ApplyParts(std::u16string_view path, std::vector<std::u16string>& parts, std::size_t settled) {
  std::vector<std::u16string> given;
  AppendParts(path, given);
  bool byText = false;   // part of the path does not exist
  bool literal = false;  // a step the system refuses: kept for it to refuse again
  for (std::u16string& part : given) {
    if (part != u".." || literal) {
      parts.push_back(std::move(part));
      continue;
    }
    if (parts.empty()) continue;  // the root is its own parent
    if (parts.size() > settled && !byText) {
      std::u16string prefix;
      for (const std::u16string& each : parts) prefix += u'/' + each;
      std::string system;
      std::string parent;
      if (prefix.size() <= kMaxFullPath && ToSystemPath(prefix, system) &&
          ParentDirectory(system, parent)) {
        parts.clear();
        AppendParts(Widen(parent), parts);
        settled = parts.size();
        continue;
      }
      const ErrorCode code = GetLastError();
      if (code != ERROR_FILE_NOT_FOUND && code != ERROR_FILENAME_EXCED_RANGE &&
          prefix.size() <= kMaxFullPath) {
        literal = true;
        parts.push_back(std::move(part));
        continue;
      }
      byText = true;
    }
    parts.pop_back();
    settled = std::min(settled, parts.size());
  }
}

}  // namespace

std::u16string FullPath(std::u16string_view path, char16_t separator) {
  if (path.empty() || path.find(u'\0') != std::u16string_view::npos) {
    SetLastError(ERROR_INVALID_NAME);
    return {};
  }
  const ErrorCode before = GetLastError();
  std::vector<std::u16string> parts;
  if (path.front() != u'/') {
    std::string directory;
    if (!CurrentDirectory(directory)) return {};
    AppendParts(Widen(directory), parts);  // the system's own answer: no links in it
  }
  ApplyParts(path, parts, parts.size());

  std::u16string result;
  for (const std::u16string& part : parts) {
    result += separator;
    result += part;
  }
  if (result.empty() || path.back() == u'/') result += separator;
  if (result.size() > kMaxFullPath) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return {};
  }
  SetLastError(before);  // a refused look-up on the way is no failure
  return result;
}

std::u16string NormalisePath(std::u16string_view path) {
  std::u16string expanded(path);
  if (!ExpandEnvironment(expanded)) return {};
  return FullPath(expanded, kPathSeparator);
}

bool ToSystemPath(std::u16string_view path, std::string& bytes) {
  if (path.empty() || !HasExactSystemForm(path)) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  bytes = WideToUtf8(path);
  return true;
}

std::u16string ExecutableFileName() {
  std::string path;
  if (!ExecutablePath(path)) return {};
  return Widen(path);
}

}  // namespace bitvane
