// The command line, table-driven: what each option sets, and what a bad one prints and returns.
#include "shell/options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Parsed {
  int status;
  Options options;
  std::string out;
  std::string err;
};

std::string Drain(std::FILE* file) {
  std::string text;
  std::rewind(file);
  for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
  std::fclose(file);
  return text;
}

Parsed Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "skypop");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  Parsed parsed{};
  parsed.status =
      ParseOptions(static_cast<int>(args.size()), argv.data(), &parsed.options, out, err);
  parsed.out = Drain(out);
  parsed.err = Drain(err);
  return parsed;
}

TEST(OptionsTest, EveryOptionInItsUsualForms) {
  const Parsed none = Parse({});
  EXPECT_EQ(none.status, kRunTheGame);
  EXPECT_FALSE(none.options.fullScreen.has_value());
  EXPECT_FALSE(none.options.volume.has_value());
  EXPECT_TRUE(none.options.dataDir.empty());

  const Parsed all =
      Parse({"-w", "--data-dir", "/tmp/scores", "--soundfont=/x.sf2", "--nosound", "--nomusic",
             "--volume", "0", "--music-volume=100", "--effects-volume", "42"});
  ASSERT_EQ(all.status, kRunTheGame) << all.err;
  EXPECT_EQ(all.options.fullScreen, false);
  EXPECT_EQ(all.options.dataDir, "/tmp/scores");
  EXPECT_EQ(all.options.soundfont, "/x.sf2");
  EXPECT_TRUE(all.options.noSound);
  EXPECT_TRUE(all.options.noMusic);
  EXPECT_EQ(all.options.volume, 0);
  EXPECT_EQ(all.options.musicVolume, 100);
  EXPECT_EQ(all.options.effectsVolume, 42);
  EXPECT_TRUE(all.out.empty() && all.err.empty());

  // The last of -w and -f wins, in short, long and bundled forms.
  EXPECT_EQ(Parse({"--window", "-f"}).options.fullScreen, true);
  EXPECT_EQ(Parse({"--fullscreen", "--window"}).options.fullScreen, false);
  EXPECT_EQ(Parse({"-fw"}).options.fullScreen, false);
}

TEST(OptionsTest, HelpAndVersionPrintOnStandardOutputAndEndTheRun) {
  for (const char* help : {"-h", "--help", "--hel"}) {
    const Parsed p = Parse({"--volume", "5", help, "--no-such"});
    EXPECT_EQ(p.status, 0) << help;
    EXPECT_EQ(p.out.rfind("Usage: skypop", 0), 0u) << help;
    EXPECT_TRUE(p.err.empty()) << help;
  }
  // Every option the usage promises is one the parser knows.
  const std::string usage = Parse({"-h"}).out;
  for (const char* name :
       {"--window", "--fullscreen", "--data-dir", "--soundfont", "--nosound", "--nomusic",
        "--volume", "--music-volume", "--effects-volume", "--version"}) {
    EXPECT_NE(usage.find(name), std::string::npos) << name;
  }
  for (const char* version : {"-v", "--version"}) {
    const Parsed p = Parse({version});
    EXPECT_EQ(p.status, 0);
    EXPECT_EQ(p.out, "skypop " SKYPOP_VERSION "\n");
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
      {{"--data-dir"}, "option '--data-dir' needs a value"},
      {{"--data-dir="}, "--data-dir needs a folder"},
      {{"--soundfont", ""}, "--soundfont needs a file"},
      {{"--volume", "101"}, "--volume wants a number from 0 to 100, not '101'"},
      {{"--music-volume=-1"}, "--music-volume wants a number from 0 to 100, not '-1'"},
      {{"--effects-volume", "ten"}, "not 'ten'"},
      {{"--volume", "50%"}, "not '50%'"},
      {{"--volume", ""}, "not ''"},
      {{"--volume", "99999999999999999999"}, "not '99999999999999999999'"},
      {{"play"}, "unexpected argument 'play'"},
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
