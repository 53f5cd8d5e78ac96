// Menu items, the main menu bar, pop-up menus and the menu service.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/core/sysutils.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/drawing.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"
#include "platform/ui/messages.h"
#include "platform/ui/qt_host.h"
#include "platform/ui/stdctrls.h"

// ---- TMenuItem ----------------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
    Destroying();
    while (!FItems.empty()) {
        TMenuItem* child = FItems.back();
        FItems.pop_back();
        child->FParent = nullptr;
        delete child;
    }
    if (FParent) FParent->Remove(this);
}

void TMenuItem::Changed() {
    if (ComponentState().Contains(csDestroying)) return;
    if (TMenu* menu = GetParentMenu()) menu->MenuChanged(this);
}

void TMenuItem::SetCaption(const std::string& Value) {
    if (Value == FCaption) return;
    FCaption = Value;
    Changed();
}

TBitmap* TMenuItem::Bitmap() {
    if (!FBitmap) FBitmap = std::make_unique<TBitmap>();
    return FBitmap.get();
}

bool TMenuItem::HasBitmap() const { return FBitmap && !FBitmap->Empty(); }

void TMenuItem::SetBitmap(TBitmap* Value) {
    if (Value)
        Bitmap()->Assign(Value);
    else
        FBitmap.reset();
    Changed();
}

void TMenuItem::SetChecked(bool Value) {
    if (Value == FChecked) return;
    FChecked = Value;
    if (Value && FRadioItem && FParent)
        for (TMenuItem* sibling : FParent->FItems)
            if (sibling != this && sibling->FRadioItem && sibling->FGroupIndex == FGroupIndex)
                sibling->FChecked = false;
    Changed();
}

void TMenuItem::SetEnabled(bool Value) {
    if (Value == FEnabled) return;
    FEnabled = Value;
    Changed();
}

void TMenuItem::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    Changed();
}

void TMenuItem::SetDefault(bool Value) {
    if (Value == FDefault) return;
    FDefault = Value;
    Changed();
}

void TMenuItem::SetShortCut(TShortCut Value) {
    if (Value == FShortCut) return;
    FShortCut = Value;
    Changed();
}

TMenuItem* TMenuItem::Items(int Index) const {
    if (Index < 0 || Index >= Count()) throw EMenuError("Menu index out of range");
    return FItems[static_cast<std::size_t>(Index)];
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
    if (!Item) return;
    if (Item->FParent) throw EMenuError("Menu inserted twice");
    if (Index < 0 || Index > Count()) throw EMenuError("Menu index out of range");
    if (Item == this || HasAsAncestor(this, Item)) throw EMenuError("Menu inserted twice");
    FItems.insert(FItems.begin() + Index, Item);
    Item->FParent = this;
    Changed();
}

bool TMenuItem::HasAsAncestor(const TMenuItem* Item, const TMenuItem* Ancestor) {
    for (const TMenuItem* p = Item; p; p = p->FParent)
        if (p == Ancestor) return true;
    return false;
}

void TMenuItem::Delete(int Index) {
    TMenuItem* item = Items(Index);
    Remove(item);
    delete item;
}

void TMenuItem::Remove(TMenuItem* Item) {
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    if (it == FItems.end()) throw EMenuError("Sub-menu is not in menu");
    FItems.erase(it);
    Item->FParent = nullptr;
    Changed();
}

void TMenuItem::Clear() {
    while (!FItems.empty()) Delete(Count() - 1);
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

TMenuItem* TMenuItem::Find(const std::string& ACaption) const {
    const std::string wanted = StripHotkey(ACaption);
    for (TMenuItem* item : FItems)
        if (AnsiSameText(StripHotkey(item->FCaption), wanted)) return item;
    return nullptr;
}

int TMenuItem::MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(int Value) {
    if (!FParent) return;
    TMenuItem* parent = FParent;
    auto& items = parent->FItems;
    items.erase(std::find(items.begin(), items.end(), this));
    Value = std::clamp(Value, 0, static_cast<int>(items.size()));
    items.insert(items.begin() + Value, this);
    Changed();
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* root = this;
    while (root->FParent) root = root->FParent;
    return root->FMenu;
}

void TMenuItem::Click() {
    if (!FEnabled) return;
    if (FAutoCheck) SetChecked(!FChecked);
    FOnClick(this);
}

void TMenuItem::Publish(TPublisher<TMenuItem>& p) {
    p.Property("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
    p.Property("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked);
    p.Property("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem);
    p.Property("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex);
    p.Property("AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck);
    p.Property("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled);
    p.Property("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible);
    p.Property("Default", &TMenuItem::Default, &TMenuItem::SetDefault);
    p.Property("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut);
    p.Property("Hint", &TMenuItem::Hint, &TMenuItem::SetHint);
    p.Property("OnClick", &TMenuItem::OnClick, &TMenuItem::SetOnClick);
}

// ---- TMenu ----------------------------------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(std::make_unique<TMenuItem>(nullptr)) {
    FItems->FMenu = this;
}

TMenu::~TMenu() {
    // Sub-items owned by the form may already be gone; the others go with the root.
    FItems.reset();
}

TMenuItem* TMenu::FindItemByShortCut(TShortCut Value) const {
    if (Value == 0) return nullptr;
    std::vector<TMenuItem*> stack{FItems.get()};
    while (!stack.empty()) {
        TMenuItem* item = stack.back();
        stack.pop_back();
        if (item != FItems.get() && (!item->Enabled() || !item->Visible())) continue;
        if (item != FItems.get() && item->ShortCut() == Value) return item;
        for (int i = item->Count() - 1; i >= 0; --i) stack.push_back(item->Items(i));
    }
    return nullptr;
}

bool TMenu::IsShortCut(uint16_t Key, TShiftState Shift) {
    TShiftState mods;
    for (TShiftStateElement e : {ssShift, ssCtrl, ssAlt})
        if (Shift.Contains(e)) mods += e;
    TMenuItem* item = FindItemByShortCut(ShortCut(Key, mods));
    if (!item) return false;
    item->Click();
    return true;
}

void TMenu::MenuChanged(TMenuItem*) {}

// ---- The menu bar ------------------------------------------------------------------------------------

namespace {

class TMenuBarWidget : public QWidget {
public:
    TMenuBarWidget(TMainMenu* Menu, QWidget* Parent) : QWidget(Parent), FMenu(Menu) {
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    TMenuItem* Hot = nullptr;
    TMenuItem* Pressed = nullptr;  // the item whose menu is open

    // The bar shows the item pressed while its menu is open (Item), or no item
    // marked at all (nullptr) once the menu has closed.
    void SetPressed(TMenuItem* Item) {
        Pressed = Item;
        Hot = nullptr;
        update();
    }
    // The title selected from the keyboard (nullptr: none).
    TMenuItem* Selected = nullptr;
    void SetSelected(TMenuItem* Item) {
        Selected = Item;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        TCanvas canvas;
        const QRect all = rect();
        BindCanvas(&canvas, &painter, QPoint(0, 0), &all);
        canvas.Brush()->SetColor(clMenu);
        canvas.FillRect(Rect(0, 0, width(), height()));
        if (FMenu->Form()) canvas.SetFont(FMenu->Form()->Font());
        TMenuItem* root = FMenu->Items();
        for (int i = 0; i < root->Count(); ++i) {
            TMenuItem* item = root->Items(i);
            if (!item->Visible()) continue;
            TRect r = FMenu->ItemBarRect(item);
            OffsetRect(r, 0, height());
            const bool selected = item == Selected && !Pressed;
            if (selected) {
                canvas.Brush()->SetColor(clHighlight);
                canvas.FillRect(r);
                canvas.Brush()->SetColor(clMenu);
            }
            if (item == Pressed) {
                TRect e = r;
                DrawEdge(&canvas, e, BDR_SUNKENOUTER, BF_RECT);
            } else if (item == Hot && item->Enabled() && !Pressed) {
                TRect e = r;
                DrawEdge(&canvas, e, BDR_RAISEDINNER, BF_RECT);
            }
            canvas.Brush()->SetStyle(bsClear);
            canvas.Font()->SetColor(selected ? clHighlightText : item->Enabled() ? clMenuText : clGrayText);
            DrawText(&canvas, item->Caption(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            canvas.Brush()->SetStyle(bsSolid);
        }
        UnbindCanvas(&canvas);
    }
    void mouseMoveEvent(QMouseEvent* E) override {
        TMenuItem* item = FMenu->ItemAtBarPos(E->position().toPoint().x());
        if (item != Hot) {
            Hot = item;
            if (Application && item) Application->SetHint(GetLongHint(item->Hint()));
            update();
        }
    }
    void leaveEvent(QEvent*) override {
        Hot = nullptr;
        update();
    }
    void mousePressEvent(QMouseEvent* E) override {
        if (E->button() != Qt::LeftButton) return;
        TMenuItem* item = FMenu->ItemAtBarPos(E->position().toPoint().x());
        if (!item || !item->Enabled()) return;
        TMainMenu* menu = FMenu;
        GuardedCall(menu, [menu, item] { menu->OpenItem(item); });
    }

private:
    TMainMenu* FMenu;
};

}  // namespace

// The main menu's bar on its form's window.
struct TMenuBarImpl : public TFormMenuBar {
    explicit TMenuBarImpl(TMainMenu* Menu) : FMenu(Menu) {}
    ~TMenuBarImpl() override { delete Bar.data(); }
    QPointer<TMenuBarWidget> Bar;
    TMainMenu* FMenu;

    int MenuBarHeight() const override { return FMenu->BarHeight(); }
    void PlaceMenuBar(TCustomForm* Form) override {
        QWidget* w = Form->Widget();
        if (!w) return;
        const int h = MenuBarHeight();
        if (!Bar || Bar->parentWidget() != w) {
            delete Bar.data();
            Bar = new TMenuBarWidget(FMenu, w);
        }
        Bar->setGeometry(0, 0, w->width(), h);
        Bar->setVisible(h > 0);
        Bar->raise();
        Bar->update();
    }
};

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {
    // The first main menu of a form is the form's menu.
    if (auto* form = dynamic_cast<TCustomForm*>(AOwner)) {
        bool taken = false;
        for (int i = 0; i < form->ComponentCount(); ++i)
            if (auto* other = dynamic_cast<TMainMenu*>(form->Components(i));
                other && other != this && other->FForm)
                taken = true;
        if (!taken) SetForm(form);
    }
}

TMainMenu::~TMainMenu() { Detach(); }

void TMainMenu::SetForm(TCustomForm* Value) {
    if (Value == FForm) return;
    Detach();
    FForm = Value;
    if (FForm) Attach();
}

void TMainMenu::Attach() {
    EnsureToolkit();
    FForm->FreeNotification(this);
    FForm->AddShortCutHandler(this,
                              [this](uint16_t Key, TShiftState Shift) { return HandleKey(Key, Shift); });
    FBar = std::make_unique<TMenuBarImpl>(this);
    FForm->SetMenuBar(FBar.get());
    FKeyHook = AddKeyboardHook(
        [this](uint16_t Key, TShiftState Shift, bool KeyUp) { return KeyHook(Key, Shift, KeyUp); });
    // A click anywhere leaves the keyboard's menu mode.
    FMouseHook = AddMouseHook([this](unsigned, const TPoint&, TWinControl*) {
        FAltAlone = false;
        if (!FTracking) SelectTitle(nullptr);
    });
}

void TMainMenu::Detach() {
    if (FKeyHook) RemoveKeyboardHook(FKeyHook);
    if (FMouseHook) RemoveMouseHook(FMouseHook);
    FKeyHook = FMouseHook = 0;
    FSelected = nullptr;
    if (!FForm) return;
    TCustomForm* form = FForm;
    FForm = nullptr;
    // A form being destroyed is past its own part: only its component part is asked.
    if (!form->ComponentState().Contains(csDestroying)) {
        if (form->MenuBar() == FBar.get()) form->SetMenuBar(nullptr);
        form->RemoveShortCutHandlers(this);
        form->RemoveFreeNotification(this);
    }
    FBar.reset();
}

void TMainMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TMenu::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FSelected) FSelected = nullptr;
    if (Operation == opRemove && AComponent == FForm) {
        if (FKeyHook) RemoveKeyboardHook(FKeyHook);
        if (FMouseHook) RemoveMouseHook(FMouseHook);
        FKeyHook = FMouseHook = 0;
        FSelected = nullptr;
        if (!FForm->ComponentState().Contains(csDestroying) && FForm->MenuBar() == FBar.get())
            FForm->SetMenuBar(nullptr);
        FBar.reset();
        FForm = nullptr;
    }
}

int TMainMenu::BarHeight() const {
    if (!FForm) return 0;
    for (int i = 0; i < Items()->Count(); ++i)
        if (Items()->Items(i)->Visible()) return GetSystemMetrics(SM_CYMENU) + 1;
    return 0;
}

void TMainMenu::MenuChanged(TMenuItem* Item) {
    TMenu::MenuChanged(Item);
    if (ComponentState().Contains(csDestroying)) return;
    if (FBar && FForm && !FForm->ComponentState().Contains(csDestroying)) FForm->MenuBarChanged();
}

namespace {
int BarItemWidth(const TMenuItem* Item, const TCustomForm* Form) {
    TCanvas canvas;
    if (Form) canvas.SetFont(Form->Font());
    TRect r{};
    DrawText(&canvas, Item->Caption(), r, DT_CALCRECT | DT_SINGLELINE);
    return r.Width() + 14;
}
}  // namespace

TRect TMainMenu::ItemBarRect(const TMenuItem* Item) const {
    const int h = BarHeight();
    int x = 0;
    for (int i = 0; i < Items()->Count(); ++i) {
        TMenuItem* it = Items()->Items(i);
        if (!it->Visible()) continue;
        const int w = BarItemWidth(it, FForm);
        if (it == Item) return Rect(x, -h, x + w, -1);
        x += w;
    }
    return {};
}

TMenuItem* TMainMenu::ItemAtBarPos(int X) const {
    for (int i = 0; i < Items()->Count(); ++i) {
        TMenuItem* it = Items()->Items(i);
        if (!it->Visible()) continue;
        const TRect r = ItemBarRect(it);
        if (X >= r.Left && X < r.Right) return it;
    }
    return nullptr;
}

void TMainMenu::OpenItem(TMenuItem* Item) {
    SelectTitle(nullptr);
    if (!Item || !Item->Enabled() || !Item->Visible()) return;
    // The bar's marks go before the command runs: it may show a dialog or
    // free the form.
    const QPointer<TMenuBarWidget> bar = FBar ? FBar->Bar : QPointer<TMenuBarWidget>();
    bool hasChildren = false;
    for (int i = 0; i < Item->Count(); ++i)
        if (Item->Items(i)->Visible()) hasChildren = true;
    if (!hasChildren) {
        if (bar) bar->SetPressed(nullptr);
        Item->Click();
        return;
    }
    TPoint pos{0, 0};
    if (FForm) {
        const TRect r = ItemBarRect(Item);
        pos = FForm->ClientToScreen({r.Left, 0});
    }
    if (bar) bar->SetPressed(Item);
    TMenuItem* chosen = MenuService().TrackMenu(Item, pos);
    if (bar) bar->SetPressed(nullptr);
    if (chosen) chosen->Click();
}

bool TMainMenu::HandleKey(uint16_t Key, TShiftState Shift) {
    const bool alt = Shift.Contains(ssAlt) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssShift);
    if (alt && ((Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9'))) {
        const char32_t ch = static_cast<char32_t>(Key >= 'A' && Key <= 'Z' ? Key - 'A' + 'a' : Key);
        for (int i = 0; i < Items()->Count(); ++i) {
            TMenuItem* item = Items()->Items(i);
            if (item->Visible() && item->Enabled() && IsAccel(ch, item->Caption())) {
                OpenItem(item);
                return true;
            }
        }
    }
    return IsShortCut(Key, Shift);
}

// ---- The bar from the keyboard ----------------------------------------------------------------

bool TMainMenu::KeyHook(uint16_t Key, TShiftState Shift, bool KeyUp) {
    if (FTracking || !FForm || !FForm->Visible()) return false;
    // Only the keys of this form's window: its focused control's or its own.
    TWinControl* focused = FocusedWinControl();
    TCustomForm* target = focused ? GetParentForm(focused) : nullptr;
    if (target != FForm) {
        FAltAlone = false;
        if (FSelected) SelectTitle(nullptr);
        return false;
    }
    if (Key == VK_MENU) {
        if (!KeyUp) {
            FAltAlone = !Shift.Contains(ssCtrl) && !Shift.Contains(ssShift);
            return FSelected != nullptr;
        }
        const bool alone = FAltAlone;
        FAltAlone = false;
        if (!alone) return FSelected != nullptr;
        SelectTitle(FSelected ? nullptr : NextTitle(nullptr, 1));
        return true;
    }
    if (KeyUp) return FSelected != nullptr;
    FAltAlone = false;
    if (!FSelected) {
        if (Key == VK_F10 && !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt)) {
            SelectTitle(NextTitle(nullptr, 1));
            return FSelected != nullptr;
        }
        return false;
    }
    return MenuModeKey(Key, Shift);
}

bool TMainMenu::MenuModeKey(uint16_t Key, TShiftState Shift) {
    switch (Key) {
    case VK_LEFT:
    case VK_RIGHT: SelectTitle(NextTitle(FSelected, Key == VK_LEFT ? -1 : 1)); return true;
    case VK_RETURN:
    case VK_DOWN:
    case VK_UP: OpenFromKeys(FSelected); return true;
    case VK_ESCAPE:
    case VK_F10: SelectTitle(nullptr); return true;
    case VK_SHIFT:
    case VK_CONTROL: return true;
    default: break;
    }
    if ((Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9')) {
        const char32_t ch = static_cast<char32_t>(Key >= 'A' && Key <= 'Z' ? Key - 'A' + 'a' : Key);
        // A title's accelerator, or the first letter of a title without one.
        for (int i = 0; i < Items()->Count(); ++i) {
            TMenuItem* item = Items()->Items(i);
            const std::string& caption = item->Caption();
            const bool first =
                caption.find('&') == std::string::npos && !caption.empty() &&
                static_cast<char32_t>(std::tolower(static_cast<unsigned char>(caption[0]))) == ch;
            if (item->Visible() && item->Enabled() && (IsAccel(ch, caption) || first)) {
                OpenFromKeys(item);
                return true;
            }
        }
    }
    // Any other key leaves the mode and is not passed on.
    (void)Shift;
    SelectTitle(nullptr);
    Beep();
    return true;
}

void TMainMenu::SelectTitle(TMenuItem* Item) {
    if (Item == FSelected) return;
    if (FSelected) FSelected->RemoveFreeNotification(this);
    FSelected = Item;
    if (FSelected) FSelected->FreeNotification(this);
    if (FBar && FBar->Bar) FBar->Bar->SetSelected(FSelected);
}

TMenuItem* TMainMenu::NextTitle(TMenuItem* From, int Step) const {
    std::vector<TMenuItem*> titles;
    for (int i = 0; i < Items()->Count(); ++i)
        if (Items()->Items(i)->Visible() && Items()->Items(i)->Enabled()) titles.push_back(Items()->Items(i));
    if (titles.empty()) return nullptr;
    const auto at = std::find(titles.begin(), titles.end(), From);
    if (at == titles.end()) return titles.front();
    const int n = static_cast<int>(titles.size());
    const int index = (static_cast<int>(at - titles.begin()) + Step + n) % n;
    return titles[static_cast<std::size_t>(index)];
}

void TMainMenu::OpenFromKeys(TMenuItem* Item) {
    while (Item) {
        SelectTitle(Item);
        bool hasChildren = false;
        for (int i = 0; i < Item->Count(); ++i)
            if (Item->Items(i)->Visible()) hasChildren = true;
        if (!hasChildren) {
            SelectTitle(nullptr);
            Item->Click();
            return;
        }
        TPoint pos{0, 0};
        if (FForm) {
            const TRect r = ItemBarRect(Item);
            pos = FForm->ClientToScreen({r.Left, 0});
        }
        TMenuService& service = MenuService();
        service.SetOpenedByKeys(true);
        FTracking = true;
        TMenuItem* chosen = nullptr;
        try {
            chosen = service.TrackMenu(Item, pos);
        } catch (...) {
            FTracking = false;
            SelectTitle(nullptr);
            throw;
        }
        FTracking = false;
        if (chosen) {
            SelectTitle(nullptr);
            chosen->Click();
            return;
        }
        const int step = service.TakeBarStep();
        // Closed with Escape: the title stays selected; Left or Right: the
        // neighbour opens.
        Item = step ? NextTitle(Item, step) : nullptr;
    }
}

// ---- TPopupMenu -----------------------------------------------------------------------------------------

namespace {
bool PopupMenuHook(TControl* Control, TPopupMenu* Menu, const TPoint& ScreenPos) {
    if (!Menu || !Menu->AutoPopup()) return false;
    Menu->SetPopupComponent(Control);
    Menu->Popup(ScreenPos.X, ScreenPos.Y);
    return true;
}
}  // namespace

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {
    SetPopupMenuHook(&PopupMenuHook);
    // Its shortcuts work while the focus is in a control it belongs to.
    if (auto* form = dynamic_cast<TCustomForm*>(AOwner)) {
        form->AddShortCutHandler(this, [this, form](uint16_t Key, TShiftState Shift) {
            for (TControl* c = form->ActiveControl(); c; c = c->Parent())
                if (c->PopupMenu() == this) return IsShortCut(Key, Shift);
            return false;
        });
    }
}

TPopupMenu::~TPopupMenu() {
    if (auto* form = dynamic_cast<TCustomForm*>(Owner()))
        if (!form->ComponentState().Contains(csDestroying)) form->RemoveShortCutHandlers(this);
}

void TPopupMenu::SetPopupComponent(TComponent* Value) {
    if (FPopupComponent) FPopupComponent->RemoveFreeNotification(this);
    FPopupComponent = Value;
    if (Value) Value->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TMenu::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::DoPopup(TObject* Sender) { FOnPopup(Sender); }

void TPopupMenu::Popup(int X, int Y) {
    DoPopup(this);
    if (TMenuItem* chosen = MenuService().TrackMenu(Items(), {X, Y})) chosen->Click();
}

void TPopupMenu::Publish(TPublisher<TPopupMenu>& p) {
    p.Property("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup);
    p.Property("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment);
    p.Property("OnPopup", &TPopupMenu::OnPopup, &TPopupMenu::SetOnPopup);
}

// ---- Shortcut texts ---------------------------------------------------------------------------------

namespace {
struct TKeyName {
    uint16_t Key;
    const char* Name;
};
constexpr TKeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},  {VK_TAB, "Tab"},     {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},   {VK_END, "End"},      {VK_HOME, "Home"},  {VK_LEFT, "Left"},
    {VK_UP, "Up"},      {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},    {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};

std::string KeyName(uint16_t Key) {
    if ((Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9'))
        return std::string(1, static_cast<char>(Key));
    if (Key >= VK_F1 && Key <= VK_F12) return "F" + std::to_string(Key - VK_F1 + 1);
    if (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9) return "Num " + std::to_string(Key - VK_NUMPAD0);
    for (const auto& k : kKeyNames)
        if (k.Key == Key) return k.Name;
    return {};
}
}  // namespace

std::string ShortCutToText(TShortCut Value) {
    const std::string name = KeyName(static_cast<uint16_t>(Value & 0xFF));
    if (name.empty()) return {};
    std::string text;
    if (Value & scShift) text += "Shift+";
    if (Value & scCtrl) text += "Ctrl+";
    if (Value & scAlt) text += "Alt+";
    return text + name;
}

TShortCut TextToShortCut(const std::string& Text) {
    TShortCut mods = 0;
    std::string rest = Trim(Text);
    for (;;) {
        bool found = false;
        for (const auto& [prefix, flag] :
             {std::pair<const char*, TShortCut>{"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}}) {
            const std::size_t n = std::strlen(prefix);
            if (rest.size() > n && AnsiSameText(rest.substr(0, n), prefix)) {
                mods |= flag;
                rest = rest.substr(n);
                found = true;
            }
        }
        if (!found) break;
    }
    for (int key = 1; key < 256; ++key) {
        const std::string name = KeyName(static_cast<uint16_t>(key));
        if (!name.empty() && AnsiSameText(name, rest)) return static_cast<TShortCut>(mods | key);
    }
    return 0;
}

// ---- The menu service ------------------------------------------------------------------------------------

namespace {

// Left in the bar's own menu, or Right on an item without a sub-menu, closes
// it and asks the bar for the neighbouring title.
class TBarStepFilter : public QObject {
public:
    explicit TBarStepFilter(QMenu* Menu) : FMenu(Menu) {}
    int Step = 0;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Watched != FMenu || Event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(Event)->key();
        const QAction* active = FMenu->activeAction();
        if (key == Qt::Key_Left || (key == Qt::Key_Right && !(active && active->menu()))) {
            Step = key == Qt::Key_Left ? -1 : 1;
            FMenu->close();
            return true;
        }
        return false;
    }

private:
    QMenu* FMenu;
};

// An item's bitmap as an icon, its transparent colour left out.
QIcon ItemIcon(TMenuItem* Item) {
    TBitmap* b = Item->Bitmap();
    QImage image = b->Data()->Image.convertToFormat(QImage::Format_ARGB32);
    if (b->Transparent()) {
        const TColor c = ColorToRGB(b->TransparentColor());
        const QRgb key = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if ((row[x] & 0xFFFFFFu) == (key & 0xFFFFFFu)) row[x] = 0;
        }
    }
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(image), QIcon::Normal);
    return icon;
}

// Makes room for pictures wider than the style's small icons, so that a
// wide picture (a colour swatch) shows at its own size.
class TMenuIconStyle : public QProxyStyle {
public:
    explicit TMenuIconStyle(int Extent) : QProxyStyle(nullptr), FExtent(Extent) {}
    int pixelMetric(PixelMetric Metric, const QStyleOption* Option, const QWidget* Widget) const override {
        const int v = QProxyStyle::pixelMetric(Metric, Option, Widget);
        return Metric == PM_SmallIconSize ? std::max(v, FExtent) : v;
    }

private:
    int FExtent;
};

// The widest visible picture among the sub-items of Parent (0 for none).
int IconExtent(TMenuItem* Parent) {
    int extent = 0;
    for (int i = 0; i < Parent->Count(); ++i) {
        TMenuItem* item = Parent->Items(i);
        if (item->Visible() && item->HasBitmap())
            extent = std::max({extent, item->Bitmap()->Width(), item->Bitmap()->Height()});
    }
    return extent;
}

void FillMenu(QMenu* Menu, TMenuItem* Parent, std::vector<std::pair<QAction*, TMenuItem*>>& Actions,
              std::vector<std::unique_ptr<QStyle>>& Styles) {
    Menu->setFont(InterfaceQFont());
    if (const int extent = IconExtent(Parent); extent > 16) {
        Styles.push_back(std::make_unique<TMenuIconStyle>(extent));
        Menu->setStyle(Styles.back().get());
    }
    for (int i = 0; i < Parent->Count(); ++i) {
        TMenuItem* item = Parent->Items(i);
        if (!item->Visible()) continue;
        if (item->IsLine()) {
            Menu->addSeparator();
            continue;
        }
        QString text = ToQString(item->Caption());
        const std::string shortcut = ShortCutToText(item->ShortCut());
        if (!shortcut.empty()) text += "\t" + ToQString(shortcut);
        bool hasChildren = false;
        for (int j = 0; j < item->Count(); ++j)
            if (item->Items(j)->Visible()) hasChildren = true;
        QAction* action = nullptr;
        if (hasChildren) {
            QMenu* sub = Menu->addMenu(text);
            FillMenu(sub, item, Actions, Styles);
            action = sub->menuAction();
        } else {
            action = Menu->addAction(text);
            Actions.push_back({action, item});
        }
        if (item->HasBitmap()) action->setIcon(ItemIcon(item));
        action->setEnabled(item->Enabled());
        if (item->Checked()) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        if (item->Default()) {
            QFont f = action->font();
            f.setBold(true);
            action->setFont(f);
        }
        const std::string hint = item->Hint();
        QObject::connect(action, &QAction::hovered, [hint] {
            if (Application) Application->SetHint(GetLongHint(hint));
        });
    }
}

class TQtMenuService : public TMenuService {
public:
    TMenuItem* TrackMenu(TMenuItem* Parent, const TPoint& ScreenPos) override {
        EnsureToolkit();
        std::vector<std::unique_ptr<QStyle>> styles;
        QMenu menu;
        std::vector<std::pair<QAction*, TMenuItem*>> actions;
        FillMenu(&menu, Parent, actions, styles);
        TBarStepFilter steps(&menu);
        menu.installEventFilter(&steps);
        if (FOpenedByKeys) {
            for (QAction* a : menu.actions())
                if (!a->isSeparator() && a->isEnabled()) {
                    QTimer::singleShot(0, &menu, [&menu, a] { menu.setActiveAction(a); });
                    break;
                }
        }
        FOpenedByKeys = false;
        QAction* chosen = menu.exec(QPoint(ScreenPos.X, ScreenPos.Y));
        FStep = chosen ? 0 : steps.Step;
        for (const auto& [action, item] : actions)
            if (action == chosen) return item;
        return nullptr;
    }
    int TakeBarStep() override {
        const int step = FStep;
        FStep = 0;
        return step;
    }

private:
    int FStep = 0;
};

TQtMenuService& RealMenuService() {
    static TQtMenuService service;
    return service;
}
TMenuService* GMenuService = nullptr;

}  // namespace

TMenuService& MenuService() { return GMenuService ? *GMenuService : RealMenuService(); }

TMenuService* SetMenuService(TMenuService* Service) {
    TMenuService* old = GMenuService ? GMenuService : &RealMenuService();
    GMenuService = Service == &RealMenuService() ? nullptr : Service;
    return old;
}

void PaintMenu(TMenuItem* Parent, TBitmap* Target) {
    EnsureToolkit();
    std::vector<std::unique_ptr<QStyle>> styles;
    std::vector<std::pair<QAction*, TMenuItem*>> actions;
    QMenu menu;
    FillMenu(&menu, Parent, actions, styles);
    menu.ensurePolished();
    menu.resize(menu.sizeHint());
    QImage image(menu.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    menu.render(&image);
    Target->SetSize(image.width(), image.height());
    Target->Data()->EndPaint();
    Target->Data()->Image = image.convertToFormat(Target->Data()->Image.format());
}

// ---- TTestMenus ----------------------------------------------------------------------------------------------

TTestMenus::TTestMenus() : FPrevious(SetMenuService(this)) {}

TTestMenus::~TTestMenus() { SetMenuService(FPrevious); }

TMenuItem* TTestMenus::TrackMenu(TMenuItem* Parent, const TPoint& ScreenPos) {
    std::vector<std::string> shown;
    for (int i = 0; i < Parent->Count(); ++i)
        if (Parent->Items(i)->Visible()) shown.push_back(Parent->Items(i)->Caption());
    FOpened.push_back(shown);
    FPositions.push_back(ScreenPos);
    FByKeys.push_back(FOpenedByKeys);
    FOpenedByKeys = false;
    FStep = 0;
    if (FAnswers.empty()) return nullptr;
    const std::string path = FAnswers.front();
    FAnswers.pop_front();
    if (path.empty()) return nullptr;
    if (path == "<" || path == ">") {
        FStep = path == "<" ? -1 : 1;
        return nullptr;
    }
    TMenuItem* item = Parent;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = path.find('|', start);
        const std::string part =
            path.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        TMenuItem* next = item->Find(part);
        if (!next || !next->Visible()) throw EInvalidOperation("Menu item \"" + path + "\" not found");
        item = next;
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return item->Enabled() && !item->IsLine() ? item : nullptr;
}

int TTestMenus::TakeBarStep() {
    const int step = FStep;
    FStep = 0;
    return step;
}
