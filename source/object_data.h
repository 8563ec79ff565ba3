// TObjectData: one guarded object of the Halvex database, as the reader
// builds it from a row of `obj`. Every text is Windows-1251 and already
// escaped for a JSON string literal (see json_escape.h); an empty text means
// the column was empty or NULL. Dates count days since 30 December 1899,
// 0 meaning no date.
//
// The list a caller hands to TDbReader::ReadObjects owns the records it
// receives; only the pre-export checks change a record after reading, and
// only its `Sim` and `Sim2`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/date_time.h"

struct TObjectData {
  int32_t Id = 0;                        // `id`
  int32_t ExtId = 0;                     // MakeExtId(Id)
  std::string Name;                      // `obj`
  std::string Region;                    // `s15`
  std::string City;                      // `s2`
  std::string Street;                    // `s3`
  std::string House;                     // `s4`
  std::string HouseSuffix;               // `s13`
  std::string Building;                  // `s5`
  std::string GateCode;                  // `s22`
  std::string IntercomCode;              // `s9`
  std::string AppNumber;                 // `s6`
  std::string OwnerPassword;             // `s21`
  std::string ContractNumber;            // `s1`
  platform::TDateTime ContractDate = 0;  // `d3`
  int32_t ObsState = 0;                  // `id_obs`
  std::string PoliceDept;                // `s14`
  std::string Phone1;                    // `s18`
  std::string Phone2;                    // `s19`
  std::string Phone3;                    // `s20`
  std::string Imei;                      // `imei`
  std::string Sim;                       // `s17`
  std::string Sim2;                      // `s16`
  platform::TDateTime InstallDate = 0;   // `d1`
  std::string Password;                  // `inetpassword`
  std::string MapFile;  // `s35`: a Windows path, stored escaped (doubled backslashes)
  std::string Routes;   // `s8`
};

using TObjectList = std::vector<TObjectData>;
