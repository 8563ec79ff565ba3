// TExportThread: RunExport, the run's steps in order, and ReportLine.
#include "export/ethread.h"

#include "export/api_client.h"
#include "export/checks.h"
#include "export/document_check.h"
#include "export/documents.h"
#include "export/groups_guards.h"
#include "export/mapping_file.h"
#include "export/object_send.h"
#include "export/picture_upload.h"
#include "export/read_ahead.h"
#include "export/reader_documents.h"
#include "export/report_labels.h"
#include "export/summary.h"
#include "http/session.h"
#include "log/log_unit.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"
#include "platform/tls_trust.h"
#include "source/dbreader.h"
#include "source/object_filter.h"

namespace {

// A database client's message as one report line: each line break becomes one blank.
std::string OneLine(const std::string& text) {
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    line += text[i] == '\r' || text[i] == '\n' ? ' ' : text[i];
  }
  return line;
}

// The record of the object at `place`, nothing done for it yet.
TObjectOutcome FreshOutcome(const TObjectData& object, int32_t place) {
  TObjectOutcome outcome;
  outcome.Place = place;
  outcome.Id = object.Id;
  outcome.ExtId = object.ExtId;
  return outcome;
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

void TExportThread::SetResume(TMigrationState state, const std::string& log_name,
                              bool resend_uncertain) {
  FResume = std::move(state);
  FResumedLog = log_name;
  FResendUncertain = resend_uncertain;
}

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

bool TExportThread::TalkToTarget(const std::function<void()>& step) {
  return ::TalkToTarget([this](const std::string& line) { ReportLine(line); }, step);
}

void TExportThread::RunExport() {
  static const std::string kNoDatabase = platform::Utf8ToCp1251("НЕТ СОЕДИНЕНИЯ С БАЗОЙ ДАННЫХ: ");
  static const std::string kObjectsPhase = platform::Utf8ToCp1251("СОЗДАЕМ ОБЪЕКТЫ");
  static const std::string kCheckPhase =
      platform::Utf8ToCp1251("ПРОВЕРКА ОБЪЕКТОВ БЕЗ ОТПРАВКИ НА ПЛАТФОРМУ");

  FLogger = std::make_unique<TLogger>(FLogFileName);
  FProgress = 0;
  FRunning = true;
  if (FResume) ReportLine(ResumedFromLabel() + platform::Utf8ToCp1251(FResumedLog));

  // The source is reached before anything is made on the platform: a run
  // that could not read its objects must not leave a group behind.
  FReader = std::make_unique<TDbReader>();
  FReader->SetOptions(*FOptions);
  std::string database_error;
  if (!FReader->Connect(database_error)) {
    ReportLine(kNoDatabase + OneLine(database_error));
    EndEarly();
    return;
  }

  TRunEnd end = TRunEnd::NotEnded;
  if (FCheckOnly) {
    ReportLine(" ");
    ReportLine(kCheckPhase);
    ReportLine(" ");
    end = CheckObjects();
  } else {
    if (FResume) {
      // Whatever does not fit is found before the first request.
      if (!ReadObjects()) {
        EndEarly(TRunEnd::Refused);
        return;
      }
      const std::string mismatch = FirstMismatch(FObjects, *FResume, FObjPrefix);
      if (!mismatch.empty()) {
        ReportLine(mismatch);
        EndEarly(TRunEnd::Refused);
        return;
      }
    }
    FApi = std::make_unique<TApiClient>(FBaseUrl, FUser, FPassword,
                                        [this](const std::string& line) { ReportLine(line); });
    if (!FTrust) FTrust = std::make_shared<platform::TTlsTrust>();
    FApi->SetupHttp(FReadTimeout, FTrust);
    // The headers go on as they were when the run broke off.
    if (FResume && FResume->UploadReachedPlatform) FApi->Http().Request.Accept = kUploadAcceptValue;
    const int32_t group_id = PrepareTarget();
    if (group_id == 0) {
      EndEarly();
      return;
    }
    ReportLine(" ");
    ReportLine(kObjectsPhase);
    ReportLine(" ");
    end = ExportObjects(group_id);
  }
  Summary();
  ReleaseRun();
  FAllExported = FTally.AllExported() && end == TRunEnd::Completed;
  FRunEnd = end;
  FRunning = false;
}

int32_t TExportThread::PrepareTarget() {
  static const std::string kGuardsPhase = platform::Utf8ToCp1251("СОЗДАЕМ ГБР");
  int32_t group_id = 0;
  if (FResume) {
    bool found = false;
    if (!TalkToTarget([&] { found = FindObjectsGroup(*FApi); }) || !found) return 0;
    group_id = FResume->GroupId;
  } else if (!TalkToTarget([&] { group_id = EnsureObjectsGroup(*FApi); }) || group_id == 0) {
    return 0;
  }
  FGroupKnown = true;

  ReportLine(" ");
  ReportLine(kGuardsPhase);
  ReportLine(" ");
  TPgrList& teams = FReader->GetTeams();
  int32_t guard_group_id = 0;
  if (FResume) {
    // The guard accounts made earlier are used again; only the missing ones are made.
    guard_group_id = FResume->GuardGroupId;
    for (TPgrData& team : teams) {
      const auto it = FResume->GuardIds.find(team.Id);
      if (it != FResume->GuardIds.end()) team.GuardId = it->second;
    }
  }
  bool guards_created = false;
  if (!TalkToTarget([&] { guards_created = CreateGuards(*FApi, teams, guard_group_id); }) ||
      !guards_created) {
    return 0;
  }
  return group_id;
}

bool TExportThread::ReadObjects() {
  static const std::string kNoObjects = platform::Utf8ToCp1251("НЕТ ОБЪЕКТОВ ДЛЯ ЭКСПОРТА: ");
  std::string read_error;
  if (FReader->ReadObjects(FObjects, read_error)) return true;
  ReportLine(kNoObjects + read_error);
  return false;
}

void TExportThread::CheckObject(TObjectData& object, TObjectOutcome& outcome) {
  for (std::string warning : {CheckSims(object, FSimList), CheckMapFile(object)}) {
    if (!warning.empty()) outcome.Warnings.push_back(std::move(warning));
  }
}

TRunEnd TExportThread::ExportObjects(int32_t group_id) {
  FSimList.Clear();
  // A resume has read the objects already.
  if (!FResume && !ReadObjects()) return TRunEnd::NoObjects;
  const int32_t total = static_cast<int32_t>(FObjects.size());
  FTally.Begin(total);
  OpenMapping();
  TObjectPlan plan = PlanObjects();
  if (FParallel > 1) return ExportObjectsSideBySide(group_id, plan);

  const TObjectTarget target{group_id, FObjPrefix, FScode, FResume.has_value()};
  TRunEnd end = TRunEnd::Completed;
  int32_t place = 0;
  for (; place < total; ++place) {
    if (Terminated()) {
      end = TRunEnd::Stopped;
      break;
    }
    const TObjectData& object = FObjects[place];
    TObjectOutcome outcome = std::move(plan.Outcomes[place]);
    CheckObject(FObjects[place], outcome);
    const TPlannedStep step = plan.Steps[place];
    const bool nothing_left = NothingLeft(object, step, outcome);
    const std::span<const int32_t> read_ids = plan.ReadIdsFrom(place);
    // The records of this object were read while earlier ones were sent.
    std::optional<TObjectReads> ahead;
    if (step != TPlannedStep::Hold && !nothing_left) ahead = TakeReadAhead(object, read_ids);
    const bool connected = SendObject(
        *FApi, object, step, nothing_left, target,
        [&] { return RecordsFor(object, outcome, std::move(ahead), read_ids); }, outcome);
    TakeOutcome(std::move(outcome), true);
    if (!connected) {
      end = TRunEnd::ConnectionLost;
      ++place;
      break;
    }
  }
  TakeUnreached(place, plan);
  return end;
}

TExportThread::TObjectPlan TExportThread::PlanObjects() {
  const size_t total = FObjects.size();
  TObjectPlan plan;
  plan.Steps.resize(total);
  plan.Outcomes.reserve(total);
  plan.ReadsFrom.resize(total);
  for (size_t place = 0; place < total; ++place) {
    const TObjectData& object = FObjects[place];
    TObjectOutcome& outcome =
        plan.Outcomes.emplace_back(FreshOutcome(object, static_cast<int32_t>(place)));
    plan.Steps[place] =
        PlanObject(object, outcome.Place, FResume ? &*FResume : nullptr, FResendUncertain, outcome);
    plan.ReadsFrom[place] = plan.ReadIds.size();
    if (plan.Steps[place] == TPlannedStep::Create ||
        (plan.Steps[place] == TPlannedStep::Finish && !outcome.CardSaved)) {
      plan.ReadIds.push_back(object.Id);
    }
  }
  return plan;
}

void TExportThread::TakeUnreached(int32_t place, TObjectPlan& plan) {
  for (; place < FTally.Total(); ++place) {
    TObjectOutcome& outcome = plan.Outcomes[place];
    if (NothingLeft(FObjects[place], plan.Steps[place], outcome)) {
      outcome.Status = TObjectStatus::Exported;
    }
    TakeOutcome(std::move(outcome), false);
  }
}

std::optional<TObjectReads> TExportThread::TakeReadAhead(const TObjectData& object,
                                                         std::span<const int32_t> read_ids) {
  const bool reads_needed = !read_ids.empty() && read_ids.front() == object.Id;
  if (!reads_needed || !FReadAhead) return std::nullopt;
  std::optional<TObjectReads> ahead = FReadAhead->Take(object.Id);
  if (!ahead) FReadAhead.reset();
  return ahead;
}

TObjectReads TExportThread::RecordsFor(const TObjectData& object, const TObjectOutcome& outcome,
                                       std::optional<TObjectReads> ahead,
                                       std::span<const int32_t> read_ids) {
  if (outcome.CardSaved) {
    TObjectReads reads;
    reads.Guards = FReader->GetObjectGuards(object.Id);
    return reads;
  }
  if (ahead) return std::move(*ahead);
  TObjectReads reads = ReadObjectRecords(*FReader, object.Id);
  // Reading ahead starts once this reader has its caches and the source
  // answers; it is tried once a run.
  if (!FReadAheadTried && read_ids.size() > 1 && reads.Clean) {
    FReadAheadTried = true;
    FReadAhead = std::make_unique<TReadAhead>(
        *FOptions, *FReader, std::vector<int32_t>(read_ids.begin() + 1, read_ids.end()));
  }
  return reads;
}

bool TExportThread::NothingLeft(const TObjectData& object, TPlannedStep step,
                                const TObjectOutcome& outcome) {
  if (step != TPlannedStep::Finish || !outcome.CardSaved) return false;
  if (!outcome.PictureSent && IsPictureFile(object.MapFile)) return false;
  return outcome.GuardsLinked || FReader->GetObjectGuards(object.Id).empty();
}

void TExportThread::OpenMapping() {
  static const std::string kNoMapping =
      platform::Utf8ToCp1251("ПРЕДУПРЕЖДЕНИЕ: ФАЙЛ СООТВЕТСТВИЯ НЕ ЗАПИСАН: ");
  if (FMappingFileName.empty()) return;
  try {
    FMapping = std::make_unique<TMappingFile>(FMappingFileName);
  } catch (const std::exception& error) {
    // The run goes on: the mapping is a by-product, like the log.
    ReportLine(kNoMapping + platform::Utf8ToCp1251(error.what()));
  }
}

void TExportThread::TakeOutcome(TObjectOutcome outcome, bool reached) {
  if (FMapping) FMapping->AddRow(outcome);
  if (reached && outcome.Status == TObjectStatus::Exported && FTally.Total() > 0) {
    FProgress = static_cast<int32_t>(static_cast<int64_t>(outcome.Place) * 100 / FTally.Total());
  }
  FTally.Take(std::move(outcome));
}

TRunEnd TExportThread::CheckObjects() {
  static const std::string kIgnored =
      platform::Utf8ToCp1251("ПРОВЕРКА: ПРОПУЩЕН ЭЛЕМЕНТ СПИСКА ОБЪЕКТОВ: ");
  static const std::string kBadDocument = platform::Utf8ToCp1251("ПРОВЕРКА: НЕВЕРНЫЙ JSON (");
  for (const std::string& item : IgnoredItems(FOptions->ObjectList)) ReportLine(kIgnored + item);
  FSimList.Clear();
  TPgrList& teams = FReader->GetTeams();
  auto check = [&](const std::string& what, const std::string& document) {
    if (document.empty()) return;
    const std::string fault = JsonFault(document);
    if (!fault.empty()) ReportLine(kBadDocument + what + "): " + fault + ": " + document);
  };
  for (const TPgrData& team : teams) check("gbr" + platform::IntToStr(team.Id), GuardJson(team, 0));
  if (!ReadObjects()) return TRunEnd::NoObjects;
  for (const std::string& line : SharedExtIdLines(FObjects)) ReportLine(line);
  FTally.Begin(static_cast<int32_t>(FObjects.size()));
  for (int32_t place = 0; place < FTally.Total(); ++place) {
    if (Terminated()) return TRunEnd::Stopped;
    TObjectData& object = FObjects[place];
    TObjectOutcome outcome = FreshOutcome(object, place);
    CheckObject(object, outcome);
    const TObjectReads reads = ReadObjectRecords(*FReader, object.Id);
    const std::string tag = ObjectTag(object);
    check(tag, BuildObjectJson(object, 0, FObjPrefix));
    check(tag, CardJsonFrom(reads, object, 0, 0, FScode));
    check(tag, GuardsJsonFrom(reads, 0));
    outcome.Status = TObjectStatus::Exported;
    TakeOutcome(std::move(outcome), true);
  }
  return TRunEnd::Completed;
}

void TExportThread::EndEarly(TRunEnd end) {
  ReleaseRun();
  FRunEnd = end;
  FProgress = 100;
  FRunning = false;
}

void TExportThread::Summary() {
  FSimList.Clear();
  for (const std::string& line :
       SummaryLines(FTally.Total(), FTally.Exported(), FTally.FailedList(), FTally.Warnings())) {
    ReportLine(line);
  }
}

void TExportThread::ReleaseRun() {
  FReadAhead.reset();
  FReadAheadTried = false;
  if (FReader) FReader->Disconnect();
  FReader.reset();
  FApi.reset();
  FMapping.reset();
  FLogger.reset();
  FObjects.clear();
}
