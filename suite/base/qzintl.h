// TqzIntl: the component suite's settings and texts.
//
// One global instance holds every user-visible text of the suite and a few
// suite-wide options; every suite control and dialog reads them from it
// (qzIntl()). A form may place its own TqzIntl and set Connected: its texts
// and options are then copied into the global instance. The texts live in
// holder objects (TqzUserMessagesIntl, TqzFilterDialogIntl, ...) whose
// properties are published, so they can be read and written by name.
//
// Also here: the picture-mask validation error that the suite's edits raise.
#pragma once

#include <functional>
#include <string>

#include "platform/core/component.h"
#include "platform/core/events.h"
#include "platform/core/properties.h"
#include "platform/ui/graphics.h"

class TField;

// The platform's beep (MessageBeep(0)), through a replaceable hook so tests
// can count it; with no hook installed it is the platform's sound service.
void qzMessageBeep();
// Installs the beep; an empty function gives it back to the platform.
void qzSetMessageBeepHook(std::function<void()> hook);

TASKMOOR_ENUM(TqzCheckBoxInGridStyle, cbStyleAuto, cbStyleCheckmark, cbStyleXmark, cbStyleCheckmarkFlat)
TASKMOOR_ENUM(TqzGridPaintStyle, gpsBitmapCanvas, gpsDynamicDeviceContext)

// (Control, Field, var DoDefault, var Msg): clear DoDefault to handle the
// error yourself; Msg may be changed.
using TqzPictureValidationError = TEvent<TObject*, TField*, bool&, std::string&>;

// Declares a text property: getter, setter and its field with the default.
#define QZ_TEXT_MEMBER(Name, Default)                             \
public:                                                           \
    const std::string& Name() const { return F##Name; }           \
    void Set##Name(const std::string& Value) { F##Name = Value; } \
                                                                  \
private:                                                          \
    std::string F##Name = Default;

// A holder of texts: a TPersistent whose published string properties are
// listed once in TEXTS(X) as X(Name, "default text").
#define QZ_TEXT_HOLDER(Class, TEXTS)               \
    class Class : public TPersistent {             \
        TASKMOOR_CLASS(Class, TPersistent)         \
    public:                                        \
        Class() = default;                         \
        void Assign(TPersistent* Source) override; \
        static void Publish(TPublisher<Class>& p); \
        TEXTS(QZ_TEXT_MEMBER)                      \
    };

#define QZ_USER_MESSAGES_TEXTS(X)                                                        \
    X(qzDBGridDiscardChanges, "Discard changes to this record?")                         \
    X(PictureValidateError, "Invalid characters. Field : ")                              \
    X(LocateNoMatches, "No matches found")                                               \
    X(LocateNoMoreMatches, "No more matches found")                                      \
    X(MemoChangesWarning, "Changes have been made!  Are you sure you wish to cancel?")   \
    X(RichEditExitWarning, "Changes have been made!  Do you wish to save your changes?") \
    X(RichEditClearWarning, "Clear entire text?")                                        \
    X(RichEditSpellCheckComplete, "The spell check is complete.")                        \
    X(RichEditMSWordNotFound, "Unable to start Microsoft Word's Spell Checker.")         \
    X(FilterDlgNoCriteria, "You have not selected any search criteria")                  \
    X(RecordViewExitWarning, "Changes have been made!  Do you wish to save your changes?")

#define QZ_NAVIGATOR_HINT_TEXTS(X)                         \
    X(FirstHint, "Move to first record")                   \
    X(PriorHint, "Move to prior record")                   \
    X(NextHint, "Move to next record")                     \
    X(LastHint, "Move to last record")                     \
    X(InsertHint, "Insert new record")                     \
    X(DeleteHint, "Delete current record")                 \
    X(EditHint, "Edit current record")                     \
    X(PostHint, "Post changes of current record")          \
    X(CancelHint, "Cancel changes made to current record") \
    X(RefreshHint, "Refresh the contents of the dataset")  \
    X(PriorPageHint, "Move backward %d records")           \
    X(NextPageHint, "Move forward %d records")             \
    X(SaveBookmarkHint, "Bookmark current record")         \
    X(RestoreBookmarkHint, "Go back to saved bookmark")    \
    X(RecordViewDialogHint, "View current record")         \
    X(LocateDialogHint, "Locate a specific record")        \
    X(FilterDialogHint, "Filter the dataset")              \
    X(SearchDialogHint, "Search the dataset")

#define QZ_NAVIGATOR_TEXTS(X) X(ConfirmDeleteMessage, "Delete record?")

#define QZ_SEARCH_DIALOG_TEXTS(X)                                \
    X(SearchCharLabel, "&Search Characters")                     \
    X(SearchCharShortLabel, "&Search Char")                      \
    X(SearchByLabel, "Search &By")                               \
    X(StatusRecLabel, "Rec #")                                   \
    X(StatusOfLabel, "of")                                       \
    X(SearchCharHint, "Enter characters for incremental search") \
    X(SearchByHint, "Incremental searching and sorting order")

#define QZ_MONTH_CALENDAR_TEXTS(X) \
    X(PopupYearLabel, "Edit Year") \
    X(EnterYearPrompt, "Enter Valid Year")

#define QZ_LOCATE_DIALOG_TEXTS(X)                                               \
    X(FieldValueLabel, "Field &Value")                                          \
    X(SearchTypeLabel, "&Search Type")                                          \
    X(CaseSensitiveLabel, "&Case-sensitive")                                    \
    X(MatchExactLabel, "&Exact Match")                                          \
    X(MatchStartLabel, "&Partial Match at Beginning")                           \
    X(MatchAnyLabel, "Partial Match &Anywhere")                                 \
    X(FieldsLabel, "&Fields")                                                   \
    X(BtnFirst, "Fi&rst")                                                       \
    X(BtnNext, "&Next")                                                         \
    X(BtnCancel, "Cancel")                                                      \
    X(BtnClose, "Close")                                                        \
    X(FieldValueHint, "Enter field's search value")                             \
    X(CaseSensitiveHint, "Searching is case-sensitive")                         \
    X(MatchExactHint, "Match occurs only if there is an exact match")           \
    X(MatchStartHint, "Match occurs if the start of the field's value matches") \
    X(MatchAnyHint, "Match occurs if any part of the field matches")            \
    X(BtnFirstHint, "Find first match")                                         \
    X(BtnNextHint, "Find next match from current record")                       \
    X(FieldNameHint, "Select the field to search on")

#define QZ_FILTER_DIALOG_TEXTS(X)                                                         \
    X(BtnViewSummary, "View Su&mmary")                                                    \
    X(BtnViewSummaryHint, "View a summary of the search criteria")                        \
    X(ViewSummaryNotText, "NOT")                                                          \
    X(BtnNewSearch, "&New Search")                                                        \
    X(BtnNewSearchHint, "Clear all search criteria and start a new search")               \
    X(FieldOrderLabel, "Field Order")                                                     \
    X(FieldOrderHint, "Sort field list alphabetically or in their natural logical order") \
    X(AlphabeticLabel, "Alpha&betic")                                                     \
    X(LogicalLabel, "&Logical")                                                           \
    X(AllFieldsLabel, "&All")                                                             \
    X(SearchedFieldsLabel, "&Searched")                                                   \
    X(StartingRangeLabel, "&Starting Range")                                              \
    X(EndingRangeLabel, "En&ding Range")                                                  \
    X(StartingRangeHint, "Enter the starting value of the range")                         \
    X(EndingRangeHint, "Enter the ending value of the range")                             \
    X(BtnClearMin, "&Clear")                                                              \
    X(BtnClearMax, "Cl&ear")                                                              \
    X(BtnClearFilterValue, "&Clear")                                                      \
    X(BtnClearMinHint, "Clear the starting range value")                                  \
    X(BtnClearMaxHint, "Clear the ending range value")                                    \
    X(BtnClearFilterValueHint, "Clear the field value")                                   \
    X(ByValueLabel, "By &Value")                                                          \
    X(ByRangeLabel, "By &Range")                                                          \
    X(FieldValueLabel, "Field &Value")                                                    \
    X(FieldValueHint, "Enter field's search value")                                       \
    X(SearchTypeLabel, "Search Type")                                                     \
    X(SearchTypeHint, "How the field value is matched")                                   \
    X(MatchExactLabel, "&Exact Match")                                                    \
    X(MatchStartLabel, "&Partial Match at Beginning")                                     \
    X(MatchAnyLabel, "Partial Match Any&where")                                           \
    X(CaseSensitiveLabel, "Case Sensi&tive")                                              \
    X(CaseSensitiveHint, "Searching is case-sensitive")                                   \
    X(NonMatchingLabel, "N&on-matching records")                                          \
    X(NonMatchingHint, "Show records that do not match the field value criteria")         \
    X(SummaryFieldLabel, "Field")                                                         \
    X(SummarySearchLabel, "Search Type")                                                  \
    X(SummaryValueLabel, "Value")                                                         \
    X(SummaryCaption, "")                                                                 \
    X(FieldsLabel, "Fields")                                                              \
    X(ValueRangeTabHint, "Search fields by value or by range")                            \
    X(AllSearchedTabHint, "Show all fields or only currently searched fields")

#define QZ_RICH_EDIT_TEXTS(X)                                                                        \
    X(FontNameComboHint, "Font | Changes the font of the selection")                                 \
    X(FontSizeComboHint, "Font Size | Changes the font size of the selection")                       \
    X(NewButtonHint, "New | Creates a new document")                                                 \
    X(LoadButtonHint, "Load | Load from file")                                                       \
    X(SaveAsButtonHint, "Save As | Save to file")                                                    \
    X(PrintButtonHint, "Print | Prints the active document")                                         \
    X(PrintPreviewButtonHint, "Print Preview | Print Preview the active document")                   \
    X(FindButtonHint, "Find | Finds the specified text")                                             \
    X(CutButtonHint, "Cut | Cuts the selection and puts it on the Clipboard")                        \
    X(CopyButtonHint, "Copy | Copies the selection and puts it on the Clipboard")                    \
    X(UndoButtonHint, "Undo | Reverses the last action")                                             \
    X(RedoButtonHint, "Redo | Reverses the last undo action")                                        \
    X(PasteButtonHint, "Paste | Inserts Clipboard contents")                                         \
    X(BoldButtonHint, "Bold | Makes the selection bold (toggle)")                                    \
    X(ColorButtonHint, "Color | Formats the selection with a color")                                 \
    X(UnderlineButtonHint, "Underline | Formats the selection with a continuous underline (toggle)") \
    X(ItalicButtonHint, "Italic | Makes the selection italic (toggle)")                              \
    X(LeftButtonHint, "Align Left | Left-justifies paragraph (toggle)")                              \
    X(CenterButtonHint, "Center | Center-justifies paragraph (toggle)")                              \
    X(RightButtonHint, "Align Right | Right-justifies paragraph (toggle)")                           \
    X(JustifyButtonHint, "Justify | Full Justification for paragraph (toggle)")                      \
    X(BulletButtonHint, "Bullets | Inserts a bullet on this line (toggle)")                          \
    X(HighlightButtonHint, "Highlight Text | Makes the selection highlighted")                       \
    X(FormatCaptionHint, "")                                                                         \
    X(SaveExitHint, "Save And Exit | Saves changes and exits editor")                                \
    X(PageSetupHint, "Page Setup | Changes page layout settings")                                    \
    X(ExitHint, "Exit")                                                                              \
    X(ClearHint, "Erases the Selection")                                                             \
    X(SelectAllHint, "Selects all of the text")                                                      \
    X(FindNextHint, "Repeats the last find")                                                         \
    X(ReplaceHint, "Replaces specific text with different text")                                     \
    X(InsertObjectHint, "Inserts new embedded object")                                               \
    X(SpellCheckHint, "Check spelling")                                                              \
    X(ToolbarHint, "Shows or hides the toolbar")                                                     \
    X(FormatBarHint, "Shows or hides the format bar")                                                \
    X(ViewStatusBarHint, "Shows or hides the status bar")                                            \
    X(OptionsHint, "Sets options")                                                                   \
    X(FontHint, "Selects font for current selection")                                                \
    X(ParagraphHint, "Formats current or selected paragraph(s)")                                     \
    X(TabsHint, "Sets tabs")

#define QZ_RICH_EDIT_LOCK_TEXTS(X) \
    X(CAPLockCaption, "CAP")       \
    X(NUMLockCaption, "NUM")

#define QZ_RICH_EDIT_MENU_TEXTS(X)            \
    X(FileCaption, "&File")                   \
    X(LoadCaption, "&Load")                   \
    X(SaveAsCaption, "Save &As")              \
    X(SaveExitCaption, "&Save and Exit")      \
    X(PrintCaption, "&Print")                 \
    X(PrintPreviewCaption, "&Print Pre&view") \
    X(PageSetupCaption, "Page Set&up")        \
    X(ExitCaption, "E&xit")                   \
    X(EditCaption, "&Edit")                   \
    X(UndoCaption, "&Undo")                   \
    X(CutCaption, "Cu&t")                     \
    X(CopyCaption, "&Copy")                   \
    X(PasteCaption, "&Paste")                 \
    X(ClearCaption, "Cle&ar")                 \
    X(SelectallCaption, "Select A&ll")        \
    X(FindCaption, "&Find")                   \
    X(FindNextCaption, "Find &Next")          \
    X(ReplaceCaption, "R&eplace")             \
    X(InsertObjectCaption, "&Object...")      \
    X(SpellCheckCaption, "Check &Spelling")   \
    X(InsertCaption, "&Insert")               \
    X(RulerCaption, "&Ruler")                 \
    X(RedoCaption, "")                        \
    X(ViewCaption, "&View")                   \
    X(ToolbarCaption, "&Toolbar")             \
    X(FormatBarCaption, "&Format Bar")        \
    X(ViewStatusBarCaption, "&Status Bar")    \
    X(OptionsCaption, "&Options")             \
    X(FormatCaption, "F&ormat")               \
    X(ToolCaption, "&Tools")                  \
    X(FontCaption, "&Font")                   \
    X(BulletStyleCaption, "&Bullet Style")    \
    X(ParagraphCaption, "&Paragraph")         \
    X(TabsCaption, "&Tabs")                   \
    X(HelpCaption, "&Help")

#define QZ_RICH_EDIT_POPUP_TEXTS(X)         \
    X(EditCaption, "&Edit")                 \
    X(ViewCaption, "&View")                 \
    X(CutCaption, "Cu&t")                   \
    X(CopyCaption, "&Copy")                 \
    X(PasteCaption, "&Paste")               \
    X(FontCaption, "&Font")                 \
    X(BulletStyleCaption, "&Bullet Style")  \
    X(BoldCaption, "&Bold")                 \
    X(ItalicCaption, "&Italic")             \
    X(UnderlineCaption, "&Underline")       \
    X(ParagraphCaption, "&Paragraph")       \
    X(TabsCaption, "&Tabs")                 \
    X(FindCaption, "&Find")                 \
    X(ReplaceCaption, "R&eplace")           \
    X(InsertObjectCaption, "&Object...")    \
    X(SpellCheckCaption, "Check &Spelling") \
    X(ObjectPropertiesCaption, "Object P&roperties")

#define QZ_RICH_EDIT_PARAGRAPH_TEXTS(X)                         \
    X(ParagraphDlgCaption, "Paragraph")                         \
    X(IndentationGroupBoxCaption, "Indentation")                \
    X(LeftEditCaption, "Left:")                                 \
    X(RightEditCaption, "Right:")                               \
    X(FirstLineEditCaption, "First line:")                      \
    X(AlignmentCaption, "Alignment")                            \
    X(LeftEditHint, "Left Indentation")                         \
    X(RightEditHint, "Right Indentation")                       \
    X(FirstLineEditHint, "First Line of Paragraph Indentation") \
    X(SpacingGroupCaption, "Spacing")                           \
    X(BeforeParagraphCaption, "&Before")                        \
    X(AfterParagraphCaption, "Aft&er")                          \
    X(WithinParagraphCaption, "Li&ne Spacing")                  \
    X(WithinParagraphAtCaption, "&At")                          \
    X(AlignmentHint, "Changes Alignment of Paragraph")          \
    X(AlignLeft, "Left")                                        \
    X(AlignRight, "Right")                                      \
    X(AlignCenter, "Center")                                    \
    X(AlignJustify, "Justify")                                  \
    X(SpacingSingle, "")                                        \
    X(Spacing1_5, "")                                           \
    X(SpacingDouble, "")                                        \
    X(SpacingAtLeast, "")                                       \
    X(SpacingExactly, "")                                       \
    X(SpacingMultiple, "")

#define QZ_RICH_EDIT_TAB_TEXTS(X)                         \
    X(TabDlgCaption, "Tab")                               \
    X(TabGroupBoxCaption, "&Tab Stop Position")           \
    X(SetTabButtonCaption, "Set")                         \
    X(ClearTabButtonCaption, "Clear")                     \
    X(ClearAllButtonCaption, "Clear All")                 \
    X(TabPositionEditHint, "Tab Position Edit Box")       \
    X(ListBoxHint, "List of tabs and their positions")    \
    X(SetButtonHint, "Set a new tab position")            \
    X(ClearButtonHint, "Clear the selected tab position") \
    X(ClearAllButtonHint, "Clear all the tabs")

// ---------------------------------------------------------------------------
// The holders

QZ_TEXT_HOLDER(TqzUserMessagesIntl, QZ_USER_MESSAGES_TEXTS)
QZ_TEXT_HOLDER(TqzDBNavigatorIntlHints, QZ_NAVIGATOR_HINT_TEXTS)
QZ_TEXT_HOLDER(TqzSearchDialogIntl, QZ_SEARCH_DIALOG_TEXTS)
QZ_TEXT_HOLDER(TqzMonthCalendarIntl, QZ_MONTH_CALENDAR_TEXTS)
QZ_TEXT_HOLDER(TqzLocateDialogIntl, QZ_LOCATE_DIALOG_TEXTS)
QZ_TEXT_HOLDER(TqzFilterDialogIntl, QZ_FILTER_DIALOG_TEXTS)
QZ_TEXT_HOLDER(TqzRichEditMenuLabels, QZ_RICH_EDIT_MENU_TEXTS)
QZ_TEXT_HOLDER(TqzRichEditPopupMenuLabels, QZ_RICH_EDIT_POPUP_TEXTS)

class TqzADOIntl : public TPersistent {
    TASKMOOR_CLASS(TqzADOIntl, TPersistent)
public:
    TqzADOIntl() = default;
    void Assign(TPersistent* Source) override;
    static void Publish(TPublisher<TqzADOIntl>& p);

    bool UseLocateWhenFindingValue() const { return FUseLocateWhenFindingValue; }
    void SetUseLocateWhenFindingValue(bool Value) { FUseLocateWhenFindingValue = Value; }

private:
    bool FUseLocateWhenFindingValue = true;
};

class TqzDBNavigatorIntl : public TPersistent {
    TASKMOOR_CLASS(TqzDBNavigatorIntl, TPersistent)
public:
    TqzDBNavigatorIntl();
    ~TqzDBNavigatorIntl() override;
    void Assign(TPersistent* Source) override;
    static void Publish(TPublisher<TqzDBNavigatorIntl>& p);

    TqzDBNavigatorIntlHints* Hints() const { return FHints; }
    void SetHints(TqzDBNavigatorIntlHints* Value) { FHints->Assign(Value); }

    QZ_NAVIGATOR_TEXTS(QZ_TEXT_MEMBER)

private:
    TqzDBNavigatorIntlHints* FHints;
};

class TqzValidationFeedback : public TPersistent {
    TASKMOOR_CLASS(TqzValidationFeedback, TPersistent)
public:
    TqzValidationFeedback() = default;
    void Assign(TPersistent* Source) override;
    static void Publish(TPublisher<TqzValidationFeedback>& p);

    TColor ErrorForeColor() const { return FErrorForeColor; }
    void SetErrorForeColor(TColor Value) { FErrorForeColor = Value; }
    TColor ErrorBackColor() const { return FErrorBackColor; }
    void SetErrorBackColor(TColor Value) { FErrorBackColor = Value; }

private:
    TColor FErrorForeColor = clNone;
    TColor FErrorBackColor = clNone;
};

class TqzRichEditParagraphDlg : public TPersistent {
    TASKMOOR_CLASS(TqzRichEditParagraphDlg, TPersistent)
public:
    TqzRichEditParagraphDlg() = default;
    void Assign(TPersistent* Source) override;
    static void Publish(TPublisher<TqzRichEditParagraphDlg>& p);

    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int Value) { FHelpContext = Value; }

    QZ_RICH_EDIT_PARAGRAPH_TEXTS(QZ_TEXT_MEMBER)

private:
    int FHelpContext = 0;
};

class TqzRichEditTabDlg : public TPersistent {
    TASKMOOR_CLASS(TqzRichEditTabDlg, TPersistent)
public:
    TqzRichEditTabDlg() = default;
    void Assign(TPersistent* Source) override;
    static void Publish(TPublisher<TqzRichEditTabDlg>& p);

    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int Value) { FHelpContext = Value; }

    QZ_RICH_EDIT_TAB_TEXTS(QZ_TEXT_MEMBER)

private:
    int FHelpContext = 0;
};

class TqzDBRichEditIntl : public TPersistent {
    TASKMOOR_CLASS(TqzDBRichEditIntl, TPersistent)
public:
    TqzDBRichEditIntl();
    ~TqzDBRichEditIntl() override;
    void Assign(TPersistent* Source) override;
    static void Publish(TPublisher<TqzDBRichEditIntl>& p);

    TqzRichEditMenuLabels* MenuLabels() const { return FMenuLabels; }
    void SetMenuLabels(TqzRichEditMenuLabels* Value) { FMenuLabels->Assign(Value); }
    TqzRichEditPopupMenuLabels* PopupMenuLabels() const { return FPopupMenuLabels; }
    void SetPopupMenuLabels(TqzRichEditPopupMenuLabels* Value) { FPopupMenuLabels->Assign(Value); }
    TqzRichEditParagraphDlg* ParagraphDialog() const { return FParagraphDialog; }
    void SetParagraphDialog(TqzRichEditParagraphDlg* Value) { FParagraphDialog->Assign(Value); }
    TqzRichEditTabDlg* TabDialog() const { return FTabDialog; }
    void SetTabDialog(TqzRichEditTabDlg* Value) { FTabDialog->Assign(Value); }

    QZ_RICH_EDIT_TEXTS(QZ_TEXT_MEMBER)
    QZ_RICH_EDIT_LOCK_TEXTS(QZ_TEXT_MEMBER)

private:
    TqzRichEditMenuLabels* FMenuLabels;
    TqzRichEditPopupMenuLabels* FPopupMenuLabels;
    TqzRichEditParagraphDlg* FParagraphDialog;
    TqzRichEditTabDlg* FTabDialog;
};

// ---------------------------------------------------------------------------
// The settings object

class TqzIntl : public TComponent {
    TASKMOOR_CLASS(TqzIntl, TComponent)
public:
    explicit TqzIntl(TComponent* AOwner);
    ~TqzIntl() override;

    static void Publish(TPublisher<TqzIntl>& p);

    // Text holders (setting one copies the given holder's contents).
    TqzADOIntl* ADO() const { return FADO; }
    void SetADO(TqzADOIntl* Value) { FADO->Assign(Value); }
    TqzDBNavigatorIntl* Navigator() const { return FNavigator; }
    void SetNavigator(TqzDBNavigatorIntl* Value) { FNavigator->Assign(Value); }
    TqzSearchDialogIntl* SearchDialog() const { return FSearchDialog; }
    void SetSearchDialog(TqzSearchDialogIntl* Value) { FSearchDialog->Assign(Value); }
    TqzLocateDialogIntl* LocateDialog() const { return FLocateDialog; }
    void SetLocateDialog(TqzLocateDialogIntl* Value) { FLocateDialog->Assign(Value); }
    TqzMonthCalendarIntl* MonthCalendar() const { return FMonthCalendar; }
    void SetMonthCalendar(TqzMonthCalendarIntl* Value) { FMonthCalendar->Assign(Value); }
    TqzUserMessagesIntl* UserMessages() const { return FUserMessages; }
    void SetUserMessages(TqzUserMessagesIntl* Value) { FUserMessages->Assign(Value); }
    TqzFilterDialogIntl* FilterDialog() const { return FFilterDialog; }
    void SetFilterDialog(TqzFilterDialogIntl* Value) { FFilterDialog->Assign(Value); }
    TqzValidationFeedback* ValidationFeedback() const { return FValidationFeedback; }
    void SetValidationFeedback(TqzValidationFeedback* Value) { FValidationFeedback->Assign(Value); }
    TqzDBRichEditIntl* RichEdit() const { return FRichEdit; }
    void SetRichEdit(TqzDBRichEditIntl* Value) { FRichEdit->Assign(Value); }

    // Options.
    bool OKCancelBitmapped() const { return FOKCancelBitmapped; }
    void SetOKCancelBitmapped(bool Value) { FOKCancelBitmapped = Value; }
    TFontStyles DialogFontStyle() const { return FDialogFontStyle; }
    void SetDialogFontStyle(TFontStyles Value) { FDialogFontStyle = Value; }
    const std::string& BtnOKCaption() const { return FBtnOKCaption; }
    void SetBtnOKCaption(const std::string& Value) { FBtnOKCaption = Value; }
    const std::string& BtnCancelCaption() const { return FBtnCancelCaption; }
    void SetBtnCancelCaption(const std::string& Value) { FBtnCancelCaption = Value; }
    // Setting True copies this object into the global one.
    bool Connected() const { return FConnected; }
    void SetConnected(bool Value);
    // The suite's own ini file; used only while Connected.
    const std::string& IniFileName() const { return FIniFileName; }
    void SetIniFileName(const std::string& Value) { FIniFileName = Value; }
    // On a connected placed object these also set the global one.
    TqzCheckBoxInGridStyle CheckBoxInGridStyle() const { return FCheckBoxInGridStyle; }
    void SetCheckBoxInGridStyle(TqzCheckBoxInGridStyle Value);
    TqzGridPaintStyle GridPaintStyle() const { return FGridPaintStyle; }
    void SetGridPaintStyle(TqzGridPaintStyle Value);
    bool UseLocateMethodForSearch() const { return FUseLocateMethodForSearch; }
    void SetUseLocateMethodForSearch(bool Value) { FUseLocateMethodForSearch = Value; }
    // The first year of the window two-digit years fall into.
    int DefaultEpochYear() const { return FDefaultEpochYear; }
    void SetDefaultEpochYear(int Value) { FDefaultEpochYear = Value; }
    // Bytes of a memo read for filtering.
    int FilterMemoSize() const { return FFilterMemoSize; }
    void SetFilterMemoSize(int Value) { FFilterMemoSize = Value; }
    const TqzPictureValidationError& OnValidationErrorUsingMask() const {
        return FOnValidationErrorUsingMask;
    }
    void SetOnValidationErrorUsingMask(const TqzPictureValidationError& Value) {
        FOnValidationErrorUsingMask = Value;
        FHandlerSource = nullptr;
    }

    // Not published: whether the suite's table reopens a server table (keeping
    // its field layout) to reset a range.
    bool SQLRangeResetReopens() const { return FSQLRangeResetReopens; }
    void SetSQLRangeResetReopens(bool Value) { FSQLRangeResetReopens = Value; }

    // A text that failed its picture mask. An empty Msg becomes the default
    // message; OnValidationErrorUsingMask may handle it (clearing DoDefault);
    // else a beep and EInvalidOperation with Msg.
    virtual void PictureValidationError(TObject* Control, TField* Field, std::string Msg);

    // Copies texts and options into the global object and connects it.
    void CopyToGlobal();

protected:
    void Loaded() override;

private:
    TqzADOIntl* FADO;
    TqzDBNavigatorIntl* FNavigator;
    TqzSearchDialogIntl* FSearchDialog;
    TqzLocateDialogIntl* FLocateDialog;
    TqzMonthCalendarIntl* FMonthCalendar;
    bool FOKCancelBitmapped = true;
    TFontStyles FDialogFontStyle;
    std::string FBtnOKCaption = "&OK";
    std::string FBtnCancelCaption = "Cancel";
    bool FConnected = false;
    TqzUserMessagesIntl* FUserMessages;
    TqzFilterDialogIntl* FFilterDialog;
    TqzValidationFeedback* FValidationFeedback;
    TqzDBRichEditIntl* FRichEdit;
    std::string FIniFileName;
    bool FSQLRangeResetReopens = true;
    TqzCheckBoxInGridStyle FCheckBoxInGridStyle = cbStyleAuto;
    TqzGridPaintStyle FGridPaintStyle = gpsDynamicDeviceContext;
    bool FUseLocateMethodForSearch = true;
    int FDefaultEpochYear = 1950;
    int FFilterMemoSize = 65536;
    TqzPictureValidationError FOnValidationErrorUsingMask;
    // On the global object: the placed object its handler was copied from.
    TqzIntl* FHandlerSource = nullptr;
};

// The message of a picture-mask validation error without a text of its own.
inline constexpr const char* qzDefaultValidationMessage =
    "Invalid input value.  Use escape key to abandon changes";

// The global settings object; nullptr outside start-up and shutdown.
TqzIntl* qzIntl();
// Reference-counted start-up and shutdown of the unit: the first start-up
// makes the global object, the matching last shutdown frees it. The unit
// starts up once by itself when the program loads.
void qzIntlStartup();
void qzIntlShutdown();
