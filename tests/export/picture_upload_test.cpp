// The route-map upload: which paths count as pictures, the multipart body,
// and the headers the session is left with.
#include "export/picture_upload.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "export/api_client.h"
#include "http/session.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"
#include "tests/support/scripted_server.h"

namespace {

std::string W(const char* utf8) { return platform::Utf8ToCp1251(utf8); }

const std::string kUploadAccept = "application/json, text/javascript, */*; q=0.01";

std::string MultipartOf3BytesFor42() {
  return std::string("--MigrationPathMapBoundary\r\n") +
         "Content-Disposition: form-data; name=\"file\"; filename=\"a.jpg\"\r\n"
         "Content-Type: image/png\r\n"
         "\r\n" +
         std::string("\x01\x00\xFF", 3) +
         "\r\n"
         "--MigrationPathMapBoundary\r\n"
         "Content-Disposition: form-data; name=\"objectId\"\r\n"
         "\r\n"
         "42\r\n"
         "--MigrationPathMapBoundary\r\n"
         "Content-Disposition: form-data; name=\"caption\"\r\n"
         "\r\n"
         "\xD0\x9A\xD0\xB0\xD1\x80\xD1\x82\xD0\xB0 "
         "\xD0\xBF\xD1\x80\xD0\xBE\xD0\xB5\xD0\xB7\xD0\xB4\xD0\xB0\r\n"
         "--MigrationPathMapBoundary--\r\n";
}

// A scripted target, a client reporting into `lines`, and a temporary
// current folder holding maps/a.jpg (3 bytes).
class UploadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FDir = std::filesystem::temp_directory_path() / ("halvex_upload_" + std::to_string(::getpid()));
    std::filesystem::create_directories(FDir / "maps");
    std::ofstream(FDir / "maps" / "a.jpg", std::ios::binary) << std::string("\x01\x00\xFF", 3);
    FOldCwd = std::filesystem::current_path();
    std::filesystem::current_path(FDir);
    api.SetupHttp(5000);
  }
  void TearDown() override {
    std::filesystem::current_path(FOldCwd);
    std::filesystem::remove_all(FDir);
  }
  std::string Head(size_t i) const {
    const std::string r = server.Received(i);
    return r.substr(0, r.find("\r\n\r\n") + 2);
  }

  testsupport::TScriptedServer server;
  std::vector<std::string> lines;
  TApiClient api{"http://127.0.0.1:" + std::to_string(server.Port()) + "/", "root", "larkspur",
                 [this](const std::string& l) { lines.push_back(l); }};
  std::filesystem::path FDir, FOldCwd;
};

}  // namespace

TEST(IsPictureFile, LooksAtTheLastFourCharactersOnly) {
  const struct {
    const char* path;
    bool picture;
  } cases[] = {{"a.PNG", true},   {"a.png", true},  {"x\\\\a.jpg", true}, {"a.Jpg", true},
               {"a.jpeg", false}, {"a.bmp", false}, {".png", false},      {"", false}};
  for (const auto& c : cases) EXPECT_EQ(IsPictureFile(c.path), c.picture) << c.path;
}

TEST(MultipartBody, FramesTheFileTheIdAndTheCaption) {
  EXPECT_EQ(MultipartBody("a.jpg", std::string("\x01\x00\xFF", 3), 42), MultipartOf3BytesFor42());
}

TEST_F(UploadTest, PostsTheFileAndLeavesTheUploadAcceptBehind) {
  server.AddConnection()
      .ReadHttpRequest()
      .Send("HTTP/1.1 200 OK\r\nContent-Length: 16\r\n\r\n{\"success\":true}")
      .Close();
  UploadPicture(api, "restapi/pictures/upload/", "maps\\\\a.jpg", 42);
  ASSERT_TRUE(server.WaitDone());

  const std::string received = server.Received(0);
  EXPECT_EQ(received.substr(received.find("\r\n\r\n") + 4), MultipartOf3BytesFor42());
  EXPECT_NE(
      Head(0).find("\r\nContent-Type: multipart/form-data; boundary=MigrationPathMapBoundary\r\n"),
      std::string::npos);
  EXPECT_NE(Head(0).find("\r\nAccept: " + kUploadAccept + "\r\n"), std::string::npos);
  EXPECT_EQ(lines, (std::vector<std::string>{W("Отправляем файл: maps\\\\a.jpg"),
                                             "{\"success\":true}", " "}));
  EXPECT_EQ(api.Http().Request.ContentType, "application/json");
  EXPECT_EQ(api.Http().Request.Accept, kUploadAccept);
}

TEST_F(UploadTest, AMissingFileIsReportedWithoutAnyRequest) {
  UploadPicture(api, "restapi/pictures/upload/", "maps\\\\b.png", 42);
  UploadPicture(api, "restapi/pictures/upload/", "maps\\\\a.bmp", 42);  // not a picture: silent
  EXPECT_EQ(lines, (std::vector<std::string>{W("Отправляем файл: maps\\\\b.png"),
                                             W("Файл не найден: maps\\\\b.png")}));
  EXPECT_EQ(server.Accepted(), 0u);
  EXPECT_EQ(api.Http().Request.Accept, "*/*");
}

TEST_F(UploadTest, AFailedPostIsReportedAndTheJsonContentTypeComesBack) {
  server.AddConnection()
      .ReadHttpRequest()
      .Send("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n")
      .Close();
  UploadPicture(api, "restapi/pictures/upload/", "maps\\\\a.jpg", 42);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1],
            W("Ошибка при отправке файла: maps\\\\a.jpg   HTTP/1.1 500 Internal Server Error"));
  EXPECT_EQ(api.Http().Request.ContentType, "application/json");
}
