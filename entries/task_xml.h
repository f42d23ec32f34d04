// A scheduled task's definition, as the Task Scheduler hands it out (XML in
// UTF-16), read into what the list needs: its logon and boot triggers, its
// program actions and whether the task is enabled. Pure text work: nothing
// of the platform is called, so every rule is tested on plain strings.
#pragma once

#include <string>
#include <vector>

namespace kv {

enum class TaskTriggerKind { Logon, Boot };

struct TaskTrigger {
    TaskTriggerKind kind = TaskTriggerKind::Logon;
    bool enabled = true; // <Enabled>, true when absent
    std::wstring delay;  // <Delay> as written ("PT30S"), empty when absent
    std::wstring userId; // <UserId> (logon triggers), empty when absent
};

// An <Exec> action: a program to start.
struct TaskExec {
    std::wstring command;
    std::wstring arguments;
    std::wstring workingDirectory;
};

struct TaskDefinition {
    // False when the text is no well-formed XML document, or its root is not
    // a <Task>; nothing else is then filled in.
    bool wellFormed = false;
    std::vector<TaskTrigger> triggers; // logon and boot triggers only, in order
    std::vector<TaskExec> execs;       // in order; other kinds of action are left out
    bool enabled = true;               // <Settings><Enabled>, true when absent
};

// Reads a task definition. Element and attribute names are taken without
// their namespace prefixes; the values are trimmed of surrounding blanks
// and line breaks.
TaskDefinition ParseTaskXml(const std::wstring& xml);

// True when the task starts a program at logon or boot: an enabled logon or
// boot trigger and at least one program action.
bool StartsProgramAtLogonOrBoot(const TaskDefinition& task);

} // namespace kv
