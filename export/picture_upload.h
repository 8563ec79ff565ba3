// The route-map upload: an object's picture file posted to the platform as
// a multipart/form-data body naming the object and a fixed caption. Its
// outcome is told in report lines only; it never raises.
// Run on the run's thread only, between the run's other requests.
//
// Request headers. Content-Type and Content-Length are the upload's own:
// they are put back as they were when it ends, however it ends (the run's
// JSON Content-Type, "application/json", is in force again for the next
// request). Accept is deliberately not put back: it is the run's rule that
// from the first upload whose file exists on, every later request of the
// run, JSON calls included, carries kUploadAcceptValue. A resumed run sets
// the value at its start when the run it resumes had reached an upload
// (ethread.cpp), so that it goes on as the broken run would have.
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

// The Accept value of an upload and of every later request of the run.
extern const char kUploadAcceptValue[];

// True when UploadPicture for `map_file` goes as far as posting (a picture
// file that is there), and so leaves kUploadAcceptValue in the session.
bool UploadWillPost(const std::string& map_file);

// Posts the file `map_file` names (see map_path.h) for object `new_id` to
// base URL + `path`. When the file exists, the session's Accept becomes
// kUploadAcceptValue for good; Content-Type and Content-Length are put back.
void UploadPicture(TApiClient& api, const std::string& path, const std::string& map_file,
                   int32_t new_id);
