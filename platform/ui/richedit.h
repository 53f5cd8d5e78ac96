// The rich-edit control: a memo whose text carries character and paragraph
// formats. Its content is a TRtfDocument (platform/core/rtf.h) shown in the
// toolkit's text document; lengths stay exact twips through editing.
//
// Positions are byte offsets into Text() (UTF-8, one "\n" between
// paragraphs, a picture or object one U+FFFC), as SelStart counts them.
// Rich operations create the window when there is none yet.
//
// MaxLength limits what the user types, pastes and drops; loading content is
// never cut. The clipboard carries the selection as text and as "Rich Text
// Format"; a paste takes "Rich Text Format" when present, else the text.
// Text dragged within the control moves or copies with its formats, as one
// undo step; text dropped from elsewhere is inserted (its rich text when the
// drag carries it).
#pragma once

#include <optional>
#include <string>

#include "platform/core/rtf.h"
#include "platform/ui/stdctrls.h"

class TCanvas;
class TStream;

// Which attributes a format call reads or sets; on reading, the attributes
// that are the same over the whole selection.
enum : unsigned {
    cfmFace = 1,
    cfmSize = 2,
    cfmBold = 4,
    cfmItalic = 8,
    cfmUnderline = 16,
    cfmStrikeOut = 32,
    cfmOffset = 64,
    cfmColor = 128,
    cfmBackColor = 256,
    cfmLink = 512,
    cfmProtected = 1024,
    cfmAll = 2047
};
enum : unsigned {
    pfmAlignment = 1,
    pfmFirstIndent = 2,
    pfmLeftIndent = 4,
    pfmRightIndent = 8,
    pfmSpaceBefore = 16,
    pfmSpaceAfter = 32,
    pfmLineSpacing = 64,
    pfmTabs = 128,
    pfmBullet = 256,
    pfmAll = 511
};
// Selection types (0: empty).
enum : unsigned { selText = 1, selObject = 2, selMultiChar = 4, selMultiObject = 8 };
// The event mask: which notifications the control sends.
enum : unsigned { enmChange = 1, enmSelChange = 2, enmLink = 4, enmRequestResize = 8 };
// Find options.
enum : unsigned { frMatchCase = 1, frWholeWord = 2, frBackward = 4 };
// Effects of a drag and drop of text (bits).
enum : unsigned { deNone = 0, deCopy = 1, deMove = 2, deLink = 4 };

using TRichLinkEvent = TEvent<TObject*, const std::string&>;
// The rectangle (client coordinates) the content asks for: the text's
// rectangle with its bottom where the content ends.
using TRichEditResizeEvent = TEvent<TObject*, const TRect&>;
// The control is freed while the clipboard holds what it copied there
// (NumObjects objects, NumChars other characters): SaveClipboard false
// takes it off the clipboard.
using TRichEditSaveClipboard = TEvent<TObject*, int, int, bool&>;
// The user is about to change the text from StartPos to EndPos (byte
// positions), which holds protected text: AllowChange (false on entry) true
// lets the change go on.
using TRichEditProtectChange = TEvent<TObject*, int, int, bool&>;

class TCustomRichEdit : public TCustomMemo {
    TASKMOOR_CLASS(TCustomRichEdit, TCustomMemo)
public:
    explicit TCustomRichEdit(TComponent* AOwner);
    ~TCustomRichEdit() override;

    // ---- Content
    // Streams are read as RTF unless PlainText; RTF that does not read is an
    // error (false) and leaves the content unchanged. Selection: the data
    // replaces the selection instead of the whole content.
    bool StreamIn(const std::string& Data, bool Rtf, bool Selection);
    // The content (or the selection) as RTF or plain text (CR LF line ends).
    std::string StreamOut(bool Rtf, bool Selection);
    TRtfDocument Document();
    void SetDocument(const TRtfDocument& Document);
    bool PlainText() const { return FPlainText; }
    void SetPlainText(bool Value) { FPlainText = Value; }
    // The whole content read from or written to a stream (RTF unless PlainText).
    bool LoadFromStream(TStream* Stream);
    void SaveToStream(TStream* Stream);
    // A whole load keeps only about the first Bytes bytes of text (0: all): for
    // a copy that draws only the start of its text. Loads of 256 KB and more show
    // the busy cursor.
    std::size_t LoadLimit() const { return FLoadLimit; }
    void SetLoadLimit(std::size_t Bytes) { FLoadLimit = Bytes; }
    // The last whole load stopped at the load limit with room to spare before
    // the end of its data: data that went on past it would have loaded the same.
    bool LoadStoppedEarly() const { return FLoadStoppedEarly; }
    // How many changes the window's document has gone through, each laid out
    // on its own; a load is one, however many runs and paragraphs it has.
    int DocumentChanges();
    // No layout of the content waits: a load lays out what shows at once and
    // the rest in steps from the event loop after it returns (true without a
    // window, which has nothing to lay out).
    bool LaidOut();
    // The memory the shaped glyphs of long paragraphs may hold, all rich
    // edits together: the paragraphs shown or typed in last keep theirs (one
    // shown keeps them even past the budget); the others are shaped again
    // whenever they are painted. 0 sets the default (a sixteenth of the
    // machine's memory, 256 MB at least).
    static std::size_t GlyphBudget();
    static void SetGlyphBudget(std::size_t Bytes);
    // What a character's kept glyphs are counted at against the budget.
    static constexpr std::size_t GlyphBytesPerChar = 40;

    // The size text without a size of its own takes from Font, in
    // half-points of whole points: Font's Size, or for a cell height (and
    // the default height) its character height at PixelsPerInch.
    static int FontHalfPoints(TFont* Font, int PixelsPerInch);

    // ---- Formats of the selection (at the caret: what typing gets)
    TRtfCharFormat SelAttributes(unsigned* Mask = nullptr);
    void SetSelAttributes(const TRtfCharFormat& Format, unsigned Mask);
    // The paragraphs the selection touches.
    TRtfParaFormat Paragraph(unsigned* Mask = nullptr);
    void SetParagraph(const TRtfParaFormat& Format, unsigned Mask);

    // ---- Lines (paragraphs)
    int LineCount();
    std::string Line(int Index);
    // The position where the line starts; -1 when there is no such line.
    int LineIndex(int Index);
    // The line holding the position.
    int LineFromChar(int Pos);

    // ---- Queries
    unsigned SelectionType();
    // The position nearest the client point, and the client point of a
    // position: those of the finished layout, whatever the layout in steps
    // has reached (what they need is laid out first).
    int CharFromPos(const TPoint& P);
    TPoint PosFromChar(int Pos);
    // The first match of Text in [Start, Start + Length) (Length -1: to the
    // end); -1 when none.
    int FindText(const std::string& Text, int Start, int Length, unsigned Options);
    bool CanRedo();
    void Redo();
    // The link under a client point ("" when none): a link of the content
    // or, with AutoURLDetect, a web address in the text.
    std::string LinkAt(const TPoint& P);

    // ---- Settings
    unsigned EventMask() const { return FEventMask; }
    void SetEventMask(unsigned Value) { FEventMask = Value; }
    bool AutoURLDetect() const { return FAutoURLDetect; }
    void SetAutoURLDetect(bool Value);
    int ScreenPixelsPerInch() const { return FPixelsPerInch; }
    // Lines wrap at this many pixels from the text's left edge (0: at the
    // window's width); wider than the window, the text scrolls sideways with
    // a horizontal scroll bar as needed. Only with WordWrap.
    int LineWidth() const { return FLineWidth; }
    void SetLineWidth(int Pixels);
    // The scroll bars ScrollBars names show only while the content needs
    // them (true) or always, disabled while it does not (false).
    bool HideScrollBars() const { return FHideScrollBars; }
    void SetHideScrollBars(bool Value);

    // ---- Drawing
    // Draws the lines from position From that fit whole into Rect (twips,
    // relative to the canvas's origin) on Canvas at PixelsPerInch; answers
    // the position of the first character that did not fit (the text's end
    // when all did). Render false measures only: nothing is drawn.
    int FormatRange(TCanvas* Canvas, int PixelsPerInch, int From, const TRect& TwipsRect, bool Render = true);
    // Draws the content from position From into Rect as a window shows it:
    // every line that starts inside the rectangle, clipped to it, even one
    // taller than the rectangle.
    void DrawRange(TCanvas* Canvas, int PixelsPerInch, int From, const TRect& TwipsRect);

    TNotifyEvent OnSelectionChange() const { return FOnSelectionChange; }
    void SetOnSelectionChange(TNotifyEvent Value) { FOnSelectionChange = Value; }
    // A link was clicked (left button pressed and released on it).
    TRichLinkEvent OnLinkClick() const { return FOnLinkClick; }
    void SetOnLinkClick(TRichLinkEvent Value) { FOnLinkClick = Value; }
    // The content's height changed (with enmRequestResize): a control that
    // grows with its content sets its height from the rectangle.
    TRichEditResizeEvent OnResizeRequest() const { return FOnResizeRequest; }
    void SetOnResizeRequest(TRichEditResizeEvent Value) { FOnResizeRequest = Value; }
    TRichEditSaveClipboard OnSaveClipboard() const { return FOnSaveClipboard; }
    void SetOnSaveClipboard(TRichEditSaveClipboard Value) { FOnSaveClipboard = Value; }
    // Typing, pasting, cutting, deleting and format changes of the selection
    // (SetSelAttributes, SetParagraph) that touch protected text go on only
    // when this allows them; refused, nothing changes. Loading content and
    // changing only the protection itself never ask.
    TRichEditProtectChange OnProtectChange() const { return FOnProtectChange; }
    void SetOnProtectChange(TRichEditProtectChange Value) { FOnProtectChange = Value; }

    void Dispatch(TMessage& Message) override;

protected:
    std::unique_ptr<TEditAdapter> CreateAdapter(const TCreateParams& Params) override;
    void CreateWindowHandle(const TCreateParams& Params) override;
    void DestroyWnd() override;
    void Change() override;
    void WMChar(TMessage& Message) override;
    void WMKeyDown(TMessage& Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // Fires OnSelectionChange (with enmSelChange).
    virtual void SelectionChange();
    // Fires OnLinkClick (with enmLink).
    virtual void LinkClick(const std::string& Link);
    // Fires OnResizeRequest (with enmRequestResize).
    virtual void RequestSize(const TRect& Rect);
    // Whether what the control copied stays on the clipboard when it is
    // freed: OnSaveClipboard's answer (true when unassigned).
    virtual bool SaveClipboard(int NumObjects, int NumChars);
    // Whether a change of protected text from StartPos to EndPos may go on:
    // OnProtectChange's answer (false when unassigned).
    virtual bool ProtectChange(int StartPos, int EndPos);
    // Pastes "Rich Text Format" when the clipboard has it, else text.
    virtual void PasteFromClipboardRich();
    // Text dragged over the control (Drop false) or dropped on it (true):
    // Effect comes in as the effects the drag allows and goes out as the
    // ones to take. The default leaves it; where more than one is left, Ctrl
    // copies and otherwise the text moves.
    virtual void DragDropEffect(bool Drop, TShiftState Shift, unsigned& Effect);

    friend class TRichEditAdapter;

private:
    class TRichEditAdapter* Rich();
    void ContentHeightChanged();
    void KeepClipboardOrClear();
    // Whether the change of the toolkit's positions [From, To) may go on
    // (Insert: text goes in at From in the typing format).
    bool MayChange(int From, int To, bool Insert);
    bool MayChangeSelection(bool Insert);
    // Delete (Forward) or Backspace, a word with Word.
    bool MayDelete(bool Forward, bool Word);
    bool FPlainText = false;
    bool FAutoURLDetect = false;
    unsigned FEventMask = enmChange | enmSelChange | enmLink | enmRequestResize;
    int FLineWidth = 0;
    bool FHideScrollBars = true;
    int FRequestedHeight = -1;
    // what the last copy or cut put on the clipboard
    struct TCopied {
        std::size_t Text = 0, Rtf = 0;  // hashes
        int Objects = 0, Chars = 0;
    };
    std::optional<TCopied> FCopied;
    int FPixelsPerInch = 96;
    std::size_t FLoadLimit = 0;
    bool FLoadStoppedEarly = false;
    std::string FArmedLink;
    std::unique_ptr<TRtfDocument> FSaved;  // kept while the window is made again
    TNotifyEvent FOnSelectionChange;
    TRichLinkEvent FOnLinkClick;
    TRichEditResizeEvent FOnResizeRequest;
    TRichEditSaveClipboard FOnSaveClipboard;
    TRichEditProtectChange FOnProtectChange;
};

class TRichEdit : public TCustomRichEdit {
    TASKMOOR_CLASS(TRichEdit, TCustomRichEdit)
public:
    using TCustomRichEdit::TCustomRichEdit;
};

// The clipboard format of rich text.
unsigned CF_RTF();
