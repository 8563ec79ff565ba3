// Column types, field classes and field objects.
#include "mysql/column_types.h"

#include <string>

#include "mysql/db_errors.h"

namespace {

constexpr int16_t kBinaryCharset = 63;

bool IsBinaryBytes(const TMySqlFieldInfo& f, const TMyQueryOptions& options) {
  return (f.Flags & BINARY_FLAG) && f.CharsetNr == kBinaryCharset && !options.BinaryAsString;
}

}  // namespace

TInternalType InternalType(const TMySqlFieldInfo& f, const TMyQueryOptions& options,
                           bool optimized_bigint) {
  bool is_unsigned = (f.Flags & UNSIGNED_FLAG) != 0;
  switch (f.Type) {
    case 0:
    case 246:
    case 4:
    case 5:
      return TInternalType::Float;
    case 1:
      if (f.Length == 1 && options.EnableBoolean) return TInternalType::Boolean;
      return is_unsigned ? TInternalType::Word : TInternalType::Int16;
    case 2:
      return is_unsigned ? TInternalType::Word : TInternalType::Int16;
    case 3:
      return is_unsigned ? TInternalType::Int64 : TInternalType::Int32;
    case 6:
      return TInternalType::Text;
    case 7:
    case 12:
      return TInternalType::DateTime;
    case 8:
    case 16:
      return optimized_bigint && f.Length < 12 ? TInternalType::Int32 : TInternalType::Int64;
    case 9:
      return TInternalType::Int32;
    case 10:
    case 14:
      return TInternalType::Date;
    case 11:
      return TInternalType::Time;
    case 13:
      return TInternalType::Word;
    case 15:
    case 253:
      return IsBinaryBytes(f, options) ? TInternalType::VarBytes : TInternalType::Text;
    case 247:
    case 248:
      return TInternalType::Text;
    case 254:
      return IsBinaryBytes(f, options) ? TInternalType::Bytes : TInternalType::Text;
    case 249:
    case 250:
    case 251:
    case 252:
    case 255:
      return (f.Flags & BINARY_FLAG) ? TInternalType::Blob : TInternalType::Memo;
    default:
      throw EDatabaseError("Unknown MySQL datatype (" + std::to_string(f.Type) + ")");
  }
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
