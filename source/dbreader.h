// TDbReader: the export run's only access to the Halvex database. It owns
// one connection and one query that every statement shares, one after
// another; it turns the operator's object list into the object query's
// filter, reads the objects into TObjectData records and the related tables
// into their records, and keeps the installer and team lists as caches.
//
// One reader per run, used on the run's thread only. Database errors never
// leave the reader: they become a false result, an empty text or a cache
// that holds what was read before the error. Texts in every record are
// already escaped for a JSON string literal. The stateless text rules it
// applies live beside it: json_escape.h (JsonEscape and the limit cut),
// object_filter.h (BuildFilter, FilterCondition, SplitList), ext_id.h.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "mysql/my_connection.h"
#include "mysql/my_query.h"
#include "source/db_options.h"
#include "source/object_data.h"
#include "source/related_records.h"

class TDbReader {
 public:
  TDbReader();
  ~TDbReader();
  TDbReader(const TDbReader&) = delete;
  TDbReader& operator=(const TDbReader&) = delete;

  // Copies the connection settings into the connection and builds the
  // object filter from `ObjectList`. Comes before Connect and any query;
  // raises only when the connection is already open (EDatabaseError for a
  // charset change, EMyError when the server refuses a database change).
  void SetOptions(const TDBoptions& options);
  // True when the session is open; false on any error.
  bool Connect();
  // The same, with the database client's message when it fails.
  bool Connect(std::string& error_message);
  // The longest silence of the server while a statement runs, in seconds
  // (kCommandTimeout unless changed): a server that stops answering fails
  // the statement, and the run goes on, instead of holding the run for good.
  static constexpr int32_t kCommandTimeout = 60;
  void SetCommandTimeout(int32_t seconds);
  // Closes the session; never raises.
  void Disconnect();

  // Appends one record per selected object, in the server's order. On an
  // error returns false with `error_text` set to "[" + statement + "] " +
  // the error's message; records appended before the error stay.
  bool ReadObjects(TObjectList& list, std::string& error_text);

  // Loads the installer list on first use, then sets `installer_text` to the
  // first installer linked to the object and `extra_text` to the further
  // ones joined with ", ". Both are expected empty on entry; an error leaves
  // what was set before it.
  void GetInstallers(int32_t object_id, std::string& installer_text, std::string& extra_text);
  // The installer's name, with its note in parentheses when it has one;
  // empty for an unknown installer or an empty name.
  std::string InstallerText(int32_t installer_id) const;

  // Each appends to the caller's list and returns false on an error; records
  // appended before the error stay.
  bool ReadPersons(TPplList& list, int32_t object_id);
  bool ReadAreas(TAreaList& list, int32_t object_id);
  bool ReadZones(TZoneList& list, int32_t object_id, int32_t area_number);

  // The team list, loaded on first call (a failed load keeps what was read
  // and is not repeated). It stays the reader's; the caller may set the
  // records' GuardId but adds or removes nothing.
  TPgrList& GetTeams();
  // The guard ids above 0 of the object's teams, joined with ", "; empty
  // when there are none, on an error, or when GetTeams was never called.
  std::string GetObjectGuards(int32_t object_id);
  // GuardId of the first team with that id; 0 when there is none.
  int32_t FindGuardId(int32_t team_id) const;

  // How many statements have failed since the reader was made: a caller
  // that must know whether a read went through compares it before and after.
  int32_t FailedStatements() const { return FFailedStatements; }
  // Takes copies of `other`'s installer and team caches as they stand
  // (guard ids included; a cache `other` never loaded stays unloaded here),
  // so that this reader gives the same results for the same rows.
  void CopyCachesFrom(const TDbReader& other);

 private:
  // Replaces the query's statement, runs it and calls `read_row` on each row
  // in the server's order. Any error ends the walk: false, with the error's
  // message in `error_message` when one is given.
  bool ForEachRow(const std::string& statement, const std::function<void()>& read_row,
                  std::string* error_message = nullptr);
  // Field i of the current row, read as text and escaped.
  std::string EscapedText(int column) const;
  int32_t Integer(int column) const;
  void LoadInstallers();
  void LoadTeams();

  // Destroyed in reverse order: the query before the connection it uses.
  TMyConnection FConnection;
  TMyQuery FQuery;
  std::unique_ptr<TMgrList> FInstallers;  // null until first needed
  std::unique_ptr<TPgrList> FTeams;       // null until first needed
  std::string FFilter;
  int32_t FFailedStatements = 0;
};
