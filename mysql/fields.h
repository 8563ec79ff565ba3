// TField and its classes: one column of a cursor's current row with the
// typed accessors AsInteger, AsString and AsDateTime. The cursor creates the
// fields when it opens and frees them when it closes; a field reads the row
// the cursor is on and never touches the network.
//
// Accessors raise EDatabaseError "Cannot access field '%s' as type %s" for a
// reading the field class does not offer, and EConvertError for a text that
// is not a number or date. One thread at a time, like the cursor.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "mysql/row_cache.h"
#include "platform/date_time.h"

enum class TFieldType {
  ftString,
  ftMemo,
  ftBlob,
  ftSmallint,
  ftWord,
  ftInteger,
  ftLargeint,
  ftFloat,
  ftBoolean,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftVarBytes,
};

// What a field is built from: the column's label, class, size and its place
// in the cursor's row cache.
struct TFieldDef {
  std::string Name;
  TFieldType DataType = TFieldType::ftString;
  int32_t Size = 0;          // text columns: the column length in bytes
  int Column = 0;            // 0-based position in the select list
  bool FixedChar = false;    // CHAR column: trailing blanks are not part of the value
  bool TrimVarChar = false;  // variable text columns lose their trailing blanks too
};

class TField {
 public:
  virtual ~TField() = default;
  TField(const TField&) = delete;
  TField& operator=(const TField&) = delete;

  const std::string& FieldName() const { return FDef.Name; }
  TFieldType DataType() const { return FDef.DataType; }
  int32_t Size() const { return FDef.Size; }
  int Index() const { return FDef.Column; }
  // True when the current row holds NULL here (or there is no current row).
  bool IsNull() const;

  virtual int32_t AsInteger() const;
  virtual std::string AsString() const;
  virtual platform::TDateTime AsDateTime() const;

 protected:
  TField(TFieldDef def, const TRecordView& record) : FDef(std::move(def)), FRecord(record) {}
  [[noreturn]] void AccessError(const char* type_name) const;
  template <typename T>
  T Fixed() const {
    return FRecord.Cache->Fixed<T>(FRecord.Row, FDef.Column);
  }
  std::string_view Bytes() const { return FRecord.Cache->Var(FRecord.Row, FDef.Column); }
  const TFieldDef& Def() const { return FDef; }

 private:
  TFieldDef FDef;
  const TRecordView& FRecord;
};

class TStringField : public TField {
 public:
  TStringField(TFieldDef def, const TRecordView& record) : TField(std::move(def), record) {}
  int32_t AsInteger() const override;
  std::string AsString() const override;
  platform::TDateTime AsDateTime() const override;
};

class TMemoField : public TField {
 public:
  TMemoField(TFieldDef def, const TRecordView& record) : TField(std::move(def), record) {}
  std::string AsString() const override;
};

class TBlobField : public TField {
 public:
  TBlobField(TFieldDef def, const TRecordView& record) : TField(std::move(def), record) {}
  std::string AsString() const override;
};

// TSmallintField, TWordField and TIntegerField share their readings.
class TIntegerField : public TField {
 public:
  TIntegerField(TFieldDef def, const TRecordView& record) : TField(std::move(def), record) {}
  int32_t AsInteger() const override;
  std::string AsString() const override;

 private:
  int32_t Value() const;
};

class TSmallintField : public TIntegerField {
 public:
  using TIntegerField::TIntegerField;
};

class TWordField : public TIntegerField {
 public:
  using TIntegerField::TIntegerField;
};

class TLargeintField : public TField {
 public:
  TLargeintField(TFieldDef def, const TRecordView& record) : TField(std::move(def), record) {}
  // The low 32 bits of the 64-bit value.
  int32_t AsInteger() const override;
  std::string AsString() const override;
};

class TFloatField : public TField {
 public:
  TFloatField(TFieldDef def, const TRecordView& record) : TField(std::move(def), record) {}
  // Rounded to the nearest integer, halves to even.
  int32_t AsInteger() const override;
  // General form, 15 significant digits.
  std::string AsString() const override;
};

class TBooleanField : public TField {
 public:
  TBooleanField(TFieldDef def, const TRecordView& record) : TField(std::move(def), record) {}
  // "True" or "False".
  std::string AsString() const override;
};

// TDateField and TTimeField share the date-time readings; AsString differs.
class TDateTimeField : public TField {
 public:
  TDateTimeField(TFieldDef def, const TRecordView& record) : TField(std::move(def), record) {}
  std::string AsString() const override;
  platform::TDateTime AsDateTime() const override;
};

class TDateField : public TDateTimeField {
 public:
  using TDateTimeField::TDateTimeField;
  std::string AsString() const override;
};

class TTimeField : public TDateTimeField {
 public:
  using TDateTimeField::TDateTimeField;
  std::string AsString() const override;
};
