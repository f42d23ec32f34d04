#include "entries/catalogue.h"
#include "shell/frame/app_state.h"
#include "shell/actions/entry_actions.h"
#include "shell/list/entry_list.h"
#include "shell/app/main_window.h"
#include "shell/list/row_icons.h"
#include "shell/list/scan_driver.h"
#include "shell/frame/toolbar.h"

#include "support/main_window_fixture.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <commctrl.h>

using kvtest::Ansi;
using kvtest::SetValue;

namespace {

class EntryListWindow : public kvtest::MainWindowTest {
  protected:
    // The header image of a column: -1 when none is shown.
    int HeaderImage(int column) {
        HDITEMA item{};
        item.mask = HDI_FORMAT | HDI_IMAGE;
        SendMessageA(header(), HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
        return (item.fmt & HDF_IMAGE) != 0 ? item.iImage : -1;
    }
    std::vector<std::string> Column(int column) {
        std::vector<std::string> texts;
        for (int row = 0; row < kv::RowCount(); ++row) {
            texts.push_back(kv::RowText(row, column));
        }
        return texts;
    }
    std::string CountText(int total, int disabled, int selected) {
        return Ansi("Всего программ: ") + std::to_string(total) + Ansi(" (отключено: ") +
               std::to_string(disabled) + Ansi(", выделено: ") + std::to_string(selected) + ")";
    }
};

constexpr int kDescending = 0; // image indexes of the sort-marker list
constexpr int kAscending = 1;

TEST_F(EntryListWindow, ColumnsAndStyles) {
    OpenMainWindow();
    const char* headings[4] = {"Заголовок", "Команда", "Статус", "Расположение"};
    const int widths[4] = {167, 280, 85, 308};
    for (int column = 0; column < 4; ++column) {
        char text[64] = {};
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        col.pszText = text;
        col.cchTextMax = sizeof(text);
        ASSERT_TRUE(SendMessageA(list(), LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&col)));
        EXPECT_EQ(Ansi(headings[column]), text);
        EXPECT_EQ(widths[column], col.cx);
        EXPECT_TRUE(col.fmt & LVCFMT_BITMAP_ON_RIGHT);
    }
    const DWORD extended =
        static_cast<DWORD>(SendMessageA(list(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    for (DWORD style : {LVS_EX_GRIDLINES, LVS_EX_CHECKBOXES, LVS_EX_HEADERDRAGDROP,
                        LVS_EX_FULLROWSELECT, LVS_EX_LABELTIP}) {
        EXPECT_TRUE(extended & style) << std::hex << style;
    }
    const LONG_PTR style = GetWindowLongPtrA(list(), GWL_STYLE);
    EXPECT_EQ(LVS_REPORT, style & LVS_TYPEMASK);
    EXPECT_TRUE(style & LVS_SHAREIMAGELISTS);
    EXPECT_TRUE(GetWindowLongPtrA(list(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    char className[32] = {};
    GetClassNameA(window(), className, sizeof(className));
    EXPECT_STREQ("Arrow", className);
    char title[32] = {};
    GetWindowTextA(window(), title, sizeof(title));
    EXPECT_STREQ("Kelvorin", title);
}

TEST_F(EntryListWindow, LayoutLeavesTheStatusBarBelowTheList) {
    OpenMainWindow();
    kv::LayoutMainWindow(800, 500);
    RECT rect{};
    GetWindowRect(kv::g_app.statusBar, &rect);
    MapWindowPoints(nullptr, window(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(480, rect.top);
    EXPECT_EQ(20, rect.bottom - rect.top);
    EXPECT_EQ(800, rect.right - rect.left);
    GetWindowRect(list(), &rect);
    MapWindowPoints(nullptr, window(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(kv::RebarHeight(), rect.top); // the tool bar's rebar sits above it
    EXPECT_EQ(480, rect.bottom);
    int parts[2] = {};
    ASSERT_EQ(2,
              SendMessageA(kv::g_app.statusBar, SB_GETPARTS, 2, reinterpret_cast<LPARAM>(parts)));
    // The right part is as wide as the count text needs, and never narrower
    // than 270.
    EXPECT_EQ(800 - kv::CountPartWidth(StatusText(1)), parts[0]);
    EXPECT_LE(parts[0], 530);
    EXPECT_EQ(800, parts[1]);
}

TEST_F(EntryListWindow, FirstScanSortsByTitleDescendingWithItsMarker) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "beta", "b.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Zulu", "z.exe");
    SetValue(HKEY_LOCAL_MACHINE, kv::kRunKey, "alpha", "a.exe");
    SetValue(HKEY_LOCAL_MACHINE, kv::kRunOnceKey, Ansi("Яндекс"), "y.exe");
    OpenMainWindow();
    EXPECT_EQ((std::vector<std::string>{Ansi("Яндекс"), "beta", "alpha", "Zulu"}), Titles());
    EXPECT_EQ(kDescending, HeaderImage(0));
    EXPECT_EQ(-1, HeaderImage(1));
    EXPECT_EQ(-1, HeaderImage(2));
    EXPECT_EQ(-1, HeaderImage(3));
    for (int row = 0; row < 4; ++row) {
        EXPECT_TRUE(kv::RowChecked(row)) << row;
        EXPECT_EQ(Ansi("Остановлено"), kv::RowText(row, kv::kColumnStatus));
    }
    EXPECT_EQ(CountText(4, 0, 0), StatusText(1));
    // A first start has no snapshot to compare with yet.
    EXPECT_EQ(Ansi("Файл report.ini не существует"), StatusText(0));

    // The first click on the title header sorts ascending, the next descending.
    ClickColumnHeader(0);
    EXPECT_EQ((std::vector<std::string>{"Zulu", "alpha", "beta", Ansi("Яндекс")}), Titles());
    EXPECT_EQ(kAscending, HeaderImage(0));
    ClickColumnHeader(0);
    EXPECT_EQ((std::vector<std::string>{Ansi("Яндекс"), "beta", "alpha", "Zulu"}), Titles());
    EXPECT_EQ(kDescending, HeaderImage(0));

    // Another column: ascending first, and the marker moves there.
    ClickColumnHeader(1);
    EXPECT_EQ((std::vector<std::string>{"a.exe", "b.exe", "y.exe", "z.exe"}),
              Column(kv::kColumnCommand));
    EXPECT_EQ(-1, HeaderImage(0));
    EXPECT_EQ(kAscending, HeaderImage(1));

    // A refresh keeps the column and the direction of the last sort.
    kv::ScanDriver();
    EXPECT_EQ((std::vector<std::string>{"a.exe", "b.exe", "y.exe", "z.exe"}),
              Column(kv::kColumnCommand));
    EXPECT_EQ(kAscending, HeaderImage(1));
    ClickColumnHeader(1);
    EXPECT_EQ((std::vector<std::string>{"z.exe", "y.exe", "b.exe", "a.exe"}),
              Column(kv::kColumnCommand));
}

TEST_F(EntryListWindow, TiesKeepTheExchangeOrderAndRowsKeepTheirState) {
    OpenMainWindow();
    // Added on top one after another, so the list reads r0, r1, r2.
    kv::AddEntryRow("r2", "a", "L2", 0);
    kv::AddEntryRow("r1", "a", "L1", 0);
    kv::AddEntryRow("r0", "b", "L0", 0);
    ASSERT_EQ((std::vector<std::string>{"r0", "r1", "r2"}), Titles());
    EXPECT_TRUE(kv::RowUnchecked(0)); // a new row is unchecked
    // r1 checked and selected; its state must follow it through the sort.
    kv::g_app.ListBusy = true;
    kv::SetRowBox(1, true);
    ListView_SetItemState(list(), 1, LVIS_SELECTED, LVIS_SELECTED);
    kv::g_app.ListBusy = false;
    kv::UpdateCountText();
    kv::g_app.sortColumn = 1;
    kv::SortEntryList(1);
    EXPECT_EQ((std::vector<std::string>{"r1", "r2", "r0"}), Titles());
    EXPECT_TRUE(kv::RowChecked(0));
    EXPECT_TRUE(kv::RowSelected(0));
    EXPECT_TRUE(kv::RowUnchecked(1));
    EXPECT_FALSE(kv::RowSelected(1));
    EXPECT_EQ("L1", kv::RowText(0, kv::kColumnLocation));
    EXPECT_EQ(CountText(3, 2, 1), StatusText(1));
}

TEST_F(EntryListWindow, LongTextsSurviveSorting) {
    const std::string title(5000, 'T');
    const std::string command = "C:\\" + std::string(12000, 'c') + ".exe /x";
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, title, command);
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "short", "s.exe");
    OpenMainWindow();
    ClickColumnHeader(1);
    ClickColumnHeader(0);
    ASSERT_EQ(2, kv::RowCount());
    const kv::StartupEntry row = kv::ReadRow(0);
    EXPECT_EQ(title, row.title);
    EXPECT_EQ(command, row.command);
    EXPECT_EQ("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", row.location);
}

TEST_F(EntryListWindow, CheckAndSelectAllRowsAndTheCountText) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "one", "1.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "two", "2.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunOnceKey, "three", "3.exe");
    OpenMainWindow();
    kv::SelectAllRows();
    EXPECT_EQ(3, kv::SelectedCount());
    EXPECT_EQ(CountText(3, 0, 3), StatusText(1));
    kv::UncheckAllRows();
    for (int row = 0; row < 3; ++row) {
        EXPECT_TRUE(kv::RowUnchecked(row));
    }
    kv::UpdateCountText();
    EXPECT_EQ(CountText(3, 3, 3), StatusText(1));
    kv::CheckAllRows();
    kv::UpdateCountText();
    EXPECT_EQ(CountText(3, 0, 3), StatusText(1));
}

TEST_F(EntryListWindow, ProgressTextsAndTheMessageForAMissingKey) {
    OpenMainWindow();
    kvtest::DeleteKeyTree(HKEY_LOCAL_MACHINE, kv::kRunServicesOnceKey);
    kvtest::StatusBarRecorder recorder;
    recorder.Start();
    kv::g_app.PendingStatusText = "left by a writer";
    kv::ScanDriver();
    recorder.Stop();
    const std::vector<std::string>& texts = recorder.texts();
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(Ansi("Сканирую реестр, ждите ..."), texts.front());
    const std::string missing =
        Ansi("Kelvorin не может получить доступ к системному ключю реестра - ") +
        "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce";
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), missing));
    // The pending result replaces the help text once, and is then gone.
    EXPECT_EQ(Ansi("Для справки нажмите F1"), texts[texts.size() - 2]);
    EXPECT_EQ("left by a writer", texts.back());
    EXPECT_TRUE(kv::g_app.PendingStatusText.empty());
    kv::ScanDriver();
    EXPECT_EQ(Ansi("Для справки нажмите F1"), StatusText(0));
}

TEST_F(EntryListWindow, RowIcons) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "empty", "");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "missing", "C:\\no\\such\\file.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "windows", "C:\\windows");
    OpenMainWindow();
    const int drive = kv::FileIconIndex("C:\\");
    EXPECT_EQ(drive, kv::FileIconIndex("C:\\no\\such\\file.exe"));
    for (int row = 0; row < kv::RowCount(); ++row) {
        const kv::StartupEntry entry = kv::ReadRow(row);
        if (entry.title == "empty") {
            EXPECT_EQ(0, entry.icon);
        } else if (entry.title == "missing") {
            EXPECT_EQ(drive, entry.icon);
        } else {
            EXPECT_EQ(kv::FileIconIndex("C:\\windows"), entry.icon);
        }
    }
}

} // namespace
