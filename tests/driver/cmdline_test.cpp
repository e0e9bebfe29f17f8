#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "driver/CmdLineHelper.h"

namespace qx {
namespace {

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> out;
  const char* p = line.c_str();
  for (;;) {
    const char* measure = p;
    int32_t len = -1;
    if (!NextArg(measure, nullptr, &len)) break;
    std::string arg(static_cast<size_t>(len), '\0');
    int32_t len2 = -1;
    EXPECT_TRUE(NextArg(p, arg.data(), &len2));
    EXPECT_EQ(len, len2);
    out.push_back(arg);
  }
  return out;
}

struct SplitCase {
  const char* line;
  std::vector<std::string> args;
};

TEST(NextArg, SplitsByQuotingAndBackslashRules) {
  const SplitCase cases[] = {
      {"", {}},
      {"   \t ", {}},
      {"prog", {"prog"}},
      {"\"two words\" third", {"two words", "third"}},
      {"a\"b c\"d", {"ab cd"}},
      {"C:\\dir\\file.adt", {"C:\\dir\\file.adt"}},
      {"a\\\\\"b c\" d", {"a\\b c", "d"}},        // two backslashes + quote: one backslash, quoting on
      {"a\\\"b c", {"a\"b", "c"}},                // backslash + quote: literal quote, state unchanged
      {"\"C:\\dir\\\" x y", {"C:\\dir\" x y"}},   // escaped closing quote keeps the argument open
      {"\"C:\\dir\\\" x \"y z", {"C:\\dir\" x y", "z"}},
      {"a \"\" b", {"a", "", "b"}},               // empty argument counts
      {"a\tb", {"a", "b"}},
      {"\"unclosed rest  of\ttext", {"unclosed rest  of\ttext"}},
      {"x\x01y", {"x", "y"}},                     // every code 1..32 separates
      {"\xe4\xf6\xfc", {"\xe4\xf6\xfc"}},         // 8-bit characters are ordinary
      {"a\\\\\\\\\"b\"", {"a\\\\b"}},
      {"a\\\\\\\"b", {"a\\\"b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Split(c.line), c.args) << "line: " << c.line;
}

TEST(NextArg, NullCursorAndLength) {
  const char* cursor = nullptr;
  int32_t len = 7;
  EXPECT_FALSE(NextArg(cursor, nullptr, &len));
  EXPECT_EQ(len, 0);
  const char* p = "   ";
  EXPECT_FALSE(NextArg(p, nullptr, nullptr));
  EXPECT_EQ(*p, '\0');
}

TEST(CommandLine, ArgvSurvivesRebuildAndRescan) {
  std::mt19937 rng(12345);
  const std::string alphabet = std::string("ab\\\" \t/=;") + '\x01' + '\x1f' + "\xe9";
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::string> argv{"quillex"};
    int n = static_cast<int>(rng() % 6);
    for (int i = 0; i < n; ++i) {
      std::string arg;
      int len = static_cast<int>(rng() % 8);
      for (int k = 0; k < len; ++k) arg.push_back(alphabet[rng() % alphabet.size()]);
      argv.push_back(arg);
    }
    SetCommandLine(argv);
    ASSERT_EQ(Split(RawCommandLine()), argv) << RawCommandLine();
    ASSERT_EQ(ArgumentCount(), n);
    for (int i = 1; i <= n; ++i) ASSERT_EQ(ArgumentText(i), argv[static_cast<size_t>(i)]);
  }
}

TEST(CommandLine, ArgumentTextEdges) {
  SetCommandLine({"prog"});
  EXPECT_EQ(ArgumentCount(), 0);
  EXPECT_EQ(ArgumentText(1), "");
  EXPECT_FALSE(ArgumentText(0).empty());  // the program's own file
  EXPECT_EQ(ArgumentText(0), ArgumentText(-3));
  SetCommandLine({"prog", "a", "b"});
  EXPECT_EQ(ArgumentText(3), "");
  EXPECT_EQ(ArgumentText(2), "b");
}

TEST(PlatformSplit, SkipsQuotePairsAndIgnoresBackslashes) {
  struct Case {
    const char* line;
    std::vector<std::string> args;  // arguments 1..count
  };
  const Case cases[] = {
      {"prog a \"b c\" d", {"a", "b c", "d"}},
      {"prog a \"\" b", {"a", "b"}},               // a pair of quotes is skipped
      {"prog a\\\"b c\"", {"a\\b c"}},             // backslashes are ordinary
      {"prog \"\"\"\" x", {"x"}},
      {"prog", {}},
      {"\"my prog\" /first=1 b", {"/first=1", "b"}},
  };
  for (const auto& c : cases) {
    SetRawCommandLine(c.line);
    ASSERT_EQ(PlatformArgumentCount(), static_cast<int32_t>(c.args.size())) << c.line;
    for (size_t i = 0; i < c.args.size(); ++i)
      EXPECT_EQ(PlatformArgumentText(static_cast<int32_t>(i + 1)), c.args[i]) << c.line;
  }
}

TEST(PlatformSplit, AgreesWithTokenizerOnPlainLines) {
  SetRawCommandLine("prog orders.adt \"my db.db\" Orders /pass=x");
  ASSERT_EQ(PlatformArgumentCount(), ArgumentCount());
  for (int32_t i = 1; i <= ArgumentCount(); ++i) EXPECT_EQ(PlatformArgumentText(i), ArgumentText(i));
}

}  // namespace
}  // namespace qx
