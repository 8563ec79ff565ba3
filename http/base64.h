// Base64 encoding with the RFC 4648 alphabet, "=" padding and no line breaks.
#pragma once

#include <string>
#include <string_view>

std::string EncodeBase64(std::string_view bytes);
