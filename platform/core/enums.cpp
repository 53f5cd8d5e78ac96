// Element names of enumerations, and sets as text.
#include "platform/core/enums.h"

#include "platform/core/exceptions.h"
#include "platform/core/object.h"

namespace {
std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string> SplitNames(std::string_view text) {
    std::vector<std::string> names;
    while (true) {
        const size_t comma = text.find(',');
        std::string_view part = TrimBlanks(text.substr(0, comma));
        if (!part.empty()) names.emplace_back(part);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return names;
}
}  // namespace

TEnumInfo::TEnumInfo(std::string typeName, std::vector<std::string> names)
    : FTypeName(std::move(typeName)), FNames(std::move(names)) {}

TEnumInfo::TEnumInfo(std::string typeName, std::string_view commaSeparatedNames)
    : FTypeName(std::move(typeName)), FNames(SplitNames(commaSeparatedNames)) {}

const std::string& TEnumInfo::NameOf(int64_t value) const {
    static const std::string empty;
    if (value < 0 || value >= static_cast<int64_t>(FNames.size())) return empty;
    return FNames[static_cast<size_t>(value)];
}

int TEnumInfo::ValueOf(std::string_view name) const {
    for (size_t i = 0; i < FNames.size(); ++i)
        if (SameName(FNames[i], name)) return static_cast<int>(i);
    return -1;
}

const TEnumInfo& BooleanEnumInfo() {
    static const TEnumInfo info("Boolean", std::vector<std::string>{"False", "True"});
    return info;
}

std::string SetToString(const TEnumInfo& info, uint64_t bits, bool brackets) {
    std::string text;
    for (int i = 0; i < 64 && i < info.Count(); ++i) {
        if (!(bits & (uint64_t{1} << i))) continue;
        if (!text.empty()) text += ',';
        text += info.NameOf(i);
    }
    return brackets ? "[" + text + "]" : text;
}

uint64_t StringToSet(const TEnumInfo& info, std::string_view text) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '[') text.remove_prefix(1);
    if (!text.empty() && text.back() == ']') text.remove_suffix(1);
    uint64_t bits = 0;
    for (const std::string& name : SplitNames(text)) {
        const int value = info.ValueOf(name);
        if (value < 0 || value >= 64) throw EPropertyError("Invalid property element: " + name);
        bits |= uint64_t{1} << value;
    }
    return bits;
}
