#include "dialogs/options_sheet.h"

#include "entries/location_dispatch.h"
#include "entries/location_writers.h"
#include "entries/registry.h"
#include "records/settings_store.h"
#include "shell/app_state.h"
#include "shell/outcome_report.h"
#include "shell/scan_driver.h"
#include "shell/strings.h"
#include "shell/tray.h"
#include "resource.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>

namespace kv {

namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunLocation[] = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The program's own startup value, and the switch that starts it hidden.
const char kOwnValueName[] = "Kelvorin";
const char kMinimisedSwitch[] = "/m";

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
        HWND edit = key->control != 0 ? GetDlgItem(page, key->control) : nullptr;
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
        if (key->control != 0) {
            SetControlValue(page, key->control, ReadSetting(*key));
        }
    }
    ApplyEnablingRules(page);
}

// The page's controls -> settings.ini, in table order.
void StoreSettingsSection(HWND page, const char* section) {
    for (const SettingKey* key : SectionKeys(section)) {
        if (key->control != 0) {
            WriteSetting(*key,
                         MasterAllows(page, key->control) ? ControlValue(page, key->control) : 0);
        }
    }
}

struct OwnAutostart {
    bool present = false;
    bool minimised = false;
};

// Only a REG_SZ value of exactly the own name (letter case included) is the
// program's own; any other spelling or type belongs to someone else.
OwnAutostart ReadOwnAutostart() {
    OwnAutostart own;
    RegKey key;
    if (!key.Open(HKEY_CURRENT_USER, kRunKey, KEY_QUERY_VALUE)) {
        return own;
    }
    RegValue value;
    for (DWORD index = 0; EnumValueAt(key.get(), index, value) == ERROR_SUCCESS; ++index) {
        if (value.type != REG_SZ || value.name != kOwnValueName) {
            continue;
        }
        own.present = true;
        const std::string text = value.data.substr(0, value.data.find('\0'));
        own.minimised = text.find(kMinimisedSwitch) != std::string::npos;
    }
    return own;
}

void ShowOwnAutostart(HWND page) {
    const OwnAutostart own = ReadOwnAutostart();
    SetChecked(page, IDC_GEN_AUTOSTART, own.present);
    if (own.present) {
        SetChecked(page, IDC_GEN_AUTOSTART_MIN, own.minimised);
    }
}

// Writes or deletes the own startup value. It names the program file itself
// by its full path, so that it still starts the program when the logon runs
// it from another current folder.
void StoreOwnAutostart(HWND page) {
    LocationOutcome outcome;
    if (IsChecked(page, IDC_GEN_AUTOSTART)) {
        const std::string arguments =
            IsChecked(page, IDC_GEN_AUTOSTART_MIN) ? kMinimisedSwitch : "";
        outcome = AddRegistryValue("HKCU", kRunKey, kOwnValueName, ProgramFilePath(), arguments);
    } else {
        outcome = RemoveEntry(kOwnValueName, "", kRunLocation);
    }
    ReportOutcome(outcome);
}

// The tray icon follows ShowIcon at once. A main window without an icon must
// not stay hidden: nothing could bring it back.
void FollowTraySetting() {
    if (g_app.settings.ShowIcon != 0) {
        AddTrayIcon();
    } else {
        RemoveTrayIcon();
    }
    if (!g_app.trayIconAdded && g_app.mainWindow != nullptr) {
        ShowWindow(g_app.mainWindow, SW_SHOW);
    }
}

void ApplyPage(HWND page, const Page& info) {
    if (info.general) {
        StoreOwnAutostart(page);
    }
    StoreSettingsSection(page, info.section);
    LoadSettingsSection(info.section, g_app.settings);
    if (info.general) {
        FollowTraySetting();
        // In place of what the writer or remover said.
        g_app.PendingStatusText = LoadText(IDS_SETTINGS_SAVED);
    }
}

// The sheet while it is open. The tray menu stays usable meanwhile: asking
// for the options again brings this sheet to the front instead of opening a
// second one over it, whose apply would undo the first one's.
bool g_sheetOpen = false;
HWND g_openSheet = nullptr;

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
        const Page* info = reinterpret_cast<const Page*>(sheetPage->lParam);
        g_openSheet = GetParent(page);
        CreateSpinControls(page, info->section);
        if (info->general) {
            ShowOwnAutostart(page);
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

void OptionsSheet() {
    if (g_sheetOpen) {
        if (g_openSheet != nullptr) {
            SetForegroundWindow(g_openSheet);
        }
        return;
    }
    HINSTANCE instance = g_app.instance != nullptr ? g_app.instance : GetModuleHandleA(nullptr);
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
    sheet.hwndParent = g_app.mainWindow;
    sheet.hInstance = instance;
    sheet.pszCaption = caption.c_str();
    sheet.nPages = static_cast<UINT>(pageCount);
    sheet.nStartPage = 0;
    sheet.ppsp = pages;
    g_sheetOpen = true;
    const INT_PTR result = PropertySheetA(&sheet);
    g_sheetOpen = false;
    g_openSheet = nullptr;
    // Non-zero: something was applied (or the sheet could not be shown).
    if (result != 0) {
        ScanDriver();
    }
}

} // namespace kv
