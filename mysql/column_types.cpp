// Column types, field classes and field objects.
#include "mysql/column_types.h"

#include <string>

#include "mysql/db_errors.h"

namespace {

constexpr int16_t kBinaryCharset = 63;
// With LongStrings off, longer text columns become memo fields.
constexpr int32_t kLongStringLength = 256;

bool IsBinaryBytes(const TMySqlFieldInfo& f, const TMyQueryOptions& options) {
  return (f.Flags & BINARY_FLAG) && f.CharsetNr == kBinaryCharset && !options.BinaryAsString;
}

// The internal type by the column's type code alone.
TInternalType TypeOfCode(const TMySqlFieldInfo& f, const TMyQueryOptions& options,
                         bool optimized_bigint) {
  bool is_unsigned = (f.Flags & UNSIGNED_FLAG) != 0;
  switch (f.Type) {
    case FIELD_TYPE_DECIMAL:
    case FIELD_TYPE_NEWDECIMAL:
    case FIELD_TYPE_FLOAT:
    case FIELD_TYPE_DOUBLE:
      return TInternalType::Float;
    case FIELD_TYPE_TINY:
      if (f.Length == 1 && options.EnableBoolean) return TInternalType::Boolean;
      return is_unsigned ? TInternalType::Word : TInternalType::Int16;
    case FIELD_TYPE_SHORT:
      return is_unsigned ? TInternalType::Word : TInternalType::Int16;
    case FIELD_TYPE_LONG:
      return is_unsigned ? TInternalType::Int64 : TInternalType::Int32;
    case FIELD_TYPE_NULL:
      return TInternalType::Text;
    case FIELD_TYPE_TIMESTAMP:
    case FIELD_TYPE_DATETIME:
      return TInternalType::DateTime;
    case FIELD_TYPE_LONGLONG:
    case FIELD_TYPE_BIT:
      return optimized_bigint && f.Length < 12 ? TInternalType::Int32 : TInternalType::Int64;
    case FIELD_TYPE_INT24:
      return TInternalType::Int32;
    case FIELD_TYPE_DATE:
    case FIELD_TYPE_NEWDATE:
      return TInternalType::Date;
    case FIELD_TYPE_TIME:
      return TInternalType::Time;
    case FIELD_TYPE_YEAR:
      return TInternalType::Word;
    case FIELD_TYPE_VARCHAR:
    case FIELD_TYPE_VAR_STRING:
      return IsBinaryBytes(f, options) ? TInternalType::VarBytes : TInternalType::Text;
    case FIELD_TYPE_ENUM:
    case FIELD_TYPE_SET:
      return TInternalType::Text;
    case FIELD_TYPE_STRING:
      return IsBinaryBytes(f, options) ? TInternalType::Bytes : TInternalType::Text;
    case FIELD_TYPE_TINY_BLOB:
    case FIELD_TYPE_MEDIUM_BLOB:
    case FIELD_TYPE_LONG_BLOB:
    case FIELD_TYPE_BLOB:
    case FIELD_TYPE_GEOMETRY:
      return (f.Flags & BINARY_FLAG) ? TInternalType::Blob : TInternalType::Memo;
    default:
      throw EDatabaseError("Unknown MySQL datatype (" + std::to_string(f.Type) + ")");
  }
}

}  // namespace

TInternalType InternalType(const TMySqlFieldInfo& f, const TMyQueryOptions& options,
                           bool optimized_bigint) {
  TInternalType type = TypeOfCode(f, options, optimized_bigint);
  bool blob = type == TInternalType::Memo || type == TInternalType::Blob;
  if (options.FieldsAsString && !blob) return TInternalType::Text;
  if (!options.LongStrings && type == TInternalType::Text && f.Length > kLongStringLength) {
    return TInternalType::Memo;
  }
  return type;
}

TFieldType FieldTypeOf(TInternalType type) {
  switch (type) {
    case TInternalType::Text:
      return TFieldType::ftString;
    case TInternalType::Int16:
      return TFieldType::ftSmallint;
    case TInternalType::Word:
      return TFieldType::ftWord;
    case TInternalType::Int32:
      return TFieldType::ftInteger;
    case TInternalType::Int64:
      return TFieldType::ftLargeint;
    case TInternalType::Boolean:
      return TFieldType::ftBoolean;
    case TInternalType::Float:
      return TFieldType::ftFloat;
    case TInternalType::Date:
      return TFieldType::ftDate;
    case TInternalType::Time:
      return TFieldType::ftTime;
    case TInternalType::DateTime:
      return TFieldType::ftDateTime;
    case TInternalType::Memo:
      return TFieldType::ftMemo;
    case TInternalType::Blob:
      return TFieldType::ftBlob;
    case TInternalType::Bytes:
      return TFieldType::ftBytes;
    case TInternalType::VarBytes:
      return TFieldType::ftVarBytes;
  }
  return TFieldType::ftString;
}

std::unique_ptr<TField> MakeField(TFieldDef def, const TRecordView& view) {
  switch (def.DataType) {
    case TFieldType::ftString:
      return std::make_unique<TStringField>(std::move(def), view);
    case TFieldType::ftMemo:
      return std::make_unique<TMemoField>(std::move(def), view);
    case TFieldType::ftSmallint:
      return std::make_unique<TSmallintField>(std::move(def), view);
    case TFieldType::ftWord:
      return std::make_unique<TWordField>(std::move(def), view);
    case TFieldType::ftInteger:
      return std::make_unique<TIntegerField>(std::move(def), view);
    case TFieldType::ftLargeint:
      return std::make_unique<TLargeintField>(std::move(def), view);
    case TFieldType::ftFloat:
      return std::make_unique<TFloatField>(std::move(def), view);
    case TFieldType::ftBoolean:
      return std::make_unique<TBooleanField>(std::move(def), view);
    case TFieldType::ftDate:
      return std::make_unique<TDateField>(std::move(def), view);
    case TFieldType::ftTime:
      return std::make_unique<TTimeField>(std::move(def), view);
    case TFieldType::ftDateTime:
      return std::make_unique<TDateTimeField>(std::move(def), view);
    default:
      return std::make_unique<TBlobField>(std::move(def), view);
  }
}
