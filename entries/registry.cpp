#include "entries/registry.h"

#include "base/handles.h"
#include "base/test_seams.h"

#include <atomic>
#include <utility>
#include <vector>

namespace kv {

namespace {

bool g_writesBlocked = false;

bool Refused(REGSAM access) {
    return g_writesBlocked && (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0;
}

// The thread whose SharedKeysScope is in force (0: none), and that scope's
// keys, which only that thread uses. Only one scope is in force at a time:
// the first to start; the others, on any thread, share nothing.
std::atomic<DWORD> g_sharedOwner{0};
std::map<SharedKeysScope::Name, HKEY>* g_sharedKeys = nullptr;

// The scope's key last asked for: a bulk change asks for one key many times
// over, and comparing with it costs no copy of the path.
const std::pair<const SharedKeysScope::Name, HKEY>* g_lastShared = nullptr;

// The keys of the scope in force on this thread, or null.
std::map<SharedKeysScope::Name, HKEY>* SharedKeysOfThisThread() {
    return g_sharedOwner.load(std::memory_order_acquire) == GetCurrentThreadId() ? g_sharedKeys
                                                                                 : nullptr;
}

// The scope's key for these, or null.
HKEY SharedKey(HKEY root, const std::string& path, REGSAM access) {
    std::map<SharedKeysScope::Name, HKEY>* keys = SharedKeysOfThisThread();
    if (keys == nullptr) {
        return nullptr;
    }
    if (g_lastShared != nullptr && g_lastShared->first.root == root &&
        g_lastShared->first.access == access && g_lastShared->first.path == path) {
        return g_lastShared->second;
    }
    const auto found = keys->find(SharedKeysScope::Name{root, access, path});
    if (found == keys->end()) {
        return nullptr;
    }
    g_lastShared = &*found;
    return found->second;
}

// True when a scope took the newly opened key to close it itself.
bool TakeShared(HKEY root, const std::string& path, REGSAM access, HKEY key) {
    std::map<SharedKeysScope::Name, HKEY>* keys = SharedKeysOfThisThread();
    if (keys == nullptr) {
        return false;
    }
    (*keys)[SharedKeysScope::Name{root, access, path}] = key;
    return true;
}

// Every key below HKLM is named as the 64-bit view names it, in both builds:
// a 32-bit program's opens would otherwise be redirected into Wow6432Node.
REGSAM InView(HKEY root, REGSAM access) {
    return root == HKEY_LOCAL_MACHINE ? access | KEY_WOW64_64KEY : access;
}

} // namespace

void SetRegistryWritesBlockedForTests(bool blocked) {
    g_writesBlocked = blocked;
}

HKEY RootKeyFromName(const std::string& rootName) {
    return rootName == "HKCU" ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

RegKey& RegKey::operator=(RegKey&& other) noexcept {
    if (this != &other) {
        Close();
        key_ = other.key_;
        error_ = other.error_;
        shared_ = other.shared_;
        other.key_ = nullptr;
    }
    return *this;
}

SharedKeysScope::SharedKeysScope() {
    DWORD none = 0;
    if (g_sharedOwner.compare_exchange_strong(none, GetCurrentThreadId(),
                                              std::memory_order_acq_rel)) {
        // Only this thread reads these while it owns the scope.
        g_sharedKeys = &keys_;
        g_lastShared = nullptr;
        active_ = true;
    }
}

SharedKeysScope::~SharedKeysScope() {
    if (!active_) {
        return;
    }
    g_sharedKeys = nullptr;
    g_lastShared = nullptr;
    g_sharedOwner.store(0, std::memory_order_release);
    for (const auto& key : keys_) {
        RegCloseKey(key.second);
    }
}

bool RegKey::Open(HKEY root, const std::string& path, REGSAM access) {
    Close();
    error_ = ERROR_SUCCESS;
    if (Refused(access)) {
        error_ = ERROR_ACCESS_DENIED;
        return false;
    }
    HKEY key = SharedKey(root, path, access);
    if (key != nullptr) {
        key_ = key;
        shared_ = true;
        return true;
    }
    error_ = RegOpenKeyExA(root, path.c_str(), 0, InView(root, access), &key);
    if (error_ != ERROR_SUCCESS) {
        return false;
    }
    key_ = key;
    shared_ = TakeShared(root, path, access, key);
    return true;
}

bool RegKey::Create(HKEY root, const std::string& path, REGSAM access) {
    Close();
    error_ = ERROR_SUCCESS;
    if (Refused(access)) {
        error_ = ERROR_ACCESS_DENIED;
        return false;
    }
    HKEY key = SharedKey(root, path, access);
    if (key != nullptr) {
        key_ = key;
        shared_ = true;
        return true;
    }
    error_ = RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             InView(root, access), nullptr, &key, nullptr);
    if (error_ != ERROR_SUCCESS) {
        return false;
    }
    key_ = key;
    shared_ = TakeShared(root, path, access, key);
    return true;
}

void RegKey::Close() {
    if (key_ != nullptr && !shared_) {
        RegCloseKey(key_);
    }
    key_ = nullptr;
    shared_ = false;
}

namespace {

// Value and key names are at most 16383 characters; data has no such limit.
constexpr DWORD kLongestName = 32768;

} // namespace

bool IsStringValueType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

bool NarrowValueData(DWORD type, const std::string& wideData, std::string& data) {
    if (!IsStringValueType(type)) {
        data = wideData;
        return true;
    }
    const bool even = wideData.size() % 2 == 0;
    return NarrowExactly(WideOfBytes(wideData), data) && even;
}

namespace {

// Buffers for a key's value names and data, as long as the longest the key
// reports (a fallback when it reports none).
struct ValueBuffers {
    std::vector<wchar_t> name;
    std::vector<BYTE> data;
};

ValueBuffers BuffersFor(HKEY key) {
    DWORD nameLength = 0;
    DWORD dataLength = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &nameLength, &dataLength, nullptr, nullptr) != ERROR_SUCCESS) {
        nameLength = 256;
        dataLength = 1024;
    }
    ValueBuffers buffers;
    buffers.name.resize(static_cast<std::size_t>(nameLength) + 1);
    buffers.data.resize(static_cast<std::size_t>(dataLength) + 2);
    return buffers;
}

LONG EnumValueInto(HKEY key, DWORD index, ValueBuffers& buffers, RegValue& value) {
    std::vector<wchar_t>& name = buffers.name;
    std::vector<BYTE>& data = buffers.data;
    for (;;) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        const LONG status = RegEnumValueW(key, index, name.data(), &nameSize, nullptr, &type,
                                          data.data(), &dataSize);
        if (status == ERROR_MORE_DATA) {
            // Either buffer may be short: the value may have grown since the
            // key was asked, and name lengths are not always reported back.
            if (name.size() < kLongestName) {
                name.resize(name.size() * 2);
            }
            const std::size_t wanted = static_cast<std::size_t>(dataSize) + 2;
            data.resize(wanted > data.size() * 2 ? wanted : data.size() * 2);
            continue;
        }
        if (status != ERROR_SUCCESS) {
            return status;
        }
        value.wideName.assign(name.data(), nameSize);
        value.type = type;
        value.wideData.assign(reinterpret_cast<const char*>(data.data()), dataSize);
        value.nameExact =
            NarrowExactly(value.wideName, value.name) && value.name.find('?') == std::string::npos;
        value.dataExact = NarrowValueData(type, value.wideData, value.data);
        return ERROR_SUCCESS;
    }
}

} // namespace

LONG EnumValueAt(HKEY key, DWORD index, RegValue& value) {
    ValueBuffers buffers = BuffersFor(key);
    return EnumValueInto(key, index, buffers, value);
}

namespace {

// A value's bytes by a query that tells, when the buffer is short, how much
// it needs.
template <typename Query> LONG QueryBytes(Query query, DWORD& type, std::string& bytes) {
    std::vector<BYTE> data(256);
    for (;;) {
        DWORD size = static_cast<DWORD>(data.size());
        const LONG status = query(&type, data.data(), &size);
        if (status == ERROR_MORE_DATA) {
            data.resize(static_cast<std::size_t>(size) > data.size() ? size : data.size() * 2);
            continue;
        }
        if (status == ERROR_SUCCESS) {
            bytes.assign(reinterpret_cast<const char*>(data.data()), size);
        }
        return status;
    }
}

} // namespace

LONG QueryValue(HKEY key, const std::string& name, DWORD& type, std::string& bytes) {
    return QueryBytes(
        [&](DWORD* kind, BYTE* data, DWORD* size) {
            return RegQueryValueExA(key, name.c_str(), nullptr, kind, data, size);
        },
        type, bytes);
}

LONG QueryValueWide(HKEY key, const std::wstring& name, DWORD& type, std::string& bytes) {
    return QueryBytes(
        [&](DWORD* kind, BYTE* data, DWORD* size) {
            return RegQueryValueExW(key, name.c_str(), nullptr, kind, data, size);
        },
        type, bytes);
}

LONG EnumSubkeyAt(HKEY key, DWORD index, std::string& name) {
    DWORD longest = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &longest, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        longest = 256;
    }
    std::vector<char> buffer(static_cast<std::size_t>(longest) + 1);
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        const LONG status =
            RegEnumKeyExA(key, index, buffer.data(), &size, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA && buffer.size() < kLongestName) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status == ERROR_SUCCESS) {
            name.assign(buffer.data(), size);
        }
        return status;
    }
}

void ForEachValue(HKEY key, const std::function<bool(const RegValue&)>& each) {
    // The key is asked for its longest name and data once: asking costs as
    // much as the key has values, so asking for each value would cost their
    // number squared. A value that outgrows the buffers grows them.
    ValueBuffers buffers = BuffersFor(key);
    RegValue value;
    for (DWORD index = 0;; ++index) {
        const LONG status = EnumValueInto(key, index, buffers, value);
        if (status == ERROR_MORE_DATA) {
            continue;
        }
        if (status != ERROR_SUCCESS || !each(value)) {
            return;
        }
    }
}

void ForEachSubkey(HKEY key, const std::function<void(const std::string&)>& each) {
    std::string name;
    for (DWORD index = 0;; ++index) {
        const LONG status = EnumSubkeyAt(key, index, name);
        if (status == ERROR_MORE_DATA) {
            continue;
        }
        if (status != ERROR_SUCCESS) {
            return;
        }
        each(name);
    }
}

std::string DataAsText(const std::string& data) {
    const std::string::size_type zero = data.find('\0');
    return zero == std::string::npos ? data : data.substr(0, zero);
}

} // namespace kv
