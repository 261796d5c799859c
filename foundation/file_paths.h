#pragma once
// Path handling: environment expansion, full paths, the trailing backslash of key
// paths, and the conversion of a path to the system's bytes. File paths use `/`.

#include <cstddef>
#include <string>
#include <string_view>

namespace bitvane {

// The separator that normalised file paths use.
inline constexpr char16_t kPathSeparator = u'/';

// Results longer than this fail in FullPath.
inline constexpr std::size_t kMaxFullPath = 4095;

// `path` with a backslash appended, unless it is empty or already ends in one
// (registry key paths use the backslash).
[[nodiscard]] std::u16string AddTrailingBackslash(std::u16string_view path);

// Replaces every `%NAME%` in `path` by the value of environment variable NAME. A name
// that is not set (or empty, as in `%%`) stays as written, both percent signs
// included, and the scan goes on after its closing sign; a `%` without a partner stays.
// Values are not expanded again. An empty path fails with ERROR_INVALID_PARAMETER and
// is left alone.
[[nodiscard]] bool ExpandEnvironment(std::u16string& path);

// The absolute, normalised form of `path`: a relative path is taken from the current
// directory; empty and `.` components go; a trailing `/` stays. `..` goes to the folder
// the system reaches by it: through a link it is the link target's parent (the path
// before it then shows without links); where part of the path does not exist, `..`
// removes the component before it (never the root); a step the system refuses (from a
// file, an unreadable folder) stays, for the look-up to fail on. Other links stay as
// written, and the file need not exist. The components are joined by `separator`.
// Failures give the empty string: an empty path or one holding a 0 character
// (ERROR_INVALID_NAME), a result of more than kMaxFullPath characters
// (ERROR_FILENAME_EXCED_RANGE), no current directory (its code). The last error is
// left alone on success.
[[nodiscard]] std::u16string FullPath(std::u16string_view path,
                                      char16_t separator = kPathSeparator);

// ExpandEnvironment, then FullPath with kPathSeparator: the form in which the scan and
// the whole-file reader use a path. The empty string on failure, with its code.
[[nodiscard]] std::u16string NormalisePath(std::u16string_view path);

// `path` as the system's bytes (UTF-8) in `bytes`. A path that is empty, holds a 0
// character or an unpaired surrogate names no file: ERROR_INVALID_NAME.
[[nodiscard]] bool ToSystemPath(std::u16string_view path, std::string& bytes);

// The running program's file name; the empty string with the error code on failure.
[[nodiscard]] std::u16string ExecutableFileName();

}  // namespace bitvane
