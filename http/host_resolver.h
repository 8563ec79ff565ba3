// Host names to IPv4 addresses for the session's connect: the loopback name
// without a look-up, dotted-decimal addresses as they are, other names
// through the platform's resolver. Callable from any thread.
#pragma once

#include <netinet/in.h>

#include <string>

// Raises EIdSocketError (11001 "Host not found." for an unknown name).
in_addr ResolveHost(const std::string& host);

// True for four dot-separated decimal numbers, each 0 to 255.
bool IsDottedQuad(const std::string& host);
