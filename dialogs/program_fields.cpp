#include "dialogs/program_fields.h"

#include "entries/catalogue.h"
#include "resource.h"

namespace kv {

namespace {

// A RunOnceEx location string, with its section, stays within 499
// characters: 442 for a section of the 64-bit view's key.
constexpr std::size_t kMaxSectionLocation = 499;

// A shortcut's file name and the folder must fit a path of MAX_PATH (260).
constexpr std::size_t kMaxShortcutPath = 260;

bool IsStartupFolderGroup(int group) {
    return group == kGroupAllUsersStartup || group == kGroupCurrentUserStartup;
}

} // namespace

bool SameFields(const ProgramFields& a, const ProgramFields& b) {
    return a.group == b.group && a.title == b.title && a.path == b.path &&
           a.parameters == b.parameters && (!IsRunOnceExGroup(a.group) || a.section == b.section);
}

unsigned FirstFieldProblem(const ProgramFields& fields, const FieldFacts& facts) {
    const GroupCheck check = GroupItemOf(fields.group).check;
    // An empty field is one with no characters at all; blanks are text.
    switch (check) {
    case GroupCheck::Heading:
        return IDS_ERR_PICK_GROUP;
    case GroupCheck::Titled:
    case GroupCheck::Section:
        if (fields.title.empty()) {
            return IDS_ERR_NO_TITLE;
        }
        if (fields.path.empty()) {
            return IDS_ERR_NO_PATH;
        }
        if (check == GroupCheck::Section) {
            if (fields.section.empty()) {
                return IDS_ERR_NO_SECTION;
            }
            if (LocationForGroupIn(fields.group, fields.section, "", "").size() >
                kMaxSectionLocation) {
                return IDS_ERR_SECTION_TOO_LONG;
            }
            // One subkey of RunOnceEx, as the list reads them.
            if (fields.section.find('\\') != std::string::npos) {
                return IDS_ERR_SECTION_BACKSLASH;
            }
        }
        break;
    case GroupCheck::Untitled:
        if (fields.path.empty()) {
            return IDS_ERR_NO_PATH;
        }
        break;
    }
    if (IsStartupFolderGroup(fields.group)) {
        if (fields.title.size() + facts.startupFolder.size() + 10 > kMaxShortcutPath) {
            return IDS_ERR_TITLE_TOO_LONG;
        }
        if (facts.startupFolder.empty()) {
            return IDS_ERR_NO_STARTUP_FOLDER;
        }
        // The shortcut is made in the folder itself, never beside it.
        if (!IsPlainFileName(fields.title)) {
            return IDS_ERR_TITLE_NOT_FILE;
        }
    }
    // The "run" and "load" lines separate their items by blanks and commas:
    // a program with either in its path (short form) would become several.
    if (check == GroupCheck::Untitled) {
        if (facts.winIniItem.find_first_of(" ,") != std::string::npos) {
            return IDS_ERR_WININI_ITEM;
        }
        if (facts.editingDisabled && !fields.parameters.empty()) {
            return IDS_ERR_WININI_PARAMS;
        }
    }
    return 0;
}

} // namespace kv
