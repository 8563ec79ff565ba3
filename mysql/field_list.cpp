// Indexing the field list.
#include "mysql/field_list.h"

#include "mysql/db_errors.h"

TField& TFieldList::operator[](int index) const {
  if (index < 0 || index >= Count()) throw EListError(index);
  return *FItems[index];
}
