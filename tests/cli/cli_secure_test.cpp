// The console runner over https against the stand-in serving TLS with
// certificates made for the test by the openssl command, the passwords
// taken from files and variables, and the privacy of the log file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "tests/cli/cli_harness.h"

namespace {

using namespace clitest;  // the harness is what these tests speak

// A throwaway CA and server certificates signed by it, in a scratch folder.
class TTestPki {
 public:
  TTestPki() {
    Run("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=halvex-test-ca"
        " -keyout " +
        Path("ca.key") + " -out " + Path("ca.pem"));
    Issue("good", "IP:127.0.0.1,DNS:localhost", "2");
    Issue("other", "DNS:elsewhere.test", "2");
    Issue("expired", "IP:127.0.0.1,DNS:localhost", "-1");
  }
  std::string Path(const std::string& name) const { return FDir / name; }
  // The options that make the stand-in serve https with certificate `name`.
  std::vector<std::string> Serve(const std::string& name) const {
    return {"--tls-cert", Path(name + ".pem"), "--tls-key", Path(name + ".key")};
  }

 private:
  static void Run(const std::string& command) {
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) {
      throw std::runtime_error("failed: " + command);
    }
  }
  void Issue(const std::string& name, const std::string& alt_names, const std::string& days) {
    std::ofstream(Path(name + ".ext")) << "subjectAltName=" << alt_names << "\n";
    Run("openssl req -newkey rsa:2048 -nodes -subj /CN=" + name + " -keyout " +
        Path(name + ".key") + " -out " + Path(name + ".csr"));
    Run("openssl x509 -req -in " + Path(name + ".csr") + " -CA " + Path("ca.pem") + " -CAkey " +
        Path("ca.key") + " -CAcreateserial -days " + days + " -extfile " + Path(name + ".ext") +
        " -out " + Path(name + ".pem"));
  }
  TScratchDir FDir;
};

const TTestPki& Pki() {
  static const TTestPki pki;
  return pki;
}

std::string HttpsUrl(const TStandIn& target, const std::string& host = "127.0.0.1") {
  return "https://" + host + ":" + std::to_string(target.Port());
}

const std::string kLost = "ОШИБКА СВЯЗИ С СЕРВЕРОМ: ";

}  // namespace

TEST(CliHttps, TheSampleRunOverHttpsEqualsTheRunOverHttp) {
  TStandIn plain;
  TStandIn secure(Pki().Serve("good"));
  TScratchDir plain_logs, secure_logs;
  const auto over_http = RunCli(RunArgs(plain, plain_logs.Path()));
  const mode_t umask_before = ::umask(0);  // the log stays private whatever the umask
  const auto over_https =
      RunCli(With(RunArgs(secure, secure_logs.Path()),
                  {"--url", HttpsUrl(secure), "--ca-file", Pki().Path("ca.pem")}));
  ::umask(umask_before);
  ASSERT_EQ(over_http.ExitStatus, 0) << over_http.Stderr;
  ASSERT_EQ(over_https.ExitStatus, 0) << over_https.Stderr;
  EXPECT_EQ(over_https.Stdout, over_http.Stdout);
  EXPECT_EQ(secure.Journal(), plain.Journal());
  EXPECT_EQ(ReadLogFile(secure_logs.Path()).Entries, ReadLogFile(plain_logs.Path()).Entries);

  for (const std::string& dir : {plain_logs.Path(), secure_logs.Path()}) {
    struct stat st {};
    ASSERT_EQ(::stat(LogFileIn(dir).c_str(), &st), 0) << dir;
    EXPECT_EQ(st.st_mode & 0777, 0600u) << dir;
  }
}

// Objects side by side travel on sessions of their own: each checks the
// platform's certificate as the run's session does.
TEST(CliHttps, ObjectsSideBySideGoOverHttpsToo) {
  TStandIn secure(With(Pki().Serve("good"), {"--stable-ids"}));
  TScratchDir logs;
  const auto result =
      RunCli(With(RunArgs(secure, logs.Path()), {"--url", HttpsUrl(secure), "--ca-file",
                                                 Pki().Path("ca.pem"), "--parallel", "4"}));
  ASSERT_EQ(result.ExitStatus, 0) << result.Stderr;
  EXPECT_EQ(result.Stdout.find(kLost), std::string::npos);
  EXPECT_EQ(BodiesTo(secure.Journal(), "restapi/objects/create-standalone/").size(), 12u);
}

TEST(CliHttps, AnUnacceptableServerEndsTheRunAtItsFirstRequestWithNothingReceived) {
  struct Case {
    const char* name;
    std::vector<std::string> serve;  // stand-in options; none: plain http
    std::string scheme_host;         // "https://localhost" and so on
    bool with_ca;
    std::string error;  // what follows the lost-connection text
  };
  const Case cases[] = {
      {"untrusted CA", Pki().Serve("good"), "https://127.0.0.1", false,
       "SSL negotiation failed: certificate verify failed (unable to get local issuer "
       "certificate)"},
      {"another name", Pki().Serve("other"), "https://localhost", true,
       "SSL negotiation failed: certificate verify failed (hostname mismatch)"},
      {"another address", Pki().Serve("other"), "https://127.0.0.1", true,
       "SSL negotiation failed: certificate verify failed (IP address mismatch)"},
      {"expired", Pki().Serve("expired"), "HTTPS://localhost", true,
       "SSL negotiation failed: certificate verify failed (certificate has expired)"},
      {"plain http on the https port",
       {},
       "https://127.0.0.1",
       true,
       "SSL negotiation failed: wrong version number"},
      {"TLS on an http URL", Pki().Serve("good"), "http://127.0.0.1", true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TStandIn target(c.serve);
    TScratchDir logs;
    auto args = With(
        RunArgs(target, logs.Path()),
        {"--url", c.scheme_host + ":" + std::to_string(target.Port()), "--read-timeout", "3000"});
    if (c.with_ca) args = With(args, {"--ca-file", Pki().Path("ca.pem")});
    const auto result = RunCli(args);
    EXPECT_EQ(result.ExitStatus, 1);
    const auto entries = ReadLogFile(logs.Path()).Entries;
    ASSERT_EQ(entries.size(), 2u) << result.Stdout;
    EXPECT_EQ(entries[0].rfind("URI: restapi/objs-groups/search/", 0), 0u);
    EXPECT_EQ(entries[1].rfind(kLost, 0), 0u) << entries[1];
    if (!c.error.empty()) {
      EXPECT_EQ(entries[1], kLost + c.error);
    }
    EXPECT_EQ(target.Journal(), std::vector<std::string>());
  }
}

TEST(CliSecrets, PasswordsComeFromFilesAndVariablesWhenNotGivenAsOptions) {
  TStandIn target({"--password", "sea-glass 7"});
  TScratchDir files;
  std::ofstream(files / "platform") << "sea-glass 7\r\nsecond line\n";
  std::ofstream(files / "db") << "oldpass\n";
  std::ofstream(files / "wrong") << "not-it\n";
  const std::vector<std::string> one_object = {"--db-user", "halvex_old", "--objects", "5"};
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* platform_variable;  // MARIVON_PASSWORD, null: unset
    const char* db_variable;        // HALVEX_DB_PASSWORD, null: unset
  };
  const Case cases[] = {
      {"files",
       {"--password-file", files / "platform", "--db-password-file", files / "db"},
       nullptr,
       nullptr},
      {"variables", {}, "sea-glass 7", "oldpass"},
      {"a file over a variable",
       {"--password-file", files / "platform", "--db-password-file", files / "db"},
       "not-it",
       "not-it"},
      {"an option over a file",
       {"--password", "sea-glass 7", "--password-file", files / "wrong", "--db-password", "oldpass",
        "--db-password-file", files / "wrong"},
       nullptr,
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ::unsetenv("MARIVON_PASSWORD");
    ::unsetenv("HALVEX_DB_PASSWORD");
    if (c.platform_variable) ::setenv("MARIVON_PASSWORD", c.platform_variable, 1);
    if (c.db_variable) ::setenv("HALVEX_DB_PASSWORD", c.db_variable, 1);
    TScratchDir logs;
    // The stand-in is reset before each case: every run creates its group anew.
    std::system(
        ("/usr/bin/python3 " + std::string(HALVEX_STANDIN) + " reset --state " + target.StateFile())
            .c_str());
    const auto result = RunCli(With(With(RunArgs(target, logs.Path()), one_object), c.args));
    ::unsetenv("MARIVON_PASSWORD");
    ::unsetenv("HALVEX_DB_PASSWORD");
    EXPECT_EQ(result.ExitStatus, 0) << result.Stdout << result.Stderr;
    EXPECT_FALSE(SummaryOf(ReadLogFile(logs.Path()).Entries).empty());
  }
}
