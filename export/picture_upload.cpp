// IsPictureFile, MultipartBody and UploadPicture.
#include "export/picture_upload.h"

#include <exception>

#include "export/api_client.h"
#include "export/map_path.h"
#include "export/report_labels.h"
#include "http/session.h"
#include "http/stream.h"
#include "platform/files.h"
#include "platform/numbers.h"
#include "platform/scoped_restore.h"
#include "platform/text_case.h"
#include "platform/text_codec.h"

namespace {

constexpr char kBoundaryLine[] = "--MigrationPathMapBoundary\r\n";

}  // namespace

const char kUploadAcceptValue[] = "application/json, text/javascript, */*; q=0.01";

bool IsPictureFile(const std::string& path) {
  if (path.size() < 5) return false;
  const std::string tail = platform::LowerCase(std::string_view(path).substr(path.size() - 4));
  return tail == ".png" || tail == ".jpg";
}

std::string MultipartBody(const std::string& file_name, const std::string& content,
                          int32_t new_id) {
  static const std::string kCaption = "Карта проезда";  // UTF-8 on the wire, 25 bytes
  std::string body;
  body.reserve(content.size() + 400);
  body += kBoundaryLine;
  body += "Content-Disposition: form-data; name=\"file\"; filename=\"" + file_name + "\"\r\n";
  body += "Content-Type: image/png\r\n\r\n";
  body += content;
  body += "\r\n";
  body += kBoundaryLine;
  body += "Content-Disposition: form-data; name=\"objectId\"\r\n\r\n";
  body += platform::IntToStr(new_id) + "\r\n";
  body += kBoundaryLine;
  body += "Content-Disposition: form-data; name=\"caption\"\r\n\r\n";
  body += kCaption + "\r\n";
  body += "--MigrationPathMapBoundary--\r\n";
  return body;
}

bool UploadWillPost(const std::string& map_file) {
  return IsPictureFile(map_file) && platform::FileExists(MapFileSystemPath(map_file));
}

void UploadPicture(TApiClient& api, const std::string& path, const std::string& map_file,
                   int32_t new_id) {
  static const std::string kFailed = platform::Utf8ToCp1251("Ошибка при отправке файла: ");

  if (!IsPictureFile(map_file)) return;
  api.Report(SendingFileLabel() + map_file);
  const std::string file_path = MapFileSystemPath(map_file);
  if (!platform::FileExists(file_path)) {
    api.Report(MissingFileLabel() + map_file);
    return;
  }
  TIdHTTPRequest& request = api.Http().Request;
  const platform::TScopedRestore<std::string> json_content_type(request.ContentType);
  const platform::TScopedRestore<int32_t> json_content_length(request.ContentLength);
  try {
    request.ContentType = "multipart/form-data; boundary=MigrationPathMapBoundary";
    // Kept after the upload: the run's rule for all its later requests.
    request.Accept = kUploadAcceptValue;
    const std::string body =
        MultipartBody(MapFileName(map_file), platform::ReadWholeFile(file_path), new_id);
    request.ContentLength = static_cast<int32_t>(body.size());
    const std::string response = api.Http().HttpPost(api.BaseUrl() + path, TIdStream(body));
    api.Report(platform::Utf8ToCp1251(response));
    api.Report(" ");
  } catch (const std::exception& error) {
    api.Report(kFailed + map_file + "   " + error.what());
  }
}
