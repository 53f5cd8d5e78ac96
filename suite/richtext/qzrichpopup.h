// The rich edit's built-in popup menu: twenty numbered entries (separators at
// 2, 6, 10, 15 and 18) whose captions, visibility and checks follow the
// edit's PopupOptions, read-only state and selection when the menu opens.
#pragma once

class TMenuItem;
class TObject;
class TPopupMenu;
class TqzCustomRichEdit;

class TqzRichPopupMenu {
public:
    // Builds the menu, owned by RichEdit, and makes it the edit's popup menu.
    explicit TqzRichPopupMenu(TqzCustomRichEdit* RichEdit);
    TqzRichPopupMenu(const TqzRichPopupMenu&) = delete;
    TqzRichPopupMenu& operator=(const TqzRichPopupMenu&) = delete;

    TPopupMenu* Menu() const { return FMenu; }
    // The menu's entry by its number (1 to 20).
    TMenuItem* Entry(int Number) const;

private:
    void MenuPopup(TObject* Sender);
    void EntryClick(TObject* Sender);

    TqzCustomRichEdit* FRichEdit;
    TPopupMenu* FMenu = nullptr;
};
