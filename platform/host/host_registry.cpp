// An in-memory HKEY_LOCAL_MACHINE. Key and value names compare without regard
// to case, as in the real registry.
#include <map>
#include <memory>
#include <set>

#include "platform/host/host_internal.h"
#include "platform/host/host_machine.h"
#include "platform/registry.h"

namespace {

struct Value {
    uint32_t type;
    std::string bytes;
};
struct Key {
    std::map<std::u16string, Value> values;  // by lower-case name
};
struct OpenKey {
    std::u16string path;
    bool writable;
};

struct Registry {
    std::map<std::u16string, Key> keys;  // by lower-case path
    std::set<OpenKey*> open;
    int valueWrites = 0;
    bool writesDenied = false;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

std::u16string Lower(const std::u16string& text) {
    std::u16string result = text;
    for (char16_t& c : result) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    }
    return result;
}

OpenKey* AsOpenKey(RegistryKey key) {
    OpenKey* open = reinterpret_cast<OpenKey*>(key);
    return TheRegistry().open.count(open) != 0 ? open : nullptr;
}

}  // namespace

void HostResetRegistry() {
    Registry& registry = TheRegistry();
    for (OpenKey* key : registry.open) delete key;
    registry = Registry();
}

void HostRegSetBytes(const std::u16string& subkey, const std::u16string& name, uint32_t type,
                     const std::string& bytes) {
    TheRegistry().keys[Lower(subkey)].values[Lower(name)] = Value{type, bytes};
}

void HostRegSetString(const std::u16string& subkey, const std::u16string& name, const std::u16string& value) {
    std::u16string withNul = value + u'\0';
    HostRegSetBytes(subkey, name, kRegSz, std::string(reinterpret_cast<const char*>(withNul.data()), withNul.size() * 2));
}

void HostRegDeleteValue(const std::u16string& subkey, const std::u16string& name) {
    auto key = TheRegistry().keys.find(Lower(subkey));
    if (key != TheRegistry().keys.end()) key->second.values.erase(Lower(name));
}

bool HostRegGetBytes(const std::u16string& subkey, const std::u16string& name, uint32_t* type, std::string* bytes) {
    auto key = TheRegistry().keys.find(Lower(subkey));
    if (key == TheRegistry().keys.end()) return false;
    auto value = key->second.values.find(Lower(name));
    if (value == key->second.values.end()) return false;
    *type = value->second.type;
    *bytes = value->second.bytes;
    return true;
}

bool HostRegGetString(const std::u16string& subkey, const std::u16string& name, std::u16string* text) {
    uint32_t type = 0;
    std::string bytes;
    if (!HostRegGetBytes(subkey, name, &type, &bytes)) return false;
    text->assign(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
    while (!text->empty() && text->back() == 0) text->pop_back();
    return true;
}

int HostRegValueWrites() { return TheRegistry().valueWrites; }
void HostRegDenyWrites(bool denied) { TheRegistry().writesDenied = denied; }
int HostOpenRegistryKeys() { return static_cast<int>(TheRegistry().open.size()); }

uint32_t OsRegOpenMachineKey(const char16_t* subkey, uint32_t access, RegistryKey* key) {
    *key = nullptr;
    if (HostOperationFails(kOpRegOpenMachineKey)) return kErrorAccessDenied;
    std::u16string path = Lower(subkey);
    if (TheRegistry().keys.count(path) == 0) return kErrorFileNotFound;
    if (access == kKeyAllAccess && TheRegistry().writesDenied) return kErrorAccessDenied;
    OpenKey* open = new OpenKey{path, access == kKeyAllAccess};
    TheRegistry().open.insert(open);
    *key = reinterpret_cast<RegistryKey>(open);
    return kErrorSuccess;
}

uint32_t OsRegQueryValue(RegistryKey key, const char16_t* valueName, uint32_t* type, void* data,
                         uint32_t* byteSize) {
    OpenKey* open = AsOpenKey(key);
    if (HostOperationFails(kOpRegQueryValue)) {
        // Windows leaves the buffer's contents undefined after a failed query.
        for (uint32_t i = 0; i < *byteSize; i++) static_cast<unsigned char*>(data)[i] = 0xAB;
        return kErrorAccessDenied;
    }
    if (open == nullptr) return 6;  // ERROR_INVALID_HANDLE
    const Key& values = TheRegistry().keys[open->path];
    auto value = values.values.find(Lower(valueName));
    if (value == values.values.end()) return kErrorFileNotFound;
    const std::string& bytes = value->second.bytes;
    *type = value->second.type;
    if (bytes.size() > *byteSize) {
        for (uint32_t i = 0; i < *byteSize; i++) static_cast<unsigned char*>(data)[i] = 0xAB;
        *byteSize = static_cast<uint32_t>(bytes.size());
        return kErrorMoreData;
    }
    for (size_t i = 0; i < bytes.size(); i++) static_cast<unsigned char*>(data)[i] = static_cast<unsigned char>(bytes[i]);
    *byteSize = static_cast<uint32_t>(bytes.size());
    return kErrorSuccess;
}

uint32_t OsRegSetValue(RegistryKey key, const char16_t* valueName, uint32_t type, const void* data,
                       uint32_t byteSize) {
    OpenKey* open = AsOpenKey(key);
    if (HostOperationFails(kOpRegSetValue)) return kErrorAccessDenied;
    if (open == nullptr) return 6;
    if (!open->writable) return kErrorAccessDenied;
    TheRegistry().keys[open->path].values[Lower(valueName)] =
        Value{type, std::string(static_cast<const char*>(data), byteSize)};
    TheRegistry().valueWrites++;
    return kErrorSuccess;
}

void OsRegCloseKey(RegistryKey key) {
    if (HostOperationFails(kOpRegCloseKey)) return;
    OpenKey* open = AsOpenKey(key);
    if (open == nullptr) return;
    TheRegistry().open.erase(open);
    delete open;
}
