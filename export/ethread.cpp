// TExportThread: RunExport, the run's steps in order, and ReportLine.
#include "export/ethread.h"

#include "export/api_client.h"
#include "export/checks.h"
#include "export/documents.h"
#include "export/extract_number.h"
#include "export/groups_guards.h"
#include "export/picture_upload.h"
#include "export/read_ahead.h"
#include "export/reader_documents.h"
#include "export/summary.h"
#include "http/exceptions.h"
#include "log/log_unit.h"
#include "platform/convert_error.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"
#include "platform/tls_trust.h"
#include "source/dbreader.h"

namespace {

// "Id/ExtId" of an object in report lines and the failed list.
std::string ObjectTag(const TObjectData& object) {
  return platform::IntToStr(object.Id) + "/" + platform::IntToStr(object.ExtId);
}

}  // namespace

TExportThread::TExportThread(platform::TSyncQueue& queue, std::function<void()> show_last_line)
    : platform::TWorkerThread(queue), FShowLastLine(std::move(show_last_line)) {}

TExportThread::~TExportThread() {
  Terminate();
  WaitFor();
}

void TExportThread::SetDbOptions(const TDBoptions* options) { FOptions = options; }

void TExportThread::SetTarget(const std::string& base_url, const std::string& user,
                              const std::string& password, int32_t obj_prefix,
                              const std::string& scode) {
  FBaseUrl = base_url;
  FUser = user;
  FPassword = password;
  FObjPrefix = obj_prefix;
  FScode = scode;
}

void TExportThread::SetLogFileName(const std::string& file_name) { FLogFileName = file_name; }

std::string TExportThread::GetLastLine() const {
  std::lock_guard<std::mutex> lock(FLastLineMutex);
  return FLastLine;
}

void TExportThread::ReportLine(const std::string& line) {
  {
    std::lock_guard<std::mutex> lock(FLastLineMutex);
    FLastLine = line;
  }
  FLogger->AddLine(line);
  if (FLogger->EntryLost() && FLogFailure.empty()) {
    std::lock_guard<std::mutex> lock(FLastLineMutex);
    FLogFailure = FLogger->FirstFailure().empty() ? "unknown error" : FLogger->FirstFailure();
  }
  if (FShowLastLine) Synchronize(FShowLastLine);
}

std::string TExportThread::LogFailure() const {
  std::lock_guard<std::mutex> lock(FLastLineMutex);
  return FLogFailure;
}

void TExportThread::Execute() { RunExport(); }

template <class TStep>
bool TExportThread::TalkToTarget(TStep step) {
  static const std::string kLost = platform::Utf8ToCp1251("ОШИБКА СВЯЗИ С СЕРВЕРОМ: ");
  try {
    step();
    return true;
  } catch (const EIdException& error) {
    ReportLine(kLost + error.what());
  } catch (const EConvertError& error) {  // a port in the URL that is not a number
    ReportLine(kLost + error.what());
  }
  return false;
}

void TExportThread::RunExport() {
  static const std::string kGuardsPhase = platform::Utf8ToCp1251("СОЗДАЕМ ГБР");
  static const std::string kObjectsPhase = platform::Utf8ToCp1251("СОЗДАЕМ ОБЪЕКТЫ");

  FLogger = std::make_unique<TLogger>(FLogFileName);
  FProgress = 0;
  FRunning = true;

  FApi = std::make_unique<TApiClient>(FBaseUrl, FUser, FPassword,
                                      [this](const std::string& line) { ReportLine(line); });
  if (!FTrust) FTrust = std::make_shared<platform::TTlsTrust>();
  FApi->SetupHttp(FReadTimeout, FTrust);

  int32_t group_id = 0;
  if (!TalkToTarget([&] { group_id = EnsureObjectsGroup(*FApi); }) || group_id == 0) {
    EndEarly();
    return;
  }

  FReader = std::make_unique<TDbReader>();
  FReader->SetOptions(*FOptions);
  FReader->Connect();

  ReportLine(" ");
  ReportLine(kGuardsPhase);
  ReportLine(" ");
  bool guards_created = false;
  if (!TalkToTarget([&] { guards_created = CreateGuards(*FApi, FReader->GetTeams()); }) ||
      !guards_created) {
    EndEarly();
    return;
  }

  ReportLine(" ");
  ReportLine(kObjectsPhase);
  ReportLine(" ");
  TRunTally tally;
  const TRunEnd end = ExportObjects(group_id, tally);
  Summary(tally);
  ReleaseRun();
  FRunEnd = end;
  FRunning = false;
}

TRunEnd TExportThread::ExportObjects(int32_t group_id, TRunTally& tally) {
  static const std::string kNoObjects = platform::Utf8ToCp1251("НЕТ ОБЪЕКТОВ ДЛЯ ЭКСПОРТА: ");
  TObjectList objects;
  FSimList.Clear();
  std::string read_error;
  if (!FReader->ReadObjects(objects, read_error)) {
    ReportLine(kNoObjects + read_error);
    return TRunEnd::NoObjects;
  }
  tally.Total = static_cast<int32_t>(objects.size());
  for (int32_t position = 0; position < tally.Total; ++position) {
    if (Terminated()) return TRunEnd::Stopped;
    TObjectData& object = objects[position];
    for (std::string warning : {CheckSims(object, FSimList), CheckMapFile(object)}) {
      if (!warning.empty()) tally.Warnings.push_back(std::move(warning));
    }
    const std::span<const TObjectData> rest(objects.begin() + position + 1, objects.end());
    bool object_exported = false;
    if (!TalkToTarget([&] { object_exported = ExportObject(object, group_id, rest); })) {
      tally.Failed += ObjectTag(object) + ", ";
      return TRunEnd::ConnectionLost;
    }
    if (!object_exported) {
      tally.Failed += ObjectTag(object) + ", ";
      continue;
    }
    FProgress = static_cast<int32_t>(static_cast<int64_t>(position) * 100 / tally.Total);
    ++tally.Exported;
  }
  return TRunEnd::Completed;
}

bool TExportThread::ExportObject(TObjectData& object, int32_t group_id,
                                 std::span<const TObjectData> rest) {
  static const std::string kCreateFailed = platform::Utf8ToCp1251("ОШИБКА ПРИ СОЗДАНИИ ОБЪЕКТА: (");
  static const std::string kSetupFailed = platform::Utf8ToCp1251("ОШИБКА УСТАНОВКИ ПАРАМЕТРОВ: (");

  // The records of this object were read while earlier ones were sent.
  std::optional<TObjectReads> ahead;
  if (FReadAhead) {
    ahead = FReadAhead->Take(object.Id);
    if (!ahead) FReadAhead.reset();
  }

  const std::string response = FApi->CallApi("restapi/objects/create-standalone/",
                                             BuildObjectJson(object, group_id, FObjPrefix));
  if (ExtractNumber("extId", response, 0) != object.ExtId) {
    ReportLine(kCreateFailed + ObjectTag(object) + ")");
    return false;
  }
  const int32_t new_id = ExtractNumber("id", response, 0);
  if (new_id == 0) {
    ReportLine(kSetupFailed + ObjectTag(object) + ")");
    return false;
  }
  const TObjectReads reads = ObjectReads(object, std::move(ahead), rest);
  FApi->CallApi("restapi/objects/obj-card-save/",
                CardJsonFrom(reads, object, new_id, group_id, FScode));
  const std::string guards = GuardsJsonFrom(reads, new_id);
  if (!guards.empty()) FApi->CallApi("restapi/objects/obj-add-guards/", guards);
  if (!object.MapFile.empty()) {
    UploadPicture(*FApi, "restapi/pictures/upload/", object.MapFile, new_id);
  }
  return true;
}

TObjectReads TExportThread::ObjectReads(const TObjectData& object,
                                        std::optional<TObjectReads> ahead,
                                        std::span<const TObjectData> rest) {
  if (ahead) return std::move(*ahead);
  TObjectReads reads = ReadObjectRecords(*FReader, object.Id);
  // Reading ahead starts once this reader has its caches and the source
  // answers; it is tried once a run.
  if (!FReadAheadTried && !rest.empty() && reads.Clean) {
    FReadAheadTried = true;
    std::vector<int32_t> ids;
    ids.reserve(rest.size());
    for (const TObjectData& later : rest) ids.push_back(later.Id);
    FReadAhead = std::make_unique<TReadAhead>(*FOptions, *FReader, std::move(ids));
  }
  return reads;
}

void TExportThread::EndEarly() {
  ReleaseRun();
  FRunEnd = TRunEnd::EndedEarly;
  FProgress = 100;
  FRunning = false;
}

void TExportThread::Summary(const TRunTally& tally) {
  FSimList.Clear();
  for (const std::string& line :
       SummaryLines(tally.Total, tally.Exported, tally.Failed, tally.Warnings)) {
    ReportLine(line);
  }
}

void TExportThread::ReleaseRun() {
  FReadAhead.reset();
  FReadAheadTried = false;
  if (FReader) FReader->Disconnect();
  FReader.reset();
  FApi.reset();
  FLogger.reset();
}
