#include "cli/describe_command.h"

#include <ostream>

#include "about/about_text.h"
#include "about/version_info.h"
#include "cli/terminal_text.h"
#include "foundation/ansi_to_wide.h"
#include "platform/last_error.h"

namespace bitvane::cli {

namespace {

constexpr const char* kUsage = "Usage: bitvane-cli describe FILE [--template TEXT]\n";

// What FILE may hold is what NVersionInfo::LoadFile accepts through the file scan.
constexpr const char* kHelp = R"(Usage: bitvane-cli describe FILE [--template TEXT]

Prints the version resource of FILE through TEXT, whose placeholders are those of
the About box. The default TEXT is "%p: %f", a line break, "%x %g Version %a.%b.%c.%d".

FILE   a path, absolute or from the current folder. Each %NAME% in it is replaced
       by the value of the environment variable NAME; a name that is not set stays
       as written. Its last part, the file name, may hold wildcards, matched
       case-sensitively: * stands for any run of characters, ? for one character.
       Folders are passed over. FILE must name exactly one file: when none matches
       the file is not found, when several match nothing is described (error 87).
TEXT   %p product name, %f file description, %v file version, %i internal name,
       %r original file name, %o company, %l copyright, %m comments, %a %b %c %d
       the four parts of the product version, %V all four with dots, %n the file's
       name, %N its full path, %x processor, %g Debug or Release. Between % and the
       letter may stand - (align left), a width, and . with a precision. Any other
       character after % stands as written, with the %. A line break in TEXT (LF,
       or CR LF) starts a new line.

Control characters in what is printed are shown escaped (\n, \u001B, ...) and bytes
that are not UTF-8 as \xHH, so that no text in a file can act on the terminal.

Exit status: 0 when the file was described, 1 when it cannot be read or holds no
version resource, 2 for a usage error.
)";

// The description through `format`, for a terminal. The template's line breaks (LF
// or CR LF) make the lines; everything else is escaped, CR and LF included, so a
// version string or a file name cannot forge a line of its own.
std::string DescribeForTerminal(const NVersionInfo& info, std::u16string_view format) {
  if (info.FixedInfo() == nullptr) return TerminalText(info.Describe(format));  // "<n/a>"
  std::string out;
  for (std::size_t start = 0;;) {
    const std::size_t end = format.find(u'\n', start);
    if (end == std::u16string_view::npos) {
      return out + TerminalText(info.Describe(format.substr(start)));
    }
    // Each line is described ending in CR: the CR closes an unfinished placeholder as
    // it would in the whole template, and it is always the last character described.
    std::u16string line(format.substr(start, end - start));
    if (line.empty() || line.back() != u'\r') line += u'\r';
    std::u16string text = info.Describe(line);
    if (!text.empty() && text.back() == u'\r') text.pop_back();
    out += TerminalText(text);
    out += '\n';
    start = end + 1;
  }
}

std::u16string FromArgument(const std::string& text) {
  return AnsiToWide(text.data(), static_cast<std::ptrdiff_t>(text.size()));
}

const char* Reason(ErrorCode code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      return "file not found";
    case ERROR_PATH_NOT_FOUND:
      return "folder not found";
    case ERROR_ACCESS_DENIED:
      return "access denied";
    case ERROR_INVALID_DATA:
      return "no readable version resource";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return "out of memory";
    case ERROR_READ_FAULT:
      return "read error";
    case ERROR_INVALID_NAME:
      return "invalid file name";
    case ERROR_FILENAME_EXCED_RANGE:
      return "name too long";
    case ERROR_BAD_FILE_TYPE:
      return "not a regular file";
    case ERROR_FILE_TOO_LARGE:
      return "too large";
    default:
      return "cannot load";
  }
}

}  // namespace

int RunDescribe(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string file;
  std::u16string format = AboutOptions::Default().VersionTemplate;
  bool help = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      help = true;
    } else if (args[i] == "--template" && i + 1 < args.size()) {
      format = FromArgument(args[++i]);
    } else if (args[i].rfind("--template=", 0) == 0) {
      format = FromArgument(args[i].substr(11));
    } else if (file.empty() && !args[i].empty() && args[i][0] != '-') {
      file = args[i];
    } else {
      err << "bitvane-cli: unexpected argument '" << TerminalText(args[i]) << "'\n" << kUsage;
      return 2;
    }
  }
  if (help) {
    out << kHelp;
    return 0;
  }
  if (file.empty()) {
    err << "bitvane-cli: describe needs a file\n" << kUsage;
    return 2;
  }
  NVersionInfo info;
  if (!info.LoadFile(FromArgument(file))) {
    const ErrorCode code = GetLastError();
    err << "bitvane-cli: " << TerminalText(file) << ": " << Reason(code) << " (error " << code
        << ")\n";
    return 1;
  }
  out << DescribeForTerminal(info, format) << '\n';
  return 0;
}

int RunVersion(std::ostream& out, std::ostream& err) {
  NVersionInfo self;
  if (!self.LoadSelf()) {
    const ErrorCode code = GetLastError();
    err << "bitvane-cli: own version resource: " << Reason(code) << " (error " << code << ")\n";
    return 1;
  }
  const AboutOptions& defaults = AboutOptions::Default();
  out << TerminalLines(BuildAboutText(self, kNullTimeStamp, defaults.VersionTemplate.c_str(),
                                      defaults.TimeTemplate.c_str(), kAboutMainWindowFlags))
      << '\n';
  return 0;
}

}  // namespace bitvane::cli
