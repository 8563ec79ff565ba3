// What a check run says beyond a real run's lines: documents that are not
// well-formed JSON, objects that share an external number. Pure; any thread.
#pragma once

#include <string>
#include <vector>

#include "source/object_data.h"

// Empty when `document` (Windows-1251), converted to UTF-8, is well-formed
// JSON; otherwise the JSON parser's message.
std::string JsonFault(const std::string& document);

// One report line per external number that more than one object has, in
// the order the numbers are first met: the objects' ids and the number.
std::vector<std::string> SharedExtIdLines(const TObjectList& objects);
