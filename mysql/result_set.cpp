// The streamed result: one row packet at a time from the session.
#include "mysql/result_set.h"

#include "mysql/client_errors.h"
#include "mysql/my_session.h"

using mysql_client::EMySqlException;

TMySqlResultSet::TMySqlResultSet(TMySqlSession& session, std::vector<TMySqlFieldInfo> fields)
    : FSession(&session), FFields(std::move(fields)) {
  FBinds.Entries.resize(FFields.size());
}

TMySqlResultSet::~TMySqlResultSet() {
  if (FSession) FSession->ResultFreed(*this);
}

const TMySqlBinds* TMySqlResultSet::FetchRow() {
  if (FEnd || !FSession) return nullptr;
  FEnd = true;  // stays set when the read or the decoding raises
  std::string_view packet;
  if (!FSession->ReadRowPacket(packet)) return nullptr;
  DecodeRow(packet);
  FEnd = false;
  return &FBinds;
}

void TMySqlResultSet::DecodeRow(std::string_view packet) {
  const auto* p = reinterpret_cast<const uint8_t*>(packet.data());
  size_t size = packet.size(), pos = 0;
  auto need = [&](size_t n) {
    if (n > size - pos) throw EMySqlException(mysql_client::CR_MALFORMED_PACKET);
  };
  for (auto& entry : FBinds.Entries) {
    need(1);
    uint8_t first = p[pos++];
    uint64_t length;
    if (first < 251) {
      length = first;
    } else if (first == 251) {
      entry.IsNull = true;
      entry.Offset = static_cast<uint32_t>(pos);
      entry.Length = 0;
      continue;
    } else if (first == 252) {
      need(2);
      length = p[pos] | (p[pos + 1] << 8);
      pos += 2;
    } else if (first == 253) {
      need(3);
      length = p[pos] | (p[pos + 1] << 8) | (uint32_t(p[pos + 2]) << 16);
      pos += 3;
    } else if (first == 254) {
      need(8);
      length = p[pos] | (p[pos + 1] << 8) | (uint32_t(p[pos + 2]) << 16) |
               (uint32_t(p[pos + 3]) << 24);  // the low 4 bytes of the count
      pos += 8;
    } else {
      throw EMySqlException(mysql_client::CR_MALFORMED_PACKET);
    }
    need(length);
    entry.IsNull = false;
    entry.Offset = static_cast<uint32_t>(pos);
    entry.Length = static_cast<uint32_t>(length);
    pos += length;
  }
  FBinds.RowBytes = packet.data();
}
