// The source reader: its statements, the rows they give and the caches.
#include "source/dbreader.h"

#include <exception>
#include <functional>

#include "platform/numbers.h"
#include "source/ext_id.h"
#include "source/json_escape.h"
#include "source/object_filter.h"

namespace {

using platform::IntToStr;

const char kObjectQuery[] =
    "select `id`, `obj`, `inetpassword`, `imei`, `id_obs`, `s1`, `s2`, `s3`, `s4`, `s5`, `s6`, "
    "`s8`, `s9`, `s13`, `s14`, `s15`, `s16`, `s17`, `s18`, `s19`, `s20`, `s21`, `s22`, `s35`, "
    "`d1`, `d3` from `obj` where ((`id` > 0) and (`id` <> 9999)";
const char kInstallersQuery[] = "select `id`, `mgr`, `s1` from `mgr`";
const char kTeamsQuery[] =
    "select `id`, `pgr`, `s1`, `s2`, `s3`, `s4`, `s5`, `s6`, `s7`, `s8`, `s9` from `pgr`";

// Removes the separator an accumulator ends with.
std::string WithoutLastSeparator(const std::string& text) {
  return text.substr(0, text.size() - 2);
}

}  // namespace

TDbReader::TDbReader() {
  FQuery.SetConnection(&FConnection);
  FQuery.SetCommandTimeout(kCommandTimeout);
}

void TDbReader::SetCommandTimeout(int32_t seconds) { FQuery.SetCommandTimeout(seconds); }

TDbReader::~TDbReader() = default;

void TDbReader::SetOptions(const TDBoptions& options) {
  FConnection.SetServer(options.Host);
  FConnection.SetDatabase(options.DBName);
  FConnection.SetUsername(options.User);
  FConnection.SetPassword(options.Password);
  FConnection.Options().SetCharset(options.Charset);
  FConnection.SetPort(options.Port);
  FFilter = BuildFilter(options.ObjectList);
}

bool TDbReader::Connect() {
  std::string ignored;
  return Connect(ignored);
}

bool TDbReader::Connect(std::string& error_message) {
  try {
    FConnection.Connect();
    return FConnection.Connected();
  } catch (const std::exception& error) {
    error_message = error.what();
    return false;
  }
}

void TDbReader::Disconnect() { FConnection.Disconnect(); }

bool TDbReader::ForEachRow(const std::string& statement, const std::function<void()>& read_row,
                           std::string* error_message) {
  try {
    FQuery.SQL.Clear();
    FQuery.SQL.SetText(statement);
    FQuery.Execute();
    for (; !FQuery.AtEnd(); FQuery.NextRow()) read_row();
    return true;
  } catch (const std::exception& error) {
    ++FFailedStatements;
    if (error_message) *error_message = error.what();
    return false;
  }
}

void TDbReader::CopyCachesFrom(const TDbReader& other) {
  FInstallers = other.FInstallers ? std::make_unique<TMgrList>(*other.FInstallers) : nullptr;
  FTeams = other.FTeams ? std::make_unique<TPgrList>(*other.FTeams) : nullptr;
}

std::string TDbReader::EscapedText(int column) const {
  return JsonEscape(FQuery.Fields[column].AsString());
}

int32_t TDbReader::Integer(int column) const { return FQuery.Fields[column].AsInteger(); }

bool TDbReader::ReadObjects(TObjectList& list, std::string& error_text) {
  const std::string statement = kObjectQuery + FFilter + ")";
  std::string message;
  const bool read = ForEachRow(
      statement,
      [&] {
        TObjectData object;
        object.Id = Integer(0);
        object.ExtId = MakeExtId(object.Id);
        object.Name = EscapedText(1);
        object.Password = EscapedText(2);
        object.Imei = EscapedText(3);
        object.ContractNumber = EscapedText(5);
        object.City = EscapedText(6);
        object.Street = EscapedText(7);
        object.House = EscapedText(8);
        object.Building = EscapedText(9);
        object.AppNumber = EscapedText(10);
        object.Routes = EscapedText(11);
        object.IntercomCode = EscapedText(12);
        object.HouseSuffix = EscapedText(13);
        object.PoliceDept = EscapedText(14);
        object.Region = EscapedText(15);
        object.Sim2 = EscapedText(16);
        object.Sim = EscapedText(17);
        object.Phone1 = EscapedText(18);
        object.Phone2 = EscapedText(19);
        object.Phone3 = EscapedText(20);
        object.OwnerPassword = EscapedText(21);
        object.GateCode = EscapedText(22);
        object.MapFile = EscapedText(23);
        object.ObsState = Integer(4);
        object.InstallDate = FQuery.Fields[24].AsDateTime();
        object.ContractDate = FQuery.Fields[25].AsDateTime();
        list.push_back(std::move(object));
      },
      &message);
  if (!read) error_text = "[" + statement + "] " + message;
  return read;
}

void TDbReader::LoadInstallers() {
  FInstallers = std::make_unique<TMgrList>();
  // On an error the cache keeps the rows read so far and is not loaded again.
  ForEachRow(kInstallersQuery, [&] {
    FInstallers->push_back(TMgrData{Integer(0), EscapedText(1), EscapedText(2)});
  });
}

std::string TDbReader::InstallerText(int32_t installer_id) const {
  std::string text;
  if (!FInstallers) return text;
  for (const TMgrData& installer : *FInstallers) {
    if (installer.Id != installer_id || installer.Name.empty()) continue;
    text = installer.Note.empty() ? installer.Name : installer.Name + " (" + installer.Note + ")";
  }
  return text;
}

void TDbReader::GetInstallers(int32_t object_id, std::string& installer_text,
                              std::string& extra_text) {
  if (!FInstallers) LoadInstallers();
  bool first = true;
  // On an error the texts keep what was set before it.
  ForEachRow("select `id_mgr` from `mgr_on_obj` where `id_obj` = " + IntToStr(object_id), [&] {
    const std::string text = InstallerText(Integer(0));
    if (first) {
      installer_text = text;
      first = false;
      return;
    }
    if (!extra_text.empty()) extra_text += ", ";
    extra_text += text;
  });
}

bool TDbReader::ReadPersons(TPplList& list, int32_t object_id) {
  return ForEachRow(
      "select `id`, `id_key`, `ppl`, `s1`, `s2`, `s3`, `s4`, `s5`, `s6`, `s7`, `s8`, `s9` from "
      "`ppl` where ((`id_obj` = " +
          IntToStr(object_id) + ") and (`deleted` = 0))",
      [&] {
        TPplData person;
        person.Id = Integer(0);
        person.Key = Integer(1);
        person.Name = EscapedText(2);
        person.Position = EscapedText(3);
        person.City = EscapedText(4);
        person.Street = EscapedText(5);
        person.House = EscapedText(6);
        person.Building = EscapedText(7);
        person.Apartment = EscapedText(8);
        person.Phone1 = EscapedText(9);
        person.Phone2 = EscapedText(10);
        person.Phone3 = EscapedText(11);
        list.push_back(std::move(person));
      });
}

bool TDbReader::ReadAreas(TAreaList& list, int32_t object_id) {
  return ForEachRow("select `n`, `razdel` from `razdel` where `id_obj` = " + IntToStr(object_id),
                    [&] {
                      list.push_back(TAreaData{Integer(0), EscapedText(1)});
                    });
}

bool TDbReader::ReadZones(TZoneList& list, int32_t object_id, int32_t area_number) {
  return ForEachRow("select `id`, `id_key`, `zon`, `s1` from `zon` where ((`id_obj` = " +
                        IntToStr(object_id) + ") and (`n_razdel` = " + IntToStr(area_number) + "))",
                    [&] {
                      TZoneData zone;
                      zone.Id = Integer(0);
                      zone.ObjectId = object_id;
                      zone.AreaNumber = area_number;
                      zone.Key = Integer(1);
                      zone.Name = EscapedText(2);
                      zone.Comment = EscapedText(3);
                      list.push_back(std::move(zone));
                    });
}

void TDbReader::LoadTeams() {
  FTeams = std::make_unique<TPgrList>();
  // On an error the cache keeps the rows read so far and is not loaded again.
  ForEachRow(kTeamsQuery, [&] {
    TPgrData team;
    team.GuardId = 0;
    team.Id = Integer(0);
    // The limits cut the escaped texts, never inside an escape.
    team.Name = CutEscapedText(EscapedText(1), kTeamNameLimit);
    team.Phone = CutEscapedText(EscapedText(2), kTeamPhoneLimit);
    std::string persons;
    for (int column = 3; column <= 10; ++column) {
      const std::string text = EscapedText(column);
      if (!text.empty()) persons += text + ", ";
    }
    if (!persons.empty()) {
      team.Person = CutEscapedText(WithoutLastSeparator(persons), kTeamPersonLimit);
    }
    FTeams->push_back(std::move(team));
  });
}

TPgrList& TDbReader::GetTeams() {
  if (!FTeams) LoadTeams();
  return *FTeams;
}

int32_t TDbReader::FindGuardId(int32_t team_id) const {
  if (!FTeams) return 0;
  for (const TPgrData& team : *FTeams) {
    if (team.Id == team_id) return team.GuardId;
  }
  return 0;
}

std::string TDbReader::GetObjectGuards(int32_t object_id) {
  if (!FTeams || FTeams->empty()) return {};
  std::string guards;
  const bool read =
      ForEachRow("select `id_pgr` from `pgr_on_obj` where `id_obj` = " + IntToStr(object_id), [&] {
        const int32_t guard_id = FindGuardId(Integer(0));
        if (guard_id > 0) guards += IntToStr(guard_id) + ", ";
      });
  if (!read || guards.empty()) return {};
  return WithoutLastSeparator(guards);
}
