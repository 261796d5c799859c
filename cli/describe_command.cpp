#include "cli/describe_command.h"

#include <ostream>

#include "about/about_text.h"
#include "about/version_info.h"
#include "foundation/ansi_to_wide.h"
#include "foundation/wide_to_utf8.h"
#include "platform/last_error.h"

namespace bitvane::cli {

namespace {

constexpr const char* kUsage = "Usage: bitvane-cli describe FILE [--template TEXT]\n";

// Lines end with CR LF inside the program; a terminal wants LF.
std::string ForTerminal(std::u16string_view text) {
  std::string out = WideToUtf8(text);
  for (std::size_t at; (at = out.find("\r\n")) != std::string::npos;) out.erase(at, 1);
  return out;
}

std::u16string FromArgument(const std::string& text) {
  return AnsiToWide(text.data(), static_cast<std::ptrdiff_t>(text.size()));
}

const char* Reason(ErrorCode code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND: return "file not found";
    case ERROR_PATH_NOT_FOUND: return "folder not found";
    case ERROR_ACCESS_DENIED: return "access denied";
    case ERROR_INVALID_DATA: return "no readable version resource";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return "out of memory";
    case ERROR_READ_FAULT: return "read error";
    case ERROR_INVALID_NAME: return "invalid file name";
    default: return "cannot load";
  }
}

}  // namespace

int RunDescribe(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string file;
  std::u16string format = AboutOptions::Default().VersionTemplate;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--template" && i + 1 < args.size()) {
      format = FromArgument(args[++i]);
    } else if (args[i].rfind("--template=", 0) == 0) {
      format = FromArgument(args[i].substr(11));
    } else if (file.empty() && !args[i].empty() && args[i][0] != '-') {
      file = args[i];
    } else {
      err << "bitvane-cli: unexpected argument '" << args[i] << "'\n" << kUsage;
      return 2;
    }
  }
  if (file.empty()) {
    err << "bitvane-cli: describe needs a file\n" << kUsage;
    return 2;
  }
  NVersionInfo info;
  if (!info.LoadFile(FromArgument(file))) {
    const ErrorCode code = GetLastError();
    err << "bitvane-cli: " << file << ": " << Reason(code) << " (error " << code << ")\n";
    return 1;
  }
  out << ForTerminal(info.Describe(format)) << '\n';
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
  out << ForTerminal(BuildAboutText(self, kNullTimeStamp, defaults.VersionTemplate.c_str(),
                                    defaults.TimeTemplate.c_str(), kAboutMainWindowFlags))
      << '\n';
  return 0;
}

}  // namespace bitvane::cli
