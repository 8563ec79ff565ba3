// Reading run logs back: what each exchange tells of the platform, the
// places of the objects in first and resumed runs, and the logs that are
// refused. The logs are written by TLogger, as a run writes them.
#include "export/run_log_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "log/log_unit.h"
#include "platform/text_codec.h"

namespace {

std::string W(const std::string& utf8) { return platform::Utf8ToCp1251(utf8); }

// A log file of its own per test, written line by line as a run writes it.
class RunLogReaderTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const std::string& file : FFiles) std::filesystem::remove(file);
  }

  // A fresh file name, removed after the test.
  std::string NewName() {
    const std::string file =
        (std::filesystem::temp_directory_path() / ("halvex_runlog_" + std::to_string(::getpid()) +
                                                   "_" + std::to_string(FFiles.size()) + ".log"))
            .string();
    std::filesystem::remove(file);
    FFiles.push_back(file);
    return file;
  }

  std::string Log(const std::vector<std::string>& utf8_lines) { return Log(utf8_lines, NewName()); }
  std::string Log(const std::vector<std::string>& utf8_lines, const std::string& file) {
    TLogger logger(file);
    for (const std::string& line : utf8_lines) logger.AddLine(W(line));
    return file;
  }

  // The five lines of an answered exchange.
  static std::vector<std::string> Answered(const std::string& path, const std::string& document,
                                           const std::string& response) {
    return {"URI: " + path + "       PARAMS: " + document, "RESPONSE TEXT: HTTP/1.0 200 OK", " ",
            response, " "};
  }

  std::vector<std::string> FFiles;
};

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::string kCreate = "restapi/objects/create-standalone/";

TEST_F(RunLogReaderTest, AFirstRunsExchangesGiveTheGroupsTheGuardsAndEachObjectsSteps) {
  const std::string file = Log(
      Answered("restapi/objs-groups/search/", "{\"q\": \"Стационарные объекты\"}",
               "{\"data\": []}") +
      Answered("restapi/objs-groups/create/", "{}",
               "{\"id\": 100, \"name\": \"Стационарные объекты\"}") +
      std::vector<std::string>{" ", "СОЗДАЕМ ГБР", " "} +
      Answered("restapi/guards/create-guard-group/", "{}", "{\"id\": 200}") +
      Answered("restapi/guards/create-guard/", "{\"login\":\"gbr7\", \"x\": 1}", "{\"id\": 300}") +
      Answered("restapi/guards/create-guard/", "{\"login\":\"gbr9\"}", "{\"success\": false}") +
      Answered(kCreate, "{\"extId\": 1}", "{\"id\": 1000,\r\n \"extId\": 1}") +
      Answered("restapi/objects/obj-card-save/", "{\"id\":1000}", "{}") +
      Answered("restapi/objects/obj-add-guards/", "{}", "{}") +
      std::vector<std::string>{"Отправляем файл: D:\\\\maps\\\\a.png", "Файл не найден: x"} +
      Answered(kCreate, "{\"extId\": 2}", "{\"id\": 1001, \"extId\": 2}") +
      std::vector<std::string>{"URI: restapi/objects/obj-card-save/       PARAMS: {}",
                               "ОШИБКА СВЯЗИ С СЕРВЕРОМ: Read Timeout"} +
      std::vector<std::string>{"URI: " + kCreate + "       PARAMS: {\"extId\": 3}",
                               "ОШИБКА СВЯЗИ С СЕРВЕРОМ: HTTP/1.1 500 Internal Server Error"} +
      std::vector<std::string>{"URI: " + kCreate + "       PARAMS: {\"extId\": 4}",
                               "ОШИБКА СВЯЗИ С СЕРВЕРОМ: Connection Closed Gracefully."} +
      std::vector<std::string>{"URI: " + kCreate + "       PARAMS: {\"extId\": 5}"});
  const TMigrationState state = ReadMigrationLogs(file);
  EXPECT_EQ(state.GroupId, 100);
  EXPECT_EQ(state.GuardGroupId, 200);
  EXPECT_EQ(state.GuardIds, (std::map<int32_t, int32_t>{{7, 300}}));
  ASSERT_EQ(state.Objects.size(), 5u);

  const TLoggedObject& done = state.Objects.at(0);
  EXPECT_EQ(done.CreateDocument, "{\"extId\": 1}");
  EXPECT_EQ(done.Answer, TCreateAnswer::Answered);
  EXPECT_EQ(done.Response, "{\"id\": 1000,\r\n \"extId\": 1}");  // a line break inside the answer
  EXPECT_TRUE(done.CardSaved && done.GuardsLinked && done.PictureSent);
  EXPECT_FALSE(state.UploadReachedPlatform) << "the file was not there";

  const TLoggedObject& broken = state.Objects.at(1);
  EXPECT_EQ(broken.Answer, TCreateAnswer::Answered);
  EXPECT_FALSE(broken.CardSaved || broken.GuardsLinked || broken.PictureSent);

  const struct {
    int32_t place;
    TCreateAnswer answer;
  } creates[] = {{2, TCreateAnswer::Status}, {3, TCreateAnswer::None}, {4, TCreateAnswer::None}};
  for (const auto& c : creates) EXPECT_EQ(state.Objects.at(c.place).Answer, c.answer) << c.place;
}

TEST_F(RunLogReaderTest, AChainOfResumesIsReadFromTheNewestLogWithPlacesNamedByTheResumes) {
  const std::string first =
      Log(Answered("restapi/objs-groups/create/", "{}",
                   "{\"id\": 100, \"name\": \"Стационарные объекты\"}") +
          Answered(kCreate, "{\"extId\": 1}", "{\"id\": 1000, \"extId\": 1}") +
          std::vector<std::string>{"URI: " + kCreate + "       PARAMS: {\"extId\": 2}",
                                   "ОШИБКА СВЯЗИ С СЕРВЕРОМ: Read Timeout"});
  const std::string second = Log(
      std::vector<std::string>{"ПРОДОЛЖЕНИЕ ПЕРЕНОСА ПО ЖУРНАЛУ: " + first,
                               "НЕТ ОТВЕТА НА СОЗДАНИЕ ОБЪЕКТА, ПОВТОРНО НЕ ОТПРАВЛЯЕТСЯ: (2/2)",
                               "ПРОДОЛЖАЕМ ОБЪЕКТ 5/5 (№ 4)"} +
      Answered(kCreate, "{\"extId\": 5}", "{\"id\": 1002, \"extId\": 5}") +
      Answered("restapi/objects/obj-card-save/", "{}", "{}") +
      std::vector<std::string>{"Отправляем файл: m.png", "{\"success\": true}", " "});
  const std::string third =
      Log(std::vector<std::string>{"ПРОДОЛЖЕНИЕ ПЕРЕНОСА ПО ЖУРНАЛУ: " + second,
                                   "ПРОДОЛЖАЕМ ОБЪЕКТ 2/2 (№ 2)"} +
          Answered(kCreate, "{\"extId\": 2}", "{\"id\": 1003, \"extId\": 2}"));

  const TMigrationState state = ReadMigrationLogs(third);
  EXPECT_EQ(state.GroupId, 100);
  ASSERT_EQ(state.Objects.size(), 3u);
  EXPECT_EQ(state.Objects.at(0).Response, "{\"id\": 1000, \"extId\": 1}");
  EXPECT_EQ(state.Objects.at(1).Response, "{\"id\": 1003, \"extId\": 2}");  // the later exchange
  EXPECT_EQ(state.Objects.at(3).CreateDocument, "{\"extId\": 5}");
  EXPECT_TRUE(state.Objects.at(3).CardSaved && state.Objects.at(3).PictureSent);
  EXPECT_TRUE(state.UploadReachedPlatform);
}

TEST_F(RunLogReaderTest, LogsThatCannotBeReadAreRefusedNamingTheFile) {
  const std::string plain = NewName();
  std::ofstream(plain, std::ios::binary) << "Carvelmontrade 1.0.16\r\nno stamp here\r\n";
  const std::string loop = NewName();
  Log({"ПРОДОЛЖЕНИЕ ПЕРЕНОСА ПО ЖУРНАЛУ: " + loop}, loop);
  const std::string missing = "/nonexistent/Log_01_01_2024_00-00-00.log";
  for (const std::string& file : {plain, loop, missing}) {
    try {
      ReadMigrationLogs(file);
      ADD_FAILURE() << file << " was read";
    } catch (const ERunLogError& error) {
      EXPECT_EQ(std::string(error.what()).rfind(file, 0), 0u) << error.what();
    }
  }
}

}  // namespace
