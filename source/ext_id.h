// MakeExtId: the external object number the target platform knows an object
// by, computed from the Halvex object id. Pure, callable from any thread.
#pragma once

#include <cstdint>

// Below 10000 the decimal digits of the id are read as a hexadecimal number
// (10 gives 16, 1234 gives 4660); from 10000 on the result is id - 10000
// (10016 gives 16). An id whose digits cannot be read so (a negative id)
// gives 0.
int32_t MakeExtId(int32_t id);
