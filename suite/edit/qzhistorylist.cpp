// Reading and writing the history in an ini section or registry value, keeping its
// most recent entries.
#include "suite/edit/qzhistorylist.h"

#include <algorithm>
#include <vector>

#include "platform/core/files.h"
#include "platform/core/inifiles.h"
#include "platform/core/registry.h"
#include "platform/core/sysutils.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzstr.h"

namespace {

bool IsDecimalKey(const std::string& Key) {
    return !Key.empty() && Key.size() <= 9 &&
           std::all_of(Key.begin(), Key.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

void qzReadHistorySection(TCustomIniFile* Ini, const std::string& Section, TStrings* Entries) {
    TStringList keys;
    Ini->ReadSection(Section, &keys);
    Entries->BeginUpdate();
    Entries->Clear();
    for (int i = 0; i < keys.Count(); ++i) {
        const std::string key = keys.Strings(i);
        if (IsDecimalKey(key)) Entries->Add(Ini->ReadString(Section, key, ""));
    }
    Entries->EndUpdate();
}

void qzReadHistoryBytes(const void* Data, int64_t Size, TStrings* Entries) {
    // The stream only reads; the buffer stays the caller's.
    TPointerStream stream(const_cast<void*>(Data), std::max<int64_t>(Size, 0));
    Entries->LoadFromStream(&stream);
}

TqzHistoryList::TqzHistoryList(TComponent* Owner) : FOwner(Owner) {}

TqzHistoryList::~TqzHistoryList() {
    if (!FLoaded || (FOwner && qzIsDesigning(FOwner))) return;
    try {
        Save();
    } catch (const Exception&) {
        // No error can leave a destructor; the list stays as last saved.
    }
}

std::string TqzHistoryList::FileName() const {
    if (!FFileName.empty()) return FFileName;
    if (TqzIntl* intl = qzIntl(); intl && !intl->IniFileName().empty()) return intl->IniFileName();
    if (FStorageType == stIniFile && FOwner && !qzIsDesigning(FOwner))
        return qzExtractFileStem(ApplicationExeName()) + ".ini";
    return {};
}

int TqzHistoryList::MRUCount() const {
    if (!FEnabled || !FMRUEnabled) return 0;
    return std::max(0, std::min(FMRUMaxSize, FEntries.Count()));
}

void TqzHistoryList::LoadInto(TStrings* Target) {
    if (!FSection.empty() && !FileName().empty()) {
        if (FStorageType == stIniFile)
            LoadFromIni();
        else
            LoadFromRegistry();
        FLoaded = true;
    }
    for (int i = 0; i < FEntries.Count(); ++i) {
        const std::string s = FEntries.Strings(i);
        bool found = false;
        for (int j = 0; j < Target->Count() && !found; ++j) found = Target->Strings(j) == s;
        if (!found) Target->Add(s);
    }
}

void TqzHistoryList::Save() {
    if (FSection.empty() || FileName().empty()) return;
    if (FStorageType == stIniFile)
        SaveToIni();
    else
        SaveToRegistry();
}

void TqzHistoryList::Trim() {
    if (FMaxSize <= 0) return;
    while (FEntries.Count() > FMaxSize) FEntries.Delete(0);
}

void TqzHistoryList::LoadFromIni() {
    TIniFile ini(FileName());
    qzReadHistorySection(&ini, FSection, &FEntries);
}

void TqzHistoryList::SaveToIni() {
    TMemIniFile ini(FileName());
    ini.EraseSection(FSection);
    const int first = FMaxSize < 1 ? 0 : std::max(FEntries.Count() - FMaxSize, 0);
    for (int i = first; i < FEntries.Count(); ++i)
        ini.WriteString(FSection, IntToStr(i), FEntries.Strings(i));
    ini.UpdateFile();
}

void TqzHistoryList::LoadFromRegistry() {
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    reg.OpenKey(FileName(), true);
    // Another type under the name is no history of ours.
    if (reg.GetDataType(FSection) == rdBinary) {
        const int size = reg.GetDataSize(FSection);
        if (size > 0) {
            std::vector<char> buffer(static_cast<std::size_t>(size));
            const int read = reg.ReadBinaryData(FSection, buffer.data(), size);
            qzReadHistoryBytes(buffer.data(), std::min(read, size), &FEntries);
        }
    }
    reg.CloseKey();
}

void TqzHistoryList::SaveToRegistry() {
    Trim();
    std::string text;
    for (int i = 0; i < FEntries.Count(); ++i) text += FEntries.Strings(i) + "\r\n";
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    reg.OpenKey(FileName(), true);
    reg.WriteBinaryData(FSection, text.data(), static_cast<int>(text.size()));
    reg.CloseKey();
}

void TqzHistoryList::Assign(TPersistent* Source) {
    auto* h = dynamic_cast<TqzHistoryList*>(Source);
    if (!h) {
        TPersistent::Assign(Source);
        return;
    }
    FEnabled = h->FEnabled;
    FSection = h->FSection;
    FFileName = h->FFileName;
    FMaxSize = h->FMaxSize;
    FStorageType = h->FStorageType;
    FMRUEnabled = h->FMRUEnabled;
    FMRUMaxSize = h->FMRUMaxSize;
}

void TqzHistoryList::Publish(TPublisher<TqzHistoryList>& p) {
    using Self = TqzHistoryList;
    p.Property("Enabled", &Self::Enabled, &Self::SetEnabled);
    p.Property("Section", &Self::Section, &Self::SetSection);
    p.Property("FileName", &Self::FileName, &Self::SetFileName);
    p.Property("MaxSize", &Self::MaxSize, &Self::SetMaxSize);
    p.Property("StorageType", &Self::StorageType, &Self::SetStorageType);
    p.Property("MRUEnabled", &Self::MRUEnabled, &Self::SetMRUEnabled);
    p.Property("MRUMaxSize", &Self::MRUMaxSize, &Self::SetMRUMaxSize);
}
