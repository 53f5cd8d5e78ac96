// The editor window a suite rich edit opens for its content (Execute): a
// main menu, a tool bar, a format bar, the ruler, a status bar and its own
// rich edit, which the source copies its text into and takes back on OK.
//
// The window's button and menu pictures are XPM glyphs drawn in
// qzrichglyphs.cpp ("QZ_RICH_<NAME>" resources); its colour menu shows a
// swatch bitmap per item.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/ui/forms.h"

class TBevel;
class TBitmap;
class TImageList;
class TMainMenu;
class TMenuItem;
class TOpenDialog;
class TPanel;
class TPopupMenu;
class TPrintDialog;
class TSaveDialog;
class TSpeedButton;
class TStatusBar;
class TqzCustomRichEdit;
class TqzDBComboBox;
class TqzDBRichEdit;
class TqzRulerPanel;

// The window's pictures; the first fourteen are the menu images by index.
enum class TqzRichGlyph {
    Spell,
    Load,
    SaveAs,
    Print,
    Undo,
    Redo,
    Paste,
    Cut,
    Copy,
    Find,
    Bullets,
    Font,
    Paragraph,
    Preview,
    New,
    Bold,
    Italic,
    Underline,
    Color,
    Highlight,
    AlignLeft,
    AlignCenter,
    AlignRight,
    Justify
};
// The resource name of a glyph ("QZ_RICH_BOLD"), registered on first use.
std::string qzRichGlyphResource(TqzRichGlyph Glyph);
// Loads a glyph, transparent by its bottom-left colour.
void qzLoadRichGlyph(TqzRichGlyph Glyph, TBitmap* Target);
// All glyphs in TqzRichGlyph order, 16 x 16.
TImageList* qzRichGlyphs();

class TqzRichEditForm : public TForm {
    TASKMOOR_CLASS(TqzRichEditForm, TForm)
public:
    TqzRichEditForm(TComponent* AOwner, TqzCustomRichEdit* Source);
    ~TqzRichEditForm() override;

    TqzCustomRichEdit* Source() const { return FSource; }
    TqzDBRichEdit* RichEdit() const { return FRichEdit; }
    TqzRulerPanel* Ruler() const { return FRuler; }
    TMainMenu* MainMenu() const { return FMainMenu; }
    TPanel* Toolbar() const { return FToolbar; }
    TPanel* FormatBar() const { return FFormatBar; }
    TStatusBar* StatusBar() const { return FStatusBar; }
    TqzDBComboBox* FontNameCombo() const { return FFontNameCombo; }
    TqzDBComboBox* FontSizeCombo() const { return FFontSizeCombo; }
    TPopupMenu* ColorMenu() const { return FColorMenu; }
    TOpenDialog* OpenDialog() const { return FOpenDialog; }
    TSaveDialog* SaveDialog() const { return FSaveDialog; }
    // A button or a menu item by its stored name ("BoldButton", "FileLoad", ...).
    TSpeedButton* Button(const std::string& Name) const;
    TMenuItem* MenuItem(const std::string& Name) const;

    // The effective options (the source's, less what a read-only area hides).
    unsigned Options() const { return FOptions; }
    // The buttons, combos and menu items follow the selection.
    void RefreshState();
    // The caret's place once the content is in.
    void SetInitialSelStart(int Value) { FInitialSelStart = Value; }
    void Relayout();
    // The file commands (also for tests): load a file's text; save as RTF or,
    // with FilterIndex 2, plain UTF-8 text.
    void LoadFile(const std::string& FileName, int FilterIndex);
    void SaveFile(const std::string& FileName, int FilterIndex);

protected:
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyUp(uint16_t& Key, TShiftState Shift) override;
    void Resize() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TMenuItem* AddItem(TMenuItem* Parent, const std::string& Name, const std::string& Caption, TShortCut Key,
                       void (TqzRichEditForm::*Click)(TObject*));
    TSpeedButton* AddButton(TPanel* Bar, const std::string& Name, TqzRichGlyph Glyph,
                            void (TqzRichEditForm::*Click)(TObject*));
    void FormShow(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void AppHint(TObject* Sender);
    void SelectionChange(TObject* Sender);
    void ApplyOptions();
    void ApplyTexts();
    void PackToolbar();
    void BuildMainMenu();
    void BuildToolbar();
    void BuildFormatBar();
    void BuildBarBevels();
    void BuildEditArea();
    void BuildStatusBar();
    void BuildDialogs();
    void RestoreUserButtons();
    void ApplyImages();
    void UpdateLockPanels();
    bool FireMenuEvent(int Which);
    // Commands.
    void NewClick(TObject*);
    void LoadClick(TObject*);
    void SaveAsClick(TObject*);
    void SaveExitClick(TObject*);
    void PreviewClick(TObject*);
    void PrintClick(TObject*);
    void PageSetupClick(TObject*);
    void ExitClick(TObject*);
    void UndoClick(TObject*);
    void RedoClick(TObject*);
    void CutClick(TObject*);
    void CopyClick(TObject*);
    void PasteClick(TObject*);
    void ClearClick(TObject*);
    void SelectAllClick(TObject*);
    void FindClick(TObject*);
    void FindNextClick(TObject*);
    void ReplaceClick(TObject*);
    void FontClick(TObject*);
    void BulletStyleClick(TObject*);
    void ParagraphClick(TObject*);
    void TabsClick(TObject*);
    void ObjectClick(TObject*);
    void SpellClick(TObject*);
    void ViewBarClick(TObject*);
    void BoldClick(TObject*);
    void ItalicClick(TObject*);
    void UnderlineClick(TObject*);
    void AlignClick(TObject*);
    void BulletClick(TObject*);
    void ColorClick(TObject*);
    void ColorItemClick(TObject*);
    void HighlightClick(TObject*);
    void FontNameCloseUp(TqzDBComboBox* Sender, bool Accept);
    void FontSizeCloseUp(TqzDBComboBox* Sender, bool Accept);

    TqzCustomRichEdit* FSource;
    TqzDBRichEdit* FRichEdit = nullptr;
    TqzRulerPanel* FRuler = nullptr;
    TMainMenu* FMainMenu = nullptr;
    TPanel* FToolbar = nullptr;
    TPanel* FFormatBar = nullptr;
    TStatusBar* FStatusBar = nullptr;
    TBevel* FToolbarBevel = nullptr;
    TBevel* FFormatBarBevel = nullptr;
    TBevel* FRulerBevel = nullptr;
    TqzDBComboBox* FFontNameCombo = nullptr;
    TqzDBComboBox* FFontSizeCombo = nullptr;
    TPopupMenu* FColorMenu = nullptr;
    TOpenDialog* FOpenDialog = nullptr;
    TSaveDialog* FSaveDialog = nullptr;
    TPrintDialog* FPrintDialog = nullptr;
    std::vector<TSpeedButton*> FButtons;
    std::vector<TMenuItem*> FItems;
    std::vector<TBevel*> FGroupBevels;
    TBevel* FUserButtonBevel = nullptr;
    // The user speed buttons on the tool bar and their own parents.
    std::vector<std::pair<TSpeedButton*, TWinControl*>> FUserParents;
    unsigned FOptions = 0;
    TNotifyEvent FSavedHint;
    bool FShown = false;
    int FInitialSelStart = 0;
    bool FLayingOut = false;
    bool FBuilt = false;
};
