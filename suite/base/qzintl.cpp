// The beep hook, and the published settings and texts of each part of the suite's
// settings component.
#include "suite/base/qzintl.h"

#include <utility>

#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"
#include "platform/ui/dialogs.h"

// ---------------------------------------------------------------------------
// The beep

namespace {
std::function<void()>& BeepHook() {
    static std::function<void()> hook;
    return hook;
}
}  // namespace

void qzMessageBeep() {
    if (BeepHook())
        BeepHook()();
    else
        MessageBeep(0);
}

void qzSetMessageBeepHook(std::function<void()> hook) { BeepHook() = std::move(hook); }

// ---------------------------------------------------------------------------
// Text holders

#define QZ_PUBLISH_TEXT(Name, Default) p.Property(#Name, &Self::Name, &Self::Set##Name);
#define QZ_COPY_TEXT(Name, Default) Set##Name(source->Name());

// Assign copies from a holder of the same class; anything else goes to the
// platform's assign error.
#define QZ_TEXT_HOLDER_BODY(Class, TEXTS)                  \
    void Class::Publish(TPublisher<Class>& p) {            \
        using Self = Class;                                \
        TEXTS(QZ_PUBLISH_TEXT)                             \
    }                                                      \
    void Class::Assign(TPersistent* Source) {              \
        if (auto* source = dynamic_cast<Class*>(Source)) { \
            TEXTS(QZ_COPY_TEXT)                            \
            return;                                        \
        }                                                  \
        inherited::Assign(Source);                         \
    }

QZ_TEXT_HOLDER_BODY(TqzUserMessagesIntl, QZ_USER_MESSAGES_TEXTS)
QZ_TEXT_HOLDER_BODY(TqzDBNavigatorIntlHints, QZ_NAVIGATOR_HINT_TEXTS)
QZ_TEXT_HOLDER_BODY(TqzSearchDialogIntl, QZ_SEARCH_DIALOG_TEXTS)
QZ_TEXT_HOLDER_BODY(TqzMonthCalendarIntl, QZ_MONTH_CALENDAR_TEXTS)
QZ_TEXT_HOLDER_BODY(TqzLocateDialogIntl, QZ_LOCATE_DIALOG_TEXTS)
QZ_TEXT_HOLDER_BODY(TqzFilterDialogIntl, QZ_FILTER_DIALOG_TEXTS)
QZ_TEXT_HOLDER_BODY(TqzRichEditMenuLabels, QZ_RICH_EDIT_MENU_TEXTS)
QZ_TEXT_HOLDER_BODY(TqzRichEditPopupMenuLabels, QZ_RICH_EDIT_POPUP_TEXTS)

void TqzADOIntl::Publish(TPublisher<TqzADOIntl>& p) {
    p.Property("UseLocateWhenFindingValue", &TqzADOIntl::UseLocateWhenFindingValue,
               &TqzADOIntl::SetUseLocateWhenFindingValue);
}

void TqzADOIntl::Assign(TPersistent* Source) {
    if (auto* source = dynamic_cast<TqzADOIntl*>(Source)) {
        SetUseLocateWhenFindingValue(source->UseLocateWhenFindingValue());
        return;
    }
    inherited::Assign(Source);
}

TqzDBNavigatorIntl::TqzDBNavigatorIntl() : FHints(new TqzDBNavigatorIntlHints) {}
TqzDBNavigatorIntl::~TqzDBNavigatorIntl() { delete FHints; }

void TqzDBNavigatorIntl::Publish(TPublisher<TqzDBNavigatorIntl>& p) {
    using Self = TqzDBNavigatorIntl;
    QZ_NAVIGATOR_TEXTS(QZ_PUBLISH_TEXT)
    p.Property("Hints", &Self::Hints, &Self::SetHints);
}

void TqzDBNavigatorIntl::Assign(TPersistent* Source) {
    if (auto* source = dynamic_cast<TqzDBNavigatorIntl*>(Source)) {
        QZ_NAVIGATOR_TEXTS(QZ_COPY_TEXT)
        FHints->Assign(source->Hints());
        return;
    }
    inherited::Assign(Source);
}

void TqzValidationFeedback::Publish(TPublisher<TqzValidationFeedback>& p) {
    using Self = TqzValidationFeedback;
    p.Property("ErrorForeColor", &Self::ErrorForeColor, &Self::SetErrorForeColor).SetTypeName("TColor");
    p.Property("ErrorBackColor", &Self::ErrorBackColor, &Self::SetErrorBackColor).SetTypeName("TColor");
}

void TqzValidationFeedback::Assign(TPersistent* Source) {
    if (auto* source = dynamic_cast<TqzValidationFeedback*>(Source)) {
        SetErrorForeColor(source->ErrorForeColor());
        SetErrorBackColor(source->ErrorBackColor());
        return;
    }
    inherited::Assign(Source);
}

void TqzRichEditParagraphDlg::Publish(TPublisher<TqzRichEditParagraphDlg>& p) {
    using Self = TqzRichEditParagraphDlg;
    QZ_RICH_EDIT_PARAGRAPH_TEXTS(QZ_PUBLISH_TEXT)
    p.Property("HelpContext", &Self::HelpContext, &Self::SetHelpContext);
}

void TqzRichEditParagraphDlg::Assign(TPersistent* Source) {
    if (auto* source = dynamic_cast<TqzRichEditParagraphDlg*>(Source)) {
        QZ_RICH_EDIT_PARAGRAPH_TEXTS(QZ_COPY_TEXT)
        SetHelpContext(source->HelpContext());
        return;
    }
    inherited::Assign(Source);
}

void TqzRichEditTabDlg::Publish(TPublisher<TqzRichEditTabDlg>& p) {
    using Self = TqzRichEditTabDlg;
    QZ_RICH_EDIT_TAB_TEXTS(QZ_PUBLISH_TEXT)
    p.Property("HelpContext", &Self::HelpContext, &Self::SetHelpContext);
}

void TqzRichEditTabDlg::Assign(TPersistent* Source) {
    if (auto* source = dynamic_cast<TqzRichEditTabDlg*>(Source)) {
        QZ_RICH_EDIT_TAB_TEXTS(QZ_COPY_TEXT)
        SetHelpContext(source->HelpContext());
        return;
    }
    inherited::Assign(Source);
}

TqzDBRichEditIntl::TqzDBRichEditIntl()
    : FMenuLabels(new TqzRichEditMenuLabels),
      FPopupMenuLabels(new TqzRichEditPopupMenuLabels),
      FParagraphDialog(new TqzRichEditParagraphDlg),
      FTabDialog(new TqzRichEditTabDlg) {}

TqzDBRichEditIntl::~TqzDBRichEditIntl() {
    delete FTabDialog;
    delete FParagraphDialog;
    delete FPopupMenuLabels;
    delete FMenuLabels;
}

void TqzDBRichEditIntl::Publish(TPublisher<TqzDBRichEditIntl>& p) {
    using Self = TqzDBRichEditIntl;
    QZ_RICH_EDIT_TEXTS(QZ_PUBLISH_TEXT)
    p.Property("MenuLabels", &Self::MenuLabels, &Self::SetMenuLabels);
    p.Property("PopupMenuLabels", &Self::PopupMenuLabels, &Self::SetPopupMenuLabels);
    p.Property("ParagraphDialog", &Self::ParagraphDialog, &Self::SetParagraphDialog);
    p.Property("TabDialog", &Self::TabDialog, &Self::SetTabDialog);
    QZ_RICH_EDIT_LOCK_TEXTS(QZ_PUBLISH_TEXT)
}

void TqzDBRichEditIntl::Assign(TPersistent* Source) {
    if (auto* source = dynamic_cast<TqzDBRichEditIntl*>(Source)) {
        QZ_RICH_EDIT_TEXTS(QZ_COPY_TEXT)
        QZ_RICH_EDIT_LOCK_TEXTS(QZ_COPY_TEXT)
        FMenuLabels->Assign(source->MenuLabels());
        FPopupMenuLabels->Assign(source->PopupMenuLabels());
        FParagraphDialog->Assign(source->ParagraphDialog());
        FTabDialog->Assign(source->TabDialog());
        return;
    }
    inherited::Assign(Source);
}

// ---------------------------------------------------------------------------
// The global object

namespace {
TqzIntl* GlobalIntl = nullptr;
int StartupCount = 0;

void Startup() {
    if (StartupCount++ == 0 && !GlobalIntl) GlobalIntl = new TqzIntl(nullptr);
}

void Shutdown() {
    if (StartupCount <= 0) return;
    if (--StartupCount == 0) delete GlobalIntl;  // its destructor clears the global reference
}

// The unit's own start-up, made on first use, and its shutdown at program
// end. The class metadata is set up first so it outlives the global object.
struct UnitLifetime {
    UnitLifetime() {
        TqzIntl::StaticClass();
        TqzDBRichEditIntl::StaticClass();
        TqzDBNavigatorIntl::StaticClass();
        Startup();
    }
    ~UnitLifetime() {
        StartupCount = 0;
        delete GlobalIntl;
    }
};

void EnsureUnitStarted() { static UnitLifetime lifetime; }

// The global ini file name: ".ini" added unless the name already has it; an
// empty name or ".ini" alone gives none.
std::string GlobalIniFileName(const std::string& name) {
    static const std::string ext = ".ini";
    if (name.empty() || SameText(name, ext)) return std::string();
    if (name.size() > ext.size() && SameText(name.substr(name.size() - ext.size()), ext)) return name;
    return name + ext;
}
}  // namespace

TqzIntl* qzIntl() {
    EnsureUnitStarted();
    return GlobalIntl;
}

void qzIntlStartup() {
    EnsureUnitStarted();
    Startup();
}

void qzIntlShutdown() {
    EnsureUnitStarted();
    Shutdown();
}

// ---------------------------------------------------------------------------
// TqzIntl

TqzIntl::TqzIntl(TComponent* AOwner)
    : TComponent(AOwner),
      FADO(new TqzADOIntl),
      FNavigator(new TqzDBNavigatorIntl),
      FSearchDialog(new TqzSearchDialogIntl),
      FLocateDialog(new TqzLocateDialogIntl),
      FMonthCalendar(new TqzMonthCalendarIntl),
      FUserMessages(new TqzUserMessagesIntl),
      FFilterDialog(new TqzFilterDialogIntl),
      FValidationFeedback(new TqzValidationFeedback),
      FRichEdit(new TqzDBRichEditIntl) {}

TqzIntl::~TqzIntl() {
    if (GlobalIntl == this) {
        GlobalIntl = nullptr;
    } else if (GlobalIntl && GlobalIntl->FHandlerSource == this) {
        // The handler copied from here belongs to this object's form, which
        // is going away: the global object must not call it any more,
        // whether this object was disconnected or changed its own since.
        GlobalIntl->FOnValidationErrorUsingMask = TqzPictureValidationError();
        GlobalIntl->FHandlerSource = nullptr;
    }
    delete FRichEdit;
    delete FValidationFeedback;
    delete FFilterDialog;
    delete FUserMessages;
    delete FMonthCalendar;
    delete FLocateDialog;
    delete FSearchDialog;
    delete FNavigator;
    delete FADO;
}

void TqzIntl::Publish(TPublisher<TqzIntl>& p) {
    using Self = TqzIntl;
    p.Property("ADO", &Self::ADO, &Self::SetADO);
    p.Property("Navigator", &Self::Navigator, &Self::SetNavigator);
    p.Property("SearchDialog", &Self::SearchDialog, &Self::SetSearchDialog);
    p.Property("LocateDialog", &Self::LocateDialog, &Self::SetLocateDialog);
    p.Property("MonthCalendar", &Self::MonthCalendar, &Self::SetMonthCalendar);
    p.Property("OKCancelBitmapped", &Self::OKCancelBitmapped, &Self::SetOKCancelBitmapped);
    p.Property("DialogFontStyle", &Self::DialogFontStyle, &Self::SetDialogFontStyle)
        .SetTypeName("TFontStyles");
    p.Property("BtnOKCaption", &Self::BtnOKCaption, &Self::SetBtnOKCaption);
    p.Property("BtnCancelCaption", &Self::BtnCancelCaption, &Self::SetBtnCancelCaption);
    p.Property("Connected", &Self::Connected, &Self::SetConnected);
    p.Property("UserMessages", &Self::UserMessages, &Self::SetUserMessages);
    p.Property("FilterDialog", &Self::FilterDialog, &Self::SetFilterDialog);
    p.Property("ValidationFeedback", &Self::ValidationFeedback, &Self::SetValidationFeedback);
    p.Property("RichEdit", &Self::RichEdit, &Self::SetRichEdit);
    p.Property("IniFileName", &Self::IniFileName, &Self::SetIniFileName);
    p.Property("CheckBoxInGridStyle", &Self::CheckBoxInGridStyle, &Self::SetCheckBoxInGridStyle);
    p.Property("GridPaintStyle", &Self::GridPaintStyle, &Self::SetGridPaintStyle);
    p.Property("UseLocateMethodForSearch", &Self::UseLocateMethodForSearch,
               &Self::SetUseLocateMethodForSearch);
    p.Property("DefaultEpochYear", &Self::DefaultEpochYear, &Self::SetDefaultEpochYear);
    p.Property("FilterMemoSize", &Self::FilterMemoSize, &Self::SetFilterMemoSize);
    p.Property("OnValidationErrorUsingMask", &Self::OnValidationErrorUsingMask,
               &Self::SetOnValidationErrorUsingMask)
        .SetTypeName("TqzPictureValidationError");
}

void TqzIntl::Loaded() {
    inherited::Loaded();
    if (FConnected) CopyToGlobal();
}

void TqzIntl::SetConnected(bool Value) {
    FConnected = Value;
    if (Value) CopyToGlobal();
}

void TqzIntl::SetCheckBoxInGridStyle(TqzCheckBoxInGridStyle Value) {
    FCheckBoxInGridStyle = Value;
    if (FConnected && GlobalIntl && GlobalIntl != this) GlobalIntl->SetCheckBoxInGridStyle(Value);
}

void TqzIntl::SetGridPaintStyle(TqzGridPaintStyle Value) {
    FGridPaintStyle = Value;
    if (FConnected && GlobalIntl && GlobalIntl != this) GlobalIntl->SetGridPaintStyle(Value);
}

void TqzIntl::CopyToGlobal() {
    TqzIntl* global = qzIntl();
    if (!global) return;
    // The field, not the setter: the setter would copy again, endlessly.
    global->FConnected = true;
    if (global != this) {
        global->FADO->Assign(FADO);
        global->FNavigator->Assign(FNavigator);
        global->FSearchDialog->Assign(FSearchDialog);
        global->FLocateDialog->Assign(FLocateDialog);
        global->FMonthCalendar->Assign(FMonthCalendar);
        global->FUserMessages->Assign(FUserMessages);
        global->FFilterDialog->Assign(FFilterDialog);
        global->FValidationFeedback->Assign(FValidationFeedback);
        global->FRichEdit->Assign(FRichEdit);
        global->FOKCancelBitmapped = FOKCancelBitmapped;
        global->FDialogFontStyle = FDialogFontStyle;
        global->FBtnOKCaption = FBtnOKCaption;
        global->FBtnCancelCaption = FBtnCancelCaption;
        global->SetCheckBoxInGridStyle(FCheckBoxInGridStyle);
        global->SetGridPaintStyle(FGridPaintStyle);
        global->FOnValidationErrorUsingMask = FOnValidationErrorUsingMask;
        global->FHandlerSource = this;
        global->FUseLocateMethodForSearch = FUseLocateMethodForSearch;
        global->FSQLRangeResetReopens = FSQLRangeResetReopens;
        global->FDefaultEpochYear = FDefaultEpochYear;
        global->FFilterMemoSize = FFilterMemoSize;
    }
    global->FIniFileName = GlobalIniFileName(FIniFileName);
}

void TqzIntl::PictureValidationError(TObject* Control, TField* Field, std::string Msg) {
    if (Msg.empty()) Msg = qzDefaultValidationMessage;
    bool doDefault = true;
    if (FOnValidationErrorUsingMask.Assigned()) FOnValidationErrorUsingMask(Control, Field, doDefault, Msg);
    if (doDefault) {
        qzMessageBeep();
        throw EInvalidOperation(Msg);
    }
}
