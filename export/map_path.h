// Route-map paths: the `MapFile` text is a Windows path as the Halvex
// operators entered it, stored JSON-escaped (doubled backslashes, "\/" for
// "/"). This is how such a text reaches the local file system.
// Pure, callable from any thread.
#pragma once

#include <string>

// Every backslash and slash is a separator and a run of separators counts as
// one; a leading drive letter "X:" becomes the folder "X" under the current
// directory ("D:\\maps\\a.png" is looked up as "D/maps/a.png"); a path
// without drive letter is relative to the current directory unless it
// starts with a separator.
std::string MapFileSystemPath(const std::string& map_file);

// The file-name part as the upload names it: the text after the last
// backslash or colon, unchanged.
std::string MapFileName(const std::string& map_file);
