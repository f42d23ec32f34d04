// Registry access shared by the readers, writers and removers: an owning key
// handle, and value and subkey enumeration that reads names and data of any
// length safely.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>

namespace kv {

// "HKCU" (exactly) selects HKEY_CURRENT_USER; any other root name HKEY_LOCAL_MACHINE.
HKEY RootKeyFromName(const std::string& rootName);

// An open registry key, closed when the object goes.
class RegKey {
  public:
    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    RegKey(RegKey&& other) noexcept
        : key_(other.key_), error_(other.error_), shared_(other.shared_) {
        other.key_ = nullptr;
    }
    RegKey& operator=(RegKey&& other) noexcept;

    // RegOpenKeyExA; false (and nothing open) on failure. A key below
    // HKEY_LOCAL_MACHINE is opened in the 64-bit view in both builds.
    bool Open(HKEY root, const std::string& path, REGSAM access);
    // RegCreateKeyExA: a non-volatile key with default security, in the
    // 64-bit view below HKEY_LOCAL_MACHINE.
    bool Create(HKEY root, const std::string& path, REGSAM access);
    void Close();

    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }
    // Why the last Open or Create failed: the registry's error code
    // (ERROR_ACCESS_DENIED for a write refused), ERROR_SUCCESS after success.
    LONG error() const { return error_; }

  private:
    HKEY key_ = nullptr;
    LONG error_ = ERROR_SUCCESS;
    bool shared_ = false; // the key is a SharedKeysScope's, which closes it
};

// Many values read or changed in a row: while an object of this type lives,
// a RegKey opened or created on this thread for a root, path and access that
// one before it in the scope had gets the key that one opened, and the scope
// closes them all when it ends. A key that could not be opened is asked for
// again. One scope is in force at a time: one started while another is, on
// any thread, is ignored.
class SharedKeysScope {
  public:
    SharedKeysScope();
    ~SharedKeysScope();
    SharedKeysScope(const SharedKeysScope&) = delete;
    SharedKeysScope& operator=(const SharedKeysScope&) = delete;

    // The keys' names: root, access and path.
    struct Name {
        HKEY root;
        REGSAM access;
        std::string path;
        bool operator<(const Name& other) const {
            if (root != other.root) {
                return root < other.root;
            }
            return access != other.access ? access < other.access : path < other.path;
        }
    };

  private:
    std::map<Name, HKEY> keys_;
    bool active_ = false;
};

struct RegValue {
    std::string name; // in the system code page: "?" for a character it lacks
    DWORD type = REG_NONE;
    // The bytes as the system code page's calls give them: string data in
    // the code page, other data raw.
    std::string data;
    // The exact name and bytes, as the wide calls give them; and whether the
    // code page carries them whole (a name with a real "?" counts as not).
    std::wstring wideName;
    std::string wideData;
    bool nameExact = true;
    bool dataExact = true;
};

// True for the types whose data is text (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ).
bool IsStringValueType(DWORD type);

// String data as the wide calls give it, in the system code page (other
// data as it is); true when nothing was lost.
bool NarrowValueData(DWORD type, const std::string& wideData, std::string& data);

// Reads the value at `index`, growing the buffers as far as the value needs.
// Returns ERROR_SUCCESS, ERROR_NO_MORE_ITEMS or another registry error.
LONG EnumValueAt(HKEY key, DWORD index, RegValue& value);

// Reads one value by name (the unnamed one for an empty name): its type and
// its bytes, however many. Returns ERROR_SUCCESS or the registry's error.
LONG QueryValue(HKEY key, const std::string& name, DWORD& type, std::string& bytes);
// The same through the wide calls: the exact name, and the bytes as they give them.
LONG QueryValueWide(HKEY key, const std::wstring& name, DWORD& type, std::string& bytes);

// Reads the name of the subkey at `index`, of any length.
LONG EnumSubkeyAt(HKEY key, DWORD index, std::string& name);

// Every value of the key, in the registry's order, until `each` returns
// false. A value whose name is longer than the registry allows is passed
// over; any other error ends the walk.
void ForEachValue(HKEY key, const std::function<bool(const RegValue&)>& each);

// Every subkey name of the key, in the registry's order, by the same rules.
void ForEachSubkey(HKEY key, const std::function<void(const std::string&)>& each);

// String data as text: up to the first zero byte, or all of it when it has none.
std::string DataAsText(const std::string& data);

} // namespace kv
