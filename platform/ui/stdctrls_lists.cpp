// List boxes and combo boxes.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>

#include "platform/core/case_fold.h"
#include "platform/core/sysutils.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/stdctrls_items_qt.h"
#include "platform/ui/stdctrls_qt.h"

namespace {

// Rows of the list box's item height; owner-drawn rows are drawn and
// measured by the list box.
class TRowDelegate : public QStyledItemDelegate {
public:
    TRowDelegate(QObject* Parent, TCustomListBox* ListBox) : QStyledItemDelegate(Parent), FListBox(ListBox) {}
    QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override {
        QSize s = QStyledItemDelegate::sizeHint(Option, Index);
        s.setHeight(FListBox->Style() == lbOwnerDrawVariable ? MeasureOwnerDrawnRow(FListBox, Index.row())
                                                             : FListBox->ItemHeight());
        return s;
    }
    void paint(QPainter* Painter, const QStyleOptionViewItem& Option,
               const QModelIndex& Index) const override {
        if (FListBox->Style() == lbStandard) {
            // The window runs right to left for a left scroll bar; the rows
            // align by the control's own alignment.
            QStyleOptionViewItem row = Option;
            row.direction = FListBox->UseRightToLeftAlignment() ? Qt::RightToLeft : Qt::LeftToRight;
            QStyledItemDelegate::paint(Painter, row, Index);
        } else
            PaintOwnerDrawnRow(FListBox, Painter, Option, Index.row());
    }

private:
    TCustomListBox* FListBox;
};

}  // namespace

// The frame a window of these parameters asks for.
void ApplyFrame(QFrame* Frame, const TCreateParams& Params) {
    if (Params.ExStyle & WS_EX_CLIENTEDGE) {
        Frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        Frame->setLineWidth(2);
    } else if (Params.Style & WS_BORDER) {
        Frame->setFrameStyle(QFrame::Box | QFrame::Plain);
        Frame->setLineWidth(1);
    } else {
        Frame->setFrameStyle(QFrame::NoFrame);
    }
}

// ---- TListAdapter ------------------------------------------------------------------------------

TListAdapter::TListAdapter(TCustomListBox* ListBox, QListWidget* Widget)
    : FListBox(ListBox), FWidget(Widget) {}

void TListAdapter::Reload() {
    Silent = true;
    FWidget->clear();
    auto* items = static_cast<TListBoxStrings*>(FListBox->Items());
    for (const auto& item : items->Items()) FWidget->addItem(ToQString(item.first));
    for (int i = 0; i < FWidget->count(); ++i)
        if (FListBox->FSelected[static_cast<std::size_t>(i)]) FWidget->item(i)->setSelected(true);
    if (FListBox->FItemIndex >= 0 && FListBox->FItemIndex < FWidget->count())
        FWidget->setCurrentRow(FListBox->FItemIndex, FListBox->MultiSelect()
                                                         ? QItemSelectionModel::NoUpdate
                                                         : QItemSelectionModel::ClearAndSelect);
    Silent = false;
}

void TListAdapter::ApplyItemHeight() { FWidget->doItemsLayout(); }

void TListAdapter::ApplySelectionMode() {
    FWidget->setSelectionMode(!FListBox->MultiSelect()     ? QAbstractItemView::SingleSelection
                              : FListBox->ExtendedSelect() ? QAbstractItemView::ExtendedSelection
                                                           : QAbstractItemView::MultiSelection);
}

// ---- TCustomListBox ------------------------------------------------------------------------------

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWinControl(AOwner),
      FItems(std::make_unique<TListBoxStrings>(this)),
      FCanvas(std::make_unique<TCanvas>()) {
    SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks});
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetColor(clWindow);
}

TCustomListBox::~TCustomListBox() {
    Destroying();
    DestroyHandle();
}

void TCustomListBox::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    AddBorderStyle(Params, FBorderStyle, Ctl3D());
}

void TCustomListBox::CreateWindowHandle(const TCreateParams& Params) {
    auto* w = new TQtScrollHost<QListWidget>(this, ParentWidgetFor(Params));
    if (!ParentWidgetFor(Params)) {
        Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint;
        if (Params.ExStyle & WS_EX_TOPMOST) flags |= Qt::WindowStaysOnTopHint;
        w->setWindowFlags(flags);
        w->setAttribute(Qt::WA_ShowWithoutActivating);
    }
    ApplyFrame(w, Params);
    w->setItemDelegate(new TRowDelegate(w, this));
    w->setUniformItemSizes(FStyle != lbOwnerDrawVariable);
    w->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    w->setContextMenuPolicy(Qt::NoContextMenu);
    FAdapter = std::make_unique<TListAdapter>(this, w);
    FAdapter->ApplySelectionMode();
    FAdapter->Reload();
    QObject* receiver = &FAdapter->Receiver;
    QObject::connect(w, &QListWidget::itemSelectionChanged, receiver, [this] { SelectionChangedByWidget(); });
    QObject::connect(w, &QListWidget::currentRowChanged, receiver,
                     [this](int) { SelectionChangedByWidget(); });
    QObject::connect(w, &QListWidget::itemDoubleClicked, receiver,
                     [this](QListWidgetItem*) { GuardedCall(this, [this] { DblClick(); }); });
    AttachWidget(w, false);
    if (UseRightToLeftScrollBar()) SetWidgetRightToLeft(true);
    SetTopIndex(FTopIndex);
}

void TCustomListBox::BiDiModeChanged() {
    SetWidgetRightToLeft(UseRightToLeftScrollBar());
    TWinControl::BiDiModeChanged();
}

void TCustomListBox::DestroyWnd() {
    if (FAdapter) FTopIndex = TopIndex();
    TWinControl::DestroyWnd();
    FAdapter.reset();
}

void TCustomListBox::SelectionChangedByWidget() {
    if (!FAdapter || FAdapter->Silent || FChangingSelection) return;
    QListWidget* w = FAdapter->Widget();
    bool changed = false;
    for (int i = 0; i < w->count() && i < static_cast<int>(FSelected.size()); ++i) {
        const char s = w->item(i)->isSelected() ? 1 : 0;
        if (FSelected[static_cast<std::size_t>(i)] != s) {
            FSelected[static_cast<std::size_t>(i)] = s;
            changed = true;
        }
    }
    int index = w->currentRow();
    if (!FMultiSelect) {
        index = -1;
        for (int i = 0; i < static_cast<int>(FSelected.size()); ++i)
            if (FSelected[static_cast<std::size_t>(i)]) {
                index = i;
                break;
            }
    }
    if (index != FItemIndex) {
        FItemIndex = index;
        changed = true;
    }
    if (changed) GuardedCall(this, [this] { Click(); });
}

void TCustomListBox::SetItems(TStrings* Value) { FItems->Assign(Value); }

int TCustomListBox::Count() const { return FItems->Count(); }

int TCustomListBox::ItemIndex() const { return FItemIndex; }

void TCustomListBox::SetItemIndex(int Value) {
    if (Value < -1 || Value >= Count()) Value = -1;
    if (!FMultiSelect) std::fill(FSelected.begin(), FSelected.end(), 0);
    if (!FMultiSelect && Value >= 0) FSelected[static_cast<std::size_t>(Value)] = 1;
    FItemIndex = Value;
    if (FAdapter) {
        FChangingSelection = true;
        QListWidget* w = FAdapter->Widget();
        if (FMultiSelect) {
            if (Value >= 0) w->setCurrentRow(Value, QItemSelectionModel::NoUpdate);
        } else if (Value < 0) {
            w->clearSelection();
            w->setCurrentRow(-1);
        } else {
            w->setCurrentRow(Value, QItemSelectionModel::ClearAndSelect);
        }
        FChangingSelection = false;
    }
}

void TCustomListBox::SetMultiSelect(bool Value) {
    if (Value == FMultiSelect) return;
    FMultiSelect = Value;
    if (FAdapter) FAdapter->ApplySelectionMode();
}

void TCustomListBox::SetExtendedSelect(bool Value) {
    if (Value == FExtendedSelect) return;
    FExtendedSelect = Value;
    if (FAdapter) FAdapter->ApplySelectionMode();
}

bool TCustomListBox::Selected(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
    return FSelected[static_cast<std::size_t>(Index)] != 0;
}

void TCustomListBox::SetSelected(int Index, bool Value) {
    if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
    if (!FMultiSelect) {
        SetItemIndex(Value ? Index : (FItemIndex == Index ? -1 : FItemIndex));
        return;
    }
    FSelected[static_cast<std::size_t>(Index)] = Value ? 1 : 0;
    if (FAdapter) {
        FChangingSelection = true;
        FAdapter->Widget()->item(Index)->setSelected(Value);
        FChangingSelection = false;
    }
}

int TCustomListBox::SelCount() const {
    if (!FMultiSelect) return -1;
    return static_cast<int>(std::count(FSelected.begin(), FSelected.end(), 1));
}

void TCustomListBox::SelectAll() {
    if (!FMultiSelect) return;
    for (int i = 0; i < Count(); ++i) SetSelected(i, true);
}

void TCustomListBox::ClearSelection() {
    if (!FMultiSelect) {
        SetItemIndex(-1);
        return;
    }
    for (int i = 0; i < Count(); ++i) SetSelected(i, false);
}

void TCustomListBox::Clear() { FItems->Clear(); }

void TCustomListBox::SetSorted(bool Value) {
    if (Value == FSorted) return;
    FSorted = Value;
    if (Value) static_cast<TListBoxStrings*>(FItems.get())->Sort();
}

void TCustomListBox::SetItemHeight(int Value) {
    if (Value <= 0 || Value == FItemHeight) return;
    FItemHeight = Value;
    if (FAdapter) FAdapter->ApplyItemHeight();
    if (FIntegralHeight) SetBounds(Left(), Top(), Width(), Height());
}

void TCustomListBox::SetIntegralHeight(bool Value) {
    if (Value == FIntegralHeight) return;
    FIntegralHeight = Value;
    SetBounds(Left(), Top(), Width(), Height());
}

int TCustomListBox::IntegralHeightOf(int AHeight) const {
    if (!FIntegralHeight) return AHeight;
    const TRect b = BorderMargins();
    const int frame = b.Top + b.Bottom;
    const int rows = std::max(1, (AHeight - frame) / FItemHeight);
    return rows * FItemHeight + frame;
}

void TCustomListBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (!ComponentState().Contains(csLoading)) AHeight = IntegralHeightOf(AHeight);
    TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

int TCustomListBox::TopIndex() const {
    if (!FAdapter) return FTopIndex;
    QListWidget* w = FAdapter->Widget();
    const QModelIndex i = w->indexAt(QPoint(1, 1));
    return i.isValid() ? i.row() : 0;
}

void TCustomListBox::SetTopIndex(int Value) {
    FTopIndex = std::max(0, Value);
    if (!FAdapter) return;
    QListWidget* w = FAdapter->Widget();
    if (QListWidgetItem* item = w->item(std::min(FTopIndex, w->count() - 1)))
        w->scrollToItem(item, QAbstractItemView::PositionAtTop);
}

void TCustomListBox::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecreateWnd();
}

int TCustomListBox::ItemAtPos(const TPoint& Pos, bool Existing) const {
    const int count = Count();
    if (!FAdapter) {
        if (Pos.Y < 0) return Existing ? -1 : 0;
        const int row = FTopIndex + Pos.Y / FItemHeight;
        if (row < count) return row;
        return Existing ? -1 : count;
    }
    QListWidget* w = FAdapter->Widget();
    const TRect nc = NonClientMargins();
    const QPoint vp = w->viewport()->mapFrom(w, QPoint(Pos.X + nc.Left, Pos.Y + nc.Top));
    const QModelIndex i = w->indexAt(QPoint(std::max(0, vp.x()), vp.y()));
    if (i.isValid() && PtInRect(ClientRect(), Pos)) return i.row();
    return Existing ? -1 : count;
}

int TCustomListBox::ItemClientWidth(const std::string& Text) {
    // The item draws its text inside the style's focus-frame margin and one
    // pixel more on each side; what does not fit is cut short.
    QStyle* style = FAdapter ? FAdapter->Widget()->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, nullptr) + 1;
    return QFontMetrics(ToQFont(Font())).horizontalAdvance(ToQString(Text)) + 2 * margin + 2;
}

TRect TCustomListBox::ItemRect(int Index) const {
    if (!FAdapter) {
        const int y = (Index - FTopIndex) * FItemHeight;
        return Rect(0, y, ClientWidth(), y + FItemHeight);
    }
    QListWidget* w = FAdapter->Widget();
    QListWidgetItem* item = w->item(Index);
    if (!item) return {};
    const QRect vr = w->visualItemRect(item);
    const QPoint tl = w->viewport()->mapTo(w, vr.topLeft());
    const TRect nc = NonClientMargins();
    return Bounds(0, tl.y() - nc.Top, ClientWidth(), vr.height());
}

int TCustomListBox::FindString(const std::string& Prefix, int StartAfter) const {
    const int count = Count();
    if (count == 0) return -1;
    const std::string folded = FoldCase(Prefix);
    int start = StartAfter < -1 || StartAfter >= count ? -1 : StartAfter;
    for (int n = 0; n < count; ++n) {
        const int i = (start + 1 + n) % count;
        const std::string item = FItems->Strings(i);
        if (FoldCase(std::string_view(item).substr(0, Prefix.size())) == folded) return i;
    }
    return -1;
}

int TCustomListBox::SelectString(const std::string& Prefix, int StartAfter) {
    const int i = FindString(Prefix, StartAfter);
    if (i >= 0) SetItemIndex(i);
    return i;
}

void TCustomListBox::FontChanged(TObject* Sender) { TWinControl::FontChanged(Sender); }

void TCustomListBox::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; }

void TCustomListBox::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_CHAR && Message.Native == nullptr) {
        // A character sent by code (a drop-down forwarding keys) selects as typing does.
        TWinControl::Dispatch(Message);
        return;
    }
    TWinControl::Dispatch(Message);
}

void TCustomListBox::Publish(TPublisher<TCustomListBox>& p) {
    p.Property("Items", &TCustomListBox::Items, &TCustomListBox::SetItems);
    p.Property("ItemIndex", &TCustomListBox::ItemIndex, &TCustomListBox::SetItemIndex);
    p.Property("MultiSelect", &TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect);
    p.Property("ExtendedSelect", &TCustomListBox::ExtendedSelect, &TCustomListBox::SetExtendedSelect);
    p.Property("Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted);
    p.Property("ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight);
    p.Property("IntegralHeight", &TCustomListBox::IntegralHeight, &TCustomListBox::SetIntegralHeight);
    p.Property("BorderStyle", &TCustomListBox::BorderStyle, &TCustomListBox::SetBorderStyle);
}

// ---- TComboAdapter ------------------------------------------------------------------------------

namespace {
class TComboWidget : public TQtHost<QComboBox> {
public:
    TComboWidget(TCustomComboBox* Combo, QWidget* Parent)
        : TQtHost<QComboBox>(Combo, Parent), FCombo(Combo) {}
    void showPopup() override;
    void hidePopup() override;

private:
    TCustomComboBox* FCombo;
};
}  // namespace

TComboAdapter::TComboAdapter(TCustomComboBox* Combo, QComboBox* Widget) : FCombo(Combo), FWidget(Widget) {}

void TComboAdapter::Reload() {
    Silent = true;
    const QString text = ToQString(FCombo->TControl::GetText());
    FWidget->clear();
    auto* items = static_cast<TComboBoxStrings*>(FCombo->Items());
    for (const auto& item : items->Items()) FWidget->addItem(ToQString(item.first));
    FWidget->setCurrentIndex(FCombo->FItemIndex);
    if (FWidget->isEditable()) FWidget->setEditText(text);
    Silent = false;
    FCombo->FHistory->Sync(this);
}

int TComboAdapter::SelStart() const {
    const QLineEdit* e = FWidget->lineEdit();
    if (!e) return 0;
    return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
}

int TComboAdapter::SelLength() const {
    const QLineEdit* e = FWidget->lineEdit();
    return e && e->hasSelectedText() ? e->selectionLength() : 0;
}

void TComboAdapter::ReplaceSelection(const QString& Value) {
    QLineEdit* e = FWidget->lineEdit();
    if (!e) return;
    Validator->Bypass = true;
    e->insert(Value);
    Validator->Bypass = false;
}

void TComboWidget::showPopup() {
    GuardedCall(FCombo, [this] { TComboAdapter::DoDropDown(FCombo); });
    QComboBox::showPopup();
}

void TComboWidget::hidePopup() {
    const bool was = view() && view()->isVisible();
    QComboBox::hidePopup();
    if (was) GuardedCall(FCombo, [this] { TComboAdapter::DoCloseUp(FCombo); });
}

void TComboAdapter::DoDropDown(TCustomComboBox* Combo) { Combo->DropDown(); }
void TComboAdapter::DoCloseUp(TCustomComboBox* Combo) { Combo->CloseUp(); }

// ---- TCustomComboBox -----------------------------------------------------------------------------

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner),
      FItems(std::make_unique<TComboBoxStrings>(this)),
      FHistory(std::make_shared<TEditHistory>()) {
    SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks, csFixedHeight});
    SetBounds(0, 0, 145, 21);
    SetTabStop(true);
    SetColor(clWindow);
}

TCustomComboBox::~TCustomComboBox() {
    Destroying();
    DestroyHandle();
}

void TCustomComboBox::CreateWindowHandle(const TCreateParams& Params) {
    auto* w = new TComboWidget(this, ParentWidgetFor(Params));
    w->setEditable(FStyle < csDropDownList);
    if (w->isEditable()) w->setCompleter(nullptr);
    w->setInsertPolicy(QComboBox::NoInsert);
    w->setMaxVisibleItems(FDropDownCount);
    w->setContextMenuPolicy(Qt::NoContextMenu);
    FAdapter = std::make_unique<TComboAdapter>(this, w);
    if (QLineEdit* e = w->lineEdit()) {
        FAdapter->Validator = new TEditValidator(e);
        FAdapter->Validator->MaxBytes = FMaxLength;
        FAdapter->Validator->CharCase = FCharCase;
        e->setValidator(FAdapter->Validator);
        QObject::connect(e, &QLineEdit::textEdited, &FAdapter->Receiver, [this](const QString&) {
            if (FAdapter->Silent) return;
            GuardedCall(this, [this] { TextEditedByUser(); });
        });
        // Typing, a command or a chosen item; the program's changes are silent.
        QObject::connect(e, &QLineEdit::textChanged, &FAdapter->Receiver, [this](const QString&) {
            if (!FAdapter->Silent) FHistory->Changed(FAdapter.get());
        });
    }
    FAdapter->Reload();
    if (FAdapter->Widget()->lineEdit()) {
        const QString t = FAdapter->Widget()->currentText();
        const int s = Utf16OfByte(t, FSelStart);
        FAdapter->Widget()->lineEdit()->setSelection(s, Utf16OfByte(t, FSelStart + FSelLength) - s);
        FHistory->Sync(FAdapter.get());
    }
    QObject::connect(w, qOverload<int>(&QComboBox::activated), &FAdapter->Receiver, [this](int Index) {
        if (FAdapter->Silent) return;
        GuardedCall(this, [this, Index] {
            FItemIndex = Index;
            if (Index >= 0 && Index < FItems->Count()) TControl::SetTextValue(FItems->Strings(Index));
            Click();
            Select();
        });
    });
    AttachWidget(w, false);
}

void TCustomComboBox::DestroyWnd() {
    if (FAdapter) {
        TControl::SetTextValue(GetText());
        FItemIndex = FAdapter->Widget()->currentIndex();
        FSelStart = SelStart();
        FSelLength = SelLength();
    }
    TWinControl::DestroyWnd();
    FAdapter.reset();
}

std::string TCustomComboBox::GetText() const {
    if (FAdapter) return FromQString(FAdapter->Widget()->currentText());
    if (FStyle >= csDropDownList)
        return FItemIndex >= 0 && FItemIndex < FItems->Count() ? FItems->Strings(FItemIndex) : "";
    return TControl::GetText();
}

void TCustomComboBox::SetTextValue(const std::string& Value) {
    if (FStyle >= csDropDownList) {
        SetItemIndex(FItems->IndexOf(Value));
        return;
    }
    TControl::SetTextValue(Value);
    if (FAdapter) {
        FAdapter->Silent = true;
        FAdapter->Widget()->setEditText(ToQString(Value));
        FAdapter->Silent = false;
        FHistory->Reset(FAdapter.get());
    }
}

int TCustomComboBox::ItemIndex() const { return FAdapter ? FAdapter->Widget()->currentIndex() : FItemIndex; }

void TCustomComboBox::SetItemIndex(int Value) {
    if (Value < -1 || Value >= FItems->Count()) Value = -1;
    FItemIndex = Value;
    if (Value >= 0)
        TControl::SetTextValue(FItems->Strings(Value));
    else if (FStyle >= csDropDownList)
        TControl::SetTextValue("");
    if (FAdapter) {
        FAdapter->Silent = true;
        FAdapter->Widget()->setCurrentIndex(Value);
        if (Value < 0 && FAdapter->Widget()->isEditable()) FAdapter->Widget()->setEditText(QString());
        FAdapter->Silent = false;
        FHistory->Reset(FAdapter.get());
    }
}

void TCustomComboBox::SetItems(TStrings* Value) { FItems->Assign(Value); }

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    RecreateWnd();
}

void TCustomComboBox::SetSorted(bool Value) {
    if (Value == FSorted) return;
    FSorted = Value;
    if (Value) static_cast<TComboBoxStrings*>(FItems.get())->Sort();
}

void TCustomComboBox::SetDropDownCount(int Value) {
    FDropDownCount = std::max(1, Value);
    if (FAdapter) FAdapter->Widget()->setMaxVisibleItems(FDropDownCount);
}

bool TCustomComboBox::DroppedDown() const {
    return FAdapter && FAdapter->Widget()->view() && FAdapter->Widget()->view()->isVisible();
}

void TCustomComboBox::SetDroppedDown(bool Value) {
    if (Value == DroppedDown()) return;
    HandleNeeded();
    if (!FAdapter) return;
    if (Value)
        FAdapter->Widget()->showPopup();
    else
        FAdapter->Widget()->hidePopup();
}

void TCustomComboBox::SetMaxLength(int Value) {
    FMaxLength = std::max(0, Value);
    if (FAdapter && FAdapter->Validator) FAdapter->Validator->MaxBytes = FMaxLength;
}

void TCustomComboBox::SetCharCase(TEditCharCase Value) {
    FCharCase = Value;
    if (FAdapter && FAdapter->Validator) FAdapter->Validator->CharCase = Value;
}

void TCustomComboBox::SetItemHeight(int Value) {
    if (Value > 0) FItemHeight = Value;
}

int TCustomComboBox::SelStart() const {
    if (!FAdapter) return FSelStart;
    QLineEdit* e = FAdapter->Widget()->lineEdit();
    if (!e) return 0;
    const int p = e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
    return ByteOfUtf16(e->text(), p);
}

int TCustomComboBox::SelLength() const {
    if (!FAdapter) return FSelLength;
    QLineEdit* e = FAdapter->Widget()->lineEdit();
    if (!e || !e->hasSelectedText()) return 0;
    const int s = e->selectionStart();
    return ByteOfUtf16(e->text(), s + e->selectionLength()) - ByteOfUtf16(e->text(), s);
}

void TCustomComboBox::SetSelStart(int Value) {
    FSelStart = std::max(0, Value);
    FSelLength = 0;
    if (!FAdapter) return;
    if (QLineEdit* e = FAdapter->Widget()->lineEdit()) {
        e->deselect();
        e->setCursorPosition(Utf16OfByte(e->text(), Value));
    }
}

void TCustomComboBox::SetSelLength(int Value) {
    if (!FAdapter) {
        FSelLength = std::max(0, Value);
        return;
    }
    if (QLineEdit* e = FAdapter->Widget()->lineEdit()) {
        const int start = SelStart();
        const int s = Utf16OfByte(e->text(), start);
        e->setSelection(s, Utf16OfByte(e->text(), start + std::max(0, Value)) - s);
    }
}

std::string TCustomComboBox::SelText() const {
    const std::string t = Text();
    const auto s = static_cast<std::size_t>(std::min(SelStart(), static_cast<int>(t.size())));
    return t.substr(s, static_cast<std::size_t>(SelLength()));
}

void TCustomComboBox::SelectAll() {
    FSelStart = 0;
    FSelLength = static_cast<int>(Text().size());
    if (FAdapter)
        if (QLineEdit* e = FAdapter->Widget()->lineEdit()) e->selectAll();
}

void TCustomComboBox::Clear() {
    FItems->Clear();
    SetItemIndex(-1);
    if (FStyle < csDropDownList) SetText("");
}

void TCustomComboBox::TextEditedByUser() {
    TControl::SetTextValue(GetText());
    FItemIndex = FAdapter->Widget()->currentIndex();
    Change();
}

void TCustomComboBox::Change() { FOnChange(this); }

void TCustomComboBox::Select() {
    if (FOnSelect.Assigned())
        FOnSelect(this);
    else
        Change();
}

void TCustomComboBox::DropDown() { FOnDropDown(this); }
void TCustomComboBox::CloseUp() { FOnCloseUp(this); }

void TCustomComboBox::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (DroppedDown()) Message.Result |= DLGC_WANTALLKEYS;
}

void TCustomComboBox::FontChanged(TObject* Sender) { TWinControl::FontChanged(Sender); }

// ---- The edit part's clipboard and undo -------------------------------------------------------

void TCustomComboBox::WndProc(TMessage& Message) {
    if (!FAdapter || !FAdapter->Widget()->lineEdit()) {
        TWinControl::WndProc(Message);
        return;
    }
    const TEditHistory::TScope scope(FHistory, FAdapter.get(), Message);
    TWinControl::WndProc(Message);
}

void TCustomComboBox::WMChar(TMessage& Message) {
    if (DoKeyPress(Message)) return;
    // The edit part's clipboard and undo keys go through the messages.
    const unsigned command =
        FAdapter && FAdapter->Widget()->lineEdit() ? EditCommandOfChar(Message.WParam) : 0;
    if (command != 0) {
        Perform(command, 0, 0);
        return;
    }
    // The validator lets a text already beyond the limit (a chosen item) grow.
    if (!TypedCharFits(static_cast<int>(Text().size()), SelLength(), Message.WParam, FMaxLength)) return;
    DefaultHandler(Message);
}

void TCustomComboBox::Dispatch(TMessage& Message) {
    if (FAdapter && FAdapter->Widget()->lineEdit()) {
        if (EditCommand(Message)) return;
        if (const unsigned command = EditCommandOfKey(Message)) {
            if (DoKeyDown(Message)) return;
            Perform(command, 0, 0);
            return;
        }
    }
    TWinControl::Dispatch(Message);
}

bool TCustomComboBox::EditCommand(TMessage& Message) {
    switch (Message.Msg) {
    case WM_COPY:
    case WM_CUT:
    case WM_CLEAR:
        if (SelLength() == 0) return true;
        if (Message.Msg != WM_CLEAR) Clipboard()->SetAsText(SelText());
        if (Message.Msg != WM_COPY) FAdapter->ReplaceSelection(QString());
        return true;
    case WM_PASTE:
        FAdapter->ReplaceSelection(ToQString(
            TextToPaste(false, FCharCase, FMaxLength, static_cast<int>(Text().size()) - SelLength())));
        return true;
    case WM_UNDO: UndoStep(); return true;
    default: return false;
    }
}

void TCustomComboBox::UndoStep() {
    if (!FHistory->CanUndo()) return;
    const TEditHistory::TState s = FHistory->Pop();
    QLineEdit* e = FAdapter->Widget()->lineEdit();
    FAdapter->Silent = true;
    e->setText(s.Text);
    FAdapter->Silent = false;
    if (s.SelLength > 0)
        e->setSelection(s.SelStart, s.SelLength);
    else
        e->setCursorPosition(s.SelStart);
    FHistory->Sync(FAdapter.get());
    GuardedCall(this, [this] { TextEditedByUser(); });
}

void TCustomComboBox::Publish(TPublisher<TCustomComboBox>& p) {
    p.Property("Items", &TCustomComboBox::Items, &TCustomComboBox::SetItems);
    p.Property("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex);
    p.Property("Style", &TCustomComboBox::Style, &TCustomComboBox::SetStyle);
    p.Property("Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted);
    p.Property("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount);
    p.Property("MaxLength", &TCustomComboBox::MaxLength, &TCustomComboBox::SetMaxLength);
    p.Property("CharCase", &TCustomComboBox::CharCase, &TCustomComboBox::SetCharCase);
    p.Property(
        "Text", [](TCustomComboBox& c) { return c.Text(); },
        [](TCustomComboBox& c, const std::string& v) { c.SetText(v); });
    p.Property("OnChange", &TCustomComboBox::OnChange, &TCustomComboBox::SetOnChange);
    p.Property("OnSelect", &TCustomComboBox::OnSelect, &TCustomComboBox::SetOnSelect);
    p.Property("OnDropDown", &TCustomComboBox::OnDropDown, &TCustomComboBox::SetOnDropDown);
    p.Property("OnCloseUp", &TCustomComboBox::OnCloseUp, &TCustomComboBox::SetOnCloseUp);
}
