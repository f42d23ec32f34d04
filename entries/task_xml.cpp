#include "entries/task_xml.h"

#include <cstddef>
#include <initializer_list>
#include <set>

namespace kv {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

bool IsNameStart(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_' || c == L':' ||
           c >= 0x80;
}

bool IsNameChar(wchar_t c) {
    return IsNameStart(c) || (c >= L'0' && c <= L'9') || c == L'-' || c == L'.';
}

// The name without its namespace prefix.
std::wstring LocalName(const std::wstring& name) {
    const std::size_t colon = name.rfind(L':');
    return colon == std::wstring::npos ? name : name.substr(colon + 1);
}

std::wstring Trimmed(const std::wstring& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsBlank(text[first])) {
        ++first;
    }
    while (last > first && IsBlank(text[last - 1])) {
        --last;
    }
    return text.substr(first, last - first);
}

// An XML boolean; anything else leaves `value` as it was.
void ReadBoolean(const std::wstring& text, bool& value) {
    const std::wstring word = Trimmed(text);
    if (word == L"true" || word == L"1") {
        value = true;
    } else if (word == L"false" || word == L"0") {
        value = false;
    }
}

// Appends a character given by its code point as UTF-16.
void AppendCodePoint(std::wstring& to, unsigned long code) {
    if (code < 0x10000) {
        to += static_cast<wchar_t>(code);
        return;
    }
    code -= 0x10000;
    to += static_cast<wchar_t>(0xD800 + (code >> 10));
    to += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
}

bool IsXmlCharacter(unsigned long code) {
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

// Walks the document once, without recursion (so no nesting depth can
// exhaust the stack), and fills the definition as the elements close.
class TaskXmlParser {
  public:
    explicit TaskXmlParser(const std::wstring& text) : s_(text) {}

    TaskDefinition Run() {
        task_.wellFormed = Document() && rootIsTask_;
        if (!task_.wellFormed) {
            return TaskDefinition();
        }
        return std::move(task_);
    }

  private:
    bool AtText(const wchar_t* literal) const {
        return s_.compare(pos_, Length(literal), literal) == 0;
    }
    static std::size_t Length(const wchar_t* literal) {
        return std::char_traits<wchar_t>::length(literal);
    }
    bool Skip(const wchar_t* literal) {
        if (!AtText(literal)) {
            return false;
        }
        pos_ += Length(literal);
        return true;
    }
    bool SkipBlanks() {
        const std::size_t start = pos_;
        while (pos_ < s_.size() && IsBlank(s_[pos_])) {
            ++pos_;
        }
        return pos_ != start;
    }

    bool Document() {
        if (pos_ < s_.size() && s_[pos_] == 0xFEFF) {
            ++pos_;
        }
        if (!Misc()) {
            return false;
        }
        if (pos_ >= s_.size() || s_[pos_] != L'<') {
            return false;
        }
        if (!Content()) {
            return false;
        }
        return Misc() && pos_ == s_.size();
    }

    // Blanks, comments and processing instructions, before or after the
    // root. A document type declaration is refused: its entities could not
    // be honoured, and no task definition has one.
    bool Misc() {
        for (;;) {
            SkipBlanks();
            if (AtText(L"<!--")) {
                if (!Comment()) {
                    return false;
                }
            } else if (AtText(L"<?")) {
                if (!Instruction()) {
                    return false;
                }
            } else if (AtText(L"<!")) {
                return false;
            } else {
                return true;
            }
        }
    }

    bool Comment() {
        pos_ += 4;
        const std::size_t end = s_.find(L"--", pos_);
        if (end == std::wstring::npos || end + 2 >= s_.size() || s_[end + 2] != L'>') {
            return false; // unterminated, or "--" inside the comment
        }
        pos_ = end + 3;
        return true;
    }

    bool Instruction() {
        pos_ += 2;
        std::wstring target;
        if (!Name(target)) {
            return false;
        }
        const std::size_t end = s_.find(L"?>", pos_);
        if (end == std::wstring::npos) {
            return false;
        }
        pos_ = end + 2;
        return true;
    }

    bool Name(std::wstring& name) {
        const std::size_t start = pos_;
        if (pos_ >= s_.size() || !IsNameStart(s_[pos_])) {
            return false;
        }
        while (pos_ < s_.size() && IsNameChar(s_[pos_])) {
            ++pos_;
        }
        name.assign(s_, start, pos_ - start);
        return true;
    }

    // A reference after its "&": appends the character it stands for.
    bool Reference(std::wstring& to) {
        ++pos_;
        if (Skip(L"#")) {
            const bool hex = Skip(L"x");
            unsigned long code = 0;
            std::size_t digits = 0;
            for (; pos_ < s_.size() && s_[pos_] != L';'; ++pos_, ++digits) {
                const wchar_t c = s_[pos_];
                unsigned long digit = 0;
                if (c >= L'0' && c <= L'9') {
                    digit = static_cast<unsigned long>(c - L'0');
                } else if (hex && c >= L'a' && c <= L'f') {
                    digit = static_cast<unsigned long>(c - L'a' + 10);
                } else if (hex && c >= L'A' && c <= L'F') {
                    digit = static_cast<unsigned long>(c - L'A' + 10);
                } else {
                    return false;
                }
                code = code * (hex ? 16 : 10) + digit;
                if (code > 0x10FFFF) {
                    return false;
                }
            }
            if (digits == 0 || !Skip(L";") || !IsXmlCharacter(code)) {
                return false;
            }
            AppendCodePoint(to, code);
            return true;
        }
        static const struct {
            const wchar_t* name;
            wchar_t character;
        } kEntities[] = {
            {L"lt;", L'<'}, {L"gt;", L'>'}, {L"amp;", L'&'}, {L"quot;", L'"'}, {L"apos;", L'\''}};
        for (const auto& entity : kEntities) {
            if (Skip(entity.name)) {
                to += entity.character;
                return true;
            }
        }
        return false;
    }

    // The root element and everything in it.
    bool Content() {
        std::vector<std::wstring> open; // qualified names of the open elements
        do {
            if (pos_ >= s_.size()) {
                return false;
            }
            if (AtText(L"</")) {
                pos_ += 2;
                std::wstring name;
                if (!Name(name) || name != open.back()) {
                    return false;
                }
                SkipBlanks();
                if (!Skip(L">")) {
                    return false;
                }
                open.pop_back();
                Closed();
            } else if (AtText(L"<!--")) {
                if (!Comment()) {
                    return false;
                }
            } else if (Skip(L"<![CDATA[")) {
                const std::size_t end = s_.find(L"]]>", pos_);
                if (end == std::wstring::npos) {
                    return false;
                }
                text_.append(s_, pos_, end - pos_);
                pos_ = end + 3;
            } else if (AtText(L"<?")) {
                if (!Instruction()) {
                    return false;
                }
            } else if (AtText(L"<!")) {
                return false;
            } else if (Skip(L"<")) {
                std::wstring name;
                bool empty = false;
                if (!StartTag(name, empty)) {
                    return false;
                }
                Opened(LocalName(name));
                if (empty) {
                    Closed();
                } else {
                    open.push_back(name);
                }
            } else if (s_[pos_] == L'&') {
                if (!Reference(text_)) {
                    return false;
                }
            } else {
                if (AtText(L"]]>")) {
                    return false;
                }
                text_ += s_[pos_++];
            }
        } while (!open.empty());
        return true;
    }

    // The rest of a start tag after its "<".
    bool StartTag(std::wstring& name, bool& empty) {
        if (!Name(name)) {
            return false;
        }
        std::set<std::wstring> seen;
        for (;;) {
            const bool blank = SkipBlanks();
            if (Skip(L"/>")) {
                empty = true;
                return true;
            }
            if (Skip(L">")) {
                return true;
            }
            std::wstring attribute;
            if (!blank || !Name(attribute) || !seen.insert(attribute).second) {
                return false;
            }
            SkipBlanks();
            if (!Skip(L"=")) {
                return false;
            }
            SkipBlanks();
            if (pos_ >= s_.size() || (s_[pos_] != L'"' && s_[pos_] != L'\'')) {
                return false;
            }
            const wchar_t quote = s_[pos_++];
            std::wstring value; // attributes say nothing the list needs; read to check them
            for (;;) {
                if (pos_ >= s_.size() || s_[pos_] == L'<') {
                    return false;
                }
                if (s_[pos_] == quote) {
                    ++pos_;
                    break;
                }
                if (s_[pos_] == L'&') {
                    if (!Reference(value)) {
                        return false;
                    }
                } else {
                    value += s_[pos_++];
                }
            }
        }
    }

    // The path of the open elements (local names) is exactly this.
    bool PathIs(std::initializer_list<const wchar_t*> names) const {
        if (path_.size() != names.size()) {
            return false;
        }
        std::size_t i = 0;
        for (const wchar_t* name : names) {
            if (path_[i++] != name) {
                return false;
            }
        }
        return true;
    }

    void Opened(const std::wstring& local) {
        if (path_.empty()) {
            rootIsTask_ = local == L"Task";
        }
        path_.push_back(local);
        text_.clear();
        if (PathIs({L"Task", L"Triggers", L"LogonTrigger"})) {
            task_.triggers.push_back(TaskTrigger());
            inTrigger_ = true;
        } else if (PathIs({L"Task", L"Triggers", L"BootTrigger"})) {
            task_.triggers.push_back(TaskTrigger());
            task_.triggers.back().kind = TaskTriggerKind::Boot;
            inTrigger_ = true;
        } else if (PathIs({L"Task", L"Actions", L"Exec"})) {
            task_.execs.push_back(TaskExec());
            inExec_ = true;
        }
    }

    void Closed() {
        const std::wstring value = Trimmed(text_);
        text_.clear();
        if (path_.size() == 4 && path_[1] == L"Triggers" && inTrigger_) {
            TaskTrigger& trigger = task_.triggers.back();
            if (path_[3] == L"Enabled") {
                ReadBoolean(value, trigger.enabled);
            } else if (path_[3] == L"Delay") {
                trigger.delay = value;
            } else if (path_[3] == L"UserId") {
                trigger.userId = value;
            }
        } else if (path_.size() == 4 && path_[1] == L"Actions" && inExec_) {
            TaskExec& exec = task_.execs.back();
            if (path_[3] == L"Command") {
                exec.command = value;
            } else if (path_[3] == L"Arguments") {
                exec.arguments = value;
            } else if (path_[3] == L"WorkingDirectory") {
                exec.workingDirectory = value;
            }
        } else if (PathIs({L"Task", L"Settings", L"Enabled"})) {
            ReadBoolean(value, task_.enabled);
        } else if (path_.size() == 3) {
            inTrigger_ = false;
            inExec_ = false;
        }
        path_.pop_back();
    }

    const std::wstring& s_;
    std::size_t pos_ = 0;
    std::vector<std::wstring> path_; // local names of the open elements
    std::wstring text_;              // the text since the last tag
    bool rootIsTask_ = false;
    bool inTrigger_ = false; // inside a logon or boot trigger
    bool inExec_ = false;    // inside an Exec action
    TaskDefinition task_;
};

} // namespace

TaskDefinition ParseTaskXml(const std::wstring& xml) {
    return TaskXmlParser(xml).Run();
}

bool StartsProgramAtLogonOrBoot(const TaskDefinition& task) {
    if (!task.wellFormed || task.execs.empty()) {
        return false;
    }
    for (const TaskTrigger& trigger : task.triggers) {
        if (trigger.enabled) {
            return true;
        }
    }
    return false;
}

} // namespace kv
