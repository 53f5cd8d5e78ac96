// Building the editor window's menu, tool bars and status bar, applying options,
// images and texts, and the commands its items and buttons run.
#include "suite/richtext/qzricheditform.h"

#include <algorithm>
#include <cstdio>

#include "platform/core/files.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"
#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/font_names.h"
#include "platform/ui/lock_keys.h"
#include "platform/ui/menus.h"
#include "platform/ui/print_dialogs.h"
#include "platform/ui/printers.h"
#include "platform/ui/stddialogs.h"
#include "suite/base/qzintl.h"
#include "suite/edit/qzdbcombobox.h"
#include "suite/richtext/qzdbrichedit.h"
#include "suite/richtext/qzpagesetup.h"
#include "suite/richtext/qzrichsearch.h"
#include "suite/richtext/qzruler.h"

namespace {

TqzDBRichEditIntl* RichTexts() {
    static TqzDBRichEditIntl defaults;
    return qzIntl() ? qzIntl()->RichEdit() : &defaults;
}

std::string UserText(const std::string& Given, const char* Default) {
    return Given.empty() ? Default : Given;
}

bool Has(unsigned Options, TqzRichEditOption O) { return (Options >> O) & 1u; }

struct TColorEntry {
    const char* Name;
    TColor Color;
};
// Colours as RGB in a TColor's byte order (red lowest).
constexpr TColorEntry kColors[] = {
    {"Black", 0x000000},  {"Maroon", 0x000080},  {"Green", 0x008000}, {"Olive", 0x008080},
    {"Navy", 0x800000},   {"Purple", 0x800080},  {"Teal", 0x808000},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},     {"Lime", 0x00FF00},  {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},  {"White", 0xFFFFFF}};

// Button groups of the tool bar, packed left to right.
const char* const kToolGroups[][5] = {
    {"NewButton", "LoadButton1", "SaveAsButton", "PrintButton", "PrintPreviewButton"},
    {"FindButton", "SpellButton", nullptr, nullptr, nullptr},
    {"CutButton", "CopyButton", "PasteButton", nullptr, nullptr},
    {"UndoButton", "RedoButton", nullptr, nullptr, nullptr}};

}  // namespace

TqzRichEditForm::TqzRichEditForm(TComponent* AOwner, TqzCustomRichEdit* Source)
    : TForm(AOwner), FSource(Source) {
    SetName("qzRichEditForm");
    SetCaption("Edit Rich Text");
    SetWidth(610);
    SetHeight(495);
    Font()->SetName("MS Sans Serif");
    Font()->SetSize(8);
    SetKeyPreview(true);
    SetPosition(poScreenCenter);

    BuildMainMenu();
    BuildToolbar();
    BuildFormatBar();
    BuildBarBevels();
    BuildEditArea();
    BuildStatusBar();
    BuildDialogs();

    SetOnShow(TNotifyEvent(this, &TqzRichEditForm::FormShow));
    SetOnCloseQuery(TCloseQueryEvent(this, &TqzRichEditForm::FormCloseQuery));
    SetOnClose(TCloseEvent(this, &TqzRichEditForm::FormClose));
    FBuilt = true;
}

void TqzRichEditForm::BuildMainMenu() {
    FMainMenu = new TMainMenu(this);
    TMenuItem* root = FMainMenu->Items();
    auto sub = [this, root](const std::string& Name, const std::string& Caption) {
        return AddItem(root, Name, Caption, 0, nullptr);
    };
    TMenuItem* file = sub("File1", "&File");
    AddItem(file, "FileLoad", "&Load", 0, &TqzRichEditForm::LoadClick);
    AddItem(file, "FileSaveAs", "Save &As", 0, &TqzRichEditForm::SaveAsClick);
    AddItem(file, "FileSaveExit", "&Save and Exit", ShortCut('S', {ssCtrl}), &TqzRichEditForm::SaveExitClick);
    AddItem(file, "FileSep1", "-", 0, nullptr);
    AddItem(file, "FilePreview", "Print Pre&view", 0, &TqzRichEditForm::PreviewClick);
    AddItem(file, "FilePrint", "&Print", ShortCut('P', {ssCtrl}), &TqzRichEditForm::PrintClick);
    AddItem(file, "FilePageSetup", "Page Set&up", 0, &TqzRichEditForm::PageSetupClick);
    AddItem(file, "FileSep2", "-", 0, nullptr);
    AddItem(file, "FileExit", "E&xit", 0, &TqzRichEditForm::ExitClick);
    TMenuItem* edit = sub("Edit1", "&Edit");
    AddItem(edit, "EditUndo", "&Undo", ShortCut('Z', {ssCtrl}), &TqzRichEditForm::UndoClick);
    AddItem(edit, "EditRedo", "&Redo", ShortCut('Y', {ssCtrl}), &TqzRichEditForm::RedoClick);
    AddItem(edit, "EditSep1", "-", 0, nullptr);
    AddItem(edit, "EditCut", "Cu&t", ShortCut('X', {ssCtrl}), &TqzRichEditForm::CutClick);
    AddItem(edit, "EditCopy", "&Copy", ShortCut('C', {ssCtrl}), &TqzRichEditForm::CopyClick);
    AddItem(edit, "EditPaste", "&Paste", ShortCut('V', {ssCtrl}), &TqzRichEditForm::PasteClick);
    AddItem(edit, "EditClear", "Cle&ar", 0, &TqzRichEditForm::ClearClick);
    AddItem(edit, "EditSelectAll", "Select A&ll", ShortCut('A', {ssCtrl}), &TqzRichEditForm::SelectAllClick);
    AddItem(edit, "EditSep2", "-", 0, nullptr);
    AddItem(edit, "EditFind", "&Find", ShortCut('F', {ssCtrl}), &TqzRichEditForm::FindClick);
    AddItem(edit, "EditFindNext", "Find &Next", ShortCut(VK_F3, {}), &TqzRichEditForm::FindNextClick);
    AddItem(edit, "EditReplace", "R&eplace", ShortCut('H', {ssCtrl}), &TqzRichEditForm::ReplaceClick);
    TMenuItem* view = sub("View1", "&View");
    AddItem(view, "ViewToolbar", "&Toolbar", 0, &TqzRichEditForm::ViewBarClick);
    AddItem(view, "ViewFormatBar", "&Format Bar", 0, &TqzRichEditForm::ViewBarClick);
    AddItem(view, "ViewStatusBar", "&Status Bar", 0, &TqzRichEditForm::ViewBarClick);
    AddItem(view, "ViewRuler", "&Ruler", 0, &TqzRichEditForm::ViewBarClick);
    AddItem(view, "ViewSep", "-", 0, nullptr)->SetVisible(false);
    AddItem(view, "ViewOptions", "&Options", 0, nullptr)->SetVisible(false);
    TMenuItem* insert = sub("Insert1", "&Insert");
    AddItem(insert, "InsertDateTime", "Date and Time", 0, nullptr)->SetVisible(false);
    AddItem(insert, "InsertObject", "&Object...", 0, &TqzRichEditForm::ObjectClick);
    TMenuItem* format = sub("Format1", "F&ormat");
    AddItem(format, "FormatFont", "&Font", 0, &TqzRichEditForm::FontClick);
    AddItem(format, "FormatBulletStyle", "&Bullet Style", 0, &TqzRichEditForm::BulletStyleClick);
    AddItem(format, "FormatParagraph", "&Paragraph", 0, &TqzRichEditForm::ParagraphClick);
    AddItem(format, "FormatTabs", "&Tabs", 0, &TqzRichEditForm::TabsClick);
    sub("Help1", "Help")->SetVisible(false);
    TMenuItem* tools = sub("Tools1", "&Tools");
    AddItem(tools, "ToolsSpelling", "&Spelling", 0, &TqzRichEditForm::SpellClick);
}

// The tool bar: its buttons, the bevels between their groups and before the user's buttons.
void TqzRichEditForm::BuildToolbar() {
    FToolbar = new TPanel(this);
    FToolbar->SetParent(this);
    FToolbar->SetBevelOuter(bvNone);
    FToolbar->SetHeight(28);
    AddButton(FToolbar, "NewButton", TqzRichGlyph::New, &TqzRichEditForm::NewClick);
    AddButton(FToolbar, "LoadButton1", TqzRichGlyph::Load, &TqzRichEditForm::LoadClick)->SetVisible(false);
    AddButton(FToolbar, "SaveAsButton", TqzRichGlyph::SaveAs, &TqzRichEditForm::SaveAsClick)
        ->SetVisible(false);
    AddButton(FToolbar, "PrintButton", TqzRichGlyph::Print, &TqzRichEditForm::PrintClick);
    AddButton(FToolbar, "PrintPreviewButton", TqzRichGlyph::Preview, &TqzRichEditForm::PreviewClick);
    AddButton(FToolbar, "FindButton", TqzRichGlyph::Find, &TqzRichEditForm::FindClick);
    AddButton(FToolbar, "SpellButton", TqzRichGlyph::Spell, &TqzRichEditForm::SpellClick);
    AddButton(FToolbar, "CutButton", TqzRichGlyph::Cut, &TqzRichEditForm::CutClick);
    AddButton(FToolbar, "CopyButton", TqzRichGlyph::Copy, &TqzRichEditForm::CopyClick);
    AddButton(FToolbar, "PasteButton", TqzRichGlyph::Paste, &TqzRichEditForm::PasteClick);
    AddButton(FToolbar, "UndoButton", TqzRichGlyph::Undo, &TqzRichEditForm::UndoClick);
    AddButton(FToolbar, "RedoButton", TqzRichGlyph::Redo, &TqzRichEditForm::RedoClick);
    for (int i = 0; i < 4; ++i) {
        auto* b = new TBevel(this);
        b->SetParent(FToolbar);
        b->SetShape(bsLeftLine);
        b->SetBounds(0, 2, 2, 24);
        FGroupBevels.push_back(b);
    }
    FUserButtonBevel = new TBevel(this);
    FUserButtonBevel->SetName("UserButtonBevel");
    FUserButtonBevel->SetParent(FToolbar);
    FUserButtonBevel->SetShape(bsLeftLine);
    FUserButtonBevel->SetBounds(0, 2, 2, 24);
    FUserButtonBevel->SetVisible(false);
}

// The format bar: font name and size, then the style, colour, alignment and bullet buttons.
void TqzRichEditForm::BuildFormatBar() {
    FFormatBar = new TPanel(this);
    FFormatBar->SetParent(this);
    FFormatBar->SetBevelOuter(bvNone);
    FFormatBar->SetHeight(28);
    FFontNameCombo = new TqzDBComboBox(this);
    FFontNameCombo->SetName("FontNameCombo");
    FFontNameCombo->SetParent(FFormatBar);
    FFontNameCombo->SetBounds(4, 3, 150, 21);
    FFontNameCombo->SetDropDownCount(12);
    FFontNameCombo->SetOnCloseUp(TqzComboCloseUpEvent(this, &TqzRichEditForm::FontNameCloseUp));
    FFontSizeCombo = new TqzDBComboBox(this);
    FFontSizeCombo->SetName("FontSizeCombo");
    FFontSizeCombo->SetParent(FFormatBar);
    FFontSizeCombo->SetBounds(158, 3, 48, 21);
    FFontSizeCombo->SetDropDownCount(12);
    for (const char* s :
         {"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36", "48", "72"})
        FFontSizeCombo->Items()->Add(s);
    FFontSizeCombo->SetOnCloseUp(TqzComboCloseUpEvent(this, &TqzRichEditForm::FontSizeCloseUp));
    int x = 212;
    auto fmt = [this, &x](const std::string& Name, TqzRichGlyph Glyph,
                          void (TqzRichEditForm::*Click)(TObject*)) {
        TSpeedButton* b = AddButton(FFormatBar, Name, Glyph, Click);
        b->SetLeft(x);
        x += b->Width();
        return b;
    };
    fmt("BoldButton", TqzRichGlyph::Bold, &TqzRichEditForm::BoldClick);
    fmt("ItalicButton", TqzRichGlyph::Italic, &TqzRichEditForm::ItalicClick);
    fmt("UnderlineButton", TqzRichGlyph::Underline, &TqzRichEditForm::UnderlineClick);
    x += 6;
    fmt("ColorButton", TqzRichGlyph::Color, &TqzRichEditForm::ColorClick);
    fmt("HighlightButton", TqzRichGlyph::Highlight, &TqzRichEditForm::HighlightClick);
    x += 6;
    fmt("LeftButton", TqzRichGlyph::AlignLeft, &TqzRichEditForm::AlignClick);
    fmt("CenterButton", TqzRichGlyph::AlignCenter, &TqzRichEditForm::AlignClick);
    fmt("RightButton", TqzRichGlyph::AlignRight, &TqzRichEditForm::AlignClick);
    fmt("JustifyButton", TqzRichGlyph::Justify, &TqzRichEditForm::AlignClick);
    x += 6;
    fmt("BulletButton", TqzRichGlyph::Bullets, &TqzRichEditForm::BulletClick);
    for (const char* n :
         {"BoldButton", "ItalicButton", "UnderlineButton", "HighlightButton", "BulletButton"}) {
        Button(n)->SetGroupIndex(static_cast<int>(Button(n)->Tag()) + 10);
        Button(n)->SetAllowAllUp(true);
    }
    for (const char* n : {"LeftButton", "CenterButton", "RightButton", "JustifyButton"})
        Button(n)->SetGroupIndex(1);
}

void TqzRichEditForm::BuildBarBevels() {
    FToolbarBevel = new TBevel(this);
    FToolbarBevel->SetParent(this);
    FToolbarBevel->SetShape(bsTopLine);
    FFormatBarBevel = new TBevel(this);
    FFormatBarBevel->SetParent(this);
    FFormatBarBevel->SetShape(bsTopLine);
    FRulerBevel = new TBevel(this);
    FRulerBevel->SetParent(this);
    FRulerBevel->SetShape(bsTopLine);
}

// The editing area and the ruler.
void TqzRichEditForm::BuildEditArea() {
    FRichEdit = new TqzDBRichEdit(this);
    FRichEdit->SetName("RichEdit1");
    FRichEdit->SetParent(this);
    FRichEdit->SetOnSelectionChange(TNotifyEvent(this, &TqzRichEditForm::SelectionChange));
    FRuler = new TqzRulerPanel(this);
    FRuler->SetParent(this);
    FRuler->SetRichEdit(FRichEdit);
    FRuler->FreeNotification(FRichEdit);
}

void TqzRichEditForm::BuildStatusBar() {
    FStatusBar = new TStatusBar(this);
    FStatusBar->SetParent(this);
    FStatusBar->SetAlign(alBottom);
    for (int w : {300, 32, 32, 18}) FStatusBar->Panels()->Add()->SetWidth(w);
    FStatusBar->Panels()->Items(0)->SetBevel(pbNone);
    FStatusBar->Panels()->Items(3)->SetBevel(pbNone);
}

// The file and print dialogs and the colour menu.
void TqzRichEditForm::BuildDialogs() {
    const std::string filter = "Rich Text Files (*.RTF)|*.RTF|Text Files (*.TXT)|*.TXT";
    FOpenDialog = new TOpenDialog(this);
    FOpenDialog->SetFilter(filter);
    FSaveDialog = new TSaveDialog(this);
    FSaveDialog->SetFilter(filter);
    FSaveDialog->SetDefaultExt("rtf");
    FPrintDialog = new TPrintDialog(this);
    FColorMenu = new TPopupMenu(this);
    for (const TColorEntry& c : kColors) {
        auto* item = new TMenuItem(FColorMenu);
        item->SetCaption(c.Name);
        item->SetTag(static_cast<int>(c.Color));
        item->SetOnClick(TNotifyEvent(this, &TqzRichEditForm::ColorItemClick));
        FColorMenu->Items()->Add(item);
    }
    auto* automatic = new TMenuItem(FColorMenu);
    automatic->SetCaption("Automatic");
    automatic->SetTag(static_cast<int>(clBlack));
    automatic->SetOnClick(TNotifyEvent(this, &TqzRichEditForm::ColorItemClick));
    FColorMenu->Items()->Add(automatic);
}

TqzRichEditForm::~TqzRichEditForm() {
    if (FShown && Application && Application->OnHint() == TNotifyEvent(this, &TqzRichEditForm::AppHint))
        Application->SetOnHint(FSavedHint);
    RestoreUserButtons();
    FRichEdit->SetOnSelectionChange(nullptr);
    FFontNameCombo->SetOnCloseUp(nullptr);
    FFontSizeCombo->SetOnCloseUp(nullptr);
}

TMenuItem* TqzRichEditForm::AddItem(TMenuItem* Parent, const std::string& Name, const std::string& Caption,
                                    TShortCut Key, void (TqzRichEditForm::*Click)(TObject*)) {
    auto* item = new TMenuItem(this);
    item->SetName(Name);
    item->SetCaption(Caption);
    item->SetShortCut(Key);
    if (Click) item->SetOnClick(TNotifyEvent(this, Click));
    Parent->Add(item);
    FItems.push_back(item);
    return item;
}

TSpeedButton* TqzRichEditForm::AddButton(TPanel* Bar, const std::string& Name, TqzRichGlyph Glyph,
                                         void (TqzRichEditForm::*Click)(TObject*)) {
    auto* b = new TSpeedButton(this);
    b->SetName(Name);
    b->SetParent(Bar);
    TBitmap glyph;
    qzLoadRichGlyph(Glyph, &glyph);
    b->SetGlyph(&glyph);
    b->SetBounds(0, 3, 23, 22);
    b->SetTag(static_cast<int>(FButtons.size()));
    b->SetFlat(true);
    if (Click) b->SetOnClick(TNotifyEvent(this, Click));
    FButtons.push_back(b);
    return b;
}

TSpeedButton* TqzRichEditForm::Button(const std::string& Name) const {
    for (TSpeedButton* b : FButtons)
        if (b->Name() == Name) return b;
    return nullptr;
}

TMenuItem* TqzRichEditForm::MenuItem(const std::string& Name) const {
    for (TMenuItem* i : FItems)
        if (i->Name() == Name) return i;
    return nullptr;
}

// ---- Showing -----------------------------------------------------------------------------------

void TqzRichEditForm::FormShow(TObject*) {
    FShown = true;
    if (Application) {
        FSavedHint = Application->OnHint();
        Application->SetOnHint(TNotifyEvent(this, &TqzRichEditForm::AppHint));
    }
    FSource->CopyContentTo(FRichEdit);
    FRichEdit->SetSelStart(FInitialSelStart);
    FRichEdit->SetModified(false);
    FRichEdit->ClearUndo();
    FFontNameCombo->Items()->Clear();
    for (const std::string& n : ScreenFontNames()) FFontNameCombo->Items()->Add(n);
    ApplyOptions();
    ApplyTexts();
    FColorMenu->Items()->Items(16)->SetTag(static_cast<int>(FRichEdit->Font()->Color()));
    ApplyImages();
    Relayout();
    RefreshState();
    UpdateLockPanels();
    FSource->DoInitDialog(this);
    if (FRichEdit->CanFocus()) FRichEdit->SetFocus();
}

void TqzRichEditForm::ApplyOptions() {
    unsigned o = FSource->EditorOptions();
    const bool readOnly = FRichEdit->IsReadOnly();
    auto off = [&o](TqzRichEditOption O) { o &= ~(1u << O); };
    if (readOnly)
        for (TqzRichEditOption O : {reoShowLoad, reoShowSaveAs, reoShowSaveExit, reoShowFormatBar,
                                    reoShowToolBar, reoShowStatusBar, reoShowRuler, reoShowSpellCheck})
            off(O);
    // no outside spell checker: Spelling shows only with OnSpellCheck
    if (!FSource->OnSpellCheck().Assigned()) off(reoShowSpellCheck);
    FOptions = o;
    auto show = [this](const char* Item, const char* ButtonName, bool Visible) {
        if (Item) MenuItem(Item)->SetVisible(Visible);
        if (ButtonName) Button(ButtonName)->SetVisible(Visible);
    };
    show("FileLoad", "LoadButton1", Has(o, reoShowLoad));
    show("FileSaveAs", "SaveAsButton", Has(o, reoShowSaveAs));
    show("FilePrint", "PrintButton", Has(o, reoShowPrint));
    show("FilePreview", "PrintPreviewButton", Has(o, reoShowPrintPreview));
    show("ToolsSpelling", "SpellButton", Has(o, reoShowSpellCheck));
    MenuItem("Tools1")->SetVisible(Has(o, reoShowSpellCheck));
    show(nullptr, "JustifyButton", Has(o, reoShowJustifyButton) && !readOnly);
    // no embedded objects here: Object... and the Insert menu stay hidden
    show("InsertObject", nullptr, false);
    MenuItem("Insert1")->SetVisible(false);
    MenuItem("FileSep2")
        ->SetVisible(Has(o, reoShowPrint) || Has(o, reoShowPrintPreview) || Has(o, reoShowPageSetup));
    show("FilePageSetup", nullptr, Has(o, reoShowPageSetup));
    show("FileSaveExit", nullptr, Has(o, reoShowSaveExit));
    MenuItem("FileSep1")->SetVisible(Has(o, reoShowLoad) || Has(o, reoShowSaveExit));
    FToolbar->SetVisible(Has(o, reoShowToolBar));
    FFormatBar->SetVisible(Has(o, reoShowFormatBar));
    FRuler->SetVisible(Has(o, reoShowRuler));
    FStatusBar->SetVisible(Has(o, reoShowStatusBar));
    MenuItem("ViewToolbar")->SetChecked(FToolbar->Visible());
    MenuItem("ViewFormatBar")->SetChecked(FFormatBar->Visible());
    MenuItem("ViewStatusBar")->SetChecked(FStatusBar->Visible());
    MenuItem("ViewRuler")->SetChecked(FRuler->Visible());
    if (readOnly)
        for (const char* n : {"ViewToolbar", "ViewFormatBar", "ViewStatusBar", "ViewRuler"})
            MenuItem(n)->SetVisible(false);
    const bool flat = Has(o, reoFlatButtons);
    for (TSpeedButton* b : FButtons) b->SetFlat(flat);
    PackToolbar();
    const bool hints = Has(o, reoShowHints);
    for (TSpeedButton* b : FButtons) b->SetShowHint(hints);
    FFontNameCombo->SetShowHint(hints);
    FFontSizeCombo->SetShowHint(hints);
}

void TqzRichEditForm::PackToolbar() {
    const bool bevels = Has(FOptions, reoFlatButtons);
    int x = 4;
    for (int g = 0; g < 4; ++g) {
        bool any = false;
        for (const char* n : kToolGroups[g]) {
            if (!n) break;
            TSpeedButton* b = Button(n);
            if (!b->Visible()) continue;
            b->SetLeft(x);
            x += b->Width();
            any = true;
        }
        TBevel* bevel = FGroupBevels[static_cast<std::size_t>(g)];
        bevel->SetVisible(any && bevels && g < 3);
        if (any) {
            bevel->SetLeft(x + 3);
            x += 3 + 5;
        }
    }
    // The source's own buttons follow, after a bevel of their own.
    bool user = false;
    for (TSpeedButton* b : {FSource->UserSpeedButton1(), FSource->UserSpeedButton2()}) {
        if (!b) continue;
        if (b->Parent() != FToolbar) {
            FUserParents.push_back({b, b->Parent()});
            b->FreeNotification(this);
            b->SetParent(FToolbar);
        }
        if (!user) {
            FUserButtonBevel->SetLeft(x - 5);
            user = true;
        }
        b->SetBounds(x, std::max(0, (FToolbar->Height() - b->Height()) / 2), b->Width(), b->Height());
        b->SetVisible(true);
        x += b->Width();
    }
    FUserButtonBevel->SetVisible(user && bevels);
    // The format bar closes up over a hidden justify button.
    TSpeedButton* justify = Button("JustifyButton");
    Button("BulletButton")->SetLeft(justify->Left() + (justify->Visible() ? justify->Width() : 0) + 6);
}

void TqzRichEditForm::RestoreUserButtons() {
    for (const auto& [button, parent] : FUserParents) {
        button->RemoveFreeNotification(this);
        button->SetVisible(false);
        button->SetParent(parent);
    }
    FUserParents.clear();
}

void TqzRichEditForm::Notification(TComponent* AComponent, TOperation Operation) {
    TForm::Notification(AComponent, Operation);
    if (Operation == opRemove)
        std::erase_if(FUserParents, [AComponent](const auto& P) { return P.first == AComponent; });
}

void TqzRichEditForm::ApplyImages() {
    // The main menu's pictures, by image index.
    const std::pair<const char*, TqzRichGlyph> images[] = {{"FileLoad", TqzRichGlyph::Load},
                                                           {"FileSaveAs", TqzRichGlyph::SaveAs},
                                                           {"FilePreview", TqzRichGlyph::Preview},
                                                           {"FilePrint", TqzRichGlyph::Print},
                                                           {"EditUndo", TqzRichGlyph::Undo},
                                                           {"EditRedo", TqzRichGlyph::Redo},
                                                           {"EditCut", TqzRichGlyph::Cut},
                                                           {"EditCopy", TqzRichGlyph::Copy},
                                                           {"EditPaste", TqzRichGlyph::Paste},
                                                           {"EditFind", TqzRichGlyph::Find},
                                                           {"FormatFont", TqzRichGlyph::Font},
                                                           {"FormatBulletStyle", TqzRichGlyph::Bullets},
                                                           {"FormatParagraph", TqzRichGlyph::Paragraph},
                                                           {"ToolsSpelling", TqzRichGlyph::Spell}};
    const bool icons = Has(FOptions, reoShowMainMenuIcons);
    for (const auto& [name, glyph] : images) {
        TMenuItem* item = MenuItem(name);
        if (!icons) {
            item->SetBitmap(nullptr);
            continue;
        }
        TBitmap b;
        qzLoadRichGlyph(glyph, &b);
        item->SetBitmap(&b);
    }
    // The colour menu: a swatch before each caption.
    for (int i = 0; i < FColorMenu->Items()->Count(); ++i) {
        TMenuItem* item = FColorMenu->Items()->Items(i);
        TBitmap b;
        b.SetSize(40, 12);
        TCanvas* c = b.Canvas();
        c->Brush()->SetColor(static_cast<TColor>(item->Tag()));
        c->Pen()->SetColor(clGray);
        c->Rectangle(0, 0, 40, 12);
        item->SetBitmap(&b);
    }
}

void TqzRichEditForm::ApplyTexts() {
    TqzDBRichEditIntl* t = RichTexts();
    TqzRichEditMenuLabels* m = t->MenuLabels();
    const std::pair<const char*, std::string> captions[] = {{"File1", m->FileCaption()},
                                                            {"FileLoad", m->LoadCaption()},
                                                            {"FileSaveAs", m->SaveAsCaption()},
                                                            {"FileSaveExit", m->SaveExitCaption()},
                                                            {"FilePreview", m->PrintPreviewCaption()},
                                                            {"FilePrint", m->PrintCaption()},
                                                            {"FilePageSetup", m->PageSetupCaption()},
                                                            {"FileExit", m->ExitCaption()},
                                                            {"Edit1", m->EditCaption()},
                                                            {"EditUndo", m->UndoCaption()},
                                                            {"EditRedo", UserText(m->RedoCaption(), "&Redo")},
                                                            {"EditCut", m->CutCaption()},
                                                            {"EditCopy", m->CopyCaption()},
                                                            {"EditPaste", m->PasteCaption()},
                                                            {"EditClear", m->ClearCaption()},
                                                            {"EditSelectAll", m->SelectallCaption()},
                                                            {"EditFind", m->FindCaption()},
                                                            {"EditFindNext", m->FindNextCaption()},
                                                            {"EditReplace", m->ReplaceCaption()},
                                                            {"View1", m->ViewCaption()},
                                                            {"ViewToolbar", m->ToolbarCaption()},
                                                            {"ViewFormatBar", m->FormatBarCaption()},
                                                            {"ViewStatusBar", m->ViewStatusBarCaption()},
                                                            {"ViewRuler", m->RulerCaption()},
                                                            {"ViewOptions", m->OptionsCaption()},
                                                            {"Insert1", m->InsertCaption()},
                                                            {"InsertObject", m->InsertObjectCaption()},
                                                            {"Format1", m->FormatCaption()},
                                                            {"FormatFont", m->FontCaption()},
                                                            {"FormatBulletStyle", m->BulletStyleCaption()},
                                                            {"FormatParagraph", m->ParagraphCaption()},
                                                            {"FormatTabs", m->TabsCaption()},
                                                            {"Tools1", m->ToolCaption()},
                                                            {"ToolsSpelling", m->SpellCheckCaption()},
                                                            {"Help1", m->HelpCaption()}};
    for (const auto& [name, caption] : captions)
        if (!caption.empty()) MenuItem(name)->SetCaption(caption);
    const std::pair<const char*, std::string> hints[] = {
        {"NewButton", t->NewButtonHint()},
        {"LoadButton1", t->LoadButtonHint()},
        {"SaveAsButton", t->SaveAsButtonHint()},
        {"PrintButton", t->PrintButtonHint()},
        {"PrintPreviewButton", t->PrintPreviewButtonHint()},
        {"FindButton", t->FindButtonHint()},
        {"CutButton", t->CutButtonHint()},
        {"CopyButton", t->CopyButtonHint()},
        {"PasteButton", t->PasteButtonHint()},
        {"UndoButton", t->UndoButtonHint()},
        {"RedoButton", UserText(t->RedoButtonHint(), "Redo | Reverses the last undo action")},
        {"BoldButton", t->BoldButtonHint()},
        {"ItalicButton", t->ItalicButtonHint()},
        {"UnderlineButton", t->UnderlineButtonHint()},
        {"ColorButton", t->ColorButtonHint()},
        {"HighlightButton", t->HighlightButtonHint()},
        {"LeftButton", t->LeftButtonHint()},
        {"CenterButton", t->CenterButtonHint()},
        {"RightButton", t->RightButtonHint()},
        {"JustifyButton", t->JustifyButtonHint()},
        {"BulletButton", t->BulletButtonHint()},
        {"SpellButton", t->SpellCheckHint()}};
    for (const auto& [name, hint] : hints) Button(name)->SetHint(hint);
    FFontNameCombo->SetHint(t->FontNameComboHint());
    FFontSizeCombo->SetHint(t->FontSizeComboHint());
    const std::pair<const char*, std::string> itemHints[] = {{"FileSaveExit", t->SaveExitHint()},
                                                             {"FilePageSetup", t->PageSetupHint()},
                                                             {"EditClear", t->ClearHint()},
                                                             {"EditSelectAll", t->SelectAllHint()},
                                                             {"EditFindNext", t->FindNextHint()},
                                                             {"EditReplace", t->ReplaceHint()},
                                                             {"InsertObject", t->InsertObjectHint()},
                                                             {"ToolsSpelling", t->SpellCheckHint()},
                                                             {"ViewToolbar", t->ToolbarHint()},
                                                             {"ViewFormatBar", t->FormatBarHint()},
                                                             {"ViewStatusBar", t->ViewStatusBarHint()},
                                                             {"ViewOptions", t->OptionsHint()},
                                                             {"FormatFont", t->FontHint()},
                                                             {"FormatParagraph", t->ParagraphHint()},
                                                             {"FormatTabs", t->TabsHint()}};
    for (const auto& [name, hint] : itemHints) MenuItem(name)->SetHint(hint);
    if (!FSource->EditorCaption().empty()) SetCaption(FSource->EditorCaption());
}

void TqzRichEditForm::AppHint(TObject*) {
    if (FStatusBar->Panels()->Count() > 0)
        FStatusBar->Panels()->Items(0)->SetText(GetLongHint(Application->Hint()));
}

void TqzRichEditForm::UpdateLockPanels() {
    TqzDBRichEditIntl* t = RichTexts();
    TLockKeyService& s = LockKeyService();
    FStatusBar->Panels()->Items(1)->SetText(s.CapsLock() == TLockState::On ? t->CAPLockCaption()
                                                                           : std::string());
    FStatusBar->Panels()->Items(2)->SetText(s.NumLock() == TLockState::On ? t->NUMLockCaption()
                                                                          : std::string());
}

// ---- Layout -------------------------------------------------------------------------------------

void TqzRichEditForm::Resize() {
    TForm::Resize();
    try {
        Relayout();
    } catch (const std::exception&) {
        MessageDlg("Error in resize", mtError, {mbOK}, 0);
    }
}

void TqzRichEditForm::Relayout() {
    if (FLayingOut || !FBuilt) return;
    FLayingOut = true;
    const int cw = ClientWidth();
    int top = 0;
    auto place = [&top, cw](TControl* Bar, TBevel* Bevel) {
        Bevel->SetVisible(Bar->Visible());
        if (!Bar->Visible()) return;
        Bevel->SetBounds(0, top, cw, 2);
        Bar->SetTop(top + 2);
        if (!dynamic_cast<TqzRulerPanel*>(Bar)) Bar->SetWidth(cw);
        top += Bar->Height() + 2;
    };
    place(FToolbar, FToolbarBevel);
    place(FFormatBar, FFormatBarBevel);
    FRuler->SetLeft(0);
    place(FRuler, FRulerBevel);
    int height = ClientHeight() - top;
    if (FStatusBar->Visible()) height -= FStatusBar->Height();
    FRichEdit->SetBounds(0, top, cw, std::max(0, height));
    if (FStatusBar->Panels()->Count() == 4)
        FStatusBar->Panels()->Items(0)->SetWidth(std::max(0, cw - 32 - 32 - 18));
    FRuler->Arrange();
    FRichEdit->UpdateFormatRect();
    FRichEdit->Invalidate();
    FLayingOut = false;
}

// ---- State ---------------------------------------------------------------------------------------

void TqzRichEditForm::SelectionChange(TObject*) {
    if (FRichEdit->Visible() && FShown) RefreshState();
}

void TqzRichEditForm::RefreshState() {
    if (!FRichEdit->HandleAllocated()) return;
    const TRtfCharFormat f = FRichEdit->SelAttributes();
    const TRtfParaFormat p = FRichEdit->Paragraph();
    Button("BoldButton")->SetDown(f.Bold);
    Button("ItalicButton")->SetDown(f.Italic);
    Button("UnderlineButton")->SetDown(f.Underline);
    const std::string face = f.FontName.empty() ? FRichEdit->Font()->Name() : f.FontName;
    if (FFontNameCombo->Text() != face) FFontNameCombo->SetText(face);
    FFontNameCombo->Font()->SetColor(FFontNameCombo->Items()->IndexOf(face) < 0 ? clRed : clWindowText);
    const std::string size = std::to_string(f.Size / 2);
    if (FFontSizeCombo->Text() != size) FFontSizeCombo->SetText(size);
    Button("BulletButton")->SetDown(p.Bullet);
    MenuItem("FormatBulletStyle")->SetChecked(p.Bullet);
    const char* align = p.Alignment == TRtfAlign::Center    ? "CenterButton"
                        : p.Alignment == TRtfAlign::Right   ? "RightButton"
                        : p.Alignment == TRtfAlign::Justify ? "JustifyButton"
                                                            : "LeftButton";
    Button(align)->SetDown(true);
    const bool readOnly = FRichEdit->IsReadOnly();
    const bool selection = FRichEdit->HasSelection();
    const bool text = FRichEdit->LineCount() > 1 || !FRichEdit->Text().empty();
    auto enable = [this](const char* Item, const char* ButtonName, bool Enabled) {
        if (Item) MenuItem(Item)->SetEnabled(Enabled);
        if (ButtonName) Button(ButtonName)->SetEnabled(Enabled);
    };
    enable("EditPaste", "PasteButton", FRichEdit->CanPaste() && !readOnly);
    enable("EditUndo", "UndoButton", FRichEdit->CanUndo());
    enable("EditRedo", "RedoButton", FRichEdit->CanRedo());
    enable("EditCut", "CutButton", selection && !readOnly);
    enable("EditClear", nullptr, selection && !readOnly);
    enable("EditCopy", "CopyButton", selection);
    enable("EditSelectAll", nullptr, text);
    enable("EditFind", "FindButton", text);
    enable("EditReplace", nullptr, text && !readOnly);
    enable("EditFindNext", nullptr, FRichEdit->HasFindText());
    if (FRuler->Visible()) FRuler->RefreshMarkers();
}

// ---- Keys ------------------------------------------------------------------------------------------

void TqzRichEditForm::KeyDown(uint16_t& Key, TShiftState Shift) {
    TForm::KeyDown(Key, Shift);
    const bool readOnly = FRichEdit->IsReadOnly();
    if (Key == VK_ESCAPE) {
        Key = 0;
        if (readOnly || Has(FOptions, reoCloseOnEscape)) {
            SetModalResult(mrCancel);
        } else {
            FRichEdit->Undo();
            RefreshState();
        }
        return;
    }
    if (Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt) && !readOnly) {
        const char* name = Key == 'B'   ? "BoldButton"
                           : Key == 'U' ? "UnderlineButton"
                           : Key == 'I' ? "ItalicButton"
                                        : nullptr;
        if (name) {
            Key = 0;
            if (Button(name)->Enabled()) Button(name)->Click();
        }
    }
}

void TqzRichEditForm::KeyUp(uint16_t& Key, TShiftState Shift) {
    TForm::KeyUp(Key, Shift);
    // Ctrl+Z undid on its press (the Undo item's shortcut): no second undo here
    UpdateLockPanels();
}

// ---- Closing ---------------------------------------------------------------------------------------

void TqzRichEditForm::FormCloseQuery(TObject*, bool& CanClose) {
    if (ModalResult() == mrOk) return;
    if (FSource->HasEditorOption(reoNoConfirmation)) {
        SetModalResult(mrOk);
        return;
    }
    if (FRichEdit->IsReadOnly() || !FRichEdit->Modified()) {
        SetModalResult(mrCancel);
        return;
    }
    const std::string text = qzIntl()
                                 ? qzIntl()->UserMessages()->RichEditExitWarning()
                                 : std::string("Changes have been made!  Do you wish to save your changes?");
    switch (MessageDlg(text, mtConfirmation, {mbYes, mbNo, mbCancel}, 0)) {
    case mrYes: SetModalResult(mrOk); break;
    case mrNo: SetModalResult(mrCancel); break;
    default: CanClose = false; break;
    }
}

void TqzRichEditForm::FormClose(TObject*, TCloseAction&) {
    RestoreUserButtons();
    if (Application && Application->OnHint() == TNotifyEvent(this, &TqzRichEditForm::AppHint))
        Application->SetOnHint(FSavedHint);
}

// ---- Commands ----------------------------------------------------------------------------------------

bool TqzRichEditForm::FireMenuEvent(int Which) {
    bool doDefault = true;
    TqzCustomRichEdit* s = FSource;
    switch (Which) {
    case 0: s->OnMenuLoadClick()(this, s, doDefault); break;
    case 1: s->OnMenuSaveAsClick()(this, s, doDefault); break;
    case 2: s->OnMenuPrintClick()(this, s, doDefault); break;
    default: s->OnMenuSaveAndExitClick()(this, s, doDefault); break;
    }
    return doDefault;
}

void TqzRichEditForm::NewClick(TObject*) {
    const std::string text =
        qzIntl() ? qzIntl()->UserMessages()->RichEditClearWarning() : std::string("Clear entire text?");
    if (MessageDlg(text, mtConfirmation, {mbOK, mbCancel}, 0) != mrOk) return;
    FRichEdit->Clear();
    FRichEdit->SetModified(true);
    RefreshState();
}

void TqzRichEditForm::LoadFile(const std::string& FileName, int FilterIndex) {
    // Only a regular file is read: a named pipe is refused, never waited on.
    TMemoryStream in;
    in.LoadFromFile(FileName);
    const std::string data(static_cast<const char*>(in.Memory()), static_cast<std::size_t>(in.Size()));
    const bool text = FilterIndex == 2 || UpperCase(ExtractFileExt(FileName)) == ".TXT";
    if (text) {
        FRichEdit->StreamIn(EnsureUtf8(data), false, false);
    } else if (!FRichEdit->StreamIn(data, true, false)) {
        // not RTF after all: its text
        FRichEdit->StreamIn(EnsureUtf8(data), false, false);
    }
    FRichEdit->SetModified(true);
}

void TqzRichEditForm::SaveFile(const std::string& FileName, int FilterIndex) {
    std::string data;
    if (FilterIndex == 2) {
        FRichEdit->SetPlainText(true);
        data = FRichEdit->StreamOut(false, false);
        FRichEdit->SetPlainText(false);
    } else {
        data = FRichEdit->StreamOut(true, false);
    }
    TAtomicFileWriter w(FileName);
    w.Write(data.data(), data.size());
    w.Commit();
}

void TqzRichEditForm::LoadClick(TObject*) {
    if (!FireMenuEvent(0)) return;
    if (FOpenDialog->Execute()) LoadFile(FOpenDialog->FileName(), FOpenDialog->FilterIndex());
    if (FRichEdit->CanFocus()) FRichEdit->SetFocus();
    RefreshState();
}

void TqzRichEditForm::SaveAsClick(TObject*) {
    if (!FireMenuEvent(1)) return;
    if (!FSaveDialog->Execute()) return;
    const std::string name = FSaveDialog->FileName();
    if (FileExists(name) && MessageDlg(Format("OK to overwrite %s", name.c_str()), mtConfirmation,
                                       {mbYes, mbNo, mbCancel}, 0) != mrYes)
        return;
    SaveFile(name, FSaveDialog->FilterIndex());
}

void TqzRichEditForm::SaveExitClick(TObject*) {
    if (!FireMenuEvent(3)) return;
    SetModalResult(mrOk);
}

void TqzRichEditForm::PreviewClick(TObject*) { FRichEdit->PrintPreview(); }

void TqzRichEditForm::PrintClick(TObject*) {
    if (!FireMenuEvent(2)) return;
    if (FPrintDialog->Execute()) FRichEdit->Print(FSource->PrintJobName());
}

void TqzRichEditForm::PageSetupClick(TObject*) {
    TqzPageSetupDialog dlg(nullptr);
    dlg.SetRichEdit(FRichEdit);
    if (dlg.Execute()) Relayout();
}

void TqzRichEditForm::ExitClick(TObject*) { SetModalResult(mrCancel); }

void TqzRichEditForm::UndoClick(TObject*) {
    FRichEdit->Undo();
    RefreshState();
}

void TqzRichEditForm::RedoClick(TObject*) {
    FRichEdit->Redo();
    RefreshState();
}

void TqzRichEditForm::CutClick(TObject*) {
    FRichEdit->CutToClipboard();
    RefreshState();
}
void TqzRichEditForm::CopyClick(TObject*) {
    FRichEdit->CopyToClipboard();
    RefreshState();
}
void TqzRichEditForm::PasteClick(TObject*) {
    FRichEdit->PasteFromClipboard();
    RefreshState();
}
void TqzRichEditForm::ClearClick(TObject*) {
    FRichEdit->ClearSelection();
    RefreshState();
}
void TqzRichEditForm::SelectAllClick(TObject*) { FRichEdit->SelectAll(); }
void TqzRichEditForm::FindClick(TObject*) { FRichEdit->ShowFindDialog(); }
void TqzRichEditForm::FindNextClick(TObject*) { FRichEdit->FindNext(); }
void TqzRichEditForm::ReplaceClick(TObject*) { FRichEdit->ShowReplaceDialog(); }

void TqzRichEditForm::FontClick(TObject*) {
    FRichEdit->ShowFontDialog();
    RefreshState();
}

void TqzRichEditForm::BulletStyleClick(TObject* Sender) { BulletClick(Sender); }

void TqzRichEditForm::ParagraphClick(TObject*) {
    if (FRichEdit->ShowParagraphDialog()) FRuler->RefreshMarkers();
    RefreshState();
}

void TqzRichEditForm::TabsClick(TObject*) { FRichEdit->ShowTabsDialog(); }
void TqzRichEditForm::ObjectClick(TObject*) { FRichEdit->InsertObject(); }
void TqzRichEditForm::SpellClick(TObject*) { FSource->SpellCheck(); }

void TqzRichEditForm::ViewBarClick(TObject* Sender) {
    auto* item = static_cast<TMenuItem*>(Sender);
    TControl* bar = item == MenuItem("ViewToolbar")     ? static_cast<TControl*>(FToolbar)
                    : item == MenuItem("ViewFormatBar") ? static_cast<TControl*>(FFormatBar)
                    : item == MenuItem("ViewStatusBar") ? static_cast<TControl*>(FStatusBar)
                                                        : static_cast<TControl*>(FRuler);
    bar->SetVisible(!bar->Visible());
    item->SetChecked(bar->Visible());
    Relayout();
}

void TqzRichEditForm::BoldClick(TObject*) {
    FRichEdit->ToggleEffect(0, !FRichEdit->SelAttributes().Bold);
    RefreshState();
}
void TqzRichEditForm::ItalicClick(TObject*) {
    FRichEdit->ToggleEffect(1, !FRichEdit->SelAttributes().Italic);
    RefreshState();
}
void TqzRichEditForm::UnderlineClick(TObject*) {
    FRichEdit->ToggleEffect(2, !FRichEdit->SelAttributes().Underline);
    RefreshState();
}

void TqzRichEditForm::AlignClick(TObject* Sender) {
    TqzRichEditParagraphDlg defaults;
    TqzRichEditParagraphDlg* t = qzIntl() ? RichTexts()->ParagraphDialog() : &defaults;
    const std::string word = Sender == Button("CenterButton")    ? t->AlignCenter()
                             : Sender == Button("RightButton")   ? t->AlignRight()
                             : Sender == Button("JustifyButton") ? t->AlignJustify()
                                                                 : t->AlignLeft();
    FRichEdit->BeginFieldEdit();
    FRichEdit->SetParaFormat({ppAlignment}, word, 0, 0, 0, 0, nullptr, 0, 0, 0, 0, false);
    RefreshState();
}

void TqzRichEditForm::BulletClick(TObject*) {
    FRichEdit->ToggleBullet(!FRichEdit->Paragraph().Bullet);
    RefreshState();
}

void TqzRichEditForm::ColorClick(TObject*) {
    TSpeedButton* b = Button("ColorButton");
    const TPoint p = b->ClientToScreen(TPoint{0, b->Height()});
    FColorMenu->Popup(p.X, p.Y);
}

void TqzRichEditForm::ColorItemClick(TObject* Sender) {
    auto* item = static_cast<TMenuItem*>(Sender);
    FRichEdit->BeginFieldEdit();
    TRtfCharFormat f;
    f.Color = ColorToRGB(static_cast<TColor>(item->Tag()));
    FRichEdit->SetSelAttributes(f, cfmColor);
    if (FRichEdit->CanFocus()) FRichEdit->SetFocus();
}

void TqzRichEditForm::HighlightClick(TObject*) {
    FRichEdit->BeginFieldEdit();
    FRichEdit->SetHighlight(Button("HighlightButton")->Down() ? FSource->HighlightColor() : TColor(-1));
    RefreshState();
}

void TqzRichEditForm::FontNameCloseUp(TqzDBComboBox*, bool) {
    const std::string name = FFontNameCombo->Text();
    const TRtfCharFormat f = FRichEdit->SelAttributes();
    if (!name.empty() && name != f.FontName) {
        FRichEdit->BeginFieldEdit();
        TRtfCharFormat n;
        n.FontName = name.substr(0, 31);
        FRichEdit->SetSelAttributes(n, cfmFace);
    }
    if (FRichEdit->CanFocus()) FRichEdit->SetFocus();
}

void TqzRichEditForm::FontSizeCloseUp(TqzDBComboBox*, bool) {
    const std::string text = Trim(FFontSizeCombo->Text());
    if (!text.empty()) {
        int size = 0;
        if (!TryStrToInt(text, size) || size < 1 || size > 1638) {
            MessageBeep(0);
        } else {
            FRichEdit->BeginFieldEdit();
            TRtfCharFormat n;
            n.Size = size * 2;
            FRichEdit->SetSelAttributes(n, cfmSize);
        }
    }
    if (FRichEdit->CanFocus()) FRichEdit->SetFocus();
    RefreshState();
}
