// The startup tasks of the packaged apps installed for the current user:
// every installed package's manifest read for its startup tasks, and each
// task's state key for whether Windows starts it. Reading and switching one
// task are ReadPackagedTaskNow and SwitchPackagedTask (task_switch.h).
#pragma once

#include "entries/startup_entry.h"

#include <string>
#include <vector>

namespace kv {

struct PackagedTaskScan {
    std::vector<StartupEntry> rows;
    // The full names of the packages whose manifest is missing, too large or
    // not readable XML: they give no rows.
    std::vector<std::string> unreadable;
};

// One row per startup task, packages in the registry's order and tasks in
// their manifest's. A manifest is parsed again only when its file changed
// (its time of last write or its size) since it was last parsed.
PackagedTaskScan ScanPackagedTasks();

// The package family name of a package full name
// (Name_Version_Architecture_ResourceId_PublisherId): "Name_PublisherId";
// empty when the text is no full name.
std::wstring PackageFamilyOf(const std::wstring& fullName);

} // namespace kv
