// What the rich-text printing tests share: a command's output (pdfinfo and
// pdftotext read the printed PDF) and a document of half-inch lines.
#pragma once

#include <cstdio>
#include <string>

#include "platform/core/sysutils.h"

namespace richtext_test {

inline std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* f = popen(command.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
        pclose(f);
    }
    return out;
}

// Paragraphs "Line 1" .. "Line N" at exactly half an inch each: with 1-inch
// margins on a Letter sheet, 18 lines fill a page whatever the font.
inline std::string Lines(int Count) {
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ";
    for (int i = 1; i <= Count; ++i) rtf += "\\pard\\sl-720\\slmult0 Line " + IntToStr(i) + "\\par ";
    return rtf + "}";
}

}  // namespace richtext_test
