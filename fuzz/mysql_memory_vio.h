// An in-memory transport for the MySQL fuzz targets: the sessions of the
// process read a server's bytes from memory and their writes are counted,
// not sent, so one input plays in microseconds. Two ways to give the bytes:
// raw (headers included, exactly as a server would send them), or as
// payloads, each of which gets a header whose sequence number follows the
// client's last packet, so that the bytes reach the parsers behind the
// framing instead of failing the sequence check.
//
// One thread. Install() once; Play*() before each connect.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mysqlfuzz {

// Makes every session of the process use the in-memory transport.
void Install();
// The next session to connect reads `bytes` as they stand.
void PlayRaw(std::string bytes);
// The next session to connect reads these payloads, one packet each.
void PlayPayloads(std::vector<std::string> payloads);
// Payloads or bytes the live session has not read yet.
bool Unread();

// Splits fuzz input into payloads at each "~|~".
std::vector<std::string> SplitPayloads(std::string_view input);
constexpr std::string_view kPayloadSeparator = "~|~";

// Payloads of a server's connection phase: a protocol-10 greeting (4.1 or
// 4.0 layout) and the OK packet of a login.
std::string GreetingPayload(bool protocol41);
std::string OkPayload();

}  // namespace mysqlfuzz
