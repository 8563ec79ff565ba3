// The operator's object list ("5, 10-20, $1F") turned into the SQL filter
// suffix of the object query. Pure functions, callable from any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The items between separators, each trimmed (codes up to 32 removed), in
// order and with duplicates. An item ended by a separator is kept even when
// empty; the text after the last separator is kept only when it is not empty
// before trimming.
std::vector<std::string> SplitList(std::string_view text, char separator);

// One SQL condition on `id` for one item: "`id` = n" for a number, or
// "(`id` >= a) and (`id` <= b)" for a range "a-b" (split at its first "-",
// no swap). Numbers follow the system's text-to-integer rule; an item that is
// not valid gives an empty text.
std::string FilterCondition(std::string_view item);

// " and (" + the bracketed conditions of the valid items joined with " or " +
// ")", or an empty text when no item is valid.
std::string BuildFilter(std::string_view object_list);

// The items that select nothing because they are not valid, in order
// (empty items left out).
std::vector<std::string> IgnoredItems(std::string_view object_list);

// True when the list is not blank yet holds no valid item: such a list
// must be refused, not taken for "every object".
bool ObjectListRefused(std::string_view object_list);
