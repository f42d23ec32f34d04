#include "entries/app_manifest.h"

#include "base/handles.h"

#include <windows.h>
#include <objbase.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <cwchar>

namespace kv {

namespace {

const wchar_t* const kFoundationNamespace =
    L"http://schemas.microsoft.com/appx/manifest/foundation/windows10";
const wchar_t* const kFoundationNamespace2010 = L"http://schemas.microsoft.com/appx/2010/manifest";
const wchar_t* const kDesktopNamespace =
    L"http://schemas.microsoft.com/appx/manifest/desktop/windows10";
const wchar_t* const kUap5Namespace = L"http://schemas.microsoft.com/appx/manifest/uap/windows10/5";
const wchar_t* const kUap10Namespace =
    L"http://schemas.microsoft.com/appx/manifest/uap/windows10/10";

// IXmlReader's interface id, spelled out: no import library carries it.
const IID kXmlReaderId = {
    0x7279fc81, 0x709d, 0x4095, {0xb6, 0x3d, 0x69, 0xfe, 0x4b, 0x0d, 0x90, 0x30}};

// Deeper nesting than any manifest has is taken for a damaged file.
constexpr LONG_PTR kDeepestElement = 64;

using CreateXmlReaderFunction = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// The XML reader's factory, from xmllite.dll loaded on first use and kept:
// the program links no import library of it.
CreateXmlReaderFunction XmlReaderFactory() {
    static const CreateXmlReaderFunction factory = []() -> CreateXmlReaderFunction {
        HMODULE module = LoadLibraryW(L"xmllite.dll");
        if (module == nullptr) {
            return nullptr;
        }
        return reinterpret_cast<CreateXmlReaderFunction>(GetProcAddress(module, "CreateXmlReader"));
    }();
    return factory;
}

bool Same(const wchar_t* text, UINT length, const wchar_t* expected) {
    return std::wcslen(expected) == length && std::wcsncmp(text, expected, length) == 0;
}

// The current node's name: its namespace and local name.
struct NodeName {
    const wchar_t* space = L"";
    UINT spaceLength = 0;
    const wchar_t* local = L"";
    UINT localLength = 0;

    bool Is(const wchar_t* expectedSpace, const wchar_t* expectedLocal) const {
        return Same(space, spaceLength, expectedSpace) && Same(local, localLength, expectedLocal);
    }
    bool InSpace(const std::wstring& expectedSpace) const {
        return Same(space, spaceLength, expectedSpace.c_str());
    }
};

bool ReadName(IXmlReader* reader, NodeName& name) {
    return SUCCEEDED(reader->GetNamespaceUri(&name.space, &name.spaceLength)) &&
           SUCCEEDED(reader->GetLocalName(&name.local, &name.localLength));
}

// The attributes of the current element that the manifest's elements use,
// each by namespace (empty for none) and local name.
struct WantedAttribute {
    const wchar_t* space;
    const wchar_t* local;
    std::wstring* value;
    bool* present;
};

bool ReadAttributes(IXmlReader* reader, const WantedAttribute* wanted, std::size_t count) {
    for (HRESULT at = reader->MoveToFirstAttribute(); at == S_OK;
         at = reader->MoveToNextAttribute()) {
        NodeName name;
        if (!ReadName(reader, name)) {
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            if (name.Is(wanted[i].space, wanted[i].local)) {
                const wchar_t* value = L"";
                UINT length = 0;
                if (FAILED(reader->GetValue(&value, &length))) {
                    return false;
                }
                wanted[i].value->assign(value, length);
                if (wanted[i].present != nullptr) {
                    *wanted[i].present = true;
                }
            }
        }
    }
    return SUCCEEDED(reader->MoveToElement());
}

// What the walk through the elements keeps between them.
struct Walk {
    AppManifest manifest;
    LONG_PTR depth = 0; // of the element being read
    std::wstring applicationExecutable;
    LONG_PTR extensionDepth = -1;  // of the startup Extension being read, -1 outside one
    std::wstring extensionSpace;   // its namespace, which its StartupTask shares
    ManifestStartupTask extension; // its executable and parameters
};

bool ReadElement(IXmlReader* reader, Walk& walk) {
    NodeName name;
    if (!ReadName(reader, name)) {
        return false;
    }
    if (walk.depth == 1 && (name.Is(kFoundationNamespace, L"Identity") ||
                            name.Is(kFoundationNamespace2010, L"Identity"))) {
        const WantedAttribute wanted[] = {{L"", L"Name", &walk.manifest.identityName, nullptr}};
        return ReadAttributes(reader, wanted, 1);
    }
    if (name.Is(kFoundationNamespace, L"Application") ||
        name.Is(kFoundationNamespace2010, L"Application")) {
        walk.applicationExecutable.clear();
        const WantedAttribute wanted[] = {
            {L"", L"Executable", &walk.applicationExecutable, nullptr}};
        return ReadAttributes(reader, wanted, 1);
    }
    if (name.Is(kDesktopNamespace, L"Extension") || name.Is(kUap5Namespace, L"Extension")) {
        std::wstring category;
        ManifestStartupTask extension;
        bool hasExecutable = false;
        const WantedAttribute wanted[] = {
            {L"", L"Category", &category, nullptr},
            {L"", L"Executable", &extension.executable, &hasExecutable},
            {kUap10Namespace, L"Parameters", &extension.parameters, nullptr},
        };
        if (!ReadAttributes(reader, wanted, 3)) {
            return false;
        }
        if (category == L"windows.startupTask") {
            if (!hasExecutable) {
                extension.executable = walk.applicationExecutable;
            }
            walk.extension = extension;
            walk.extensionDepth = walk.depth;
            walk.extensionSpace.assign(name.space, name.spaceLength);
        }
        return true;
    }
    if (walk.extensionDepth >= 0 && walk.depth == walk.extensionDepth + 1 &&
        name.InSpace(walk.extensionSpace) && Same(name.local, name.localLength, L"StartupTask")) {
        ManifestStartupTask task = walk.extension;
        std::wstring enabled;
        const WantedAttribute wanted[] = {
            {L"", L"TaskId", &task.taskId, nullptr},
            {L"", L"Enabled", &enabled, nullptr},
            {L"", L"DisplayName", &task.displayName, nullptr},
        };
        if (!ReadAttributes(reader, wanted, 3)) {
            return false;
        }
        // An xs:boolean: "true" or "1".
        task.enabled = enabled == L"true" || enabled == L"1";
        if (!task.taskId.empty()) {
            walk.manifest.tasks.push_back(task);
        }
    }
    return true;
}

// Walks every node; false when the XML is not one well-formed document.
// Every node takes at least one byte of the text: a reader that gives more
// nodes than that is going round at a damaged end (some readers report the
// same node again and again there instead of an error).
bool WalkElements(IXmlReader* reader, Walk& walk, std::size_t size) {
    XmlNodeType type = XmlNodeType_None;
    bool root = false;
    for (std::size_t nodes = 0;; ++nodes) {
        const HRESULT read = reader->Read(&type);
        if (read == S_FALSE) {
            return root && walk.depth == 0;
        }
        if (read != S_OK || nodes > size) {
            return false;
        }
        if (type == XmlNodeType_Element) {
            root = true;
            // IsEmptyElement answers for the element only before its
            // attributes are visited.
            const bool empty = reader->IsEmptyElement() != FALSE;
            if (!ReadElement(reader, walk)) {
                return false;
            }
            if (!empty) {
                if (++walk.depth > kDeepestElement) {
                    return false;
                }
            } else if (walk.extensionDepth == walk.depth) {
                walk.extensionDepth = -1;
            }
        } else if (type == XmlNodeType_EndElement) {
            --walk.depth;
            if (walk.depth == walk.extensionDepth) {
                walk.extensionDepth = -1;
            }
        }
    }
}

} // namespace

AppManifest ParseAppManifest(const std::string& bytes) {
    AppManifest none;
    const CreateXmlReaderFunction factory = XmlReaderFactory();
    if (bytes.size() > kManifestSizeCap || factory == nullptr) {
        return none;
    }
    ComPtr<IStream> stream;
    *stream.Out() = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                      static_cast<UINT>(bytes.size()));
    ComPtr<IXmlReader> reader;
    if (!stream || FAILED(factory(kXmlReaderId, reader.Out(), nullptr)) || !reader ||
        FAILED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit)) ||
        FAILED(reader->SetInput(stream.get()))) {
        return none;
    }
    Walk walk;
    if (!WalkElements(reader.get(), walk, bytes.size())) {
        return none;
    }
    walk.manifest.readable = true;
    return walk.manifest;
}

} // namespace kv
