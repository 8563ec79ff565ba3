// Packing rows into blocks and reading their columns back.
//
// A row is: one byte giving the width (1, 2 or 4) of the end offsets, the
// null bitmap, the fixed-width values, the end offset of every variable
// value, then the variable bytes one after another.
#include "mysql/row_cache.h"

#include <algorithm>

namespace {

constexpr size_t kBlockSize = 1 << 20;

size_t FixedWidth(TInternalType type) {
  switch (type) {
    case TInternalType::Int16:
    case TInternalType::Word:
    case TInternalType::Boolean:
      return 2;
    case TInternalType::Int32:
      return 4;
    default:
      return 8;
  }
}

void WriteOffset(char* at, int width, uint32_t value) {
  if (width == 1) {
    *at = static_cast<char>(value);
  } else if (width == 2) {
    uint16_t v = static_cast<uint16_t>(value);
    std::memcpy(at, &v, 2);
  } else {
    std::memcpy(at, &value, 4);
  }
}

// memcpy for the short texts most columns hold, without a call per value:
// two overlapping fixed-size moves cover 4 to 16 bytes.
inline void CopyBytes(char* dest, const char* src, size_t n) {
  if (n > 16) {
    std::memcpy(dest, src, n);
  } else if (n >= 8) {
    uint64_t a, b;
    std::memcpy(&a, src, 8);
    std::memcpy(&b, src + n - 8, 8);
    std::memcpy(dest, &a, 8);
    std::memcpy(dest + n - 8, &b, 8);
  } else if (n >= 4) {
    uint32_t a, b;
    std::memcpy(&a, src, 4);
    std::memcpy(&b, src + n - 4, 4);
    std::memcpy(dest, &a, 4);
    std::memcpy(dest + n - 4, &b, 4);
  } else {
    for (size_t i = 0; i < n; ++i) dest[i] = src[i];
  }
}

}  // namespace

bool IsVariableType(TInternalType type) {
  switch (type) {
    case TInternalType::Text:
    case TInternalType::Memo:
    case TInternalType::Blob:
    case TInternalType::Bytes:
    case TInternalType::VarBytes:
      return true;
    default:
      return false;
  }
}

TRowLayout::TRowLayout(const std::vector<TInternalType>& types) : FTypes(types) {
  FNullBytes = (types.size() + 7) / 8;
  for (TInternalType type : types) {
    bool variable = IsVariableType(type);
    FVariable.push_back(variable);
    if (variable) {
      FSlots.push_back(static_cast<uint32_t>(FVarCount++));
    } else {
      FSlots.push_back(static_cast<uint32_t>(FFixedSize));
      FFixedSize += FixedWidth(type);
    }
  }
}

TRowBuilder::TRowBuilder(const TRowLayout& layout)
    : FLayout(&layout),
      FNulls(layout.NullBytes()),
      FFixed(layout.FixedSize()),
      FVars(layout.VarCount()) {}

void TRowBuilder::Reset() {
  std::fill(FNulls.begin(), FNulls.end(), 0);
  std::fill(FFixed.begin(), FFixed.end(), 0);
  // Every column is set again (value or NULL), so the variable slots need no clearing.
}

void TRowCache::Append(const TRowBuilder& row) {
  size_t var_bytes = 0;
  for (const auto& v : row.FVars) var_bytes += v.size();
  int width = var_bytes <= 0xFF ? 1 : var_bytes <= 0xFFFF ? 2 : 4;
  size_t head = 1 + FLayout.NullBytes() + FLayout.FixedSize();
  size_t size = head + FLayout.VarCount() * width + var_bytes;

  char* out = Allocate(size);
  out[0] = static_cast<char>(width);
  if (!row.FNulls.empty()) std::memcpy(out + 1, row.FNulls.data(), row.FNulls.size());
  if (!row.FFixed.empty()) {
    std::memcpy(out + 1 + FLayout.NullBytes(), row.FFixed.data(), row.FFixed.size());
  }
  char* ends = out + head;
  char* bytes = ends + FLayout.VarCount() * width;
  uint32_t end = 0;
  for (const auto& v : row.FVars) {
    CopyBytes(bytes + end, v.data(), v.size());
    end += static_cast<uint32_t>(v.size());
    WriteOffset(ends, width, end);
    ends += width;
  }
  FRows.push_back(out);
}

char* TRowCache::Allocate(size_t size) {
  if (size > FFreeLeft) {
    size_t block = std::max(size, kBlockSize);
    FBlocks.push_back(std::make_unique_for_overwrite<char[]>(block));
    FBlockSizes.push_back(block);
    FFree = FBlocks.back().get();
    FFreeLeft = block;
  }
  char* out = FFree;
  FFree += size;
  FFreeLeft -= size;
  return out;
}

void TRowCache::Clear() {
  FRows.clear();
  FRows.shrink_to_fit();
  FBlocks.clear();
  FBlockSizes.clear();
  FFree = nullptr;
  FFreeLeft = 0;
}

size_t TRowCache::BytesHeld() const {
  size_t total = FRows.capacity() * sizeof(const char*);
  for (size_t size : FBlockSizes) total += size;
  return total;
}
