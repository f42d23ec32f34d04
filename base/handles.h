// Owners of platform handles, each closed when its owner goes, and the one
// conversion to the wide text that COM and the shell link object take.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <string>

namespace kv {

// A handle closed with CloseHandle: files, processes, snapshots. Both null
// and INVALID_HANDLE_VALUE mean "none".
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.handle_) {
        other.handle_ = nullptr;
    }
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.handle_);
            other.handle_ = nullptr;
        }
        return *this;
    }

    void Reset(HANDLE handle = nullptr) {
        if (valid()) {
            CloseHandle(handle_);
        }
        handle_ = handle;
    }
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return valid(); }

  private:
    HANDLE handle_ = nullptr;
};

// A file search: FindFirstFile on the pattern, closed with FindClose; by
// the code page's calls (FindHandle) or the wide ones (FindHandleWide).
template <typename Char, typename Data, HANDLE(WINAPI* First)(const Char*, Data*),
          BOOL(WINAPI* NextOf)(HANDLE, Data*)>
class BasicFindHandle {
  public:
    BasicFindHandle(const std::basic_string<Char>& pattern, Data& found)
        : handle_(First(pattern.c_str(), &found)) {}
    ~BasicFindHandle() {
        if (valid()) {
            FindClose(handle_);
        }
    }
    BasicFindHandle(const BasicFindHandle&) = delete;
    BasicFindHandle& operator=(const BasicFindHandle&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Next(Data& found) { return valid() && NextOf(handle_, &found) != FALSE; }

  private:
    HANDLE handle_;
};

using FindHandle = BasicFindHandle<char, WIN32_FIND_DATAA, &FindFirstFileA, &FindNextFileA>;
using FindHandleWide =
    BasicFindHandle<wchar_t, WIN32_FIND_DATAW, &FindFirstFileW, &FindNextFileW>;

// One handle of a kind that `Close` frees (a menu, an icon, a GDI object, an
// image list), freed when its owner goes.
template <typename Handle, typename Param, BOOL(WINAPI* Close)(Param)> class UniqueOwner {
  public:
    UniqueOwner() = default;
    explicit UniqueOwner(Handle handle) : handle_(handle) {}
    ~UniqueOwner() { Reset(); }
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;
    UniqueOwner(UniqueOwner&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        if (this != &other) {
            Reset(other.handle_);
            other.handle_ = nullptr;
        }
        return *this;
    }

    void Reset(Handle handle = nullptr) {
        if (handle_ != nullptr) {
            Close(handle_);
        }
        handle_ = handle;
    }
    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

  private:
    Handle handle_ = nullptr;
};

using UniqueMenu = UniqueOwner<HMENU, HMENU, &DestroyMenu>;
using UniqueIcon = UniqueOwner<HICON, HICON, &DestroyIcon>;
using UniqueFont = UniqueOwner<HFONT, HGDIOBJ, &DeleteObject>;
using UniqueImageList = UniqueOwner<HIMAGELIST, HIMAGELIST, &ImageList_Destroy>;

// An object selected into a device context; the one it replaced is selected
// back when the owner goes.
class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ object)
        : dc_(dc), previous_(object != nullptr ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (previous_ != nullptr) {
            SelectObject(dc_, previous_);
        }
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// COM on the calling thread for the owner's lifetime, single-threaded
// unless `mode` says otherwise. A thread that already runs COM in another
// mode keeps it and is not uninitialised here.
class ComScope {
  public:
    explicit ComScope(DWORD mode = COINIT_APARTMENTTHREADED)
        : initialised_(SUCCEEDED(CoInitializeEx(nullptr, mode))) {}
    ~ComScope() {
        if (initialised_) {
            CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    bool initialised_;
};

// One COM interface pointer, released when the owner goes.
template <typename T> class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    void Reset() {
        if (pointer_ != nullptr) {
            pointer_->Release();
            pointer_ = nullptr;
        }
    }
    // For the calls that hand out a new pointer: what was held is released.
    void** Out() {
        Reset();
        return reinterpret_cast<void**>(&pointer_);
    }
    T* operator->() const { return pointer_; }
    T* get() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

  private:
    T* pointer_ = nullptr;
};

// Text of the system code page as UTF-16; empty when it cannot be converted.
std::wstring Wide(const std::string& text);
// The UTF-16 text in the system code page.
std::string Narrow(const std::wstring& wide);
// Narrow, and true only when the text carries every character: a character
// the code page lacks comes out as "?" and the answer is false.
bool NarrowExactly(const std::wstring& wide, std::string& text);
// UTF-16 text as its little-endian bytes (as the registry's wide calls give
// string data), and back; an odd last byte is dropped.
std::wstring WideOfBytes(const std::string& bytes);
std::string BytesOfWide(const std::wstring& wide);

} // namespace kv
