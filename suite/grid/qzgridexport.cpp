// The grid's export writers and the export run (see qzgridexport.h).
#include "suite/grid/qzgridexport.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>

#include "platform/core/files.h"
#include "platform/core/streams.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"
#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/clipboard_html.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"
#include "suite/base/qzdbutils.h"
#include "suite/edit/qzdbcombobox.h"
#include "suite/grid/qzgridcolumn.h"
#include "suite/grid/qzgriddatalink.h"
#include "suite/grid/qzgridhost.h"
#include "suite/grid/qzgridselection.h"

namespace {

const char* const CRLF = "\r\n";

bool Has(const TqzExportSettings& S, TqzExportSaveOption O) { return S.Options.Contains(O); }

std::string Replace(const std::string& Text, const std::string& From, const std::string& To) {
    return StringReplace(Text, From, To, rfReplaceAll);
}

// Pads to Width characters (not bytes); values are never cut.
std::string Pad(const std::string& Text, int Width, bool Left) {
    const int len = static_cast<int>(Utf8Length(Text));
    if (len >= Width) return Text;
    return Left ? Text + std::string(static_cast<size_t>(Width - len), ' ')
                : std::string(static_cast<size_t>(Width - len), ' ') + Text;
}

std::string Colour(TColor Color) {
    const auto rgb = static_cast<uint32_t>(ColorToRGB(Color));
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%2.2x%2.2x%2.2x", rgb & 0xFF, (rgb >> 8) & 0xFF,
                  (rgb >> 16) & 0xFF);
    return buffer;
}

std::string BgColor(TColor Color) { return "BGCOLOR=#" + Colour(Color); }

std::string AlignWord(TAlignment A) {
    return A == taRightJustify ? "right" : A == taCenter ? "center" : "left";
}
char AlignLetter(TAlignment A) { return A == taRightJustify ? 'R' : A == taCenter ? 'C' : 'L'; }

std::string Style(const TqzExportFont& F) {
    return "STYLE=\"font-family: " + qzHTMLEscape(F.Name) + ";font-size: " + std::to_string(F.Size) +
           " pt;color:#" + Colour(F.Color) + ";\"";
}

std::string Tags(std::string Text, const TqzExportFont& F) {
    if (F.Italic) Text = "<I>" + Text + "</I>";
    if (F.Bold) Text = "<B>" + Text + "</B>";
    if (F.Underline) Text = "<U>" + Text + "</U>";
    if (F.StrikeOut) Text = "<STRIKE>" + Text + "</STRIKE>";
    return Text;
}

int FlagCount(const TqzExportModel& M) { return static_cast<int>(M.Columns.size()); }

bool NoColour(TColor C) { return static_cast<uint32_t>(C) == 0x1FFFFFFFu || C == clNone; }

std::string FloatText(double Value) {
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, Value);
    return std::string(buffer, r.ptr);
}

// Text with each line break (CR LF, LF or CR) replaced by With.
std::string JoinLines(const std::string& Text, const std::string& With) {
    return Replace(Replace(Replace(Text, "\r\n", "\n"), "\r", "\n"), "\n", With);
}

// The first Count bytes of Text, not splitting a UTF-8 character.
std::string CutUtf8(const std::string& Text, size_t Count) {
    if (Text.size() <= Count) return Text;
    size_t end = Count;
    while (end > 0 && (static_cast<unsigned char>(Text[end]) & 0xC0) == 0x80) --end;
    return Text.substr(0, end);
}

// The k-th (1-based) piece of a title split at "~"; empty past the end.
std::string TitlePiece(const std::string& Title, int K) {
    int index = 1;
    size_t start = 0;
    for (;;) {
        const size_t tilde = Title.find('~', start);
        if (index == K)
            return Title.substr(start, tilde == std::string::npos ? std::string::npos : tilde - start);
        if (tilde == std::string::npos) return {};
        start = tilde + 1;
        ++index;
    }
}

std::string FontRecord(const TqzExportFont& F) {
    std::string r = "P;F" + F.Name + ";M" + std::to_string(F.Size * 20);
    bool any = false;
    auto letter = [&](bool on, char c) {
        if (!on) return;
        r += any ? std::string(1, c) : std::string(";S") + c;
        any = true;
    };
    letter(F.Bold, 'B');
    letter(F.Italic, 'I');
    letter(F.Underline, 'U');
    letter(F.StrikeOut, 'S');
    return r;
}

int FontNumber(TqzExportState& St, const TqzExportFont& F) {
    const std::string rec = FontRecord(F);
    for (size_t i = 0; i < St.Fonts.size(); ++i)
        if (St.Fonts[i] == rec) return static_cast<int>(i);
    St.Fonts.push_back(rec);
    return static_cast<int>(St.Fonts.size()) - 1;
}

int ExportedInRange(const TqzExportModel& M, int First, int Last) {
    int n = 0;
    for (int i = First; i <= Last && i < FlagCount(M); ++i)
        n += M.Columns[static_cast<size_t>(i)].Exported ? 1 : 0;
    return n;
}

}  // namespace

std::string qzHTMLEscape(const std::string& Text) {
    std::string out;
    out.reserve(Text.size());
    for (char c : Text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string qzExportQuoteField(const TqzExportSettings& S, const std::string& Value) {
    if (!Has(S, esoDblQuoteFields)) return Value;
    if (!Value.empty()) return "\"" + Replace(Value, "\"", "\"\"") + "\"";
    if (S.Delimiter.empty() && S.ExportType == qzgetTxt) return "\"\"";
    return Value;
}

// ---- Text ----------------------------------------------------------------------------------------

std::string qzTextHeader(const TqzExportSettings& S, const TqzExportModel& M) {
    if (!Has(S, esoShowHeader)) return {};
    const int q = Has(S, esoDblQuoteFields) ? 2 : 0;
    std::string line;
    if (Has(S, esoShowRecordNo))
        line += S.Delimiter.empty() ? Pad("#", 8, false) + " " : qzExportQuoteField(S, "#") + S.Delimiter;
    const int last = FlagCount(M) - 1;
    for (int i = 0; i <= last; ++i) {
        const TqzExportColumn& c = M.Columns[static_cast<size_t>(i)];
        if (!c.Exported) continue;
        const std::string title = qzExportQuoteField(S, Replace(c.Title, "~", " "));
        if (S.Delimiter.empty())
            line += Pad(title, c.WidthChars + q, c.Alignment == taLeftJustify) + (i != last ? " " : "");
        else
            line += title + (i != last ? S.Delimiter : "");
    }
    return line + CRLF;
}

std::string qzTextRow(const TqzExportSettings& S, const TqzExportModel& M, int RecNo,
                      const std::vector<TqzExportCell>& Cells) {
    const int q = Has(S, esoDblQuoteFields) ? 2 : 0;
    std::string line;
    if (Has(S, esoShowRecordNo)) {
        const std::string n = qzExportQuoteField(S, std::to_string(RecNo));
        line += S.Delimiter.empty() ? Pad(n, 8, false) + " " : n + S.Delimiter;
    }
    const int last = FlagCount(M) - 1;
    for (int i = 0; i <= last; ++i) {
        const TqzExportColumn& c = M.Columns[static_cast<size_t>(i)];
        if (!c.Exported) continue;
        const std::string text = qzExportQuoteField(
            S, i < static_cast<int>(Cells.size()) ? Cells[static_cast<size_t>(i)].Text : "");
        if (S.Delimiter.empty()) {
            const int titleLen = static_cast<int>(Utf8Length(Replace(c.Title, "~", " ")));
            const int width = std::max(c.WidthChars + q, titleLen + q);
            line += Pad(text, width, c.Alignment == taLeftJustify) + (i != last ? " " : "");
        } else {
            line += text + (i != last ? S.Delimiter : "");
        }
    }
    return line + CRLF;
}

// ---- HTML ----------------------------------------------------------------------------------------

std::string qzHTMLHeader(const TqzExportSettings& S, const TqzExportModel& M) {
    std::string h = "<HTML>\r\n<HEAD>\r\n";
    // The text is UTF-8; without saying so a browser reads it in a legacy encoding.
    h += "<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">" + std::string(CRLF);
    h += "<TITLE>" + qzHTMLEscape(S.FileName) + "</TITLE>" + CRLF + "</HEAD>" + CRLF + "<BODY>" + CRLF;
    h += "<TABLE ALIGN=Center BORDER=\"" + std::to_string(S.HTMLBorderWidth) +
         "\" CELLPADDING=\"1\" CELLSPACING=\"0\"";
    h += M.RightToLeft ? " dir=\"RTL\"" : " dir=\"LTR\"";
    if (!Has(S, esoTransparentGrid)) h += " " + BgColor(M.GridColor);
    h += ">";
    h += std::string(CRLF) + "<THEAD>" + CRLF;
    const int count = FlagCount(M);
    if (Has(S, esoShowHeader) && Has(S, esoShowTitle)) {
        h += "<TR " + Style(M.TitleFont) + " " + BgColor(M.TitleColor) + ">" + CRLF;
        h += "<TH colspan=\"" + std::to_string(count + (Has(S, esoShowRecordNo) ? 1 : 0)) +
             "\" scope=\"colgroup\">" + qzHTMLEscape(S.TitleName) + "</TH>" + CRLF + "</TR>" + CRLF;
    }
    if (Has(S, esoShowHeader)) {
        bool groupWritten = false;
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 1 && !groupWritten) break;
            h += "<TR " + Style(M.TitleFont) + " ALIGN=" + AlignWord(M.TitleAlignment) + ">" + CRLF;
            if (pass == 0 && Has(S, esoShowRecordNo))
                h += "<TD ALIGN=\"CENTER\" " + Style(M.TitleFont) + " SCOPE=\"col\" bgcolor=#" +
                     Colour(M.TitleColor) + " RowSpan=\"2\">" + Tags("#", M.TitleFont) + "</TD>" + CRLF;
            for (int i = 0; i < count; ++i) {
                const TqzExportColumn& c = M.Columns[static_cast<size_t>(i)];
                if (!c.Exported && c.Group.empty()) continue;
                TqzExportFont font = M.TitleFont;
                TColor brush = M.TitleColor;
                TAlignment align = M.TitleAlignment;
                if (Has(S, esoDynamicColors) && M.TitleAttributes) M.TitleAttributes(i, font, brush, align);
                const std::string styleAttr = font.SameLook(M.TitleFont) ? "" : " " + Style(font);
                const std::string title = Replace(qzHTMLEscape(c.Title), "~", "<BR>");
                if (pass == 0 && !c.Group.empty()) {
                    const int n = ExportedInRange(M, c.GroupFirst, c.GroupLast);
                    if (n >= 1) {
                        h += "<TD" + styleAttr + " SCOPE=\"col\" bgcolor=#" + Colour(brush) +
                             " ALIGN=CENTER ColSpan=\"" + std::to_string(n) + "\">" +
                             Tags(qzHTMLEscape(c.Group), font) + "</TD>" + CRLF;
                        groupWritten = true;
                    }
                    i = std::max(i, c.GroupLast);
                    continue;
                }
                if (!c.Exported) continue;
                if (pass == 0) {
                    h += "<TD" + styleAttr + " ALIGN=\"" + AlignWord(align) + "\" SCOPE=\"col\" bgcolor=#" +
                         Colour(brush) + " RowSpan=\"2\">" + Tags(title, font) + "</TD>" + CRLF;
                } else if (!c.Group.empty()) {
                    h += "<TD" + styleAttr + " ALIGN=\"" + AlignWord(align) + "\" SCOPE=\"col\" bgcolor=#" +
                         Colour(brush) + " >" + Tags(title, font) + "</TD>" + CRLF;
                }
            }
            h += std::string("</TR>") + CRLF;
        }
        if (!groupWritten) h += std::string("<TR></TR>") + CRLF;
    }
    h += std::string("</THEAD>") + CRLF;
    if (Has(S, esoShowFooter) && M.ShowFooter) {
        h += "<TFOOT " + Style(M.TitleFont) + " " + BgColor(M.FooterColor) + ">" + CRLF;
        if (Has(S, esoShowRecordNo)) h += std::string("<TD>&nbsp;</TD>") + CRLF;
        for (const TqzExportColumn& c : M.Columns) {
            if (!c.Exported) continue;
            if (!c.Footer.empty())
                h += "<TD ALIGN=" + AlignWord(c.Alignment) + " " + Style(M.GridFont) + " " +
                     BgColor(M.FooterCellColor) + ">" + qzHTMLEscape(c.Footer) + "</TD>" + CRLF;
            else
                h += std::string("<TD>&nbsp;</TD>") + CRLF;
        }
        h += std::string("</TFOOT>") + CRLF;
    }
    h += std::string("<TBODY>") + CRLF;
    return h;
}

std::string qzHTMLRow(const TqzExportSettings& S, const TqzExportModel& M, const TqzExportState& St,
                      int RecNo, const std::vector<TqzExportCell>& Cells) {
    std::string r = "<TR VALIGN=\"TOP\" " + Style(M.GridFont) + ">" + CRLF;
    if (Has(S, esoShowRecordNo))
        r += "<TD WIDTH=\"0*\" NOWRAP ALIGN=\"right\" scope=\"row\" " + Style(M.TitleFont) + " " +
             BgColor(M.TitleColor) + ">" + std::to_string(RecNo) + "</TD>" + CRLF;
    double scale = 1;
    if (S.OutputWidthinTwips != 0 && St.WidthSum > 0)
        scale = S.OutputWidthinTwips / (static_cast<double>(St.WidthSum) / M.PixelsPerInch * 1440);
    for (int i = 0; i < FlagCount(M); ++i) {
        const TqzExportColumn& c = M.Columns[static_cast<size_t>(i)];
        if (!c.Exported) continue;
        std::string raw = i < static_cast<int>(Cells.size()) ? Cells[static_cast<size_t>(i)].Text : "";
        while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t')) raw.pop_back();
        std::string text = qzHTMLEscape(raw);
        bool markup = false;
        if (Has(S, esoAddControls) && c.ControlType == "CheckBox") {
            const std::string on = c.Parameters.substr(0, c.Parameters.find(';'));
            text = raw == on ? "<input align=\"middle\" type=\"checkbox\" checked >"
                             : "<INPUT ALIGN=\"middle\" TYPE=\"checkbox\" >";
            markup = true;
        } else if (Has(S, esoAddControls) && c.Combo) {
            text = "<Select Name=\"qzCombo" + std::to_string(RecNo) + "\">" + CRLF;
            for (const auto& [display, value] : c.ComboItems)
                text += "<Option Value=\"" + qzHTMLEscape(value) + "\"" +
                        (SameText(value, raw) ? " selected" : "") + ">" + qzHTMLEscape(display) + CRLF;
            text += std::string("</Select>") + CRLF;
            markup = true;
        }
        if (text.empty()) {
            text = "&nbsp;";
        } else if (!markup && c.ControlType == "URL-Link" && Has(S, esoEmbedURL)) {
            std::string display = raw, address = raw;
            const size_t hash = raw.find('#');
            if (hash != std::string::npos) {
                display = raw.substr(0, hash);
                address = raw.substr(hash + 1);
                if (address.empty()) address = display;
            }
            if (SameText(display, address)) {
                const size_t at = address.find('@');
                if (at != std::string::npos && at >= 1 && address.find('.', at) != std::string::npos &&
                    UpperCase(address).find("MAILTO:") == std::string::npos)
                    address = "MailTo:" + address;
            }
            text = "<A href=\"" + qzHTMLEscape(address) + "\">" + qzHTMLEscape(display) + "</A>";
        }
        text = JoinLines(text, "<BR>");
        TqzExportFont font = M.GridFont;
        TColor brush = M.GridColor;
        if (Has(S, esoShowAlternating) && RecNo % 2 == 0 && !NoColour(M.AlternatingColor))
            brush = M.AlternatingColor;
        if (Has(S, esoDynamicColors) && M.CellColors) M.CellColors(i, font, brush);
        r += "<TD NOWRAP";
        if (c.ControlType != "CheckBox") r += " ALIGN=\"" + AlignWord(c.Alignment) + "\"";
        if (!font.SameLook(M.GridFont)) r += " " + Style(font);
        if (brush != M.GridColor) r += " " + BgColor(brush);
        if (Has(S, esoBestColFit))
            r += c.ControlType == "RichEdit" || c.ShownMemo
                     ? " WIDTH=\"" + std::to_string(c.PixelWidth) + "\" SCOPE=\"row\">"
                     : std::string(" WIDTH=\"0*\" SCOPE=\"row\">");
        else
            r += " WIDTH=\"" + std::to_string(static_cast<long>(std::lround(c.PixelWidth * scale))) +
                 "\" SCOPE=\"row\">";
        r += Tags(text, font) + "</TD>" + CRLF;
    }
    return r + "</TR>" + CRLF;
}

std::string qzHTMLNoRecordsRow(const TqzExportSettings& S, const TqzExportModel& M) {
    return "<TR " + BgColor(M.TitleColor) +
           "><TH colspan=" + std::to_string(FlagCount(M) + (Has(S, esoShowRecordNo) ? 1 : 0)) +
           " scope=colgroup>No Records Selected</TH></TR>" + CRLF;
}

std::string qzHTMLTrailer() { return "</TBODY>\r\n</TABLE>\r\n</BODY>\r\n</HTML>\r\n"; }

// ---- SYLK ----------------------------------------------------------------------------------------

std::string qzSYLKHeader(const TqzExportSettings& S, const TqzExportModel& M, TqzExportState& St,
                         const std::function<void(int Col, std::string& Format)>& SYLKFormat) {
    FontNumber(St, M.TitleFont);
    FontNumber(St, M.GridFont);
    std::string h = std::string("ID;PW2W 3000;N;E") + CRLF;
    std::vector<std::string> formats{"General"};
    const int count = FlagCount(M);
    St.FormatIndex.assign(static_cast<size_t>(count), 0);
    for (int i = 0; i < count; ++i) {
        std::string f;
        switch (M.Columns[static_cast<size_t>(i)].DataType) {
        case ftCurrency: f = "\"$\"#,##0.00_);;[Red]\\(\"$\"#,##0.00\\)"; break;
        case ftDate: f = "m/d/yyyy"; break;
        case ftTime: f = "h:mm\\ AM/PM"; break;
        case ftDateTime: f = "m/d/yyyy\\ h:mm\\ AM/PM"; break;
        default: f = "General";
        }
        if (SYLKFormat) SYLKFormat(i, f);
        size_t at = 0;
        while (at < formats.size() && formats[at] != f) ++at;
        if (at == formats.size()) formats.push_back(f);
        St.FormatIndex[static_cast<size_t>(i)] = static_cast<int>(at);
    }
    for (const std::string& f : formats) h += "P;P" + f + CRLF;
    const bool recNo = Has(S, esoShowRecordNo);
    h += "B;Y;X" + std::to_string(count + (recNo ? 1 : 0)) + CRLF;
    h += std::string("F;G;M255") + CRLF;
    int x = 1;
    if (recNo) {
        h += std::string("F;W1 1 10") + CRLF;
        ++x;
    }
    for (const TqzExportColumn& c : M.Columns) {
        if (!c.Exported) continue;
        const int width = Has(S, esoBestColFit) ? c.DisplayWidth : c.WidthChars;
        h += "F;W" + std::to_string(x) + " " + std::to_string(x) + " " + std::to_string(width) + CRLF;
        ++x;
    }
    if (!Has(S, esoShowHeader)) return h;
    const int lines = std::max(M.TitleLines, 1);
    const int half = lines / 2;
    auto flagPos = [&](int i) { return i + 1 + (recNo ? 1 : 0); };
    for (int r = 0; r < lines; ++r) {
        const std::string y = std::to_string(r + 1);
        if (recNo) {
            if (r == 0)
                h += std::string("F;SLRTM0;FG0C;Y1;X1") + CRLF + "C;K\"#\"" + CRLF;
            else
                h += "F;SLRBM0;FG0C;Y" + y + ";X1" + CRLF;
        }
        x = recNo ? 2 : 1;
        for (int i = 0; i < count; ++i) {
            const TqzExportColumn& c = M.Columns[static_cast<size_t>(i)];
            TqzExportFont font = M.TitleFont;
            TColor brush = M.TitleColor;
            TAlignment align = M.TitleAlignment;
            if (Has(S, esoDynamicColors) && M.TitleAttributes) M.TitleAttributes(i, font, brush, align);
            const int m = FontNumber(St, font);
            const std::string title = Replace(c.Title, ";", ";;");
            const std::string group = Replace(c.Group, ";", ";;");
            auto plain = [&](const std::string& piece, bool top, bool bottom) {
                h += std::string("F;SLR") + (top ? "T" : "") + (bottom ? "B" : "") + "M" + std::to_string(m) +
                     ";FG0" + AlignLetter(align) + ";Y" + y + ";X" + std::to_string(x) + CRLF;
                if (!piece.empty()) h += "C;K\"" + piece + "\"" + CRLF;
                ++x;
            };
            if (c.Group.empty() || half == 0) {
                if (!c.Exported) continue;
                plain(TitlePiece(title, r + 1), r == 0, r == lines - 1);
                continue;
            }
            const int n = ExportedInRange(M, c.GroupFirst, c.GroupLast);
            if (r < half) {
                if (n >= 1) {
                    const std::string b = r > 0 && r + 1 >= half ? "B" : "";
                    if (r == 0)
                        h += "F;SLTM0;FG0C;Y1;X" + std::to_string(x) + CRLF + "C;K\"" + TitlePiece(group, 1) +
                             "\"" + CRLF;
                    else
                        h += "F;SL" + b + "M0;FG0C;Y" + y + ";X" + std::to_string(x) + CRLF + "C;K\"" +
                             TitlePiece(group, r + 1) + "\"" + CRLF;
                    int more = n - 1;
                    for (int j = std::max(i, c.GroupFirst) + 1; j <= c.GroupLast && more > 0; ++j) {
                        if (!M.Columns[static_cast<size_t>(j)].Exported) continue;
                        h += std::string(r == 0 ? "F;STM0;FG0C;X" : "F;S" + b + "M0;FG0C;X") +
                             std::to_string(flagPos(j)) + CRLF + "C;K\"\"" + CRLF;
                        --more;
                        if (r == 0) ++x;
                    }
                    ++x;
                }
                i = std::max(i, c.GroupLast);
                continue;
            }
            if (!c.Exported) continue;
            plain(TitlePiece(title, r + 1 - half), r - 1 < half, r == lines - 1);
        }
    }
    return h;
}

std::string qzSYLKRow(const TqzExportSettings& S, const TqzExportModel& M, TqzExportState& St, int RecNo,
                      const std::vector<TqzExportCell>& Cells) {
    const int y = RecNo + (Has(S, esoShowHeader) ? std::max(M.TitleLines, 1) : 0);
    const std::string ys = std::to_string(y);
    std::string r;
    int x = 1;
    if (Has(S, esoShowRecordNo)) {
        r += std::string("F;SLRTBM") + (M.TitleFont.SameAll(M.GridFont) ? "0" : "1") + ";FG0L;Y" + ys +
             ";X1" + CRLF;
        r += "C;K" + std::to_string(RecNo) + CRLF;
        ++x;
    }
    for (int i = 0; i < FlagCount(M); ++i) {
        const TqzExportColumn& c = M.Columns[static_cast<size_t>(i)];
        if (!c.Exported) continue;
        const TqzExportCell cell =
            i < static_cast<int>(Cells.size()) ? Cells[static_cast<size_t>(i)] : TqzExportCell{};
        TqzExportFont font = M.GridFont;
        TColor brush = M.GridColor;
        if (Has(S, esoDynamicColors) && M.CellColors) M.CellColors(i, font, brush);
        const int m = FontNumber(St, font);
        const std::string pos =
            std::string(";FG0") + AlignLetter(c.Alignment) + ";Y" + ys + ";X" + std::to_string(x);
        if (qzIsFloatOrDateFieldType(c.DataType))
            r += "F;P" + std::to_string(St.FormatIndex[static_cast<size_t>(i)]) + ";SLTRBM" +
                 std::to_string(m) + pos + CRLF;
        else
            r += "F;SLTRBM" + std::to_string(m) + pos + CRLF;
        std::string value;
        if (cell.Null) {
            value = "C;K\"\"";
        } else {
            switch (c.DataType) {
            case ftBoolean: value = "C;K" + qzExportQuoteField(S, cell.BoolValue ? "TRUE" : "FALSE"); break;
            case ftSmallint:
            case ftInteger:
            case ftWord:
            case ftLargeint:
                if (c.Combo)
                    value = c.ComboMapList && Has(S, esoAddControls)
                                ? "C;K\"" +
                                      Replace(Replace(JoinLines(cell.Text, " "), "\"", "\"\""), ";", ";;") +
                                      "\""
                                : "C;K" + std::to_string(cell.IntValue);
                else
                    value = "C;K" + Replace(cell.Text, ";", ";;");
                break;
            case ftFloat:
            case ftCurrency:
            case ftBCD:
            case ftTime:
            case ftDateTime: value = "C;K" + FloatText(cell.FloatValue); break;
            case ftDate: value = "C;K" + std::to_string(std::llround(cell.FloatValue)); break;
            default: {
                // Cut first, then double the ";"; strings are always quoted.
                std::string text = CutUtf8(JoinLines(cell.Text, " "), 255);
                text = Replace(Replace(text, ";", ";;"), "\"", "\"\"");
                value = "C;K\"" + text + "\"";
            }
            }
        }
        r += value + CRLF;
        ++x;
    }
    return r;
}

void qzSYLKFinish(const TqzExportSettings& S, const TqzExportModel& M, const TqzExportState& St,
                  int LastRecNo, std::string& Result) {
    Result += "E";
    const int rows = LastRecNo + (Has(S, esoShowHeader) ? std::max(M.TitleLines, 1) : 0);
    const size_t bounds = Result.find("B;Y;");
    if (bounds == std::string::npos) return;
    Result.insert(bounds + 3, std::to_string(rows));
    std::string fonts;
    for (const std::string& f : St.Fonts) fonts += f + CRLF;
    Result.insert(bounds, fonts);
}

// ---- The export run --------------------------------------------------------------------------------

TqzExportOptions::TqzExportOptions(TqzGridExportHost& Host) : FHost(&Host) {}

void TqzExportOptions::Publish(TPublisher<TqzExportOptions>& p) {
    using Self = TqzExportOptions;
    p.Property("FileName", &Self::FileName, &Self::SetFileName);
    p.Property("ExportType", &Self::ExportType, &Self::SetExportType);
    p.Property("Delimiter", &Self::Delimiter, &Self::SetDelimiter);
    p.Property("Options", &Self::Options, &Self::SetOptions).SetTypeName("TqzExportSaveOptions");
    p.Property("TitleName", &Self::TitleName, &Self::SetTitleName);
    p.Property("OutputWidthinTwips", &Self::OutputWidthinTwips, &Self::SetOutputWidthinTwips);
    p.Property("HTMLBorderWidth", &Self::HTMLBorderWidth, &Self::SetHTMLBorderWidth);
}

void TqzExportOptions::Assign(TPersistent* Source) {
    if (auto* other = dynamic_cast<TqzExportOptions*>(Source)) {
        FSettings = other->FSettings;
        return;
    }
    TPersistent::Assign(Source);
}

std::string TqzExportOptions::FileName() const {
    if (!FSettings.FileName.empty()) return FSettings.FileName;
    if (FHost->Designing() || !Application) return {};
    std::string name = ExtractFileName(Application->ExeName());
    return name.substr(0, name.find('.')) + ".txt";
}

namespace {

TqzExportFont FontOf(TFont* F) {
    TqzExportFont r;
    r.Name = F->Name();
    r.Size = F->Size();
    r.Color = F->Color();
    r.Bold = F->Style().Contains(fsBold);
    r.Italic = F->Style().Contains(fsItalic);
    r.Underline = F->Style().Contains(fsUnderline);
    r.StrikeOut = F->Style().Contains(fsStrikeOut);
    return r;
}

// The name, size and colour a colour event may change, handed to it as a font.
void SetFontFrom(TFont& F, const TqzExportFont& From) {
    F.SetName(From.Name);
    F.SetSize(From.Size);
    F.SetColor(From.Color);
}

TqzExportCell CellOf(TqzGridExportHost* Grid, TField* Field) {
    TqzExportCell cell;
    if (!Field) return cell;
    cell.Text = Grid->CellText(Field);
    cell.Null = Field->IsNull();
    if (cell.Null) return cell;
    switch (Field->DataType()) {
    case ftBoolean: cell.BoolValue = Field->AsBoolean(); break;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftLargeint:
    case ftAutoInc: cell.IntValue = Field->AsLargeInt(); break;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftDate:
    case ftDateTime: cell.FloatValue = Field->AsFloat(); break;
    case ftTime: {
        const double v = Field->AsFloat();
        cell.FloatValue = v - std::floor(v);
        break;
    }
    default: break;
    }
    return cell;
}

// Hears when the exported dataset is freed.
class TDataSetWatch : public TComponent {
public:
    explicit TDataSetWatch(TDataSet* DataSet) : TComponent(nullptr), FDataSet(DataSet) {
        DataSet->FreeNotification(this);
    }
    ~TDataSetWatch() override {
        if (FDataSet) FDataSet->RemoveFreeNotification(this);
    }
    TDataSet* DataSet() const { return FDataSet; }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == FDataSet) FDataSet = nullptr;
    }

private:
    TDataSet* FDataSet;
};

}  // namespace

TqzExportModel TqzExportOptions::BuildModel() {
    TqzExportModel m;
    TqzGridExportHost* g = FHost;
    m.GridFont = FontOf(g->Font());
    m.TitleFont = FontOf(g->TitleFont());
    m.GridColor = g->Color();
    m.TitleColor = g->TitleColor();
    m.FooterColor = g->FooterColor();
    m.FooterCellColor = g->FooterCellColor();
    m.AlternatingColor = g->AlternatingRowColor();
    m.TitleAlignment = g->TitleAlignment();
    m.TitleLines = g->TitleLines();
    m.ShowFooter = g->ShowsFooter();
    const int w0 = std::max(1, g->DigitWidth());
    for (int i = 0; TField* f = g->GetColField(i); ++i) {
        TqzExportColumn c;
        c.FieldName = f->FieldName();
        TqzColumn* column = g->Columns(i);
        c.Title = column ? column->DisplayLabel() : f->DisplayLabel();
        c.Group = column ? column->GroupName() : std::string();
        c.PixelWidth = i + g->IndicatorOffset() < g->ColCount() ? g->ColWidths(i + g->IndicatorOffset()) : 64;
        c.WidthChars = std::max(1, c.PixelWidth / w0);
        c.DisplayWidth = f->DisplayWidth();
        c.Alignment = f->Alignment();
        c.DataType = f->DataType();
        g->ControlInfo(f, c.ControlType, c.Parameters);
        c.ShownMemo = g->IsMemoCell(i + g->IndicatorOffset(), g->TitleOffset()) && g->ShowsMemoText();
        c.Footer = column ? column->FooterValue() : std::string();
        if (c.ControlType == "CustomEdit") {
            const std::string name = c.Parameters.substr(0, c.Parameters.find(';'));
            if (auto* combo = dynamic_cast<TqzDBComboBox*>(g->FindControlByName(name))) {
                c.Combo = true;
                c.ComboMapList = combo->MapList();
                for (int k = 0; k < combo->Items()->Count(); ++k) {
                    const std::string& item = combo->Items()->Strings(k);
                    const size_t tab = item.find('\t');
                    if (combo->MapList() && tab != std::string::npos)
                        c.ComboItems.emplace_back(item.substr(0, tab), item.substr(tab + 1));
                    else
                        c.ComboItems.emplace_back(item, item);
                }
            }
        }
        m.Columns.push_back(std::move(c));
    }
    // Group ranges: neighbouring columns of one group name.
    for (size_t i = 0; i < m.Columns.size();) {
        size_t j = i;
        while (j + 1 < m.Columns.size() && !m.Columns[i].Group.empty() &&
               m.Columns[j + 1].Group == m.Columns[i].Group)
            ++j;
        for (size_t k = i; k <= j; ++k) {
            m.Columns[k].GroupFirst = static_cast<int>(i);
            m.Columns[k].GroupLast = static_cast<int>(j);
        }
        i = j + 1;
    }
    return m;
}

namespace {

// An export file written beside the target and put in its place only when
// the export finished: a full disk or a failing export keeps the old file.
class TqzExportFileStream : public TStream {
public:
    explicit TqzExportFileStream(const std::string& FileName) : FWriter(FileName) {}
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void* Buffer, int64_t Count) override {
        if (Count <= 0) return 0;
        FWriter.Write(Buffer, static_cast<std::size_t>(Count));
        return Count;
    }
    int64_t Seek(int64_t, int) override { return FWriter.Size(); }
    void Commit() { FWriter.Commit(); }

private:
    TAtomicFileWriter FWriter;
};

}  // namespace

void TqzExportOptions::Save() {
    if (FSettings.Options.Contains(esoClipboard)) {
        Run(nullptr);
        return;
    }
    TqzExportFileStream file(FileName());
    // Nothing to export leaves the old file as it was.
    if (Run(&file)) file.Commit();
}

void TqzExportOptions::SaveToStream(TStream* Stream) {
    if (!Stream) throw EInvalidOperation("No stream to export to");
    Run(Stream);
}

namespace {

// Each column the grid lets go is exported; the widths of those add up.
void ChooseExportedColumns(TqzGridExportHost* Grid, TqzExportModel& Model, TqzExportState& State) {
    for (int i = 0; i < static_cast<int>(Model.Columns.size()); ++i) {
        TqzExportColumn& c = Model.Columns[static_cast<size_t>(i)];
        bool accept = true;
        Grid->DoExportField(Grid->GetColField(i), accept);
        c.Exported = accept;
        if (accept) State.WidthSum += c.PixelWidth + 5;
    }
}

// Cell and title colours come from the grid's own colour events.
void HookDynamicColors(TqzGridExportHost* host, TqzExportModel& Model) {
    Model.CellColors = [host](int Col, TqzExportFont& Font, TColor& Brush) {
        TFont font;
        SetFontFrom(font, Font);
        TBrush brush;
        brush.SetColor(Brush);
        host->CalcCellColors(host->GetColField(Col), {}, false, &font, &brush);
        Font = FontOf(&font);
        Brush = brush.Color();
    };
    Model.TitleAttributes = [host](int Col, TqzExportFont& Font, TColor& Brush, TAlignment& Alignment) {
        TFont font;
        SetFontFrom(font, Font);
        TBrush brush;
        brush.SetColor(Brush);
        TField* f = host->GetColField(Col);
        host->DoCalcTitleAttributes(f ? f->FieldName() : std::string(), &font, &brush, Alignment);
        Font = FontOf(&font);
        Brush = brush.Color();
    };
}

void CopyExportToClipboard(TqzGridExportType Type, const std::string& Text) {
    TClipboard* clip = Clipboard();
    clip->Open();
    try {
        clip->Clear();
        if (Type == qzgetSYLK) {
            clip->SetAsText(Text);
            clip->SetFormatData(CF_SYLK, Text);
        } else if (Type == qzgetHTML) {
            const std::string wrapped = BuildClipboardHTML(Text);
            clip->SetAsText(wrapped);
            clip->SetFormatData(RegisterClipboardFormat("HTML Format"), wrapped);
        } else {
            clip->SetAsText(Text);
        }
    } catch (...) {
        clip->Close();
        throw;
    }
    clip->Close();
}

// The selected records in the grid's order: one walk through the dataset (bookmark order need
// not be the order shown). False when the grid or its dataset went away on the way.
bool ExportSelectedRecords(TDataSet* Ds, TqzGridSelection* Selection, const std::function<void(int)>& Row,
                           const std::function<bool()>& StillThere, int& RecNo) {
    int left = Selection->Count();
    if (left > 0) Ds->First();
    while (left > 0 && !Ds->Eof()) {
        if (Selection->Holds(Ds->Bookmark())) {
            --left;
            Row(++RecNo);
            Application->ProcessMessages();
            if (!StillThere()) return false;
        }
        Ds->Next();
    }
    return true;
}

// Every record from the first; false when the grid or its dataset went away on the way.
bool ExportAllRecords(TDataSet* Ds, const std::function<void(int)>& Row,
                      const std::function<bool()>& StillThere, int& RecNo) {
    Ds->First();
    while (!Ds->Eof()) {
        Row(++RecNo);
        Ds->Next();
        Application->ProcessMessages();
        if (!StillThere()) return false;
    }
    return true;
}

}  // namespace

bool TqzExportOptions::Run(TStream* Out) {
    TqzExportSettings s = FSettings;
    s.FileName = FileName();
    TqzGridExportHost* grid = FHost;
    TDataSet* ds =
        grid && grid->DataLink() && grid->DataLink()->Active() ? grid->DataLink()->DataSet() : nullptr;
    if (!ds || s.ExportType == qzgetXML) return false;

    const std::shared_ptr<bool> alive = grid->AliveToken();
    const TDataSetWatch watch(ds);
    auto stillThere = [&] {
        return *alive && grid->DataLink()->Active() && grid->DataLink()->DataSet() == ds;
    };
    auto write = [&](const std::string& text) {
        if (!text.empty()) Out->WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
    };

    ds->DisableControls();
    const TBookmark saved = ds->Bookmark();
    const int savedRow = grid->DataLink()->ActiveRecord();
    // Whatever way the run ends, the dataset gets its controls and position back.
    struct TRestore {
        std::function<void()> Run;
        ~TRestore() {
            if (Run) Run();
        }
    } restore{[&] {
        if (!watch.DataSet()) return;
        if (!stillThere()) {
            // The grid went away: the dataset only gets its controls back.
            ds->EnableControls();
            return;
        }
        if (!saved.empty() && ds->BookmarkValid(saved)) {
            ds->GotoBookmark(saved);
            const int now = grid->DataLink()->ActiveRecord();
            const int rows = std::max(grid->VisibleDataRows(), 1);
            const int target = std::min(std::max(savedRow, 0), rows - 1);
            if (now != target) {
                ds->MoveBy(target - now);
                ds->MoveBy(now - target);
            }
        }
        ds->EnableControls();
    }};

    TqzExportModel model = BuildModel();
    TqzExportState state;
    ChooseExportedColumns(grid, model, state);
    if (s.Options.Contains(esoDynamicColors)) HookDynamicColors(FHost, model);

    const bool direct = Out && s.ExportType != qzgetSYLK;
    std::string result;
    auto emit = [&](const std::string& text) {
        if (direct)
            write(text);
        else
            result += text;
    };
    switch (s.ExportType) {
    case qzgetTxt: emit(qzTextHeader(s, model)); break;
    case qzgetHTML: emit(qzHTMLHeader(s, model)); break;
    case qzgetSYLK:
        emit(qzSYLKHeader(s, model, state, [&](int Col, std::string& Format) {
            grid->DoExportSYLKFormat(grid->GetColField(Col), Format);
        }));
        break;
    default: break;
    }
    auto row = [&](int n) {
        std::vector<TqzExportCell> cells;
        for (int i = 0; i < static_cast<int>(model.Columns.size()); ++i)
            cells.push_back(CellOf(grid, grid->GetColField(i)));
        switch (s.ExportType) {
        case qzgetTxt: emit(qzTextRow(s, model, n, cells)); break;
        case qzgetHTML: emit(qzHTMLRow(s, model, state, n, cells)); break;
        case qzgetSYLK: emit(qzSYLKRow(s, model, state, n, cells)); break;
        default: break;
        }
    };
    int recNo = 0;
    bool ended = false;
    if (s.Options.Contains(esoSaveSelectedOnly)) {
        ended = !ExportSelectedRecords(ds, grid->Selection(), row, stillThere, recNo);
        if (!ended && recNo == 0 && s.ExportType == qzgetHTML) emit(qzHTMLNoRecordsRow(s, model));
    } else {
        ended = !ExportAllRecords(ds, row, stillThere, recNo);
    }
    // A grid or dataset that went away ends the export here, unfinished:
    // a file keeps what it held.
    if (ended) return false;
    switch (s.ExportType) {
    case qzgetHTML: emit(qzHTMLTrailer()); break;
    case qzgetSYLK: qzSYLKFinish(s, model, state, recNo, result); break;
    default: break;
    }
    if (Out) {
        if (!direct) write(result);
        return true;
    }
    CopyExportToClipboard(s.ExportType, result);
    return true;
}
