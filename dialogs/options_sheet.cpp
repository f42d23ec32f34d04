#include "dialogs/options_sheet.h"

#include "base/strings.h"
#include "records/settings_store.h"
#include "resource.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstring>
#include <string>

namespace kv {

namespace {

// One page of the sheet: its template, its tab title and the section of
// settings.ini whose keys it shows. Only the general page also carries the
// own autostart and the tray icon.
struct Page {
    int templateId;
    UINT titleId;
    const char* section;
    bool general;
};

const Page kPages[] = {
    {IDD_OPT_GENERAL, IDS_PAGE_GENERAL, "General", true},
    {IDD_OPT_CONFIRM, IDS_PAGE_CONFIRM, "Confirmation", false},
    {IDD_OPT_MONITOR, IDS_PAGE_MONITOR, "Monitoring", false},
};

// The control of the pages that shows each key of settings.ini they carry:
// a check box, or an edit whose spin control runs over the key's limits.
struct KeyControl {
    const char* section;
    const char* key;
    int control;
};

const KeyControl kKeyControls[] = {
    {"General", "ShowIcon", IDC_GEN_SHOW_ICON},
    {"General", "MinimizeToTray", IDC_GEN_MIN_TO_TRAY},
    {"General", "CloseToTray", IDC_GEN_CLOSE_TO_TRAY},
    {"Confirmation", "MultiDel", IDC_CONF_MULTI_DEL},
    {"Confirmation", "SingleDel", IDC_CONF_SINGLE_DEL},
    {"Confirmation", "MultiEdit", IDC_CONF_MULTI_EDIT},
    {"Confirmation", "SingleEdit", IDC_CONF_SINGLE_EDIT},
    {"Confirmation", "MultiRun", IDC_CONF_MULTI_RUN},
    {"Confirmation", "SingleRun", IDC_CONF_SINGLE_RUN},
    {"Confirmation", "MultiOpen", IDC_CONF_MULTI_OPEN},
    {"Confirmation", "SingleOpen", IDC_CONF_SINGLE_OPEN},
    {"Confirmation", "Restore", IDC_CONF_RESTORE},
    {"Monitoring", "NewMon", IDC_MON_NEW},
    {"Monitoring", "OldMon", IDC_MON_OLD},
    {"Monitoring", "Freq", IDC_MON_FREQ},
    {"Monitoring", "KeepOff", IDC_MON_KEEP_OFF},
};

// The control that shows the key; 0 for a key no page shows (the layout).
int ControlOfKey(const SettingKey& key) {
    for (const KeyControl& shown : kKeyControls) {
        if (std::strcmp(shown.section, key.section) == 0 && std::strcmp(shown.key, key.key) == 0) {
            return shown.control;
        }
    }
    return 0;
}

// A check box that can be set only while another one is checked. Its mark
// stays as it is while it is disabled, but what it stands for is off: an
// unchecked "show icon" stores every tray key as 0.
struct EnablingRule {
    int master;
    int dependent;
};

const EnablingRule kEnablingRules[] = {
    {IDC_GEN_AUTOSTART, IDC_GEN_AUTOSTART_MIN},
    {IDC_GEN_SHOW_ICON, IDC_GEN_MIN_TO_TRAY},
    {IDC_GEN_SHOW_ICON, IDC_GEN_CLOSE_TO_TRAY},
};

bool IsChecked(HWND page, int control) {
    return SendDlgItemMessageA(page, control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(HWND page, int control, bool checked) {
    SendDlgItemMessageA(page, control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void ApplyEnablingRules(HWND page) {
    for (const EnablingRule& rule : kEnablingRules) {
        HWND dependent = GetDlgItem(page, rule.dependent);
        if (dependent != nullptr && GetDlgItem(page, rule.master) != nullptr) {
            EnableWindow(dependent, IsChecked(page, rule.master) ? TRUE : FALSE);
        }
    }
}

// False when the control depends on a check box that is unchecked.
bool MasterAllows(HWND page, int control) {
    for (const EnablingRule& rule : kEnablingRules) {
        if (rule.dependent == control && !IsChecked(page, rule.master)) {
            return false;
        }
    }
    return true;
}

// The spin control whose buddy is this window; null for a check box.
HWND SpinOf(HWND page, HWND buddy) {
    for (HWND spin = FindWindowExA(page, nullptr, UPDOWN_CLASSA, nullptr); spin != nullptr;
         spin = FindWindowExA(page, spin, UPDOWN_CLASSA, nullptr)) {
        if (reinterpret_cast<HWND>(SendMessageA(spin, UDM_GETBUDDY, 0, 0)) == buddy) {
            return spin;
        }
    }
    return nullptr;
}

bool IsEdit(HWND window) {
    char className[16] = {};
    GetClassNameA(window, className, static_cast<int>(sizeof(className)));
    return lstrcmpiA(className, "Edit") == 0;
}

// A key shown in an edit gets a spin control over the key's limits, at the
// edit's right edge; the edit shows its position as a number.
void CreateSpinControls(HWND page, const char* section) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(page, GWLP_HINSTANCE));
    for (const SettingKey* key : SectionKeys(section)) {
        const int control = ControlOfKey(*key);
        HWND edit = control != 0 ? GetDlgItem(page, control) : nullptr;
        if (edit == nullptr || !IsEdit(edit)) {
            continue;
        }
        HWND spin = CreateUpDownControl(WS_CHILD | WS_VISIBLE | WS_BORDER | UDS_ALIGNRIGHT |
                                            UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                        0, 0, 0, 0, page, 0, instance, edit, 0, 0, 0);
        // The 32-bit range and position: the key's limits may exceed 16 bits.
        SendMessageA(spin, UDM_SETRANGE32, static_cast<WPARAM>(key->minimum),
                     static_cast<LPARAM>(key->maximum));
        SendMessageA(spin, UDM_SETPOS32, 0, static_cast<LPARAM>(key->minimum));
    }
}

void SetControlValue(HWND page, int control, int value) {
    if (HWND spin = SpinOf(page, GetDlgItem(page, control))) {
        SendMessageA(spin, UDM_SETPOS32, 0, static_cast<LPARAM>(value));
        return;
    }
    // A check box shows on or off; any non-zero value means on.
    SetChecked(page, control, value != 0);
}

int ControlValue(HWND page, int control) {
    if (HWND spin = SpinOf(page, GetDlgItem(page, control))) {
        return static_cast<int>(SendMessageA(spin, UDM_GETPOS32, 0, 0));
    }
    return IsChecked(page, control) ? 1 : 0;
}

// settings.ini -> the page's controls, every key of its section.
void ShowSettingsSection(HWND page, const char* section) {
    for (const SettingKey* key : SectionKeys(section)) {
        const int control = ControlOfKey(*key);
        if (control != 0) {
            SetControlValue(page, control, ReadSetting(*key));
        }
    }
    ApplyEnablingRules(page);
}

// The page's controls -> settings.ini, in table order.
void StoreSettingsSection(HWND page, const char* section) {
    for (const SettingKey* key : SectionKeys(section)) {
        const int control = ControlOfKey(*key);
        if (control != 0) {
            WriteSetting(*key, MasterAllows(page, control) ? ControlValue(page, control) : 0);
        }
    }
}

void ShowOwnAutostart(HWND page, const OwnAutostart& own) {
    SetChecked(page, IDC_GEN_AUTOSTART, own.present);
    if (own.present) {
        SetChecked(page, IDC_GEN_AUTOSTART_MIN, own.minimised);
    }
}

// The request of the sheet that is open.
const OptionsRequest* g_request = nullptr;

void ApplyPage(HWND page, const Page& info) {
    OptionsApplied applied;
    applied.section = info.section;
    applied.general = info.general;
    if (info.general) {
        applied.autostart.present = IsChecked(page, IDC_GEN_AUTOSTART);
        applied.autostart.minimised = IsChecked(page, IDC_GEN_AUTOSTART_MIN);
    }
    StoreSettingsSection(page, info.section);
    if (g_request != nullptr && g_request->applied) {
        g_request->applied(applied);
    }
}

// The sheet while it is open. The tray menu stays usable meanwhile: asking
// for the options again brings this sheet to the front instead of opening a
// second one over it, whose apply would undo the first one's.
HWND g_openSheet = nullptr;

// The sheet open for a request for the owner's lifetime.
class OpenSheet {
  public:
    explicit OpenSheet(const OptionsRequest& request) { g_request = &request; }
    ~OpenSheet() {
        g_request = nullptr;
        g_openSheet = nullptr;
    }
    OpenSheet(const OpenSheet&) = delete;
    OpenSheet& operator=(const OpenSheet&) = delete;
};

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
        const Page* info = reinterpret_cast<const Page*>(sheetPage->lParam);
        g_openSheet = GetParent(page);
        CreateSpinControls(page, info->section);
        if (info->general && g_request != nullptr) {
            ShowOwnAutostart(page, g_request->autostart);
        }
        ShowSettingsSection(page, info->section);
        // Known only from here on: the commands that filling the page sent
        // (the spin writing its edit) were not the user's.
        SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(info));
        return TRUE;
    }
    case WM_COMMAND:
        if (GetWindowLongPtrA(page, DWLP_USER) != 0) {
            SendMessageA(GetParent(page), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
            ApplyEnablingRules(page);
        }
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        const auto* info = reinterpret_cast<const Page*>(GetWindowLongPtrA(page, DWLP_USER));
        if (header->code == PSN_APPLY && info != nullptr) {
            ApplyPage(page, *info);
            SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

} // namespace

bool RunOptionsSheet(const OptionsRequest& request) {
    if (g_request != nullptr) {
        if (g_openSheet != nullptr) {
            SetForegroundWindow(g_openSheet);
        }
        return false;
    }
    HINSTANCE instance = request.instance != nullptr ? request.instance : GetModuleHandleA(nullptr);
    constexpr int pageCount = static_cast<int>(sizeof(kPages) / sizeof(kPages[0]));
    std::string titles[pageCount];
    PROPSHEETPAGEA pages[pageCount] = {};
    for (int i = 0; i < pageCount; ++i) {
        titles[i] = LoadText(kPages[i].titleId);
        pages[i].dwSize = sizeof(PROPSHEETPAGEA);
        pages[i].dwFlags = PSP_USETITLE;
        pages[i].hInstance = instance;
        pages[i].pszTemplate = MAKEINTRESOURCEA(kPages[i].templateId);
        pages[i].pfnDlgProc = PageProc;
        pages[i].pszTitle = titles[i].c_str();
        pages[i].lParam = reinterpret_cast<LPARAM>(&kPages[i]);
    }
    const std::string caption = LoadText(IDS_OPTIONS_CAPTION);
    PROPSHEETHEADERA sheet = {};
    sheet.dwSize = sizeof(PROPSHEETHEADERA);
    sheet.dwFlags = PSH_PROPSHEETPAGE | PSH_NOCONTEXTHELP;
    sheet.hwndParent = request.owner;
    sheet.hInstance = instance;
    sheet.pszCaption = caption.c_str();
    sheet.nPages = static_cast<UINT>(pageCount);
    sheet.nStartPage = 0;
    sheet.ppsp = pages;
    const OpenSheet open(request);
    const INT_PTR result = PropertySheetA(&sheet);
    // Non-zero: something was applied (or the sheet could not be shown).
    return result != 0;
}

} // namespace kv
