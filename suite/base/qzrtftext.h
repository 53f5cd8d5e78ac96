// Plain text of rich text (RTF): a small reader that walks groups and control
// words and keeps the characters a reader of the document would see.
//
// Understood: groups, control words with their numeric parameter, control
// symbols (\\ \{ \} \~ \_ \- and the backslash before a line break), \par and
// \line (CR LF), \tab, \'hh bytes (Windows-1252), \uN characters with their
// \ucN fallback skipping (surrogate pairs joined), the named punctuation
// words (\emdash, \bullet, \lquote, ...), and ignored destinations (groups
// opened with \*, font, colour and style tables, document info, pictures,
// objects, headers, footers, footnotes and field instructions). The
// paragraph mark that ends the document adds no line break.
#pragma once

#include <string>
#include <string_view>

// True when Text begins with "{\rtf".
bool qzLooksLikeRichText(std::string_view Text);

// The text of Rtf as UTF-8. Any byte sequence gives a result; text that is
// not rich text is answered unchanged.
std::string qzRtfToPlainText(std::string_view Rtf);
