// The line adapter over the paragraphs, chunked loading with line ends made even, and
// the rich edit's streams and print settings.
#include "suite/richtext/qzriched.h"

#include "platform/core/clock.h"
#include "platform/core/exceptions.h"
#include "platform/core/rtf.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/drawing.h"
#include "platform/ui/edit_window.h"
#include "platform/ui/forms.h"
#include "platform/ui/grids.h"
#include "platform/ui/printers.h"
#include "platform/ui/shell_open.h"
#include "platform/ui/window_services.h"
#include "suite/base/qzcontroller.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzproputils.h"
#include "suite/richtext/qzrichdeffont.h"
#include "suite/richtext/qzricheditorsetup.h"
#include "suite/richtext/qzrichframelook.h"
#include "suite/richtext/qzrichhost.h"
#include "suite/richtext/qzrichpopup.h"
#include "suite/richtext/qzrichprint.h"
#include "suite/richtext/qzrichsearch.h"
#include "suite/richtext/qzrichstore.h"

// ---- TqzRichMemoryStream -------------------------------------------------------------------

void* TqzRichMemoryStream::Realloc(int64_t& NewCapacity) {
    if (NewCapacity > 0) NewCapacity = (NewCapacity + Step - 1) / Step * Step;
    return TMemoryStream::Realloc(NewCapacity);
}

// ---- Chunked reading ----------------------------------------------------------------------

namespace {

// What one request of the control takes from the stream: half its buffer.
constexpr int64_t kChunkBytes = 2048;

// Every LF alone and every CR alone becomes CR LF.
std::string NormalizeLineEnds(const std::string& s) {
    std::string out;
    out.reserve(s.size() + s.size() / 16);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string qzRichChunkedRead(TStream* Stream, int ChunkLimit) {
    std::string out;
    std::string carry;  // a chunk's final CR, which may start a CR LF
    int counter = 0;
    for (;;) {
        if (ChunkLimit > 0 && counter >= ChunkLimit) break;
        std::string raw(static_cast<std::size_t>(kChunkBytes), '\0');
        const int64_t n = Stream->Read(raw.data(), kChunkBytes);
        raw.resize(static_cast<std::size_t>(std::max<int64_t>(0, n)));
        if (raw.empty()) {
            if (!carry.empty()) out += "\r\n";
            break;
        }
        std::string in = carry + raw;
        carry.clear();
        if (in.back() == '\r') {
            in.pop_back();
            carry = "\r";
        }
        std::string chunk = NormalizeLineEnds(in);
        if (ChunkLimit > 0 && ++counter >= ChunkLimit) {
            // the last chunk ends at the first group after the paragraph
            // settings, closed: the cut document still reads
            const std::size_t pard = chunk.find("\\pard");
            if (pard != std::string::npos) {
                const std::size_t brace = chunk.find('{', pard);
                if (brace != std::string::npos) {
                    chunk[brace] = '}';
                    chunk.resize(brace + 1);
                }
            }
        }
        out += chunk;
        if (ChunkLimit > 0) ++counter;
    }
    return out;
}

// ---- TqzRichEditStrings -------------------------------------------------------------------

std::string TqzRichEditStrings::Get(int Index) const {
    if (Index < 0 || Index >= FRichEdit->LineCount()) return {};
    return FRichEdit->Line(Index);
}

int TqzRichEditStrings::GetCount() const {
    const int count = FRichEdit->LineCount();
    if (count > 0 && FRichEdit->Line(count - 1).empty()) return count - 1;
    return count;
}

void TqzRichEditStrings::Put(int Index, const std::string& S) {
    if (Index < 0) return;
    const int start = FRichEdit->LineIndex(Index);
    if (start < 0) return;
    FRichEdit->SetSelStart(start);
    FRichEdit->SetSelLength(static_cast<int>(FRichEdit->Line(Index).size()));
    FRichEdit->SetSelText(S);
}

void TqzRichEditStrings::Insert(int Index, const std::string& S) {
    if (Index < 0) return;
    const int start = FRichEdit->LineIndex(Index);
    if (start >= 0) {
        FRichEdit->SetSelStart(start);
        FRichEdit->SetSelLength(0);
        FRichEdit->SetSelText(S + "\n");
        return;
    }
    // past the last line: after the last line, unless it is empty
    const int prev = FRichEdit->LineIndex(Index - 1);
    if (prev < 0) return;
    const std::string last = FRichEdit->Line(Index - 1);
    if (last.empty()) return;
    FRichEdit->SetSelStart(prev + static_cast<int>(last.size()));
    FRichEdit->SetSelLength(0);
    FRichEdit->SetSelText("\n" + S);
}

void TqzRichEditStrings::Delete(int Index) {
    const int count = FRichEdit->LineCount();
    if (Index < 0 || Index >= count) IndexError(Index);
    const int start = FRichEdit->LineIndex(Index);
    int end = Index + 1 < count ? FRichEdit->LineIndex(Index + 1)
                                : start + static_cast<int>(FRichEdit->Line(Index).size());
    int from = start;
    if (Index + 1 >= count && Index > 0) from = start - 1;  // the last line takes the break before it
    FRichEdit->SetSelStart(from);
    FRichEdit->SetSelLength(end - from);
    FRichEdit->SetSelText("");
}

void TqzRichEditStrings::Clear() { FRichEdit->Clear(); }

void TqzRichEditStrings::AddStrings(TStrings* Strings) {
    const TNotifyEvent saved = FRichEdit->OnSelectionChange();
    FRichEdit->SetOnSelectionChange(nullptr);
    try {
        TStrings::AddStrings(Strings);
    } catch (...) {
        FRichEdit->SetOnSelectionChange(saved);
        throw;
    }
    FRichEdit->SetOnSelectionChange(saved);
}

void TqzRichEditStrings::SetTextStr(const std::string& Value) {
    const unsigned mask = FRichEdit->EventMask();
    FRichEdit->SetEventMask(mask & ~enmChange);
    try {
        std::string t = Value;
        if (!t.empty() && t.back() == '\n') t.pop_back();
        if (!t.empty() && t.back() == '\r') t.pop_back();
        FRichEdit->StreamIn(t, false, false);
    } catch (...) {
        FRichEdit->SetEventMask(mask);
        throw;
    }
    FRichEdit->SetEventMask(mask);
}

std::string TqzRichEditStrings::GetTextStr() const {
    std::string out;
    for (int i = 0, n = GetCount(); i < n; ++i) out += Get(i) + "\r\n";
    return out;
}

void TqzRichEditStrings::LoadFromStream(TStream* Stream) { FRichEdit->LoadFromStream(Stream, false, 0); }

void TqzRichEditStrings::SaveToStream(TStream* Stream) { FRichEdit->TCustomRichEdit::SaveToStream(Stream); }

// ---- TqzCustomRichEdit --------------------------------------------------------------------

class TqzCustomRichEdit::THost final : public TqzRichEditHost {
public:
    explicit THost(TqzCustomRichEdit* Edit) : E(Edit) {}
    int TextLength() override { return static_cast<int>(E->Text().size()); }
    int FontSize() override { return E->Font()->Size(); }
    int FormatRange(TCanvas* Canvas, int Dpi, int From, const TRect& TwipsRect, bool Render) override {
        return E->FormatRange(Canvas, Dpi, From, TwipsRect, Render);
    }
    void DrawRange(TCanvas* Canvas, int Dpi, int From, const TRect& TwipsRect) override {
        E->DrawRange(Canvas, Dpi, From, TwipsRect);
    }
    int MarginTwips(double Value) override { return E->UnitTextToTwips(E->UnitText(Value)); }
    int GutterWidth() override { return E->GutterWidth(); }
    int ScreenPixelsPerInch() override { return E->ScreenPixelsPerInch(); }
    bool UsesPrinterWidth() override { return E->UsesPrinterWidth(); }
    void ApplyPaperSize() override { E->ApplyPaperSize(); }
    int PrintFromPage() override { return E->PrintFromPage(); }
    int PrintToPage() override { return E->PrintToPage(); }
    void SetPrintRange(int From, int To) override { E->SetPrintRange(From, To); }
    void DoPrintHeader(const TRect& Rect, int PageNumber, std::string& LeftText, std::string& CenterText,
                       std::string& RightText, bool& DoDefault) override {
        E->DoPrintHeader(Rect, PageNumber, LeftText, CenterText, RightText, DoDefault);
    }
    void DoPrintFooter(const TRect& Rect, int PageNumber, std::string& LeftText, std::string& CenterText,
                       std::string& RightText, bool& DoDefault) override {
        E->DoPrintFooter(Rect, PageNumber, LeftText, CenterText, RightText, DoDefault);
    }
    bool IsPaintCopy() override { return E->IsPaintCopy(); }
    void SetLoading(bool Value) override { E->SetLoading(Value); }

private:
    TqzCustomRichEdit* E;
};

TqzCustomRichEdit::TqzCustomRichEdit(TComponent* AOwner)
    : TCustomRichEdit(AOwner),
      FHost(std::make_unique<THost>(this)),
      FPrinting(std::make_unique<TqzRichPrinting>(FHost.get())),
      FEditor(std::make_unique<TqzRichEditorSetup>(this)),
      FLines(std::make_unique<TqzRichEditStrings>(this)),
      FFrame(std::make_unique<TqzEditFrame>(this)),
      FStoredForm(std::make_unique<TqzRichStoredForm>(this)),
      FDefaultFont(std::make_unique<TqzRichDefaultFont>(this, FHost.get())),
      FFrameLook(std::make_unique<TqzRichFrameLook>(this, FHost.get())) {
    for (int i : {0, 1, 2, 3, 4, 6, 10}) FSettings[static_cast<std::size_t>(i)] = Variant(false);
    FSettings[5] = Variant(0);
    FSettings[7] = Variant(true);
    FSettings[8] = Variant(0);
    FSettings[9] = Variant(0);
    FSettings[11] = Variant(3);
    SetAutoSelect(false);
    CreateDialogs();
}

TqzCustomRichEdit::~TqzCustomRichEdit() {
    Destroying();
    DestroyHandle();
}

void TqzCustomRichEdit::SetLines(TStrings* Value) { FLines->Assign(Value); }

void TqzCustomRichEdit::LoadFromStream(TStream* Stream, bool Selection, int ChunkLimit) {
    const bool wasLoading = FLoading;
    FLoading = true;
    try {
        const int64_t start = Stream->Position();
        const bool rtf = !PlainText();
        if (!StreamIn(qzRichChunkedRead(Stream, ChunkLimit), rtf, Selection) && rtf && !Selection) {
            // not RTF: the same bytes as plain text, counted afresh
            Stream->SetPosition(start);
            if (!StreamIn(qzRichChunkedRead(Stream, ChunkLimit), false, false))
                throw EOutOfResources("Failed to Load Stream");
        }
    } catch (...) {
        FLoading = wasLoading;
        throw;
    }
    FLoading = wasLoading;
}

void TqzCustomRichEdit::SaveSelectionRTF(TStream* Stream) {
    const std::string data = StreamOut(true, true);
    if (!data.empty()) Stream->WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
}

void TqzCustomRichEdit::LoadSelectionRTF(TStream* Stream) {
    Stream->SetPosition(0);
    std::string data(static_cast<std::size_t>(std::max<int64_t>(0, Stream->Size())), '\0');
    if (!data.empty()) Stream->ReadBuffer(data.data(), static_cast<int64_t>(data.size()));
    StreamIn(data, true, true);
}

int TqzCustomRichEdit::RichEditVersion() const { return FStoredForm->Version(); }

std::string TqzCustomRichEdit::WindowClassName() {
    std::string name = "RICHEDIT";
    if (RichEditVersion() >= 2) {
        const bool classic = FSettings[1].AsBoolean(), avoid5 = FSettings[10].AsBoolean();
        if (FMSVersion >= 4 && !classic && !avoid5)
            name = "RICHEDIT50W";
        else if (!classic)
            name = "RICHEDIT20A";
    }
    FSettings[11] = Variant(name == "RICHEDIT50W");
    return name;
}

// ---- Printing (the state and the page layout are TqzRichPrinting's)

TqzPrintMargins* TqzCustomRichEdit::PrintMargins() const { return FPrinting->Margins(); }
void TqzCustomRichEdit::SetPrintMargins(TqzPrintMargins* Value) { FPrinting->Margins()->Assign(Value); }
TqzRTFHeaderFooter* TqzCustomRichEdit::PrintHeader() const { return FPrinting->Header(); }
void TqzCustomRichEdit::SetPrintHeader(TqzRTFHeaderFooter* Value) { FPrinting->Header()->Assign(Value); }
TqzRTFHeaderFooter* TqzCustomRichEdit::PrintFooter() const { return FPrinting->Footer(); }
void TqzCustomRichEdit::SetPrintFooter(TqzRTFHeaderFooter* Value) { FPrinting->Footer()->Assign(Value); }
const std::string& TqzCustomRichEdit::PrintJobName() const { return FPrinting->JobName(); }
void TqzCustomRichEdit::SetPrintJobName(const std::string& Value) { FPrinting->SetJobName(Value); }
const std::string& TqzCustomRichEdit::PrintPreviewCaption() const { return FPrinting->PreviewCaption(); }
void TqzCustomRichEdit::SetPrintPreviewCaption(const std::string& Value) {
    FPrinting->SetPreviewCaption(Value);
}
TRect TqzCustomRichEdit::PageRect() const { return FPrinting->PageRect(); }
void TqzCustomRichEdit::SetPageRect(const TRect& Value) { FPrinting->SetPageRect(Value); }
int TqzCustomRichEdit::PageCount() const { return FPrinting->PageCount(); }
TqzPrintHeaderFooterEvent TqzCustomRichEdit::OnPrintHeader() const { return FPrinting->OnHeader(); }
void TqzCustomRichEdit::SetOnPrintHeader(TqzPrintHeaderFooterEvent Value) { FPrinting->SetOnHeader(Value); }
TqzPrintHeaderFooterEvent TqzCustomRichEdit::OnPrintFooter() const { return FPrinting->OnFooter(); }
void TqzCustomRichEdit::SetOnPrintFooter(TqzPrintHeaderFooterEvent Value) { FPrinting->SetOnFooter(Value); }
TRect TqzCustomRichEdit::GetMarginRect() { return FPrinting->MarginRect(); }
void TqzCustomRichEdit::Print(const std::string& Caption) { FPrinting->Print(Caption); }

void TqzCustomRichEdit::SetPrintPageSize(int Value) {
    FPrintPageSize = Value;
    if (GetParentForm(this) && UsesPrinterWidth()) {
        ApplyPaperSize();
        UpdateFormatRect();
    }
}

bool TqzCustomRichEdit::UsesPrinterWidth() {
    return FEditWidth == rewPrinterSize && Printer()->Printers()->Count() > 0;
}

void TqzCustomRichEdit::ApplyPaperSize() { Printer()->SetPaperSize(FPrintPageSize); }

void TqzCustomRichEdit::SetEditWidth(TqzRichEditWidth Value) {
    if (Value == FEditWidth) return;
    FEditWidth = Value;
    UpdateFormatRect();
}

void TqzCustomRichEdit::UpdateFormatRect() {
    const bool was = FLoading;
    FLoading = true;
    FrameLook()->Apply();
    FLoading = was;
}

void TqzCustomRichEdit::DoPrintHeader(const TRect& Rect, int PageNumber, std::string& LeftText,
                                      std::string& CenterText, std::string& RightText, bool& DoDefault) {
    const TRect copy = Rect;
    FPrinting->OnHeader()(this, copy, PageNumber, LeftText, CenterText, RightText, DoDefault);
}

void TqzCustomRichEdit::DoPrintFooter(const TRect& Rect, int PageNumber, std::string& LeftText,
                                      std::string& CenterText, std::string& RightText, bool& DoDefault) {
    const TRect copy = Rect;
    FPrinting->OnFooter()(this, copy, PageNumber, LeftText, CenterText, RightText, DoDefault);
}

bool TqzCustomRichEdit::PrintWithWord(const std::string&) {
    // no word-processor automation server exists on this platform
    const std::string msg = qzIntl() ? qzIntl()->UserMessages()->RichEditMSWordNotFound()
                                     : std::string("Unable to start Microsoft Word's Spell Checker.");
    MessageDlg(msg, mtInformation, {mbOK}, 0);
    return false;
}

// ---- Frame, focus colouring and transparency

void TqzCustomRichEdit::SetFrame(TqzEditFrame* Value) {
    FFrame->Assign(Value);
    if (HandleAllocated()) FFrameLook->ShowNonFocusColor();
    FFrameLook->Apply();
}

void TqzCustomRichEdit::SetController(TqzController* Value) {
    qzSetController(FController, Value, this);
    if (!Value) return;  // letting go changes nothing that shows
    if (HandleAllocated())
        RecreateWnd();
    else
        FFrameLook->Apply();
}

TRect TqzCustomRichEdit::FormatRect() { return FFrameLook->FormatRect(); }

TColor TqzCustomRichEdit::SavedColor() const { return FFrameLook->SavedColor(); }

void TqzCustomRichEdit::SetGutterWidth(int Value) {
    if (Value == FGutterWidth) return;
    FGutterWidth = Value;
    if (FFrameLook->HasTextRect() || qzEditFrameIsActive(FFrame.get())) FFrameLook->Apply();
}

void TqzCustomRichEdit::SelectionChange() {
    FFrameLook->SelectionChanged();
    TCustomRichEdit::SelectionChange();
}

void TqzCustomRichEdit::CreateWindowHandle(const TCreateParams& Params) {
    WindowClassName();  // records UsesVersion5Class for this window
    TCustomRichEdit::CreateWindowHandle(Params);
    if (FDefaultFont) FDefaultFont->WindowCreated();
    FFrameLook->ShowNonFocusColor();
    FFrameLook->Apply();
}

void TqzCustomRichEdit::DoEnter() {
    FFrameLook->Entered();
    if (AutoSelect() && !ControlState().Contains(csLButtonDown) && !GetCaptureControl()) SelectAll();
    TCustomRichEdit::DoEnter();
    FFrameLook->Apply();
}

void TqzCustomRichEdit::DoExit() {
    if (!RunWhileAlive(this, [this] { TCustomRichEdit::DoExit(); })) return;  // OnExit
    FFrameLook->Exited();
    FFrameLook->Apply();
    if (IsTransparent()) qzInvalidateBehindFramedControl(this);
}

void TqzCustomRichEdit::PaintOverWidget(TCanvas* Canvas) {
    TCustomRichEdit::PaintOverWidget(Canvas);
    if (IsPaintCopy()) return;
    FFrameLook->PaintMargins(Canvas);
    if (qzEditFrameIsActive(FFrame.get())) qzDrawEditFrame(this, FFrame.get(), Canvas, Focused());
}

void TqzCustomRichEdit::BoundsChanged() {
    TCustomRichEdit::BoundsChanged();
    if (FFrameLook->HasTextRect() || qzEditFrameIsActive(FFrame.get()) || qzIsInGrid(this))
        FFrameLook->Apply();
}

void TqzCustomRichEdit::Dispatch(TMessage& Message) {
    if (Message.Msg == QZ_CM_REFRESH) {
        FFrameLook->Apply();
        if (IsTransparent()) qzInvalidateBehindFramedControl(this);
        return;
    }
    if (Message.Msg == WM_LBUTTONDOWN && Parent() && qzClassInheritsFrom(Parent(), "TqzDBGrid")) {
        // the press soon after the grid click that opened the control is its second click
        if (FGridClickTime != 0 && GetTickCount() - FGridClickTime < GetDoubleClickTime())
            Message.Msg = WM_LBUTTONDBLCLK;
        FGridClickTime = 0;
    }
    TCustomRichEdit::Dispatch(Message);
}

bool TqzCustomRichEdit::IsTransparent() {
    return FFrame->Transparent() && qzEditFrameIsActive(FFrame.get()) && !qzIsDesigning(this);
}

bool TqzCustomRichEdit::CanPaste() {
    const auto data = ClipboardService().GetData();
    return data.count(CF_TEXT) > 0 || data.count(CF_UNICODETEXT) > 0 || data.count(CF_RTF()) > 0;
}

void TqzCustomRichEdit::DoURLOpen(std::string& URLLink, bool& UseDefault) {
    FOnURLOpen(this, URLLink, GetField(), UseDefault);
}

unsigned qzRichDragDropEffect(bool Drop, TShiftState Shift, unsigned Effect) {
    if (!Drop) return Effect;
    unsigned wanted = deMove;
    if (Shift.Contains(ssCtrl) && Shift.Contains(ssShift))
        wanted = deLink;
    else if (Shift.Contains(ssCtrl))
        wanted = deCopy;
    return (Effect & wanted) ? wanted : Effect;
}

void TqzCustomRichEdit::DragDropEffect(bool Drop, TShiftState Shift, unsigned& Effect) {
    Effect = qzRichDragDropEffect(Drop, Shift, Effect);
}

void TqzCustomRichEdit::LinkClick(const std::string& Link) {
    if (!(EventMask() & enmLink)) return;
    TCustomRichEdit::LinkClick(Link);
    bool useDefault = true;
    std::string link = Link;
    DoURLOpen(link, useDefault);
    if (!useDefault) return;
    TqzHourGlass busy;  // while the shell opens the link
    ShellOpenLink(link);
}

void TqzCustomRichEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (qzIsInGrid(this) && !qzIsDesigning(this)) {
        // keys that move in the grid go to it
        bool toGrid = false;
        switch (Key) {
        case VK_ESCAPE: toGrid = !Modified(); break;
        case VK_PRIOR:
        case VK_NEXT:
        case VK_UP:
        case VK_DOWN: toGrid = !FWantNavigationKeys && !Shift.Contains(ssAlt); break;
        case VK_HOME:
        case VK_END: toGrid = Shift.Contains(ssCtrl); break;
        default: break;
        }
        if (toGrid) {
            const uint16_t key = Key;
            Key = 0;
            Parent()->Perform(WM_KEYDOWN, key, 0);
            return;
        }
    }
    if (!RunWhileAlive(this, [&] { TCustomRichEdit::KeyDown(Key, Shift); })) return;
    if (Key == VK_F2 && Shift.Empty() && ((FPopupOptions >> rpoPopupEdit) & 1u) && !qzIsDesigning(this)) {
        Key = 0;
        Execute();
        return;
    }
    const bool paste = (Key == VK_INSERT && Shift.Contains(ssShift) && !Shift.Contains(ssCtrl)) ||
                       (Key == 'V' && Shift.Contains(ssCtrl) && !Shift.Contains(ssShift));
    if (paste && !CanPaste()) Key = 0;
}

TRtfCharFormat qzFontCharFormat(TFont* Font, int PixelsPerInch) {
    TRtfCharFormat c;
    c.FontName = Font->Name();
    c.Charset = Font->Charset();
    c.Pitch = Font->Pitch() == fpFixed ? 1 : Font->Pitch() == fpVariable ? 2 : 0;
    c.Size = TCustomRichEdit::FontHalfPoints(Font, PixelsPerInch);
    const TFontStyles st = Font->Style();
    c.Bold = st.Contains(fsBold);
    c.Italic = st.Contains(fsItalic);
    c.Underline = st.Contains(fsUnderline);
    c.StrikeOut = st.Contains(fsStrikeOut);
    c.Color = ColorToRGB(Font->Color());
    return c;
}

void TqzCustomRichEdit::CMFontChanged(TMessage& Message) {
    TCustomRichEdit::CMFontChanged(Message);
    if (FDefaultFont) FDefaultFont->FontChanged();
}

void TqzCustomRichEdit::CNKeyDown(TMessage& Message) {
    auto* grid = dynamic_cast<TCustomGrid*>(Parent());
    const auto key = static_cast<uint16_t>(Message.WParam);
    if (!grid || qzIsDesigning(this) || (key != VK_TAB && key != VK_RETURN)) {
        TCustomRichEdit::CNKeyDown(Message);
        return;
    }
    const TShiftState shift = KeyDataToShiftState(Message.LParam);
    Message.Result = 0;
    if (key == VK_RETURN && WantReturns() && !shift.Contains(ssCtrl)) return;
    if (key == VK_TAB && !grid->Options().Contains(goTabs)) return;
    if (grid->CanFocus()) grid->SetFocus();
    if (grid->Focused()) grid->Perform(WM_KEYDOWN, key, Message.LParam);
    Message.Result = 1;
}

void TqzCustomRichEdit::WMChar(TMessage& Message) {
    if (Message.WParam == 9 && qzIsInGrid(this)) return;
    TCustomRichEdit::WMChar(Message);
}

void TqzCustomRichEdit::WMRButtonUp(TMessage& Message) {
    if (FInRButtonUp || !HandleAllocated()) {
        TCustomRichEdit::WMRButtonUp(Message);
        return;
    }
    FInRButtonUp = true;
    try {
        const int start = SelStart(), length = SelLength();
        // the caret to the point, as a left click puts it (Shift extends)
        const int at = CharFromPos(MousePos(Message));
        if (KeysToShiftState(Message.WParam).Contains(ssShift)) {
            const int anchor = at < start ? start + length : start;
            SetSelStart(std::min(anchor, at));
            SetSelLength(std::abs(at - anchor));
        } else {
            SetSelStart(at);
            SetSelLength(0);
        }
        if (SelLength() == 0) {
            SetSelStart(start);
            SetSelLength(length);
        }
        TCustomRichEdit::WMRButtonUp(Message);
    } catch (...) {
        FInRButtonUp = false;
        throw;
    }
    FInRButtonUp = false;
}

void TqzCustomRichEdit::DblClick() {
    if (!RunWhileAlive(this, [this] { TCustomRichEdit::DblClick(); })) return;
    if (Parent() && qzClassInheritsFrom(Parent(), "TqzDBGrid") && !qzIsDesigning(this)) Execute();
}

void TqzCustomRichEdit::Publish(TPublisher<TqzCustomRichEdit>& p) {
    p.Property("Lines", &TqzCustomRichEdit::Lines, &TqzCustomRichEdit::SetLines);
    p.Property("MSVersion", &TqzCustomRichEdit::MSVersion, &TqzCustomRichEdit::SetMSVersion);
    p.Property("GutterWidth", &TqzCustomRichEdit::GutterWidth, &TqzCustomRichEdit::SetGutterWidth);
    p.Property("OleOptions", &TqzCustomRichEdit::OleOptions, &TqzCustomRichEdit::SetOleOptions);
    p.Property("WantNavigationKeys", &TqzCustomRichEdit::WantNavigationKeys,
               &TqzCustomRichEdit::SetWantNavigationKeys);
    p.Property("MeasurementUnits", &TqzCustomRichEdit::MeasurementUnits,
               &TqzCustomRichEdit::SetMeasurementUnits);
    p.Property("EditWidth", &TqzCustomRichEdit::EditWidth, &TqzCustomRichEdit::SetEditWidth);
    p.Property("HighlightColor", &TqzCustomRichEdit::HighlightColor, &TqzCustomRichEdit::SetHighlightColor);
    p.Property("EditorCaption", &TqzCustomRichEdit::EditorCaption, &TqzCustomRichEdit::SetEditorCaption);
    p.Property("Title", &TqzCustomRichEdit::Title, &TqzCustomRichEdit::SetTitle);
    p.Property("PrintPageSize", &TqzCustomRichEdit::PrintPageSize, &TqzCustomRichEdit::SetPrintPageSize);
    p.Property("OnURLOpen", &TqzCustomRichEdit::OnURLOpen, &TqzCustomRichEdit::SetOnURLOpen);
    p.Property("Frame", &TqzCustomRichEdit::Frame, &TqzCustomRichEdit::SetFrame);
}
