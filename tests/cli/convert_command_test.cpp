#include "cli/convert_command.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/support/cli_run.h"

namespace bitvane::cli {
namespace {

using Outcome = test::CliOutcome;

Outcome Convert(const std::vector<std::string>& args) {
  return test::RunCli(RunConvert, args);
}

nlohmann::json Json(std::vector<std::string> args) {
  args.insert(args.begin(), "--json");
  return nlohmann::json::parse(Convert(args).out);
}

// The input text of a JSON report's view.
std::string Input(const nlohmann::json& report, const std::string& name) {
  for (const auto& view : report["views"]) {
    if (view["name"] == name) return view["input"];
  }
  return "<no such view>";
}

TEST(ConvertCommand, ExitStatus) {
  const struct {
    std::vector<std::string> args;
    int status;
  } rows[] = {
      {{}, 0},
      {{"byte0=1", "--swap", "huge-b", "double=2.5"}, 0},
      {{"byte0=x", "byte1=1"}, 1},  // a later success does not hide the rejection
      {{"--swap"}, 2},
      {{"--value", "12345678901234567"}, 2},
      {{"--value=0xg"}, 2},
      {{"--value"}, 2},
      {{"--help"}, 0},
      {{"--json", "-h"}, 2},  // the help has no JSON form
  };
  for (const auto& row : rows) {
    const Outcome run = Convert(row.args);
    EXPECT_EQ(run.status, row.status) << ::testing::PrintToString(row.args) << run.err;
    EXPECT_EQ(run.err.find("Usage:") != std::string::npos, row.status == 2) << run.err;
  }
  EXPECT_EQ(Convert({"byte3=-129"}).err, "bitvane-cli: byte3: Byte #3 out of range\n");
}

TEST(ConvertCommand, JsonReport) {
  auto report = Json({"--value", "0X0123456789abcDEF", "--swap=dw", "low-int=zz"});
  EXPECT_EQ(report["value"], "89ABCDEF01234567");
  EXPECT_EQ(report["status"], "Invalid Low Integer (32-bit) value");
  EXPECT_EQ(report["error"], true);
  ASSERT_EQ(report["views"].size(), 14u);
  EXPECT_EQ(report["views"][0]["name"], "Byte #0");
  EXPECT_EQ(report["views"][0]["input"], "103");  // 0x67
  EXPECT_EQ(report["views"][13]["name"], "Double");
  EXPECT_EQ(Input(report, "Low Integer (32-bit)"), "zz");  // stays as typed
  EXPECT_EQ(report["views"][8]["info"].get<std::string>().find("0x01234567 = "), 0u);
  EXPECT_NE(report["views"][8]["info"].get<std::string>().find("\r\n"), std::string::npos);
  // A typed text stays until another view's text rewrites it.
  report = Json({"byte0=1", "double=1e3"});
  EXPECT_EQ(Input(report, "Double"), "1e3");
  EXPECT_EQ(report["error"], false);
  report = Json({"double=1e3", "byte0=1"});
  EXPECT_EQ(Input(report, "Double"), "1000");  // rewritten: 1e3 plus one unit in the last place
  // The text after the first '=' is taken whole, '=' included.
  EXPECT_EQ(Json({"low-int='=='"})["value"], "0000000000003D3D");
  EXPECT_EQ(Json({"--value=fF"})["value"], "00000000000000FF");
}

TEST(ConvertCommand, PlainLayoutAndHelp) {
  const Outcome run = Convert({"byte0=0x41"});
  EXPECT_EQ(run.out.find("Status  (no problem)\nValue   0000000000000041\n"), 0u);
  EXPECT_NE(run.out.find("Byte #0               input  0x41\n"
                         "                      info   0x41\n"
                         "                             65U\n"),
            std::string::npos);
  const std::string help = Convert({"--help"}).out;
  for (const char* mode : {"bitvane-cli describe FILE", "bitvane-cli --version",
                           "bitvane-cli settings [--reset]", "bitvane-cli describe --help"}) {
    EXPECT_NE(help.find(mode), std::string::npos) << mode;
  }
}

// Neither a typed text nor an argument can forge a line or act on the terminal; the
// JSON report keeps the texts as they are.
TEST(ConvertCommand, PlainOutputIsEscaped) {
  const Outcome run = Convert({"double=1.5\nStatus (forged)", "low-int=\x1B[2J\xE2\x80\xAE"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("\nDouble                input  1.5\\nStatus (forged)\n"),
            std::string::npos);
  EXPECT_NE(run.out.find("\nLow Integer (32-bit)  input  \\u001B[2J\\u202E\n"), std::string::npos);
  EXPECT_EQ(run.out.find('\x1B'), std::string::npos);
  EXPECT_EQ(Input(Json({"double=1.5\nStatus (forged)"}), "Double"), "1.5\nStatus (forged)");

  const struct {
    std::vector<std::string> args;
    std::string err;  // the first line
  } rows[] = {
      {{"byte9\xFF\x1B=1"}, "bitvane-cli: unknown view 'byte9\\xFF\\u001B'"},
      {{"--swap", "dw\r\nforged"}, "bitvane-cli: unknown swap 'dw\\r\\nforged'"},
      {{"loose\x07\xC2\x9B"}, "bitvane-cli: unexpected argument 'loose\\u0007\\u009B'"},
      {{"--help", "--json"}, "bitvane-cli: --help has no JSON form"},
  };
  for (const auto& row : rows) {
    const Outcome failed = Convert(row.args);
    EXPECT_EQ(failed.status, 2) << ::testing::PrintToString(row.args);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(failed.err.substr(0, failed.err.find('\n')), row.err);
  }
}

}  // namespace
}  // namespace bitvane::cli
