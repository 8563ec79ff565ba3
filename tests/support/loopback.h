// Loopback sockets for tests, benchmarks and fuzz targets: a socket bound
// to 127.0.0.1 at a port the system picks, listening or not, and a port on
// which nobody listens.
#pragma once

namespace testsupport {

// A TCP socket bound to 127.0.0.1 at a free port, written to `port`, and
// listening with `backlog` when it is above 0. The caller owns the
// descriptor. Raises std::runtime_error when the socket cannot be had.
int BindLoopback(int& port, int backlog = 0);

// A loopback port that refuses connections: bound once and released.
int ClosedLoopbackPort();

}  // namespace testsupport
