// The closing summary of a run: its report lines in order. Pure; callable
// from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// `failed` is the list of objects not exported as TRunTally::FailedList
// gives it; it is shown as it is.
std::vector<std::string> SummaryLines(int32_t total, int32_t exported, const std::string& failed,
                                      const std::vector<std::string>& warnings);
