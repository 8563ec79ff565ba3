// The console runner's command line, through the program itself.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/cli/cli_harness.h"

using clitest::RunCli;

TEST(CliOptions, PortAndPrefixAreCheckedWithTheWindowsRuleAndMessages) {
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"--db-port", "33a"}, "Imput correct MySQL port\n"},
      {{"--db-port=3306 "}, "Imput correct MySQL port\n"},
      {{"--db-port", "99999999999"}, "Imput correct MySQL port\n"},
      {{"--prefix", "x"}, "Imput correct object prefix\n"},
      {{"--db-port", "bad", "--prefix", "bad"}, "Imput correct MySQL port\n"},
      {{"--prefix", ""}, "Imput correct object prefix\n"},
  };
  for (const auto& c : cases) {
    const auto result = RunCli(c.args);
    EXPECT_EQ(result.ExitStatus, 2) << c.args[0];
    EXPECT_EQ(result.Stderr, c.message) << c.args[0];
    EXPECT_EQ(result.Stdout, "");
  }
}

TEST(CliOptions, UnknownOrIncompleteOptionsAreRefused) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--bogus"},
                                             {"--url"},
                                             {"--geocoder", "Bing"},
                                             {"--read-timeout", "-1"},
                                             {"--parallel", "0"},
                                             {"--parallel", "33"},
                                             {"--parallel", "four"},
                                             {"--check=yes"},
                                             {"--url", ""},
                                             {"--user", "\xC0\xC1"},
                                             {"stray"}}) {
    const auto result = RunCli(args);
    EXPECT_EQ(result.ExitStatus, 2) << args[0];
    EXPECT_NE(result.Stderr, "") << args[0];
  }
}

TEST(CliOptions, AnObjectListWithoutAValidItemIsRefusedNotTakenForEveryObject) {
  for (const char* list : {"1-", "abc", " , ", "-7, 3-"}) {
    const auto result = RunCli({"--objects", list});
    EXPECT_EQ(result.ExitStatus, 2) << list;
    EXPECT_EQ(result.Stderr, "Input correct object list\n") << list;
    EXPECT_EQ(result.Stdout, "");
  }
}

TEST(CliOptions, OptionsThatCannotWorkAreRefusedBeforeTheRun) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--check", "--resume", "x.log"},
                                             {"--check", "--mapping", "m.csv"},
                                             {"--resend-uncertain"},
                                             {"--resume"},
                                             {"--mapping", "/nonexistent-folder/m.csv"}}) {
    const auto result = RunCli(args);
    EXPECT_EQ(result.ExitStatus, 2) << args[0];
    EXPECT_NE(result.Stderr, "") << args[0];
  }
}

TEST(CliOptions, HelpListsEveryOption) {
  const auto result = RunCli({"--help"});
  EXPECT_EQ(result.ExitStatus, 0);
  for (const char* option : {"--db-host",
                             "--db-port",
                             "--db-name",
                             "--db-user",
                             "--db-password",
                             "--url",
                             "--user",
                             "--password",
                             "--prefix",
                             "--geocoder",
                             "--objects",
                             "--log-dir",
                             "--read-timeout",
                             "--parallel",
                             "--password-file",
                             "--db-password-file",
                             "MARIVON_PASSWORD",
                             "HALVEX_DB_PASSWORD",
                             "--ca-file",
                             "--version",
                             "--check",
                             "--resume",
                             "--resend-uncertain",
                             "--mapping"}) {
    EXPECT_NE(result.Stdout.find(option), std::string::npos) << option;
  }
}

TEST(CliOptions, UnreadableCaAndPasswordFilesAreRefusedByName) {
  clitest::TScratchDir dir;
  const std::string empty_pem = dir / "empty.pem";
  std::ofstream(empty_pem) << "no certificate here\n";
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"--ca-file", dir / "missing.pem"},
       "--ca-file " + (dir / "missing.pem") + ": cannot be read (No such file or directory)\n"},
      {{"--ca-file", empty_pem}, "--ca-file " + empty_pem + ": holds no PEM certificate\n"},
      {{"--password-file", dir / "none"},
       "--password-file " + (dir / "none") + ": cannot be read (No such file or directory)\n"},
      {{"--db-password-file", dir.Path()},
       "--db-password-file " + dir.Path() + ": cannot be read (Is a directory)\n"},
  };
  for (const auto& c : cases) {
    const auto result = RunCli(c.args);
    EXPECT_EQ(result.ExitStatus, 2) << c.args[0];
    EXPECT_EQ(result.Stderr, c.message);
    EXPECT_EQ(result.Stdout, "");
  }
}

TEST(CliOptions, VersionNamesTheProgramAndItsVersion) {
  const auto result = RunCli({"--version"});
  EXPECT_EQ(result.ExitStatus, 0);
  EXPECT_EQ(result.Stdout, "halvex-export-cli " HALVEX_VERSION "\n");
}
