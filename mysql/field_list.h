// TFieldList: the fields of an open cursor in select-list order. The cursor
// fills and empties it; users only index it. Owns its fields.
#pragma once

#include <memory>
#include <vector>

#include "mysql/fields.h"

class TFieldList {
 public:
  TFieldList() = default;
  TFieldList(const TFieldList&) = delete;
  TFieldList& operator=(const TFieldList&) = delete;

  int Count() const { return static_cast<int>(FItems.size()); }
  // Raises EListError "List index out of bounds (%d)" outside 0..Count()-1.
  TField& operator[](int index) const;

 private:
  friend class TMySQLRecordset;
  friend class TMyQuery;
  void Add(std::unique_ptr<TField> field) { FItems.push_back(std::move(field)); }
  void Clear() { FItems.clear(); }
  std::vector<std::unique_ptr<TField>> FItems;
};
