// Menus: TMenuItem trees, the form's main menu bar and pop-up menus.
//
// A caption's "&x" marks x as the item's accelerator: Alt+x on the form opens
// the main menu's top-level item (or clicks it when it has no sub-items),
// and x picks an item while its menu is open. A caption of "-" is a
// separator. An item's ShortCut (Ctrl+X, ...) clicks it from anywhere in the
// form. Highlighting an item puts its long hint into Application->Hint.
//
// Opening a menu goes through a service: the real one shows the toolkit's
// menu and waits until it closes; the test double (TTestMenus) answers from a
// script. Either way the chosen item is clicked after the menu closes.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/component.h"
#include "platform/core/events.h"
#include "platform/ui/controls.h"
#include "platform/ui/messages.h"

class TBitmap;
class TMenu;
class TCustomForm;
struct TMenuBarImpl;

class TMenuItem : public TComponent {
    TASKMOOR_CLASS(TMenuItem, TComponent)
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    std::string Caption() const { return FCaption; }
    void SetCaption(const std::string& Value);
    bool Checked() const { return FChecked; }
    // A radio item unchecks the other radio items of its GroupIndex.
    void SetChecked(bool Value);
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool Value) { FRadioItem = Value; }
    uint8_t GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(uint8_t Value) { FGroupIndex = Value; }
    // Clicking toggles Checked.
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool Value) { FAutoCheck = Value; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    // Shown in bold; a double click on the pop-up's owner does not apply here.
    bool Default() const { return FDefault; }
    void SetDefault(bool Value);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value);
    std::string Hint() const { return FHint; }
    void SetHint(const std::string& Value) { FHint = Value; }
    // A separator.
    bool IsLine() const { return FCaption == "-"; }
    // The picture shown before the caption (created on first use; an empty
    // one shows none). A Transparent bitmap leaves out its TransparentColor.
    TBitmap* Bitmap();
    bool HasBitmap() const;
    void SetBitmap(TBitmap* Value);

    // ---- Sub-items (owned by the item's owner; freed with this item)
    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises EMenuError "Menu index out of range".
    TMenuItem* Items(int Index) const;
    void Add(TMenuItem* Item);
    void Insert(int Index, TMenuItem* Item);
    // Takes the item out and frees it.
    void Delete(int Index);
    // Takes the item out without freeing it.
    void Remove(TMenuItem* Item);
    void Clear();
    int IndexOf(const TMenuItem* Item) const;
    // The sub-item whose caption matches without "&" markers and letter case.
    TMenuItem* Find(const std::string& ACaption) const;
    TMenuItem* Parent() const { return FParent; }
    int MenuIndex() const;
    void SetMenuIndex(int Value);
    // The menu whose tree holds this item.
    TMenu* GetParentMenu() const;

    // Fires OnClick (AutoCheck toggles Checked first).
    virtual void Click();
    TNotifyEvent OnClick() const { return FOnClick; }
    void SetOnClick(TNotifyEvent Value) { FOnClick = Value; }

    static void Publish(TPublisher<TMenuItem>& p);

private:
    friend class TMenu;
    void Changed();
    static bool HasAsAncestor(const TMenuItem* Item, const TMenuItem* Ancestor);
    std::string FCaption;
    bool FChecked = false;
    bool FRadioItem = false;
    uint8_t FGroupIndex = 0;
    bool FAutoCheck = false;
    bool FEnabled = true;
    bool FVisible = true;
    bool FDefault = false;
    TShortCut FShortCut = 0;
    std::string FHint;
    std::unique_ptr<TBitmap> FBitmap;
    std::vector<TMenuItem*> FItems;
    TMenuItem* FParent = nullptr;
    TMenu* FMenu = nullptr;  // set on the root item
    TNotifyEvent FOnClick;
};

class EMenuError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EMenuError"; }
};

class TMenu : public TComponent {
    TASKMOOR_CLASS(TMenu, TComponent)
public:
    explicit TMenu(TComponent* AOwner);
    ~TMenu() override;

    // The root item holding the menu's items.
    TMenuItem* Items() const { return FItems.get(); }
    // The enabled, visible item with the shortcut, searched depth first.
    TMenuItem* FindItemByShortCut(TShortCut Value) const;
    // Clicks the item of the shortcut; true when there was one.
    bool IsShortCut(uint16_t Key, TShiftState Shift);
    // Called when an item of the tree changes.
    virtual void MenuChanged(TMenuItem* Item);

private:
    std::unique_ptr<TMenuItem> FItems;
};

// The menu bar of the form that owns it (or of the form given with
// SetForm): its top-level items show across the top of the form, above the
// client area, and its accelerators and shortcuts work in that form.
class TMainMenu : public TMenu {
    TASKMOOR_CLASS(TMainMenu, TMenu)
public:
    explicit TMainMenu(TComponent* AOwner);
    ~TMainMenu() override;

    TCustomForm* Form() const { return FForm; }
    void SetForm(TCustomForm* Value);
    // The bar's height (0 without a form or visible items).
    int BarHeight() const;
    // Opens the top-level item's sub-menu (or clicks it when it has none),
    // as Alt+accelerator or a click on the bar does.
    void OpenItem(TMenuItem* Item);
    // Handles Alt+x and shortcuts for the form; true when it took the key.
    bool HandleKey(uint16_t Key, TShiftState Shift);
    void MenuChanged(TMenuItem* Item) override;

    // The bar from the keyboard: F10, or Alt pressed and released alone,
    // selects the first title; Left and Right move between titles (also from
    // an open menu), Enter, Down and Up open the selected title's menu, a
    // title's letter opens it, Escape (or a click) leaves. Meanwhile the
    // form's controls get no keys.
    bool InMenuMode() const { return FSelected != nullptr; }
    // The title selected from the keyboard (nullptr outside that mode).
    TMenuItem* SelectedItem() const { return FSelected; }

    // The bar's item at a point of the bar (form client coordinates with the
    // bar above y = 0), for tests and the bar itself.
    TMenuItem* ItemAtBarPos(int X) const;
    TRect ItemBarRect(const TMenuItem* Item) const;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend struct TMenuBarImpl;
    void Attach();
    void Detach();
    bool KeyHook(uint16_t Key, TShiftState Shift, bool KeyUp);
    bool MenuModeKey(uint16_t Key, TShiftState Shift);
    void SelectTitle(TMenuItem* Item);
    // The next visible, enabled title from From in Step (+1, -1) with wrap;
    // From nullptr: the first.
    TMenuItem* NextTitle(TMenuItem* From, int Step) const;
    // Opens titles from the keyboard until a choice is made or the menus close.
    void OpenFromKeys(TMenuItem* Item);
    TCustomForm* FForm = nullptr;
    std::unique_ptr<TMenuBarImpl> FBar;
    TMenuItem* FSelected = nullptr;
    bool FAltAlone = false;
    bool FTracking = false;
    int FKeyHook = 0;
    int FMouseHook = 0;
};

TASKMOOR_ENUM(TPopupAlignment, paLeft, paRight, paCenter)

class TPopupMenu : public TMenu {
    TASKMOOR_CLASS(TPopupMenu, TMenu)
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    // Fires OnPopup, shows the menu at the screen point and waits until it
    // closes; the chosen item is then clicked.
    virtual void Popup(int X, int Y);
    // The control the menu was opened for.
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* Value);
    // Opens on a right click of the controls it belongs to.
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool Value) { FAutoPopup = Value; }
    TPopupAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
    TNotifyEvent OnPopup() const { return FOnPopup; }
    void SetOnPopup(TNotifyEvent Value) { FOnPopup = Value; }

    static void Publish(TPublisher<TPopupMenu>& p);

protected:
    virtual void DoPopup(TObject* Sender);
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TComponent* FPopupComponent = nullptr;
    bool FAutoPopup = true;
    TPopupAlignment FAlignment = paLeft;
    TNotifyEvent FOnPopup;
};

// ---- Shortcut texts --------------------------------------------------------------------
// "Ctrl+X", "Shift+Del", "Alt+F4", "F1"; empty for none.
std::string ShortCutToText(TShortCut Value);
// The reverse (modifier names and keys in any case); 0 for a text it
// does not know.
TShortCut TextToShortCut(const std::string& Text);

// ---- The menu service --------------------------------------------------------------------
// Shows the sub-items of Parent at a screen point and waits; answers the
// item chosen (nullptr when the menu was closed without a choice).
class TMenuService {
public:
    virtual ~TMenuService() = default;
    virtual TMenuItem* TrackMenu(TMenuItem* Parent, const TPoint& ScreenPos) = 0;
    // After a TrackMenu that chose nothing: -1 or +1 when the menu was left
    // with Left or Right for the bar's previous or next title, else 0.
    // Asking clears it.
    virtual int TakeBarStep() { return 0; }
    // The next TrackMenu comes from the keyboard: its first item starts selected.
    void SetOpenedByKeys(bool Value) { FOpenedByKeys = Value; }

protected:
    bool FOpenedByKeys = false;
};
TMenuService& MenuService();
// Paints the sub-items of Parent as the real menu shows them (pictures,
// captions, shortcuts) into Target, sized to the menu.
void PaintMenu(TMenuItem* Parent, TBitmap* Target);
// Installs a service (nullptr: the real one); answers the one it replaces.
TMenuService* SetMenuService(TMenuService* Service);

// Answers menus from a script: each opened menu takes the next answer, a
// caption path below the opened item ("Save" or "Sub|Item", "&" markers and
// letter case ignored) or "" for closing without a choice; "<" and ">" leave
// it with Left and Right. A menu with no answer left closes without a
// choice. Installs itself while it lives.
class TTestMenus : public TMenuService {
public:
    TTestMenus();
    ~TTestMenus() override;
    void Answer(const std::string& CaptionPath) { FAnswers.push_back(CaptionPath); }
    // Captions of the items each opened menu showed (visible ones, separators as "-").
    const std::vector<std::vector<std::string>>& Opened() const { return FOpened; }
    // Where each menu opened.
    const std::vector<TPoint>& Positions() const { return FPositions; }
    TMenuItem* TrackMenu(TMenuItem* Parent, const TPoint& ScreenPos) override;
    int TakeBarStep() override;
    // For each opened menu, whether it was opened from the keyboard.
    const std::vector<bool>& OpenedByKeys() const { return FByKeys; }

private:
    TMenuService* FPrevious;
    int FStep = 0;
    std::vector<bool> FByKeys;
    std::deque<std::string> FAnswers;
    std::vector<std::vector<std::string>> FOpened;
    std::vector<TPoint> FPositions;
};
