// Telling the end-of-data packet (first byte 254) from a row or a column
// definition that happens to begin with the same byte: it is short.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

constexpr size_t kEndAmongColumns = 8;  // among column definitions: below 8 bytes
constexpr size_t kEndAmongRows = 9;     // among rows: at most 8 bytes

inline bool IsEndOfData(std::string_view packet, size_t below) {
  return !packet.empty() && static_cast<uint8_t>(packet[0]) == 254 && packet.size() < below;
}
