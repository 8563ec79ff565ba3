// The route-map upload: an object's picture file posted to the platform as
// a multipart/form-data body naming the object and a fixed caption. Its
// outcome is told in report lines only; it never raises.
// Run on the run's thread only, between the run's other requests.
#pragma once

#include <cstdint>
#include <string>

class TApiClient;

// True for a path of at least 5 characters ending in ".png" or ".jpg"
// (ASCII letter case ignored).
bool IsPictureFile(const std::string& path);

// The multipart body: the file part (named `file_name`, always said to be
// image/png), the object id part and the caption part.
std::string MultipartBody(const std::string& file_name, const std::string& content, int32_t new_id);

// The Accept value an upload leaves behind for every later request of the run.
extern const char kUploadAcceptValue[];

// True when UploadPicture for `map_file` goes as far as posting (a picture
// file that is there), and so leaves kUploadAcceptValue in the session.
bool UploadWillPost(const std::string& map_file);

// Posts the file `map_file` names (see map_path.h) for object `new_id` to
// base URL + `path`. Leaves the session's Content-Type at "application/json"
// and its Accept at the upload's value.
void UploadPicture(TApiClient& api, const std::string& path, const std::string& map_file,
                   int32_t new_id);
