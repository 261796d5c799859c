#include "cli/convert_command.h"

#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/convert_args.h"
#include "cli/explain_report.h"
#include "cli/terminal_text.h"
#include "core/memory_controls.h"
#include "core/value_views.h"
#include "foundation/number_text.h"
#include "foundation/wide_to_utf8.h"

namespace bitvane::cli {

namespace {

std::string HexValue(const RawValue& value) {
  return WideToUtf8(Unsigned64ToText(value.ToU64(), 16, 16, u'0'));
}

void WriteJson(const MemoryControls& controls, const ValueViews& views, bool explain,
               std::ostream& out) {
  nlohmann::json report;
  report["status"] = WideToUtf8(controls.Text(kStatusLine));
  report["error"] = !views.StatusMessage().empty();
  report["value"] = HexValue(views.value);
  nlohmann::json list = nlohmann::json::array();
  for (const ValueView& view : ViewTable()) {
    list.push_back({{"name", WideToUtf8(view.name)},
                    {"input", WideToUtf8(controls.Text(InputOf(view.id)))},
                    {"info", WideToUtf8(controls.Text(InfoOf(view.id)))}});
  }
  report["views"] = std::move(list);
  report["words"] = WordsJson(views.value.ToU64());
  if (explain) report["explain"] = ExplainJson(views.value.ToU64());
  out << report.dump(2) << '\n';
}

// A readable layout: the field name in a column of its own, the input text beside
// it, the information lines below it. Every text is escaped, so a typed text cannot
// forge a line or act on the terminal.
void WritePlain(const MemoryControls& controls, const ValueViews& views, std::ostream& out) {
  const std::string nameGap(22, ' ');
  out << "Status  " << TerminalText(controls.Text(kStatusLine)) << '\n';
  out << "Value   " << HexValue(views.value) << '\n';
  for (const ValueView& view : ViewTable()) {
    std::string name = WideToUtf8(view.name);
    name.resize(nameGap.size(), ' ');
    out << '\n' << name << "input  " << TerminalText(controls.Text(InputOf(view.id))) << '\n';
    const std::u16string info = controls.Text(InfoOf(view.id));
    const char* label = "info   ";
    for (std::size_t start = 0; start <= info.size();) {
      std::size_t end = info.find(u"\r\n", start);
      if (end == std::u16string::npos) end = info.size();
      out << nameGap << label << TerminalText(std::u16string_view(info).substr(start, end - start))
          << '\n';
      label = "       ";
      start = end + 2;
    }
  }
}

}  // namespace

int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  ConvertArgs request;
  std::string error;
  if (!ParseConvertArgs(args, request, error)) {
    err << "bitvane-cli: " << TerminalText(error) << "\n\n" << ConvertUsage();
    return 2;
  }
  if (request.help) {
    out << ConvertUsage();
    return 0;
  }

  MemoryControls controls;
  ValueViews views(controls);
  controls.SetChangeHandler([&views](ControlRef control) { views.OnInputChanged(control); });
  views.value = RawValue::FromU64(request.value);
  views.RefreshViews();
  views.ShowStatus();

  int status = 0;
  for (const ConvertStep& step : request.steps) {
    if (step.swap) {
      views.OnSwap(*step.swap);
      continue;
    }
    if (step.flip) {
      views.OnFlipBit(*step.flip);
      continue;
    }
    controls.SetText(InputOf(step.view->id), step.text);  // as if typed
    if (!views.StatusMessage().empty()) {
      err << "bitvane-cli: " << CliViewName(*step.view) << ": "
          << TerminalText(views.StatusMessage()) << '\n';
      status = 1;
    }
  }

  if (request.copyAs) {
    nlohmann::json texts;
    for (const ValueView& view : ViewTable()) {
      const std::string text = CopyAsText(*request.copyAs, view, views.value);
      if (request.json) {
        texts[std::string(CliViewName(view))] = text;
      } else {
        std::string name(CliViewName(view));
        name.resize(13, ' ');
        out << name << text << '\n';
      }
    }
    if (request.json) out << texts.dump(2) << '\n';
  } else if (request.json) {
    WriteJson(controls, views, request.explain, out);
  } else {
    WritePlain(controls, views, out);
    WriteWords(views.value.ToU64(), out);
    if (request.explain) WriteExplain(views.value.ToU64(), out);
  }
  return status;
}

}  // namespace bitvane::cli
