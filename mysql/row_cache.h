// The cursor's row cache: every row of an open result, each column either
// NULL or its value in the column's internal form. Rows are packed into
// large shared blocks: a row costs a few header bytes, its fixed-width
// values and the bytes of its texts, never a column's declared length.
//
// Owned by the cursor's record set; used by one thread. Row pointers stay
// valid until Clear() or destruction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

// How a column's value is held in the cache.
enum class TInternalType : uint8_t {
  Text,      // bytes, at most the column length
  Int16,     // signed 16-bit
  Word,      // unsigned 16-bit
  Int32,     // signed 32-bit
  Int64,     // signed 64-bit
  Boolean,   // 16-bit, 0 or -1
  Float,     // 64-bit IEEE
  Date,      // day count (double)
  Time,      // fraction of a day (double)
  DateTime,  // day count with time fraction (double)
  Memo,      // bytes, any length
  Blob,      // bytes, any length
  Bytes,     // fixed binary (not on the default road)
  VarBytes,  // variable binary (not on the default road)
};

// True for the types held as a byte string of their own length.
bool IsVariableType(TInternalType type);

// Where each column of a result lives inside a cached row.
class TRowLayout {
 public:
  TRowLayout() = default;
  explicit TRowLayout(const std::vector<TInternalType>& types);

  int ColumnCount() const { return static_cast<int>(FTypes.size()); }
  TInternalType Type(int column) const { return FTypes[column]; }
  bool Variable(int column) const { return FVariable[column]; }
  // Offset in the fixed part, or index among the variable values.
  uint32_t Slot(int column) const { return FSlots[column]; }
  size_t NullBytes() const { return FNullBytes; }
  size_t FixedSize() const { return FFixedSize; }
  size_t VarCount() const { return FVarCount; }

 private:
  std::vector<TInternalType> FTypes;
  std::vector<bool> FVariable;
  std::vector<uint32_t> FSlots;
  size_t FNullBytes = 0;
  size_t FFixedSize = 0;
  size_t FVarCount = 0;
};

// Collects one row's values before it is packed into the cache; reused for
// every row, each of whose columns must be set (a value or NULL) after
// Reset. Variable values are referenced, not copied, until Append.
class TRowBuilder {
 public:
  explicit TRowBuilder(const TRowLayout& layout);
  void Reset();
  void SetNull(int column) {
    FNulls[column >> 3] |= static_cast<uint8_t>(1u << (column & 7));
    if (FLayout->Variable(column)) FVars[FLayout->Slot(column)] = std::string_view();
  }
  template <typename T>
  void SetFixed(int column, T value) {
    std::memcpy(FFixed.data() + FLayout->Slot(column), &value, sizeof value);
  }
  void SetVar(int column, const char* data, size_t length) {
    FVars[FLayout->Slot(column)] = std::string_view(data, length);
  }

 private:
  friend class TRowCache;
  const TRowLayout* FLayout;
  std::vector<uint8_t> FNulls;
  std::vector<char> FFixed;
  std::vector<std::string_view> FVars;
};

class TRowCache {
 public:
  TRowCache() = default;
  explicit TRowCache(TRowLayout layout) : FLayout(std::move(layout)) {}
  TRowCache(const TRowCache&) = delete;
  TRowCache& operator=(const TRowCache&) = delete;
  TRowCache(TRowCache&&) = default;
  TRowCache& operator=(TRowCache&&) = default;

  const TRowLayout& Layout() const { return FLayout; }
  // Packs the builder's row after the last one.
  void Append(const TRowBuilder& row);
  size_t Count() const { return FRows.size(); }
  const char* Row(size_t index) const { return FRows[index]; }
  // Discards every row (the layout stays).
  void Clear();
  // Bytes held by the blocks and the row index.
  size_t BytesHeld() const;

  bool IsNull(const char* row, int column) const {
    return (static_cast<uint8_t>(row[1 + (column >> 3)]) >> (column & 7)) & 1;
  }
  template <typename T>
  T Fixed(const char* row, int column) const {
    T value;
    std::memcpy(&value, row + 1 + FLayout.NullBytes() + FLayout.Slot(column), sizeof value);
    return value;
  }
  std::string_view Var(const char* row, int column) const {
    int width = row[0];
    uint32_t index = FLayout.Slot(column);
    const char* ends = row + 1 + FLayout.NullBytes() + FLayout.FixedSize();
    const char* bytes = ends + FLayout.VarCount() * width;
    uint32_t end = ReadOffset(ends + index * width, width);
    uint32_t begin = index == 0 ? 0 : ReadOffset(ends + (index - 1) * width, width);
    return std::string_view(bytes + begin, end - begin);
  }

 private:
  static uint32_t ReadOffset(const char* at, int width) {
    if (width == 1) return static_cast<uint8_t>(*at);
    if (width == 2) {
      uint16_t v;
      std::memcpy(&v, at, 2);
      return v;
    }
    uint32_t v;
    std::memcpy(&v, at, 4);
    return v;
  }
  char* Allocate(size_t size);
  TRowLayout FLayout;
  std::vector<std::unique_ptr<char[]>> FBlocks;
  std::vector<size_t> FBlockSizes;
  char* FFree = nullptr;
  size_t FFreeLeft = 0;
  std::vector<const char*> FRows;
};

// The current row of a cursor as its fields see it: the cache and the row
// (null while the cursor is closed or has no rows).
struct TRecordView {
  const TRowCache* Cache = nullptr;
  const char* Row = nullptr;
};
