// The connection phase and the command/response cycle of one session.
#include "mysql/my_session.h"

#include "mysql/client_errors.h"
#include "mysql/end_of_data.h"
#include "mysql/packet_reader.h"
#include "mysql/password_scramble.h"

using mysql_client::EMySqlException;

namespace {

constexpr int kProtocolVersion = 10;
constexpr uint32_t kMaxPacketSize = 0x40000000;
constexpr uint32_t kFixedClientFlags =
    CLIENT_LONG_PASSWORD | CLIENT_LONG_FLAG | CLIENT_LOCAL_FILES | CLIENT_PROTOCOL_41 |
    CLIENT_TRANSACTIONS | CLIENT_SECURE_CONNECTION | CLIENT_MULTI_STATEMENTS | CLIENT_MULTI_RESULTS;
static_assert(kFixedClientFlags == 238213);
constexpr uint8_t kCharsetDefault = 8;  // latin1; the character-set statement follows the login
constexpr uint8_t kCharsetUtf8 = 33;

std::string Text(std::optional<std::string_view> value) {
  return value ? std::string(*value) : std::string();
}

uint16_t Int16At(std::string_view bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) |
                               (static_cast<uint8_t>(bytes[at + 1]) << 8));
}

// A reply of this single byte to the login asks for the pre-4.1 scramble.
constexpr uint8_t kOldPasswordRequest = 254;

// DECIMAL to INT24 and YEAR; a TIMESTAMP only in its 14- and 8-digit forms.
bool IsNumericColumn(uint8_t type, int32_t length) {
  if (type == FIELD_TYPE_YEAR) return true;
  if (type > FIELD_TYPE_INT24) return false;
  return type != FIELD_TYPE_TIMESTAMP || length == 14 || length == 8;
}

}  // namespace

TMySqlSession::~TMySqlSession() { Close(); }

void TMySqlSession::Connect(const std::string& host, const std::string& user,
                            const std::string& password, const std::string& database, int port,
                            uint32_t client_flags) {
  Host = host.empty() ? "localhost" : host;
  Port = port == 0 ? 3306 : port;
  Database = database;
  ServerStatus = SERVER_STATUS_AUTOCOMMIT;
  try {
    std::unique_ptr<TMyVio> vio = MakeVio(Host, Port);
    vio->SetTimeout(ConnectTimeout);
    if (!vio->Connect()) {
      throw EMySqlException(mysql_client::CR_CONN_HOST_ERROR, vio->LastError(),
                            {Host, int64_t{vio->ConnectError()}});
    }
    FNet.SetVio(std::move(vio));
    FNet.ResetSequence();
    ReadGreeting();
    HostInfo = Host + " via TCP/IP";

    uint32_t flags = client_flags;
    if (flags & CLIENT_MULTI_STATEMENTS) flags |= CLIENT_MULTI_RESULTS;
    flags |= ClientFlags | kFixedClientFlags | CLIENT_CONNECT_WITH_DB;
    for (uint32_t bit : {CLIENT_COMPRESS, CLIENT_PROTOCOL_41, CLIENT_SSL}) {
      if (!(ServerCapabilities & bit)) flags &= ~bit;
    }
    // Plain TCP only, and uncompressed: a server told CLIENT_COMPRESS would
    // switch to a framing this client does not read.
    flags &= ~(CLIENT_SSL | CLIENT_COMPRESS);
    ClientFlags = flags;

    SendLogin(user, password, database);
    Authenticate(password);
  } catch (...) {
    FNet.CloseVio();
    throw;
  }
}

void TMySqlSession::ReadGreeting() {
  TPacketReader in(FNet.ReadPacket());
  uint8_t protocol = in.ReadByte();
  if (protocol != kProtocolVersion) throw EMySqlException(mysql_client::CR_VERSION_ERROR);
  ServerVersion = std::string(in.ReadZString());
  ConnectionId = in.ReadInt32();
  Scramble = std::string(in.ReadBytes(8));
  LongScramble = false;
  ServerCapabilities = 0;
  size_t after_scramble = in.Remaining();
  if (after_scramble >= 3) {
    in.Skip(1);
    ServerCapabilities = in.ReadInt16();
  }
  if (after_scramble >= 18) {
    ServerCharset = in.ReadByte();
    ServerStatus = in.ReadInt16();
  }
  if (after_scramble >= 30) {
    in.Skip(13);
    std::string_view rest = in.ReadBytes(std::min<size_t>(12, in.Remaining()));
    Scramble += rest;
    LongScramble = rest.size() == 12;
  }
}

void TMySqlSession::SendLogin(const std::string& user, const std::string& password,
                              const std::string& database) {
  FNet.NewPacket();
  if (ServerCapabilities & CLIENT_PROTOCOL_41) {
    FNet.WriteInt32(ClientFlags);
    FNet.WriteInt32(kMaxPacketSize);
    FNet.WriteByte(CharsetOption == "utf8" ? kCharsetUtf8 : kCharsetDefault);
    FNet.WriteZeros(23);
  } else {
    FNet.WriteInt16(static_cast<uint16_t>(ClientFlags));
    FNet.WriteInt24(kMaxPacketSize & 0xFFFF);
  }
  FNet.WriteZString(user);
  if (ServerCapabilities & CLIENT_SECURE_CONNECTION) {
    if (password.empty()) {
      FNet.WriteByte(0);
    } else if (LongScramble) {
      TSha1Digest token = Scramble41(password, Scramble);
      FNet.WriteByte(20);
      FNet.WriteBytes(std::string_view(reinterpret_cast<const char*>(token.data()), 20));
    } else {
      FNet.WriteZString("xxxxxxxx");
    }
  } else if (!password.empty()) {
    FNet.WriteBytes(ScrambleOld(password, Scramble));
  } else {
    FNet.WriteByte(0);
  }
  if (ServerCapabilities & CLIENT_CONNECT_WITH_DB) FNet.WriteZString(database);
  FNet.Send();
}

void TMySqlSession::Authenticate(const std::string& password) {
  std::string_view reply = FNet.ReadPacket();
  if (!(ServerCapabilities & CLIENT_SECURE_CONNECTION)) return;
  if (reply.size() == 1 && static_cast<uint8_t>(reply[0]) == kOldPasswordRequest) {
    // The account has a pre-4.1 hash: the old scramble against the first 8 bytes.
    FNet.SendPayload(ScrambleOld(password, Scramble.substr(0, 8)));
    FNet.ReadPacket();
  } else if (reply.size() == 24 && reply[0] != 0) {
    std::string new_scramble;
    std::string answer = TwoStepAnswer(reply, password, new_scramble);
    Scramble = new_scramble;
    FNet.SendPayload(answer);
    FNet.ReadPacket();
  }
  // Anything else counts as accepted.
}

void TMySqlSession::Close() {
  if (FActiveResult) {
    FActiveResult->Detach();
    FActiveResult = nullptr;
  }
  if (!Closed && FNet.Vio()) {
    Closed = true;
    CommandState = csReady;
    try {
      FNet.ResetSequence();
      FNet.NewPacket();
      FNet.WriteByte(COM_QUIT);
      FNet.Send();
    } catch (const EMySqlException&) {
      // A broken connection cannot take the quit command; it closes anyway.
    }
  }
  Closed = true;
  FNet.Clear();
  FNet.CloseVio();
}

void TMySqlSession::StartCommand(uint8_t command, std::string_view payload) {
  if (!FNet.Vio()) throw EMySqlException(mysql_client::CR_SERVER_GONE_ERROR);
  FNet.Vio()->SetTimeout(ReadTimeout);
  if (CommandState != csReady) throw EMySqlException(mysql_client::CR_COMMANDS_OUT_OF_SYNC);
  AffectedRows = 0;
  Info.clear();
  FNet.ResetSequence();
  FNet.NewPacket();
  FNet.WriteByte(command);
  FNet.WriteBytes(payload);
  FNet.Send();
}

void TMySqlSession::ReadResponseHeader() {
  ServerStatus = SERVER_STATUS_AUTOCOMMIT;
  FieldCount = 0;
  FPendingFields.clear();
  std::string_view packet = FNet.ReadPacket();
  while (true) {
    TPacketReader in(packet);
    std::optional<uint64_t> n = in.ReadLengthCoded();
    if (n && *n == 0) {
      ReadOk(packet);
      return;
    }
    if (!n) {
      // Local-file request. The server names a file of its choosing; the
      // client never opens it and answers as for an empty file.
      FNet.SendPayload(std::string_view());
      packet = FNet.ReadPacket();
      continue;
    }
    if (!(ServerStatus & SERVER_STATUS_AUTOCOMMIT)) ServerStatus |= SERVER_STATUS_IN_TRANS;
    if (!in.AtEnd()) in.ReadLengthCoded();  // kept by the protocol, not used here
    ReadColumnDefinitions(*n);
    CommandState = csHeaderRead;
    Warnings = 0;
    return;
  }
}

void TMySqlSession::ReadOk(std::string_view packet) {
  TPacketReader in(packet);
  in.ReadLengthCoded();
  AffectedRows = static_cast<int64_t>(in.ReadLengthCoded().value_or(0));
  InsertId = static_cast<int64_t>(in.ReadLengthCoded().value_or(0));
  if ((Protocol41() || (ServerCapabilities & CLIENT_TRANSACTIONS)) && in.Remaining() >= 2) {
    ServerStatus = in.ReadInt16();
  }
  if (Protocol41() && in.Remaining() >= 2) Warnings = in.ReadInt16();
  Info = std::string(in.ReadRest());
}

void TMySqlSession::ReadEndOfData(std::string_view packet) {
  if (packet.size() >= 3) Warnings = Int16At(packet, 1);
  if (packet.size() >= 5) ServerStatus = Int16At(packet, 3);
}

void TMySqlSession::ReadColumnDefinitions(uint64_t count) {
  // Whole packets kept in memory: every definition is in before the first
  // row is asked for.
  std::vector<std::string> rows;
  while (true) {
    std::string_view packet = FNet.ReadPacket();
    if (IsEndOfData(packet, kEndAmongColumns)) {
      ReadEndOfData(packet);
      break;
    }
    rows.emplace_back(packet);
  }
  if (rows.size() != count) throw EMySqlException(mysql_client::CR_MALFORMED_PACKET);
  FPendingFields.reserve(rows.size());
  for (const std::string& row : rows) FPendingFields.push_back(ParseColumn(row));
  FieldCount = static_cast<int>(FPendingFields.size());
}

TMySqlFieldInfo TMySqlSession::ParseColumn(std::string_view packet) const {
  TPacketReader in(packet);
  TMySqlFieldInfo f;
  if (Protocol41()) {
    in.ReadLengthCodedString();  // catalog
    f.Database = Text(in.ReadLengthCodedString());
    f.Table = Text(in.ReadLengthCodedString());
    f.OrgTable = Text(in.ReadLengthCodedString());
    f.Name = Text(in.ReadLengthCodedString());
    f.OrgName = Text(in.ReadLengthCodedString());
    TPacketReader fixed(in.ReadLengthCodedString().value_or(std::string_view()));
    f.CharsetNr = static_cast<int16_t>(fixed.ReadInt16());
    f.Length = static_cast<int32_t>(fixed.ReadInt32());
    f.Type = fixed.ReadByte();
    f.Flags = fixed.ReadInt16();
    f.Decimals =
        static_cast<int16_t>(fixed.Remaining() >= 2 ? fixed.ReadInt16() : fixed.ReadByte());
  } else {
    f.Table = Text(in.ReadLengthCodedString());
    f.OrgTable = f.Table;
    f.Name = Text(in.ReadLengthCodedString());
    TPacketReader length(in.ReadLengthCodedString().value_or(std::string_view()));
    f.Length = static_cast<int32_t>(length.ReadInt24());
    TPacketReader type(in.ReadLengthCodedString().value_or(std::string_view()));
    f.Type = type.ReadByte();
    TPacketReader flags(in.ReadLengthCodedString().value_or(std::string_view()));
    if (ServerCapabilities & CLIENT_LONG_FLAG) {
      f.Flags = flags.ReadInt16();
    } else {
      f.Flags = flags.ReadByte();
    }
    f.Decimals = flags.ReadByte();
  }
  if (IsNumericColumn(f.Type, f.Length)) f.Flags |= NUM_FLAG;
  return f;
}

std::unique_ptr<TMySqlResultSet> TMySqlSession::UseResult() {
  if (FieldCount == 0) return nullptr;
  if (CommandState != csHeaderRead) {
    throw EMySqlException(mysql_client::CR_COMMANDS_OUT_OF_SYNC,
                          "mysql.status = " + std::to_string(CommandState));
  }
  auto result = std::make_unique<TMySqlResultSet>(*this, std::move(FPendingFields));
  FPendingFields.clear();
  FieldCount = 0;
  CommandState = csReadingRows;
  FActiveResult = result.get();
  return result;
}

int TMySqlSession::NextResult() {
  if (CommandState != csReady) {
    throw EMySqlException(mysql_client::CR_COMMANDS_OUT_OF_SYNC,
                          "mysql.status = " + std::to_string(CommandState));
  }
  AffectedRows = -1;
  if (!MoreResults()) return -1;
  ReadResponseHeader();
  return 0;
}

bool TMySqlSession::ReadRowPacket(std::string_view& packet) {
  packet = FNet.ReadPacket();
  if (!IsEndOfData(packet, kEndAmongRows)) return true;
  ReadEndOfData(packet);
  CommandState = csReady;
  return false;
}

void TMySqlSession::ResultFreed(const TMySqlResultSet& result) {
  if (FActiveResult == &result) FActiveResult = nullptr;
}
