#include "support/files.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace kvtest {

TempFolder::TempFolder(const std::string& prefix) {
    char base[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        path_ = std::string(base) + prefix + "_" + std::to_string(GetCurrentProcessId()) + "_" +
                std::to_string(++counter);
        if (CreateDirectoryA(path_.c_str(), nullptr)) {
            break;
        }
    }
}

TempFolder::~TempFolder() {
    RemovePath(path_);
}

void MakeFile(const std::string& path, const std::string& contents) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    ASSERT_TRUE(file.good()) << path;
    file << contents;
}

void MakeFolder(const std::string& path) {
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        << path;
}

void GrowFile(const std::string& path, unsigned long long size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    const bool grown = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    ASSERT_TRUE(grown) << path;
}

std::string ReadFileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemovePath(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        DeleteFileA(path.c_str());
        return;
    }
    EmptyFolder(path);
    RemoveDirectoryA(path.c_str());
}

bool FolderIsEmpty(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return true;
    }
    bool empty = true;
    do {
        const std::string name = found.cFileName;
        empty = empty && (name == "." || name == "..");
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return empty;
}

void EmptyFolder(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    std::vector<std::string> names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    for (const std::string& name : names) {
        RemovePath(path + "\\" + name);
    }
}

namespace {

std::wstring WidePath(const std::string& path) {
    std::vector<wchar_t> wide(path.size() + 1);
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    return std::wstring(wide.data());
}

} // namespace

HGLOBAL MakeFileDrop(const std::vector<std::string>& paths) {
    std::string files;
    for (const std::string& path : paths) {
        files += path;
        files += '\0';
    }
    files += '\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + files.size());
    DROPFILES* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), files.data(), files.size());
    GlobalUnlock(memory);
    return memory;
}

void MakeShellLink(const std::string& linkPath, const std::string& target,
                   const std::string& arguments) {
    LinkProperties properties;
    properties.target = target;
    properties.arguments = arguments;
    MakeShellLink(linkPath, properties);
}

void MakeShellLink(const std::string& linkPath, const LinkProperties& properties) {
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkA, reinterpret_cast<void**>(&link))));
    link->SetPath(properties.target.c_str());
    link->SetArguments(properties.arguments.c_str());
    if (!properties.workingFolder.empty()) {
        link->SetWorkingDirectory(properties.workingFolder.c_str());
    }
    if (!properties.description.empty()) {
        link->SetDescription(properties.description.c_str());
    }
    if (!properties.iconPath.empty()) {
        link->SetIconLocation(properties.iconPath.c_str(), properties.iconIndex);
    }
    if (properties.hotKey != 0) {
        link->SetHotkey(properties.hotKey);
    }
    IPersistFile* file = nullptr;
    const HRESULT queried = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(queried)) {
        EXPECT_TRUE(SUCCEEDED(file->Save(WidePath(linkPath).c_str(), TRUE))) << linkPath;
        file->Release();
    }
    link->Release();
    CoUninitialize();
    ASSERT_TRUE(SUCCEEDED(queried));
}

LinkProperties ReadShellLink(const std::string& linkPath) {
    LinkProperties properties;
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(WidePath(linkPath).c_str(), STGM_READ))) {
        std::vector<char> text(32768);
        const auto read = [&](HRESULT result) {
            return SUCCEEDED(result) ? std::string(text.data()) : std::string();
        };
        properties.target =
            read(link->GetPath(text.data(), static_cast<int>(text.size()), nullptr, SLGP_RAWPATH));
        properties.arguments = read(link->GetArguments(text.data(), static_cast<int>(text.size())));
        properties.workingFolder =
            read(link->GetWorkingDirectory(text.data(), static_cast<int>(text.size())));
        properties.description =
            read(link->GetDescription(text.data(), static_cast<int>(text.size())));
        properties.iconPath = read(link->GetIconLocation(text.data(), static_cast<int>(text.size()),
                                                         &properties.iconIndex));
        link->GetHotkey(&properties.hotKey);
    }
    if (file != nullptr) {
        file->Release();
    }
    if (link != nullptr) {
        link->Release();
    }
    CoUninitialize();
    return properties;
}

bool operator==(const LinkProperties& a, const LinkProperties& b) {
    return a.target == b.target && a.arguments == b.arguments &&
           a.workingFolder == b.workingFolder && a.description == b.description &&
           a.iconPath == b.iconPath && a.iconIndex == b.iconIndex && a.hotKey == b.hotKey;
}

} // namespace kvtest
