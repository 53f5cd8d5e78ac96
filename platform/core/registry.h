// The registry: a tree of keys under a root key, each key holding named,
// typed values. Here it is kept in the ini-style file "registry.ini" in
// UserConfigDir(): one section per key (its full path), one line per value.
// Key paths use '\' and compare without regard to case. Every call reads the
// file afresh and every change rewrites it at once (atomically), so several
// TRegistry objects share one view.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/object.h"

class TStrings;

// Raised for values that are missing, of another type, or not writable:
// "Failed to get data for '%s'", "Invalid data type for '%s'",
// "Failed to set data for '%s'" (with the reason on a line of its own when the
// file cannot be written).
class ERegistryException : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "ERegistryException"; }
};

using HKEY = uintptr_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr HKEY HKEY_USERS = 0x80000003u;

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

class TRegistry : public TObject {
    TASKMOOR_CLASS(TRegistry, TObject)
public:
    TRegistry();
    ~TRegistry() override;

    HKEY RootKey() const { return FRootKey; }
    void SetRootKey(HKEY value);  // closes the current key

    // Opens a key: a path starting with '\' from the root, otherwise below the
    // current key. canCreate creates the key and its missing parents.
    bool OpenKey(const std::string& key, bool canCreate);
    bool OpenKeyReadOnly(const std::string& key);
    void CloseKey();
    bool KeyOpen() const { return FKeyOpen; }
    // The open key's path below the root, without leading '\'.
    const std::string& CurrentPath() const { return FCurrentPath; }

    // Key paths as in OpenKey. DeleteKey removes the key with all its subkeys.
    bool KeyExists(const std::string& key);
    bool DeleteKey(const std::string& key);
    bool CreateKey(const std::string& key);
    // Direct subkeys of the open key, in the order they were created.
    void GetKeyNames(TStrings* strings);

    // Values of the open key.
    bool ValueExists(const std::string& name);
    bool DeleteValue(const std::string& name);
    void GetValueNames(TStrings* strings);
    TRegDataType GetDataType(const std::string& name);
    // Bytes of the value (strings count a terminating zero); -1 when missing.
    int GetDataSize(const std::string& name);

    // A missing string reads as empty; a missing value of another type, or a
    // value of the wrong type, raises ERegistryException.
    std::string ReadString(const std::string& name);
    void WriteString(const std::string& name, const std::string& value);
    int ReadInteger(const std::string& name);
    void WriteInteger(const std::string& name, int value);
    bool ReadBool(const std::string& name);
    void WriteBool(const std::string& name, bool value);
    // Copies the value into buffer and answers its size; a buffer smaller
    // than the value raises ERegistryException.
    int ReadBinaryData(const std::string& name, void* buffer, int bufSize);
    void WriteBinaryData(const std::string& name, const void* buffer, int bufSize);

    // Replaces every value of a key (path as in OpenKey; created with its
    // missing parents) by these string values, in one write of the file: a
    // failed write changes nothing. A value that cannot be written raises
    // "Failed to set data for '%s'" followed by the reason on a line of its own.
    void ReplaceStringValues(const std::string& key,
                             const std::vector<std::pair<std::string, std::string>>& values);

private:
    std::string ResolveKey(const std::string& key) const;
    std::string Section(const std::string& path) const;
    std::vector<std::string> KeySections(const std::string& path) const;

    HKEY FRootKey = HKEY_CURRENT_USER;
    bool FKeyOpen = false;
    bool FReadOnly = false;
    std::string FCurrentPath;
};
