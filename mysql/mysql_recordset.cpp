// Filling the row cache: every fetched row converted as it arrives.
#include "mysql/mysql_recordset.h"

#include <algorithm>
#include <cstring>

#include "mysql/column_types.h"
#include "mysql/db_errors.h"
#include "mysql/mysql_connection.h"
#include "mysql/value_convert.h"

namespace {

// A TIMESTAMP of a server that sends fractions of a second (length 20 to
// 26) is read by the DATETIME positions; the fraction is dropped.
int32_t TimestampLength(int32_t length) { return length > 19 && length <= 26 ? 19 : length; }

// The bytes before the first zero byte among the first `n`. Texts are short
// and rarely hold a zero, so eight bytes are tested at a time, inline: a
// memchr call per value took some 7 % more client CPU in bench_mysql_read.
size_t LengthBeforeZero(const char* text, size_t n) {
  constexpr uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t word;
    std::memcpy(&word, text + i, 8);
    if ((word - kOnes) & ~word & kHighs) break;
  }
  for (; i < n; ++i) {
    if (text[i] == '\0') return i;
  }
  return n;
}

}  // namespace

void TMySQLRecordset::Open(TMySQLConnection& connection, std::unique_ptr<TMySqlResultSet> result,
                           const TMyQueryOptions& options, bool optimized_bigint,
                           TFieldList& fields) {
  Close();
  FNullForZeroDate = options.NullForZeroDate;
  std::vector<TFieldDef> defs;
  try {
    defs = DescribeColumns(*result, options, optimized_bigint);
    ReadRows(connection, *result);
    EndResult(connection, std::move(result));
  } catch (...) {
    // Nothing of this result is kept, and the rest of it is skipped so
    // that the session stays ready for the next statement.
    connection.FreeResult(std::move(result));
    Close();
    fields.Clear();
    throw;
  }
  for (TFieldDef& def : defs) fields.Add(MakeField(std::move(def), FView));
  FView.Cache = &FCache;
  FView.Row = nullptr;
}

// The column descriptions become FColumns, the cache's row layout and the
// definitions of the fields.
std::vector<TFieldDef> TMySQLRecordset::DescribeColumns(const TMySqlResultSet& result,
                                                        const TMyQueryOptions& options,
                                                        bool optimized_bigint) {
  std::vector<TInternalType> types;
  std::vector<TFieldDef> defs;
  for (int i = 0; i < result.FieldCount(); ++i) {
    const TMYSQL_FIELD& f = result.Field(i);
    TInternalType type = InternalType(f, options, optimized_bigint);
    bool timestamp = f.Type == FIELD_TYPE_TIMESTAMP;
    if (timestamp && !IsTimestampLength(TimestampLength(f.Length))) {
      throw EDatabaseError("Invalid FIELD_TYPE_TIMESTAMP Field.Length (" +
                           std::to_string(f.Length) + ")");
    }
    TFieldDef def;
    def.Name = f.Name;
    def.DataType = FieldTypeOf(type);
    def.Size = type == TInternalType::Text ? f.Length : 0;
    def.Column = i;
    def.FixedChar = f.Type == FIELD_TYPE_STRING && options.TrimFixedChar;
    def.TrimVarChar = f.Type != FIELD_TYPE_STRING && options.TrimVarChar;
    bool stamp_value = timestamp && type == TInternalType::DateTime;
    FColumns.push_back({type, f.Type, stamp_value ? TimestampLength(f.Length) : f.Length, f.Name,
                        !def.FixedChar && !def.TrimVarChar});
    types.push_back(type);
    defs.push_back(std::move(def));
  }
  FCache = TRowCache(TRowLayout(types));
  return defs;
}

// Every row, converted into the cache as it arrives.
void TMySQLRecordset::ReadRows(TMySQLConnection& connection, TMySqlResultSet& result) {
  TRowBuilder builder(FCache.Layout());
  while (const TMySqlBinds* row = connection.FetchRow(result)) {
    Convert(*row, builder);
    FCache.Append(builder);
  }
}

// The result is freed; further results of a multi-statement text are not
// read by the cursor, but skipped so the session stays usable, and a
// failing one fails the cursor.
void TMySQLRecordset::EndResult(TMySQLConnection& connection,
                                std::unique_ptr<TMySqlResultSet> result) {
  connection.FreeResult(std::move(result));
  connection.SkipFurtherResults();
}

void TMySQLRecordset::Convert(const TMySqlBinds& row, TRowBuilder& builder) {
  builder.Reset();
  int count = static_cast<int>(FColumns.size());
  for (int i = 0; i < count; ++i) {
    if (row.IsNull(i)) {
      builder.SetNull(i);
      continue;
    }
    const TColumn& c = FColumns[i];
    std::string_view v = row.Value(i);
    switch (c.Type) {
      case TInternalType::Text: {
        size_t n = std::min<size_t>(v.size(), static_cast<size_t>(std::max(c.Length, 0)));
        if (c.CutAtZero) n = LengthBeforeZero(v.data(), n);
        builder.SetVar(i, v.data(), n);
        break;
      }
      case TInternalType::Memo:
      case TInternalType::Blob:
      case TInternalType::Bytes:
      case TInternalType::VarBytes:
        builder.SetVar(i, v.data(), v.size());
        break;
      case TInternalType::Int16:
        builder.SetFixed(i, static_cast<int16_t>(TextToInteger(v, false)));
        break;
      case TInternalType::Word:
        builder.SetFixed(i, static_cast<uint16_t>(TextToInteger(v, false)));
        break;
      case TInternalType::Int32:
        builder.SetFixed(
            i, static_cast<int32_t>(c.MySqlType == FIELD_TYPE_BIT ? BitsToInteger(v)
                                                                  : TextToInteger(v, false)));
        break;
      case TInternalType::Int64:
        builder.SetFixed(i,
                         c.MySqlType == FIELD_TYPE_BIT ? BitsToInteger(v) : TextToInteger(v, true));
        break;
      case TInternalType::Boolean:
        builder.SetFixed(i, static_cast<int16_t>(TextToInteger(v, false) != 0 ? -1 : 0));
        break;
      case TInternalType::Float: {
        double value;
        if (!TryTextToFloat(v, value)) {
          throw EConvertError("'" + std::string(v) + "' is not a valid floating point value");
        }
        builder.SetFixed(i, value);
        break;
      }
      case TInternalType::Date:
      case TInternalType::DateTime: {
        double value;
        bool valid = c.Type == TInternalType::Date         ? TextToDate(v, value)
                     : c.MySqlType == FIELD_TYPE_TIMESTAMP ? TextToTimestamp(v, c.Length, value)
                                                           : TextToDateTime(v, value);
        if (valid) {
          builder.SetFixed(i, value);
        } else if (FNullForZeroDate) {
          builder.SetNull(i);
        }
        break;
      }
      case TInternalType::Time: {
        double value;
        TTimeParse parsed = TextToTime(v, value);
        if (parsed == TTimeParse::WrongFormat) {
          throw EDatabaseError("Wrong time format. Field " + c.Name + ", value " + std::string(v));
        }
        if (parsed == TTimeParse::Ok) {
          builder.SetFixed(i, value);
        } else if (FNullForZeroDate) {
          builder.SetNull(i);
        }
        break;
      }
    }
  }
}

void TMySQLRecordset::Close() {
  FView.Row = nullptr;
  FView.Cache = nullptr;
  FCache.Clear();
  FColumns.clear();
}
