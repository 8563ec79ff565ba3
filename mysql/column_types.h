// How a result column becomes a field: its internal type in the row cache
// (from the protocol type code, flags and the cursor's options), the field
// class for that type, and the field object itself. Pure functions.
#pragma once

#include <memory>

#include "mysql/field_info.h"
#include "mysql/fields.h"
#include "mysql/my_query.h"
#include "mysql/row_cache.h"

// With FieldsAsString every column but a memo or blob is text; with
// LongStrings off a text column longer than 256 bytes is a memo. Raises
// EDatabaseError "Unknown MySQL datatype (%d)" for the codes 17 to 245.
TInternalType InternalType(const TMySqlFieldInfo& f, const TMyQueryOptions& options,
                           bool optimized_bigint);
TFieldType FieldTypeOf(TInternalType type);
// The field of the class its type names, reading through `view`.
std::unique_ptr<TField> MakeField(TFieldDef def, const TRecordView& view);
