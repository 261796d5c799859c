#pragma once
// The text of the About box: what the program is, its version, copyright, comments,
// build time and the file it was loaded from, built from a version resource.

#include <cstdint>
#include <string>
#include <string_view>

#include "about/time_stamps.h"
#include "about/version_info.h"

namespace bitvane {

// Bits of AboutOptions::Flags.
inline constexpr std::uint32_t kAboutNoCompany = 1u << 24;
inline constexpr std::uint32_t kAboutNoCopyright = 1u << 25;
inline constexpr std::uint32_t kAboutNoComments = 1u << 26;
inline constexpr std::uint32_t kAboutNoLoadedFrom = 1u << 27;
inline constexpr std::uint32_t kAboutCentred = 1u << 31;
// What the main window passes: no company line, centred.
inline constexpr std::uint32_t kAboutMainWindowFlags = kAboutNoCompany | kAboutCentred;

// The window-free part of the About box's options.
struct AboutOptions {
  const NVersionInfo* Source = nullptr;  // null: the running program's own file
  std::uint32_t Flags = 0;
  std::uint32_t MaxLines = 0;
  std::u16string FontText;
  std::u16string Title;
  std::u16string Text;           // empty: built by FillFromVersion
  std::u16string BuildTimeText;  // empty: the build time comes from the file
  std::u16string ExtraText;
  std::u16string VersionTemplate = u"%p: %f\r\n%x %g Version %a.%b.%c.%d";
  std::u16string TimeTemplate = u"Built on %Y-%m-%d T %H:%M:%S";

  // The process-wide defaults, made on first use.
  [[nodiscard]] static const AboutOptions& Default();
};

// The main text: Describe(versionTemplate), then unless left out by `flags` and when
// not empty the company ("by ..."), copyright and comments lines, the build time
// formatted with `timeTemplate` (from the file's date or link time, in local time,
// when `buildTime` is null), and "Loaded from" the reader's path. Empty without a
// parsed version resource. Null templates take the defaults.
[[nodiscard]] std::u16string BuildAboutText(const NVersionInfo& versionInfo, NTimeStamp buildTime,
                                            const char16_t* versionTemplate,
                                            const char16_t* timeTemplate, std::uint32_t flags);

// The build time that the file records, in UTC: the fixed information's file date,
// else the PE link time, else for an ELF file read from disk its modification time;
// the null stamp when it records none.
[[nodiscard]] NTimeStamp FileBuildTime(const NVersionInfo& versionInfo);

// Sets options.Title ("About " and the internal name) and options.Text (the main
// text, then the extra text on a line of its own) from `source`, or from the running
// program's own file when `source` is null.
void FillFromVersion(AboutOptions& options, const NVersionInfo* source,
                     std::u16string_view buildTimeText, std::u16string_view extraText);

}  // namespace bitvane
