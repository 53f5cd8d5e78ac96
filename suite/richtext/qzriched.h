// The suite's rich-text edit control: the platform's rich edit with a line
// adapter over its paragraphs, chunked stream loading with a plain-text
// fallback, a fast-growing memory stream for transfers, the stored
// "RichEditVersion" and "Data" properties, web links opened through the
// shell service, and the hooks the data-aware form builds on.
//
// There is no embedded-object server here: the control always behaves as
// with reoDisableOLE (OleOptions only keeps its value); objects arriving in
// RTF show their picture or a labelled box and are written back unchanged.
//
// The text rectangle: inside an active frame it starts after GutterWidth; in
// a grid it leaves a one-pixel ring, where the control draws the grid's
// highlight border while the grid has the focus; PaintOverWidget draws what
// lies outside the text. In a grid it hands Tab and Enter to the grid
// (CNKeyDown) and never types a Tab, and a quick second click after the
// grid's opening click (GridClickTime, qzgridrichcell.h) is a double click. A
// Font change is carried into the text still in the former default.
//
// Collaborators own their state: find and replace (qzrichsearch.h), the
// popup menu (qzrichpopup.h), the stored form (qzrichstore.h), the Font as
// the text's default (qzrichdeffont.h), the text rectangle and the frame's
// colours (qzrichframelook.h), the editor window's place, user buttons,
// events and open window (qzricheditorsetup.h), the printing state and the
// page layout (qzrichprint.h). What they need beyond the public side they
// reach through the edit's host (qzrichhost.h); printing through it alone.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/streams.h"
#include "platform/core/strings.h"
#include "platform/core/variant.h"
#include "platform/ui/richedit.h"
#include "suite/base/qzeditframe.h"
#include "suite/base/qztypes.h"

class TField;
class TFontDialog;
class TSpeedButton;
class TForm;
class TqzController;
class TqzCustomRichEdit;
class TqzRichDefaultFont;
class TqzRichEditorSetup;
class TqzRichFrameLook;
class TqzRichPopupMenu;
class TqzRichPrinting;
class TqzRichSearch;
class TqzRichStoredForm;

TASKMOOR_ENUM(TqzRichEditOleOption, reoAdjustPopupMenu, reoDisableOLE)
using TqzRichEditOleOptions = TSet<TqzRichEditOleOption>;
TASKMOOR_ENUM(TqzMeasurementUnits, muInches, muCentimeters)
TASKMOOR_ENUM(TqzRichEditWidth, rewWindowSize, rewPrinterSize)
// Entries of the built-in popup menu; PopupOptions holds them as bits
// (1 << option).
TASKMOOR_ENUM(TqzRichEditPopupOption, rpoPopupEdit, rpoPopupCut, rpoPopupCopy, rpoPopupPaste, rpoPopupBold,
              rpoPopupItalic, rpoPopupUnderline, rpoPopupFont, rpoPopupBullet, rpoPopupParagraph,
              rpoPopupTabs, rpoPopupFind, rpoPopupReplace, rpoPopupInsertObject, rpoPopupMSWordSpellCheck)
// Options of the editor window; EditorOptions holds them as bits (1 << option).
TASKMOOR_ENUM(TqzRichEditOption, reoShowLoad, reoShowSaveAs, reoShowSaveExit, reoShowPrint,
              reoShowPrintPreview, reoShowPageSetup, reoShowFormatBar, reoShowToolBar, reoShowStatusBar,
              reoShowHints, reoShowRuler, reoShowInsertObject, reoCloseOnEscape, reoFlatButtons,
              reoShowSpellCheck, reoShowMainMenuIcons, reoShowJustifyButton, reoUseBackColor,
              reoNoConfirmation)
TASKMOOR_ENUM(TqzSearchType, stWholeWord, stMatchCase)
using TqzSearchTypes = TSet<TqzSearchType>;
// Parts of a paragraph-format request, in the order of the request's mask.
TASKMOOR_ENUM(TqzParaPart, ppAlignment, ppNumbering, ppOffset, ppRightIndent, ppStartIndent, ppTabStops,
              ppSpaceBefore, ppSpaceAfter, ppLineSpacing)
using TqzParaParts = TSet<TqzParaPart>;

// The effect of text dragged in the rich edit (deCopy, deMove, deLink bits
// of the platform's rich edit). While dragging (Drop false) Effect is
// answered unchanged; on a drop Ctrl+Shift asks for a link, Ctrl for a copy,
// Alt or no key for a move, and the one asked for replaces Effect only when
// Effect allows it.
unsigned qzRichDragDropEffect(bool Drop, TShiftState Shift, unsigned Effect);

// Centimetres per inch of the unit texts (not 2.54).
constexpr double qzCentimetersPerInch = 2.537;

// Page margins in the rich edit's MeasurementUnits.
class TqzPrintMargins : public TPersistent {
    TASKMOOR_CLASS(TqzPrintMargins, TPersistent)
public:
    double Top() const { return FTop; }
    void SetTop(double Value) { FTop = Value; }
    double Bottom() const { return FBottom; }
    void SetBottom(double Value) { FBottom = Value; }
    double Left() const { return FLeft; }
    void SetLeft(double Value) { FLeft = Value; }
    double Right() const { return FRight; }
    void SetRight(double Value) { FRight = Value; }
    void Assign(TPersistent* Source) override;
    static void Publish(TPublisher<TqzPrintMargins>& p);

private:
    double FTop = 1.0, FBottom = 1.0, FLeft = 1.0, FRight = 1.0;
};

// A printed header or footer: three texts, their font, the distance from
// the sheet's edge in inches and an optional separator line.
class TqzRTFHeaderFooter : public TPersistent {
    TASKMOOR_CLASS(TqzRTFHeaderFooter, TPersistent)
public:
    TqzRTFHeaderFooter();
    ~TqzRTFHeaderFooter() override;
    double VertMargin() const { return FVertMargin; }
    void SetVertMargin(double Value) { FVertMargin = Value; }
    const std::string& LeftText() const { return FLeftText; }
    void SetLeftText(const std::string& Value) { FLeftText = Value; }
    const std::string& CenterText() const { return FCenterText; }
    void SetCenterText(const std::string& Value) { FCenterText = Value; }
    const std::string& RightText() const { return FRightText; }
    void SetRightText(const std::string& Value) { FRightText = Value; }
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value);
    bool LineSeparator() const { return FLineSeparator; }
    void SetLineSeparator(bool Value) { FLineSeparator = Value; }
    void Assign(TPersistent* Source) override;
    static void Publish(TPublisher<TqzRTFHeaderFooter>& p);

private:
    double FVertMargin = 0.5;
    std::string FLeftText, FCenterText, FRightText;
    std::unique_ptr<TFont> FFont;
    bool FLineSeparator = false;
};

// (Sender, Rect, PageNumber, LeftText, CenterText, RightText, DoDefault).
using TqzPrintHeaderFooterEvent =
    TEvent<TObject*, const TRect&, int, std::string&, std::string&, std::string&, bool&>;

// (Form): the editor window being created, shown or closed.
using TqzOnRichEditDlgEvent = TEvent<TForm*>;
// (Form, RichEdit, DoDefault): a command of the editor window is about to run.
using TqzRTFNotifyEvent = TEvent<TForm*, TqzCustomRichEdit*, bool&>;

// One page of a paginated document: its first and last character.
struct TqzRichPage {
    int First = 0;
    int Last = -1;
};

// A memory stream that grows in steps of 128 KB.
class TqzRichMemoryStream : public TMemoryStream {
    TASKMOOR_CLASS(TqzRichMemoryStream, TMemoryStream)
public:
    static constexpr int64_t Step = 131072;

protected:
    void* Realloc(int64_t& NewCapacity) override;
};

// The control's lines: one per paragraph, read and written in the control.
class TqzRichEditStrings : public TStrings {
    TASKMOOR_CLASS(TqzRichEditStrings, TStrings)
public:
    explicit TqzRichEditStrings(TqzCustomRichEdit* RichEdit) : FRichEdit(RichEdit) {}

    void Insert(int Index, const std::string& S) override;
    void Delete(int Index) override;
    void Clear() override;
    void AddStrings(TStrings* Strings) override;
    void SetTextStr(const std::string& Value) override;
    std::string GetTextStr() const override;
    // The whole document, RTF unless the control's PlainText.
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;

protected:
    std::string Get(int Index) const override;
    int GetCount() const override;
    void Put(int Index, const std::string& S) override;

private:
    TqzCustomRichEdit* FRichEdit;
};

class TqzCustomRichEdit : public TCustomRichEdit {
    TASKMOOR_CLASS(TqzCustomRichEdit, TCustomRichEdit)
public:
    explicit TqzCustomRichEdit(TComponent* AOwner);
    ~TqzCustomRichEdit() override;

    TStrings* Lines() const { return FLines.get(); }
    void SetLines(TStrings* Value);

    // ---- Loading
    // Loads the stream from its position (RTF unless PlainText). Selection:
    // the data replaces the selection. ChunkLimit > 0 delivers only the
    // first chunks (see the source). RTF that does not read is retried as
    // plain text when neither PlainText nor Selection is set; a selection
    // load that does not read changes nothing.
    virtual void LoadFromStream(TStream* Stream, bool Selection, int ChunkLimit);
    void SaveSelectionRTF(TStream* Stream);
    void LoadSelectionRTF(TStream* Stream);
    bool Loading() const { return FLoading; }

    // ---- Stored properties
    // 1 for a stored form read without it, else 2.
    int RichEditVersion() const;
    // "RichEditVersion" and "Data" of a stored form.
    TqzRichStoredForm* StoredForm() const { return FStoredForm.get(); }

    // ---- Settings
    TqzRichEditOleOptions OleOptions() const { return FOleOptions; }
    void SetOleOptions(TqzRichEditOleOptions Value) { FOleOptions = Value; }
    int MSVersion() const { return FMSVersion; }
    void SetMSVersion(int Value) { FMSVersion = Value; }
    // Pixels left of the text: with an enabled frame the text starts at
    // GutterWidth + the frame's text offset - 2 (never over the frame).
    int GutterWidth() const { return FGutterWidth; }
    void SetGutterWidth(int Value);
    bool WantNavigationKeys() const { return FWantNavigationKeys; }
    void SetWantNavigationKeys(bool Value) { FWantNavigationKeys = Value; }
    // The tick count of the grid click that opened the control over its
    // cell (0: none). A left press in a TqzDBGrid sooner than the double-click
    // time after it is taken as a double click; every left press clears it.
    uint32_t GridClickTime() const { return FGridClickTime; }
    void SetGridClickTime(uint32_t Value) { FGridClickTime = Value; }
    TqzMeasurementUnits MeasurementUnits() const { return FMeasurementUnits; }
    void SetMeasurementUnits(TqzMeasurementUnits Value) { FMeasurementUnits = Value; }
    TqzRichEditWidth EditWidth() const { return FEditWidth; }
    // At the printer's width the lines wrap at the page's text width (a
    // horizontal scroll bar shows what passes the window).
    void SetEditWidth(TqzRichEditWidth Value);
    TColor HighlightColor() const { return FHighlightColor; }
    void SetHighlightColor(TColor Value) { FHighlightColor = Value; }
    const std::string& EditorCaption() const { return FEditorCaption; }
    void SetEditorCaption(const std::string& Value) { FEditorCaption = Value; }
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& Value) { FTitle = Value; }
    unsigned PopupOptions() const { return FPopupOptions; }
    void SetPopupOptions(unsigned Value) { FPopupOptions = Value; }
    unsigned EditorOptions() const { return FEditorOptions; }
    void SetEditorOptions(unsigned Value) { FEditorOptions = Value; }
    int PrintPageSize() const { return FPrintPageSize; }
    // Stores the paper code; with a parent form and UsesPrinterWidth it
    // goes to the printer and the format rectangle follows.
    void SetPrintPageSize(int Value);
    // The rich-edit window class the settings choose (kept as data: one
    // toolkit editor serves them all): "RICHEDIT50W" when MSVersion >= 4 and
    // neither UseClassicClass (1) nor AvoidVersion5Class (10) is set, else
    // "RICHEDIT20A" unless UseClassicClass, else "RICHEDIT"; version 1
    // controls keep "RICHEDIT". Sets UsesVersion5Class (11); every window
    // creation asks it.
    std::string WindowClassName();
    // Internal switches 0 to 11.
    Variant& Settings(int Index) { return FSettings.at(static_cast<std::size_t>(Index)); }

    // The suite's edit frame (focus colouring, transparency). Its borders
    // are drawn over the window while the frame is active (enabled, not in a
    // grid), the text kept inside them. An enabled frame with a NonFocusColor
    // shows that colour while the control has no focus (its own colour kept
    // in SavedColor meanwhile); a transparent one lets what lies behind show
    // while the control has no focus. Changes of the frame show at the next
    // focus change, window creation or QZ_CM_REFRESH.
    TqzEditFrame* Frame() const { return FFrame.get(); }
    void SetFrame(TqzEditFrame* Value);
    // A controller shared with other controls: assigning one copies its
    // Frame into Frame and makes the window again.
    TqzController* Controller() const { return FController; }
    void SetController(TqzController* Value);
    // A transparent frame that is active, not at design time.
    virtual bool IsTransparent();
    // Where the text goes in the client area (the whole client area unless
    // an active frame keeps it inside its borders); at the printer's width
    // as wide as the page's text and as high as the page.
    TRect FormatRect();
    // The control's own colour while the frame's non-focus colour is shown
    // (clNone otherwise).
    TColor SavedColor() const;
    // Replaces the selection as typing would (no typing limit); False, with
    // nothing changed, when the control may not be changed.
    virtual bool ReplaceSelText(const std::string& S);

    int TwipsToScreenPixels(int X) const { return X * ScreenPixelsPerInch() / 1440; }
    int ScreenPixelsToTwips(int X) const { return X * 1440 / ScreenPixelsPerInch(); }

    // ---- Clipboard and objects
    // True when the clipboard holds text or rich text (a picture alone
    // cannot be pasted).
    bool CanPaste();
    // No embedded objects here.
    virtual bool InsertObject() { return false; }
    virtual bool ObjectProperties() { return false; }

    // ---- Find and replace (qzrichsearch.h)
    // The find and replace dialogs and the search's state.
    TqzRichSearch* Search() const { return FSearch.get(); }
    void ShowFindDialog();
    void ShowReplaceDialog();
    // One search step with the find (or replace) dialog's text and options.
    void FindNext();
    void ReplaceNext();
    using TCustomRichEdit::FindText;
    // The first match in StartPos .. StartPos + Length; -1 when none.
    int FindText(const std::string& SearchText, int StartPos, int Length, TqzSearchTypes Options);
    // The last match in StartPos .. StartPos + Length; -1 when none.
    int FindTextBackward(const std::string& SearchText, int StartPos, int Length, TqzSearchTypes Options);
    // Replaces the next match from SelStart; the caret goes after it. False
    // when there is none or the control may not be changed.
    bool FindAndReplace(const std::string& SearchText, const std::string& ReplaceText,
                        TqzSearchTypes Options);

    // ---- Character and paragraph formats
    TFontDialog* FontDialog() const { return FFontDialog; }
    void ShowFontDialog();
    // Name, size (points), colour (clNone: unchanged) and styles of the selection.
    void SetSelFont(const std::string& Name, int Size, TColor Color, TFontStyles Styles);
    // Kind 0 bold, 1 italic, 2 underline, 3 strike-out.
    void ToggleEffect(int Kind, bool On);
    // Color -1: the highlight is removed.
    void SetHighlight(TColor Color);
    TColor GetHighlight();
    void StripHighlight();
    // Offset (first line relative to the others), right and start indents in twips.
    void GetParaIndents(int& Offset, int& RightIndent, int& StartIndent);
    void SetParaFormat(TqzParaParts Parts, const std::string& Alignment, int LineSpacingRule, int LineSpacing,
                       int SpaceAfter, int SpaceBefore, const int* Tabs, int TabCount, int StartIndent,
                       int RightIndent, int Offset, bool Bullet);
    void ToggleBullet(bool On);
    bool HasFindText() const;
    bool HasSelection() const { return !SelText().empty(); }

    // ---- Measurement units
    std::string UnitText(double Value) const;
    std::string SnappedUnitText(int Steps, double Value) const;
    int UnitTextToTwips(const std::string& Text) const;
    double TwipsToUnits(int Twips) const;

    // ---- Popup menu
    // The built-in popup menu (PopupOptions choose its entries).
    TqzRichPopupMenu* RichPopup() const { return FPopup.get(); }

    // ---- Printing (qzrichprint.h)
    // The printing state and the page layout.
    TqzRichPrinting* Printing() const { return FPrinting.get(); }
    TqzPrintMargins* PrintMargins() const;
    void SetPrintMargins(TqzPrintMargins* Value);
    TqzRTFHeaderFooter* PrintHeader() const;
    void SetPrintHeader(TqzRTFHeaderFooter* Value);
    TqzRTFHeaderFooter* PrintFooter() const;
    void SetPrintFooter(TqzRTFHeaderFooter* Value);
    const std::string& PrintJobName() const;
    void SetPrintJobName(const std::string& Value);
    const std::string& PrintPreviewCaption() const;
    void SetPrintPreviewCaption(const std::string& Value);
    // Page rectangle in printer pixels (empty: from the margins).
    TRect PageRect() const;
    void SetPageRect(const TRect& Value);
    // Pages of the last print or preview.
    int PageCount() const;
    bool UsesPrinterWidth();
    // The margins in printer twips, relative to the printable area.
    TRect GetMarginRect();
    void UpdateFormatRect();
    virtual void Print(const std::string& Caption);
    // Printing through a word processor: none is available here, so this
    // shows RichEditMSWordNotFound and answers false.
    bool PrintWithWord(const std::string& DocumentName);
    void PrintPreview();
    TqzPrintHeaderFooterEvent OnPrintHeader() const;
    void SetOnPrintHeader(TqzPrintHeaderFooterEvent Value);
    TqzPrintHeaderFooterEvent OnPrintFooter() const;
    void SetOnPrintFooter(TqzPrintHeaderFooterEvent Value);

    // ---- The editor window (qzrichexecute.cpp, qzricheditform.cpp)
    // Opens the editor window on a copy of the content; true on OK.
    virtual bool Execute();
    // Copies the content (the field's, when not loaded yet) into Target.
    void CopyContentTo(TqzCustomRichEdit* Target);
    // The paragraph and tab dialogs on the selection; true on OK.
    virtual bool ShowParagraphDialog();
    virtual bool ShowTabsDialog();
    virtual bool SpellCheck();
    virtual void DoInitDialog(TForm* Form);
    virtual void DoCloseDialog(TForm* Form);
    virtual void DoCreateDialog(TForm* Form);
    TqzFormPosition* EditorPosition() const;
    void SetEditorPosition(TqzFormPosition* Value);
    bool HasEditorOption(TqzRichEditOption Option) const { return (FEditorOptions >> Option) & 1u; }
    // The editor window while Execute runs (nullptr otherwise).
    TForm* EditorForm() const;
    TSpeedButton* UserSpeedButton1() const;
    void SetUserSpeedButton1(TSpeedButton* Value);
    TSpeedButton* UserSpeedButton2() const;
    void SetUserSpeedButton2(TSpeedButton* Value);
    // The editor window's events (TqzRichEditorSetup holds them).
    TqzOnRichEditDlgEvent OnInitDialog() const;
    void SetOnInitDialog(TqzOnRichEditDlgEvent Value);
    TqzOnRichEditDlgEvent OnCloseDialog() const;
    void SetOnCloseDialog(TqzOnRichEditDlgEvent Value);
    TqzOnRichEditDlgEvent OnCreateDialog() const;
    void SetOnCreateDialog(TqzOnRichEditDlgEvent Value);
    TqzRTFNotifyEvent OnMenuLoadClick() const;
    void SetOnMenuLoadClick(TqzRTFNotifyEvent Value);
    TqzRTFNotifyEvent OnMenuSaveAsClick() const;
    void SetOnMenuSaveAsClick(TqzRTFNotifyEvent Value);
    TqzRTFNotifyEvent OnMenuPrintClick() const;
    void SetOnMenuPrintClick(TqzRTFNotifyEvent Value);
    TqzRTFNotifyEvent OnMenuSaveAndExitClick() const;
    void SetOnMenuSaveAndExitClick(TqzRTFNotifyEvent Value);
    TNotifyEvent OnSpellCheck() const { return FOnSpellCheck; }
    void SetOnSpellCheck(TNotifyEvent Value) { FOnSpellCheck = Value; }

    // ---- Hooks of the data-aware form
    virtual bool IsReadOnly() { return ReadOnly(); }
    virtual void BeginFieldEdit() {}
    virtual void UpdateData() {}
    virtual bool IsMemoLoaded() { return true; }
    virtual TField* GetField() { return nullptr; }
    virtual void LoadMemo() {}
    // Fires OnURLOpen with the control's field.
    virtual void DoURLOpen(std::string& URLLink, bool& UseDefault);

    TqzURLOpenEvent OnURLOpen() const { return FOnURLOpen; }
    void SetOnURLOpen(TqzURLOpenEvent Value) { FOnURLOpen = Value; }

    static void Publish(TPublisher<TqzCustomRichEdit>& p);

protected:
    // A clicked link: OnURLOpen, then the shell's open unless it said no.
    void LinkClick(const std::string& Link) override;
    // Applies qzRichDragDropEffect.
    void DragDropEffect(bool Drop, TShiftState Shift, unsigned& Effect) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    // In a grid: Enter (without Ctrl) stays when WantReturns; Tab stays when
    // the grid takes no tabs; otherwise both focus the grid and go to it.
    void CNKeyDown(TMessage& Message) override;
    // A Tab typed as a character in a grid is dropped.
    void WMChar(TMessage& Message) override;
    // The caret goes to the point as a left click would put it; when that
    // selects nothing the selection before comes back, so a right click
    // keeps the selection the popup menu works on.
    void WMRButtonUp(TMessage& Message) override;
    // The control's Font becomes the default text attributes: what differs
    // from the Font before goes to the text in that former default and to
    // what is typed next.
    void CMFontChanged(TMessage& Message) override;
    // OnDblClick; in a TqzDBGrid the editor window follows.
    void DblClick() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CreateWindowHandle(const TCreateParams& Params) override;
    void DoEnter() override;
    void DoExit() override;
    void PaintOverWidget(TCanvas* Canvas) override;
    void BoundsChanged() override;
    void Dispatch(TMessage& Message) override;
    // The gutter follows the text (TqzRichFrameLook::SelectionChanged).
    void SelectionChange() override;
    // The text rectangle, the margins and the non-focus colour.
    TqzRichFrameLook* FrameLook() const { return FFrameLook.get(); }
    void CreateDialogs();
    void BuildPopupMenu();

    // ---- What the collaborators reach through the host (qzrichhost.h)
    // The control is drawn as a grid cell's copy (the data-aware form's).
    virtual bool IsPaintCopy() { return false; }
    // Changes of the content made meanwhile are the program's, not the user's.
    void SetLoading(bool Value) { FLoading = Value; }
    // Gives the printer PrintPageSize.
    void ApplyPaperSize();
    // The page range of the next print run (Settings 8 and 9; 0: open).
    int PrintFromPage() { return Settings(8).AsInteger(); }
    int PrintToPage() { return Settings(9).AsInteger(); }
    void SetPrintRange(int From, int To) {
        Settings(8) = Variant(From);
        Settings(9) = Variant(To);
    }
    // Fire OnPrintHeader and OnPrintFooter.
    virtual void DoPrintHeader(const TRect& Rect, int PageNumber, std::string& LeftText,
                               std::string& CenterText, std::string& RightText, bool& DoDefault);
    virtual void DoPrintFooter(const TRect& Rect, int PageNumber, std::string& LeftText,
                               std::string& CenterText, std::string& RightText, bool& DoDefault);

private:
    // The edit's answers to its collaborators.
    class THost;
    std::unique_ptr<THost> FHost;
    std::unique_ptr<TqzRichSearch> FSearch;
    TFontDialog* FFontDialog = nullptr;
    std::unique_ptr<TqzRichPopupMenu> FPopup;
    std::unique_ptr<TqzRichPrinting> FPrinting;
    std::unique_ptr<TqzRichEditorSetup> FEditor;
    TNotifyEvent FOnSpellCheck;

    std::unique_ptr<TqzRichEditStrings> FLines;
    std::unique_ptr<TqzEditFrame> FFrame;
    TqzController* FController = nullptr;
    std::unique_ptr<TqzRichStoredForm> FStoredForm;
    bool FLoading = false;
    TqzRichEditOleOptions FOleOptions;
    int FMSVersion = 3;
    int FGutterWidth = 0;
    bool FWantNavigationKeys = false;
    TqzMeasurementUnits FMeasurementUnits = muInches;
    TqzRichEditWidth FEditWidth = rewWindowSize;
    TColor FHighlightColor = 0x00FFFF;
    std::string FEditorCaption = "Edit Rich Text";
    std::string FTitle;
    unsigned FPopupOptions = 0x7F8F;
    unsigned FEditorOptions = 0xFFFC;
    int FPrintPageSize = 1;
    std::array<Variant, 12> FSettings;
    TqzURLOpenEvent FOnURLOpen;
    uint32_t FGridClickTime = 0;
    std::unique_ptr<TqzRichDefaultFont> FDefaultFont;
    std::unique_ptr<TqzRichFrameLook> FFrameLook;
    bool FInRButtonUp = false;
};

// The chunks a chunked load delivers (exposed for tests): line ends made
// CR LF (a chunk's final CR waits for the next chunk), and with ChunkLimit
// > 0 only the first chunks, the last cut after the "{" that follows
// "\pard" (made "}").
std::string qzRichChunkedRead(TStream* Stream, int ChunkLimit);
// The character format a Font stands for (colour as RGB; the size as the
// rich edit takes it at PixelsPerInch).
TRtfCharFormat qzFontCharFormat(TFont* Font, int PixelsPerInch);
// RTF without its highlight control words (backslash, "highlight", digits,
// one optional space); one after an odd number of backslashes is text and stays.
std::string qzStripHighlightRtf(const std::string& Rtf);
