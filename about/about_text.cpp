#include "about/about_text.h"

#include <cstring>

#include "foundation/text_builder.h"

namespace bitvane {

namespace {

constexpr std::u16string_view kIllegalTime = u"*** Illegal NTimeStamp ***";

std::uint32_t ReadU32(const std::uint8_t* bytes) {
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
         std::uint32_t{bytes[3]} << 24;
}

void AppendLine(TextBuilder& text, std::u16string_view prefix, std::u16string_view line) {
  text.Append(u"\r\n");
  text.Append(prefix);
  text.Append(line);
}

}  // namespace

const AboutOptions& AboutOptions::Default() {
  static const AboutOptions defaults;
  return defaults;
}

NTimeStamp FileBuildTime(const NVersionInfo& versionInfo) {
  if (const NFixedFileInfo* fixed = versionInfo.FixedInfo()) {
    const std::uint64_t date = std::uint64_t{fixed->m_fileDateMS} << 32 | fixed->m_fileDateLS;
    if (date != 0) return NTimeStamp(date);
  }
  if (versionInfo.HasPeHeaders()) {
    const std::uint32_t seconds = ReadU32(versionInfo.PeHeaders().data() + 8);
    if (seconds != 0) {
      return NTimeStamp(kTimeStamp1970.Ticks() + seconds * NTimeStamp::kTicksPerSecond);
    }
  }
  // An ELF file records no link time; its last change (UTC) is the nearest to one. A
  // block loaded from memory has no file record, so this stays null.
  if (versionInfo.IsElfImage()) return NTimeStamp(versionInfo.FindData().m_lastWriteTime.Ticks());
  return kNullTimeStamp;
}

std::u16string BuildAboutText(const NVersionInfo& versionInfo, NTimeStamp buildTime,
                              const char16_t* versionTemplate, const char16_t* timeTemplate,
                              std::uint32_t flags) {
  if (versionInfo.Root() == nullptr) return {};
  const AboutOptions& defaults = AboutOptions::Default();
  const std::u16string_view versionFormat =
      versionTemplate != nullptr ? std::u16string_view(versionTemplate) : defaults.VersionTemplate;
  const std::u16string_view timeFormat =
      timeTemplate != nullptr ? std::u16string_view(timeTemplate) : defaults.TimeTemplate;

  TextBuilder text;
  text.Append(versionInfo.Describe(versionFormat));
  const struct {
    std::uint32_t leaveOut;
    const char16_t* key;
    std::u16string_view prefix;
  } lines[] = {{kAboutNoCompany, u"CompanyName", u"by "},
               {kAboutNoCopyright, u"LegalCopyright", u""},
               {kAboutNoComments, u"Comments", u""}};
  for (const auto& line : lines) {
    if ((flags & line.leaveOut) != 0) continue;
    const std::u16string value = versionInfo.GetString(line.key);
    if (!value.empty()) AppendLine(text, line.prefix, value);
  }

  NTimeStamp time = buildTime;
  if (time.IsNull()) {
    // The file records UTC; shown in local time.
    time = FileBuildTime(versionInfo);
    const std::int64_t offset = NTimeStamp::LocalOffset();
    const std::uint64_t ticks = time.Ticks();
    const auto magnitude = static_cast<std::uint64_t>(offset < 0 ? -offset : offset);
    // A date near either end of the tick range keeps its UTC value rather than wrap.
    if (!time.IsNull() && (offset >= 0 ? ticks <= UINT64_MAX - magnitude : ticks >= magnitude)) {
      time.SetTicks(offset >= 0 ? ticks + magnitude : ticks - magnitude);
    }
  }
  if (!time.IsNull()) AppendLine(text, u"", time.Format(timeFormat, kIllegalTime));
  if ((flags & kAboutNoLoadedFrom) == 0) AppendLine(text, u"Loaded from ", versionInfo.Path());
  return text.Text();
}

void FillFromVersion(AboutOptions& options, const NVersionInfo* source,
                     std::u16string_view buildTimeText, std::u16string_view extraText) {
  NVersionInfo own;
  if (source == nullptr) {
    (void)own.LoadSelf();
    source = &own;
  }
  NTimeStamp buildTime;
  if (!buildTimeText.empty()) {
    const std::u16string text(buildTimeText);
    (void)buildTime.ParseBuildTime(text.c_str());
  }
  options.Title = u"About " + source->GetString(u"InternalName");
  options.Text = BuildAboutText(*source, buildTime, options.VersionTemplate.c_str(),
                                options.TimeTemplate.c_str(), options.Flags);
  if (!extraText.empty()) {
    options.Text += u"\r\n";
    options.Text += extraText;
  }
}

}  // namespace bitvane
