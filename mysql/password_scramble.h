// The login answers to a server's scramble: the 4.1 token, the pre-4.1
// (3.23) scramble and the reply of the 24-byte two-step exchange. Pure
// functions over raw bytes; callable from any thread.
#pragma once

#include <string>
#include <string_view>

#include "mysql/sha1.h"

// SHA1(scramble + SHA1(SHA1(password))) XOR SHA1(password); `scramble` is 20 bytes.
TSha1Digest Scramble41(std::string_view password, std::string_view scramble);

// The 8 scrambled characters and a terminating zero byte, from the first 8
// bytes of `scramble`.
std::string ScrambleOld(std::string_view password, std::string_view scramble);

// Answer to a 24-byte reply R of an early 4.1 server. Stores the new
// 20-byte scramble and returns the bytes to send.
std::string TwoStepAnswer(std::string_view reply, std::string_view password,
                          std::string& new_scramble);
