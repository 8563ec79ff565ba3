// TExportThread: RunExport, the run's steps in order, and ReportLine.
#include "export/ethread.h"

#include "export/api_client.h"
#include "export/checks.h"
#include "export/groups_guards.h"
#include "export/object_send.h"
#include "export/read_ahead.h"
#include "export/reader_documents.h"
#include "export/summary.h"
#include "log/log_unit.h"
#include "platform/text_codec.h"
#include "source/dbreader.h"

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
  if (FShowLastLine) Synchronize(FShowLastLine);
}

void TExportThread::Execute() { RunExport(); }

bool TExportThread::TalkToTarget(const std::function<void()>& step) {
  return ::TalkToTarget([this](const std::string& line) { ReportLine(line); }, step);
}

void TExportThread::RunExport() {
  static const std::string kGuardsPhase = platform::Utf8ToCp1251("СОЗДАЕМ ГБР");
  static const std::string kObjectsPhase = platform::Utf8ToCp1251("СОЗДАЕМ ОБЪЕКТЫ");

  FLogger = std::make_unique<TLogger>(FLogFileName);
  FProgress = 0;
  FRunning = true;

  FApi = std::make_unique<TApiClient>(FBaseUrl, FUser, FPassword,
                                      [this](const std::string& line) { ReportLine(line); });
  FApi->SetupHttp(FReadTimeout);

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
  if (FParallel > 1) return ExportObjectsSideBySide(objects, group_id, tally);
  for (int32_t position = 0; position < tally.Total; ++position) {
    if (Terminated()) return TRunEnd::Stopped;
    TObjectData& object = objects[position];
    CheckObject(object, tally);
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

void TExportThread::CheckObject(TObjectData& object, TRunTally& tally) {
  for (std::string warning : {CheckSims(object, FSimList), CheckMapFile(object)}) {
    if (!warning.empty()) tally.Warnings.push_back(std::move(warning));
  }
}

bool TExportThread::ExportObject(TObjectData& object, int32_t group_id,
                                 std::span<const TObjectData> rest) {
  // The records of this object were read while earlier ones were sent.
  std::optional<TObjectReads> ahead = TakeReadAhead(object);
  return SendObject(*FApi, object, TObjectTarget{group_id, FObjPrefix, FScode},
                    [&] { return ObjectReads(object, std::move(ahead), rest); });
}

std::optional<TObjectReads> TExportThread::TakeReadAhead(const TObjectData& object) {
  if (!FReadAhead) return std::nullopt;
  std::optional<TObjectReads> ahead = FReadAhead->Take(object.Id);
  if (!ahead) FReadAhead.reset();
  return ahead;
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
