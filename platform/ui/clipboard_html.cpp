// The "HTML Format" clipboard text (see clipboard_html.h).
#include "platform/ui/clipboard_html.h"

#include <cstdio>

namespace {

const char* const kStartMark = "<!--StartFragment-->";
const char* const kEndMark = "<!--EndFragment-->";
const char* const kFields[] = {
    "StartHTML:", "EndHTML:", "StartFragment:", "EndFragment:", "StartSelection:", "EndSelection:"};

std::string TenDigits(size_t Value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%010zu", Value);
    return buffer;
}

// The number after Name in the header; -1 when missing.
long long HeaderNumber(const std::string& Data, const std::string& Name) {
    const size_t at = Data.find(Name);
    if (at == std::string::npos) return -1;
    size_t i = at + Name.size();
    long long value = 0;
    bool any = false;
    while (i < Data.size() && Data[i] >= '0' && Data[i] <= '9' && value < (1LL << 40)) {
        value = value * 10 + (Data[i++] - '0');
        any = true;
    }
    return any ? value : -1;
}

}  // namespace

std::string BuildClipboardHTML(const std::string& Document) {
    const std::string wrapped = std::string(kStartMark) + "\r\n" + Document + kEndMark;
    // Every field is ten digits, so the header's length is known beforehand.
    std::string header = "Version:0.9\r\n";
    size_t headerLength = header.size();
    for (const char* f : kFields) headerLength += std::string(f).size() + 10 + 2;
    const size_t startFragment = headerLength + std::string(kStartMark).size();
    const size_t endFragment = headerLength + wrapped.rfind(kEndMark);
    const size_t values[] = {
        headerLength, headerLength + wrapped.size(), startFragment, endFragment, startFragment, endFragment};
    for (int i = 0; i < 6; ++i) header += std::string(kFields[i]) + TenDigits(values[i]) + "\r\n";
    return header + wrapped;
}

std::string ClipboardHTMLDocument(const std::string& Data) {
    const long long start = HeaderNumber(Data, "StartHTML:");
    const long long end = HeaderNumber(Data, "EndHTML:");
    if (start < 0 || end < start || static_cast<size_t>(end) > Data.size()) return Data;
    std::string document = Data.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
    // The fragment marks are ours; the document goes without them.
    const std::string open = std::string(kStartMark) + "\r\n";
    if (document.rfind(open, 0) == 0) document.erase(0, open.size());
    const size_t close = document.rfind(kEndMark);
    if (close != std::string::npos && close + std::string(kEndMark).size() == document.size())
        document.erase(close);
    return document;
}
