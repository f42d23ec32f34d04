// Names and data the system code page cannot carry: a registry value and a
// Startup-folder file go out and come back byte for byte, through disable
// and enable, the change check's put-back and delete; a win.ini item, which
// cannot be handled exactly, is listed and every change to it refused.
#include "base/handles.h"
#include "entries/catalogue.h"
#include "entries/registry.h"
#include "entries/startup_folder.h"
#include "records/disabled_store.h"
#include "shell/frame/app_state.h"
#include "shell/list/entry_list.h"
#include "shell/actions/list_files.h"
#include "shell/list/scan_driver.h"

#include "support/files.h"
#include "support/main_window_fixture.h"
#include "support/message_box_answerer.h"
#include "support/registry_fixture.h"
#include "support/text.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

const std::wstring kValueName = L"Запуск \u65e5\u672c";           // "Запуск ??" in 1251
const std::wstring kValueData = L"C:\\\u00dcbung\\\u65e5.exe /x"; // "C:\?bung\?.exe /x"
const std::wstring kFileName = L"Инструмент \u65e5.exe";          // "Инструмент ?.exe"
const std::wstring kWinIniItem = L"C:\\\u65e5\\a.exe";

std::string ValueTitle() {
    return kvtest::Ansi("Запуск ??");
}

std::string FileTitle() {
    return kvtest::Ansi("Инструмент ?.exe");
}

std::wstring FolderW() {
    return kv::Wide(kv::GetStartupFolderPath(kv::kCurrentUserStartup));
}

// The value's type and bytes as the wide calls give them; empty when gone.
std::string ValueNow() {
    kv::RegKey key;
    DWORD type = REG_NONE;
    std::string bytes;
    if (!key.Open(HKEY_CURRENT_USER, kv::kRunKey, KEY_QUERY_VALUE) ||
        kv::QueryValueWide(key.get(), kValueName, type, bytes) != ERROR_SUCCESS) {
        return std::string();
    }
    return std::to_string(type) + ":" + bytes;
}

// The file's bytes; empty when gone.
std::string FileNow() {
    HANDLE file = CreateFileW((FolderW() + L"\\" + kFileName).c_str(), GENERIC_READ,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::string();
    }
    char buffer[256] = {};
    DWORD got = 0;
    ReadFile(file, buffer, sizeof(buffer), &got, nullptr);
    CloseHandle(file);
    return std::string(buffer, got);
}

class WideNames : public kvtest::MainWindowTest {
  protected:
    void SetUp() override {
        kvtest::MainWindowTest::SetUp();
        const std::string data = kv::BytesOfWide(kValueData + L'\0');
        kv::RegKey key;
        ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, kv::kRunKey, KEY_SET_VALUE));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.get(), kValueName.c_str(), 0, REG_SZ,
                                                reinterpret_cast<const BYTE*>(data.data()),
                                                static_cast<DWORD>(data.size())));
        HANDLE file = CreateFileW((FolderW() + L"\\" + kFileName).c_str(), GENERIC_WRITE, 0,
                                  nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        WriteFile(file, "MZ wide", 7, &written, nullptr);
        CloseHandle(file);
        const std::string line = kv::BytesOfWide(kWinIniItem + L'\0');
        ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, kvtest::kWinIniWindowsKey, KEY_SET_VALUE));
        RegSetValueExW(key.get(), L"run", 0, REG_SZ, reinterpret_cast<const BYTE*>(line.data()),
                       static_cast<DWORD>(line.size()));
    }
    void TearDown() override {
        kv::RegKey key;
        if (key.Open(HKEY_CURRENT_USER, kv::kRunKey, KEY_SET_VALUE)) {
            RegDeleteValueW(key.get(), kValueName.c_str());
        }
        DeleteFileW((FolderW() + L"\\" + kFileName).c_str());
        kvtest::MainWindowTest::TearDown();
    }
};

TEST_F(WideNames, GoAndComeBackByteForByte) {
    const std::string value = ValueNow();
    const std::string file = FileNow();
    ASSERT_FALSE(value.empty());
    ASSERT_EQ("MZ wide", file);
    OpenMainWindow();
    ASSERT_GE(RowWithTitle(ValueTitle()), 0);
    ASSERT_GE(RowWithTitle(FileTitle()), 0);

    // Disable, refresh, enable: the same name and bytes.
    SetBox(ValueTitle(), false);
    SetBox(FileTitle(), false);
    EXPECT_EQ("", ValueNow());
    EXPECT_EQ("", FileNow());
    EXPECT_EQ(2u, kv::ReadDisabledEntries().size());
    kv::ScanDriver();
    SetBox(ValueTitle(), true);
    SetBox(FileTitle(), true);
    EXPECT_EQ(value, ValueNow());
    EXPECT_EQ(file, FileNow());
    EXPECT_TRUE(kv::ReadDisabledEntries().empty());

    // Removed by another program, put back by the check as it was.
    kv::RegKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, kv::kRunKey, KEY_SET_VALUE));
    RegDeleteValueW(key.get(), kValueName.c_str());
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin: старая программа", "", IDYES)
            .Expect("Kelvorin",
                    "С момента последней проверки автозагрузки новых программ добавлено не было.",
                    IDOK);
        SendCommand(IDM_CHECK_CHANGES);
        answerer.WaitAll();
    }
    EXPECT_EQ(value, ValueNow());

    // Deleted exactly, its neighbours untouched.
    WriteSetting("Confirmation", "SingleDel", 0);
    kv::LoadConfirmationSettings(kv::g_app.settings);
    ListView_SetItemState(list(), -1, 0, LVIS_SELECTED);
    ListView_SetItemState(list(), RowWithTitle(ValueTitle()), LVIS_SELECTED, LVIS_SELECTED);
    SendCommand(IDM_DELETE);
    EXPECT_EQ("", ValueNow());
    EXPECT_EQ(file, FileNow());
}

TEST_F(WideNames, AWinIniItemIsListedAndNeverChanged) {
    OpenMainWindow();
    const std::string title = kvtest::Ansi("a.exe");
    int row = -1;
    for (int at = 0; at < kv::RowCount(); ++at) {
        if (kv::RowText(at, kv::kColumnLocation) == kv::kWinIniRunLocation) {
            row = at;
        }
    }
    ASSERT_GE(row, 0);
    const std::string shown = kv::RowText(row, kv::kColumnTitle);
    SetBox(shown, false);
    EXPECT_TRUE(kv::RowBoxSet(RowWithTitle(shown)));
    EXPECT_NE(std::string::npos,
              StatusText(0).find(kvtest::Ansi("нельзя изменить: в его имени или расположении")));
    kv::RegKey key;
    DWORD type = REG_NONE;
    std::string bytes;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, kvtest::kWinIniWindowsKey, KEY_QUERY_VALUE));
    ASSERT_EQ(ERROR_SUCCESS, kv::QueryValueWide(key.get(), L"run", type, bytes));
    EXPECT_EQ(kv::BytesOfWide(kWinIniItem + L'\0'), bytes);
    EXPECT_TRUE(kv::ReadDisabledEntries().empty());
}

// String values of plain data whose names the list cannot show exactly: a
// name outside the code page, and one with a literal "?".
const std::wstring kInexactNames[] = {L"Простой \u65e5", L"Tool?"};
const std::string kPlainData = "plain.exe /p";

class InexactNames : public kvtest::MainWindowTest {
  protected:
    void SetUp() override {
        kvtest::MainWindowTest::SetUp();
        for (const std::wstring& name : kInexactNames) {
            SetPlainValue(name);
        }
    }
    void SetPlainValue(const std::wstring& name) {
        kv::RegKey key;
        ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, kv::kRunKey, KEY_SET_VALUE));
        const std::string data = kv::BytesOfWide(kv::Wide(kPlainData) + L'\0');
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ,
                                                reinterpret_cast<const BYTE*>(data.data()),
                                                static_cast<DWORD>(data.size())));
    }
    static void DeleteValues() {
        kv::RegKey key;
        ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, kv::kRunKey, KEY_SET_VALUE));
        for (const std::wstring& name : kInexactNames) {
            RegDeleteValueW(key.get(), name.c_str());
        }
    }
    // "type:bytes" of each value by its exact name, "" for a missing one.
    static std::vector<std::string> ValuesNow() {
        std::vector<std::string> values;
        kv::RegKey key;
        key.Open(HKEY_CURRENT_USER, kv::kRunKey, KEY_QUERY_VALUE);
        for (const std::wstring& name : kInexactNames) {
            DWORD type = REG_NONE;
            std::string bytes;
            values.push_back(kv::QueryValueWide(key.get(), name, type, bytes) == ERROR_SUCCESS
                                 ? std::to_string(type) + ":" + kv::Narrow(kv::WideOfBytes(bytes))
                                 : std::string());
        }
        return values;
    }
    static std::vector<std::string> Titles() {
        return {kvtest::Ansi("Простой ?"), "Tool?"};
    }
};

// Each road that puts such a value back: enabling it, the change check's
// put-back, and a list restore.
TEST_F(InexactNames, PlainDataComesBackUnderTheExactName) {
    const std::vector<std::string> original = ValuesNow();
    ASSERT_EQ("1:" + kPlainData + '\0', original[0]);
    OpenMainWindow();
    for (const std::string& title : Titles()) {
        ASSERT_GE(RowWithTitle(title), 0) << kvtest::Utf8(title);
        SetBox(title, false);
    }
    EXPECT_EQ(std::vector<std::string>(2), ValuesNow());
    kv::ScanDriver();
    for (const std::string& title : Titles()) {
        SetBox(title, true);
        EXPECT_TRUE(kv::RowBoxSet(RowWithTitle(title))) << kvtest::Utf8(title);
    }
    EXPECT_EQ(original, ValuesNow());
    EXPECT_TRUE(kv::ReadDisabledEntries().empty());

    // Removed by another program, put back by the check.
    DeleteValues();
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin: старая программа", "", IDYES)
            .Expect("Kelvorin: старая программа", "", IDYES)
            .Expect("Kelvorin",
                    "С момента последней проверки автозагрузки новых программ добавлено не было.",
                    IDOK);
        SendCommand(IDM_CHECK_CHANGES);
        answerer.WaitAll();
    }
    EXPECT_EQ(original, ValuesNow());

    // Saved in a list, gone, and brought back by restoring the list.
    kvtest::TempFolder lists{"inexact"};
    kv::g_app.LastListPath = lists / "set.ini";
    SendCommand(IDM_SAVE_LIST);
    DeleteValues();
    kv::ScanDriver();
    ASSERT_TRUE(kv::RestoreListFile(lists / "set.ini"));
    EXPECT_EQ(original, ValuesNow());
    EXPECT_TRUE(kv::ReadDisabledEntries().empty());
}

} // namespace
