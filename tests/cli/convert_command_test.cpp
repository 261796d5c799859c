#include "cli/convert_command.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

namespace bitvane::cli {
namespace {

struct CliRun {
  int status;
  std::string out, err;
};

CliRun Convert(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = RunConvert(args, out, err);
  return {status, out.str(), err.str()};
}

nlohmann::json Json(std::vector<std::string> args) {
  args.insert(args.begin(), "--json");
  const CliRun run = Convert(args);
  return nlohmann::json::parse(run.out);
}

// The views of a JSON report by field name.
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
      {{"byte0=256"}, 1},
      {{"byte0=x", "byte1=1"}, 1},  // a later success does not hide the rejection
      {{"byte8=1"}, 2},
      {{"--swap", "sideways"}, 2},
      {{"--swap"}, 2},
      {{"--value", "12345678901234567"}, 2},
      {{"--value=xyz"}, 2},
      {{"--value"}, 2},
      {{"loose"}, 2},
      {{"--help"}, 0},
  };
  for (const auto& row : rows) {
    const CliRun run = Convert(row.args);
    EXPECT_EQ(run.status, row.status) << ::testing::PrintToString(row.args) << run.err;
    if (row.status == 2) {
      EXPECT_NE(run.err.find("Usage:"), std::string::npos);
    }
  }
  EXPECT_EQ(Convert({"byte3=-129"}).err, "bitvane-cli: byte3: Byte #3 out of range\n");
}

TEST(ConvertCommand, JsonReport) {
  const auto report = Json({"--value", "0x0123456789abcdef", "--swap=dw", "low-int=zz"});
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
}

TEST(ConvertCommand, TypedTextsStayUntilRewritten) {
  auto report = Json({"byte0=1", "double=1e3"});
  EXPECT_EQ(Input(report, "Double"), "1e3");
  EXPECT_EQ(report["error"], false);
  report = Json({"double=1e3", "byte0=1"});
  EXPECT_EQ(Input(report, "Double"), "1000");  // rewritten: 1e3 plus one unit in the last place
  EXPECT_EQ(Input(report, "Byte #0"), "1");
  // The text after the first '=' is taken whole, blanks and '=' included.
  report = Json({"low-int=  12  "});
  EXPECT_EQ(Input(report, "Low Integer (32-bit)"), "  12  ");
  EXPECT_EQ(report["value"], "000000000000000C");
  report = Json({"low-int='=='"});
  EXPECT_EQ(report["value"], "0000000000003D3D");
}

TEST(ConvertCommand, PlainLayout) {
  const CliRun run = Convert({"byte0=0x41"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.find("Status  (no problem)\nValue   0000000000000041\n"), 0u);
  EXPECT_NE(run.out.find("Byte #0               input  0x41\n"
                         "                      info   0x41\n"
                         "                             65U\n"),
            std::string::npos);
}

}  // namespace
}  // namespace bitvane::cli
