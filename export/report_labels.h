// Report-line labels that the run writes and the run-log reader looks for
// again, kept in one place so that the two cannot drift apart. Windows-1251;
// any thread.
#pragma once

#include <string>

// Before the error's message when a request to the target failed.
const std::string& LostConnectionLabel();
// Before the route-map path when its upload starts.
const std::string& SendingFileLabel();
// Before the route-map path when its file is not there.
const std::string& MissingFileLabel();
// Near the start of a resumed run, before the name of the log it resumes.
const std::string& ResumedFromLabel();
// Before "Id/ExtId (№ N)" when a resumed run takes up object number N.
const std::string& ResumedObjectLabel();
// The name of the objects group every exported object joins.
const std::string& ObjectsGroupName();
