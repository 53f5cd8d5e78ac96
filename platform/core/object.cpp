// Class metadata and the root classes.
#include "platform/core/object.h"

#include <algorithm>
#include <mutex>

#include "platform/core/exceptions.h"
#include "platform/core/properties.h"

namespace {
char LowerAsciiChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAsciiChar(a[i]) != LowerAsciiChar(b[i])) return false;
    return true;
}

bool TClass::NameLess::operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return LowerAsciiChar(x) < LowerAsciiChar(y); });
}

TClass::TClass(std::string name, const TClass* parent, PublishFunction publish)
    : FName(std::move(name)), FParent(parent), FPublish(publish) {}

namespace {
// One publisher at a time; the same thread may come back while it publishes.
std::recursive_mutex& PublishMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}
}  // namespace

void TClass::EnsurePublished() const {
    if (FPublishState.load(std::memory_order_acquire) == 2) return;
    std::lock_guard<std::recursive_mutex> lock(PublishMutex());
    if (FPublishState.load(std::memory_order_relaxed) != 0) return;  // done, or running further up
    FPublishState.store(1, std::memory_order_relaxed);
    try {
        // The members publishing fills are mutable; the metadata stays const to its users.
        if (FPublish) FPublish(const_cast<TClass&>(*this));
    } catch (...) {
        FPublishState.store(0, std::memory_order_release);
        throw;
    }
    FPublishState.store(2, std::memory_order_release);
}

const std::vector<const TPropInfo*>& TClass::OwnProperties() const {
    EnsurePublished();
    return FOwnList;
}

TClass::~TClass() = default;

bool TClass::InheritsFrom(const TClass* cls) const {
    for (const TClass* c = this; c; c = c->FParent)
        if (c == cls) return true;
    return false;
}

bool TClass::InheritsFrom(std::string_view name) const {
    for (const TClass* c = this; c; c = c->FParent)
        if (SameName(c->FName, name)) return true;
    return false;
}

const TPropInfo* TClass::FindProperty(std::string_view name) const {
    for (const TClass* c = this; c; c = c->FParent) {
        c->EnsurePublished();
        auto it = c->FByName.find(name);
        if (it != c->FByName.end()) return it->second;
    }
    return nullptr;
}

std::vector<const TPropInfo*> TClass::Properties() const {
    std::vector<const TClass*> chain;
    for (const TClass* c = this; c; c = c->FParent) chain.push_back(c);
    std::vector<const TPropInfo*> result;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        for (const TPropInfo* info : (*it)->OwnProperties()) {
            auto same = std::find_if(result.begin(), result.end(),
                                     [&](const TPropInfo* p) { return SameName(p->Name, info->Name); });
            if (same != result.end())
                *same = info;  // republished: the descendant's information in the ancestor's place
            else
                result.push_back(info);
        }
    }
    return result;
}

TPropInfo& TClass::AddProperty(std::unique_ptr<TPropInfo> info) {
    TPropInfo& ref = *info;
    auto existing = FByName.find(ref.Name);
    if (existing != FByName.end()) {
        std::replace(FOwnList.begin(), FOwnList.end(), existing->second, static_cast<const TPropInfo*>(&ref));
        FByName.erase(existing);
    } else {
        FOwnList.push_back(&ref);
    }
    FByName.emplace(ref.Name, &ref);
    FOwned.push_back(std::move(info));
    return ref;
}

const TClass* TObject::StaticClass() {
    static const TClass cls("TObject", nullptr, nullptr);
    return &cls;
}

void TPersistent::Assign(TPersistent* Source) {
    if (Source)
        Source->AssignTo(this);
    else
        AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) { Dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* Source) const {
    const std::string sourceName = Source ? Source->ClassName() : std::string("nil");
    throw EConvertError("Cannot assign a " + sourceName + " to a " + ClassName());
}
