// The "HTML Format" clipboard text: a header of byte offsets, then the
// document with its fragment marked. On the system clipboard it goes as
// text/html holding the document alone.
#pragma once

#include <string>

// Wraps Document as "<!--StartFragment-->\r\n" + Document + "<!--EndFragment-->"
// behind the header "Version:0.9" and the six offset lines. Every offset is a
// 0-based byte offset into the whole UTF-8 text, ten digits at least:
// StartHTML at the end of the header, EndHTML at the end of the text,
// StartFragment and StartSelection just after "<!--StartFragment-->",
// EndFragment and EndSelection at "<!--EndFragment-->".
std::string BuildClipboardHTML(const std::string& Document);
// The document between StartHTML and EndHTML of an "HTML Format" text; a
// text without a readable header is taken whole.
std::string ClipboardHTMLDocument(const std::string& Data);
