#include "shell/frame/message_boxes.h"

#include "base/strings.h"
#include "shell/frame/app_state.h"

namespace kv {

namespace {

HWND OwnerOr(HWND owner) {
    return owner != nullptr ? owner : g_app.mainWindow;
}

} // namespace

bool Ask(const std::string& question, HWND owner) {
    return MessageBoxA(OwnerOr(owner), question.c_str(), "Kelvorin", MB_YESNO | MB_ICONQUESTION) ==
           IDYES;
}

void Inform(const std::string& text, HWND owner) {
    MessageBoxA(OwnerOr(owner), text.c_str(), "Kelvorin", MB_OK | MB_ICONINFORMATION);
}

void ShowError(const std::string& text, HWND owner, const char* caption) {
    MessageBoxA(OwnerOr(owner), text.c_str(), caption, MB_OK | MB_ICONERROR);
}

bool ConfirmRows(const RowsQuestion& question, std::size_t count, const std::string& oneName) {
    if (count == 1) {
        return question.askOne == 0 || Ask(LoadText(question.oneHead) + oneName + " ?");
    }
    return count == 0 || question.askMany == 0 ||
           Ask(LoadText(question.manyHead) + std::to_string(count) + " " +
               LoadText(question.manyTail));
}

} // namespace kv
