// How a result column becomes a field: its internal type in the row cache
// (from the protocol type code, flags and the cursor's options), the field
// class for that type, and the field object itself. Pure functions.
#pragma once

#include <memory>

#include "mysql/fields.h"
#include "mysql/my_query.h"
#include "mysql/result_set.h"
#include "mysql/row_cache.h"

// Raises EDatabaseError "Unknown MySQL datatype (%d)" for the codes 17 to 245.
TInternalType InternalType(const TMySqlFieldInfo& f, const TMyQueryOptions& options,
                           bool optimized_bigint);
TFieldType FieldTypeOf(TInternalType type);
// The field of the class its type names, reading through `view`.
std::unique_ptr<TField> MakeField(TFieldDef def, const TRecordView& view);
