// A rich-text document and its RTF form.
//
// The document is a list of paragraphs; a paragraph has its format and a
// list of runs; a run is text (UTF-8, '\n' a line break inside the
// paragraph, '\t' a tab) in one character format, or a picture or object
// kept as its raw RTF group and written back unchanged. Character formats
// are kept once each in the document's table; a run holds its format's index. Lengths are twips
// (1440 per inch), font sizes half-points, colours 0x00BBGGRR.
//
// The reader takes any bytes: control words with clamped parameters, \'hh
// (Windows-1252), \uN with \ucN fallback skipping, \binN, font and colour
// tables, field results (HYPERLINK fields become links), tables (cells
// become tab-separated paragraphs); unknown destinations are skipped and cut
// input is closed. Text that is not RTF is read as plain text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

constexpr int kRtfNoColor = -1;

enum class TRtfAlign { Left, Right, Center, Justify };
enum class TRtfTabAlign { Left, Center, Right, Decimal };

struct TRtfTab {
    int Position = 0;  // twips
    TRtfTabAlign Alignment = TRtfTabAlign::Left;
    bool operator==(const TRtfTab&) const = default;
};

struct TRtfParaFormat {
    TRtfAlign Alignment = TRtfAlign::Left;
    int FirstIndent = 0;               // \fi, relative to LeftIndent
    int LeftIndent = 0;                // \li
    int RightIndent = 0;               // \ri
    int SpaceBefore = 0;               // \sb
    int SpaceAfter = 0;                // \sa
    int LineSpacing = 0;               // \sl: 0 single, > 0 at least, < 0 exactly
    bool LineSpacingMultiple = false;  // \slmult1: LineSpacing is in 240ths of a line
    bool Bullet = false;               // a bulleted paragraph
    std::vector<TRtfTab> Tabs;
    bool operator==(const TRtfParaFormat&) const = default;
};

struct TRtfCharFormat {
    std::string FontName;  // empty: the document's default font
    int Charset = 0;       // \fcharset
    int Pitch = 0;         // \fprq: 0 default, 1 fixed, 2 variable
    int Size = 24;         // half-points (\fs)
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int Offset = 0;               // half-points, > 0 raised (\up), < 0 lowered (\dn)
    int Color = kRtfNoColor;      // text colour, kRtfNoColor: automatic
    int BackColor = kRtfNoColor;  // highlight, kRtfNoColor: none
    std::string Link;             // the target of a link, empty: none
    bool Protected = false;       // \protect: the user may change it only when allowed
    bool operator==(const TRtfCharFormat&) const = default;
};

struct TRtfRun {
    std::string Text;          // UTF-8; empty for a raw group
    std::string Raw;           // a picture or object group ("{\pict ...}"), else empty
    std::uint32_t Format = 0;  // index into its document's Formats (0: the default format)
    bool IsRaw() const { return !Raw.empty(); }
};

struct TRtfParagraph {
    TRtfParaFormat Format;
    std::vector<TRtfRun> Runs;
};

struct TRtfDocument {
    std::vector<TRtfParagraph> Paragraphs;
    // The distinct character formats the runs refer to; the first is the
    // default format. Add to it through FormatIndex only.
    std::vector<TRtfCharFormat> Formats{TRtfCharFormat{}};

    // Equal paragraphs, runs of equal text and equal formats (whatever their indexes).
    bool operator==(const TRtfDocument& Other) const;
    // The format of a run of this document (the default for an index out of range).
    const TRtfCharFormat& FormatOf(const TRtfRun& Run) const {
        return Run.Format < Formats.size() ? Formats[Run.Format] : Formats.empty() ? Default() : Formats[0];
    }
    // The index of Format in the table, added when new.
    std::uint32_t FormatIndex(const TRtfCharFormat& Format);
    // A text run in Format.
    TRtfRun Run(std::string Text, const TRtfCharFormat& Format) {
        return TRtfRun{std::move(Text), {}, FormatIndex(Format)};
    }

    // The text: paragraphs joined by CR LF, line breaks as CR LF; pictures
    // and objects show nothing.
    std::string PlainText() const;
    // A document of plain text: one paragraph per line (CR LF, CR or LF);
    // a text that ends with a line break ends with an empty paragraph.
    static TRtfDocument FromPlainText(std::string_view Text, const TRtfCharFormat& Format = {});
    // Merges neighbouring runs of the same format and drops empty ones.
    void Normalize();

private:
    static const TRtfCharFormat& Default();
    std::unordered_multimap<std::size_t, std::uint32_t> FFormatLookup;  // hash of a format: its indexes
};

struct TRtfReadResult {
    bool Ok = true;        // false: the input is broken (\bin past its end); Document holds what was read
    std::string Error;     // what was wrong
    bool Stopped = false;  // the text limit was reached: the rest of the input was not read
    std::size_t Used = 0;  // the bytes of input read
};

// True when Text begins with "{\rtf".
bool RtfLooksLikeRtf(std::string_view Text);
// Reads Text (RTF, or plain text when it does not begin with "{\rtf").
TRtfReadResult RtfRead(std::string_view Text, TRtfDocument& Document);
// The same, stopping once about MaxTextBytes of text are read (a paragraph end
// counts one, a picture three): the start of the document, for a view that
// can only show that much.
TRtfReadResult RtfRead(std::string_view Text, TRtfDocument& Document, std::size_t MaxTextBytes);
// The plain text of RTF, read without building formats (same rules as
// RtfRead followed by PlainText); other text is answered unchanged.
std::string RtfToPlainText(std::string_view Text);
// The RTF of a document (7-bit ASCII, Windows-1252 escapes, \uN beyond).
std::string RtfWrite(const TRtfDocument& Document);

// The raw group's picture: the bytes of a PNG or JPEG picture (empty for
// other kinds) and its goal size in twips (0 when unknown). Objects answer
// their result picture.
struct TRtfPicture {
    std::string Kind;  // "png", "jpeg", "" (other, or none)
    std::string Bytes;
    int WidthTwips = 0;
    int HeightTwips = 0;
    bool IsObject = false;
};
TRtfPicture RtfPictureOf(std::string_view Raw);

// "Data" of a stored control: a 4-byte little-endian length N, then N bytes.
// Reads from Bytes at Pos; false (nothing taken) when fewer than 4 bytes are
// left; otherwise takes the length and min(N, bytes left) bytes into Data,
// moves Pos past them, and answers whether all N were there.
bool RtfReadDataBlock(std::string_view Bytes, std::size_t& Pos, std::string& Data);
std::string RtfWriteDataBlock(std::string_view Data);
