// The command line, table-driven: what each option sets, and what a bad one prints and returns.
#include "app/desktop/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/user_files.h"

namespace {

struct Parsed {
  int status;
  Options options;
  std::string out;
  std::string err;
};

Parsed Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "skypop");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::FILE* files[2] = {std::tmpfile(), std::tmpfile()};
  Parsed p{};
  p.status =
      ParseOptions(static_cast<int>(args.size()), argv.data(), &p.options, files[0], files[1]);
  for (int i = 0; i < 2; ++i) {
    std::rewind(files[i]);
    for (int c; (c = std::fgetc(files[i])) != EOF;)
      (i == 0 ? p.out : p.err) += static_cast<char>(c);
    std::fclose(files[i]);
  }
  return p;
}

TEST(OptionsTest, EveryOptionInItsUsualForms) {
  const Parsed none = Parse({});
  EXPECT_EQ(none.status, kRunTheGame);
  EXPECT_FALSE(none.options.fullScreen.has_value() || none.options.volume.has_value());

  const Parsed all =
      Parse({"-w", "--data-dir", "/tmp/scores", "--soundfont=/x.sf2", "--nosound", "--nomusic",
             "--volume", "0", "--music-volume=100", "--effects-volume", "42"});
  ASSERT_EQ(all.status, kRunTheGame) << all.err;
  const Options& o = all.options;
  EXPECT_EQ(std::tie(o.fullScreen, o.dataDir, o.soundfont, o.noSound, o.noMusic),
            std::make_tuple(std::optional<bool>(false), std::string("/tmp/scores"),
                            std::string("/x.sf2"), true, true));
  EXPECT_EQ(
      std::tie(o.volume, o.musicVolume, o.effectsVolume),
      std::make_tuple(std::optional<int>(0), std::optional<int>(100), std::optional<int>(42)));
  EXPECT_TRUE(all.out.empty() && all.err.empty());
  // The last of -w and -f wins, in short, long and bundled forms.
  EXPECT_EQ(Parse({"--window", "-f"}).options.fullScreen, true);
  EXPECT_EQ(Parse({"-fw"}).options.fullScreen, false);
}

TEST(OptionsTest, HelpAndVersionPrintOnStandardOutputAndEndTheRun) {
  for (const char* help : {"-h", "--help", "--hel"}) {
    const Parsed p = Parse({"--volume", "5", help, "--no-such"});
    EXPECT_EQ(p.status, 0) << help;
    EXPECT_EQ(p.out.rfind("Usage: skypop", 0), 0u) << help;
    EXPECT_TRUE(p.err.empty()) << help;
  }
  // Where the files are on this machine, as its host names the folders.
  const std::string usage = Parse({"-h"}).out;
  EXPECT_NE(usage.find("(default " + platform::UserDataFolder() + ")\n"), std::string::npos);
  EXPECT_NE(usage.find(platform::UserConfigFolder() + "/skypop.cfg;\n"), std::string::npos);
  for (const char* version : {"-v", "--version"}) {
    EXPECT_EQ(Parse({version}).status, 0);
    EXPECT_EQ(Parse({version}).out, "skypop " SKYPOP_VERSION "\n");
  }
}

TEST(OptionsTest, BadCommandLinesGiveOneLineWithAHintAndStatusTwo) {
  const struct {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {{"--no-such"}, "unknown option '--no-such'"},
      {{"-q"}, "unknown option '-q'"},
      {{"--help=yes"}, "option '--help' takes no value"},
      {{"--volume"}, "option '--volume' needs a value"},
      {{"--data-dir="}, "--data-dir needs a folder"},
      {{"--soundfont", ""}, "--soundfont needs a file"},
      {{"--volume", "101"}, "--volume wants a number from 0 to 100, not '101'"},
      {{"--music-volume=-1"}, "--music-volume wants a number from 0 to 100, not '-1'"},
      {{"--effects-volume", "ten"}, "not 'ten'"},
      {{"--volume", "50%"}, "not '50%'"},
      {{"--volume", ""}, "not ''"},
      {{"--volume", "99999999999999999999"}, "not '99999999999999999999'"},
      {{"play"}, "unexpected argument 'play'"},
      {{"--no"}, "option '--no' is ambiguous: '--nosound' or '--nomusic'"},
      {{"--volume", " 50"}, "not ' 50'"},
      {{"--volume", "+50"}, "not '+50'"},
      // What the player typed is quoted with its control characters escaped, on one line.
      {{"--volume", "\x1b[31mRED\xc2\x9b"}, "not '\\x1b[31mRED\\xc2\\x9b'"},
      {{"--\x1b[2J=1"}, "unknown option '--\\x1b[2J'"},
      {{"new\nline caf\xc3\xa9"}, "unexpected argument 'new\\nline caf\xc3\xa9'"},
  };
  for (const auto& c : cases) {
    const Parsed p = Parse(c.args);
    EXPECT_EQ(p.status, 2) << c.says;
    EXPECT_TRUE(p.out.empty()) << c.says;
    EXPECT_NE(p.err.find(c.says), std::string::npos) << p.err;
    EXPECT_EQ(p.err.rfind("skypop: ", 0), 0u) << p.err;
    EXPECT_NE(p.err.find("skypop --help"), std::string::npos) << p.err;
    EXPECT_EQ(p.err.find('\n'), p.err.size() - 1) << "more than one line: " << p.err;
  }
}

}  // namespace
