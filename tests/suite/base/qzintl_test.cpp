// The suite's settings and texts object: defaults and texts by name, connecting, loading, validation errors.
#include "suite/base/qzintl.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/properties.h"
#include "platform/ui/graphics.h"
#include "platform/ui/testing.h"
#include "suite/base/qztypes.h"

namespace {

// Each test starts from a freshly made global object and counts beeps.
class QzIntlTest : public ::testing::Test {
protected:
    void SetUp() override {
        qzIntlShutdown();
        qzIntlStartup();
        ASSERT_NE(qzIntl(), nullptr);
        qzSetMessageBeepHook([this] { ++beeps; });
    }
    void TearDown() override {
        qzSetMessageBeepHook(nullptr);
        qzIntlShutdown();
        qzIntlStartup();
    }

    static std::string Text(TObject* obj, const std::string& path) {
        // "Holder.Sub.Property"
        std::size_t start = 0;
        for (std::size_t dot; (dot = path.find('.', start)) != std::string::npos; start = dot + 1)
            obj = GetObjectProp(obj, path.substr(start, dot - start));
        return GetStrProp(obj, path.substr(start));
    }

    int beeps = 0;
};

struct Handler : TObject {
    int calls = 0;
    TObject* control = nullptr;
    TField* field = nullptr;
    bool handle = true;
    void OnError(TObject* c, TField* f, bool& doDefault, std::string& msg) {
        ++calls;
        control = c;
        field = f;
        msg = "changed: " + msg;
        if (handle) doDefault = false;
    }
};

TEST(QzBeepTest, WithoutAHookTheBeepIsThePlatforms) {
    TBeepCounter platform;
    qzSetMessageBeepHook(nullptr);
    qzMessageBeep();
    EXPECT_EQ(platform.Count(), 1);
    EXPECT_EQ(platform.LastType(), 0u);
    int hooked = 0;
    qzSetMessageBeepHook([&] { ++hooked; });
    qzMessageBeep();
    EXPECT_EQ(hooked, 1);
    EXPECT_EQ(platform.Count(), 1);  // the hook replaces the platform's beep
    qzSetMessageBeepHook(nullptr);
    qzMessageBeep();
    EXPECT_EQ(platform.Count(), 2);
}

TEST(QzPlatformTypesTest, ColoursAndFontStylesAreThePlatforms) {
    TqzIntl intl(nullptr);
    const TPropInfo* style = GetPropInfo(&intl, "DialogFontStyle");
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(style->EnumType, &EnumInfoOf(TFontStyle{}));
    // A suite style is a platform font's style.
    TFont font;
    font.SetStyle(TFontStyles{fsBold, fsUnderline});
    intl.SetDialogFontStyle(font.Style());
    EXPECT_EQ(GetSetProp(&intl, "DialogFontStyle"), "[fsBold,fsUnderline]");
    EXPECT_EQ(ColorToString(clNone), "clNone");
}

}  // namespace

TEST_F(QzIntlTest, DefaultsReadByName) {
    TqzIntl* intl = qzIntl();
    EXPECT_TRUE(GetOrdProp(intl, "OKCancelBitmapped"));
    EXPECT_EQ(GetStrProp(intl, "BtnOKCaption"), "&OK");
    EXPECT_EQ(GetStrProp(intl, "BtnCancelCaption"), "Cancel");
    EXPECT_FALSE(GetOrdProp(intl, "Connected"));
    EXPECT_EQ(GetStrProp(intl, "IniFileName"), "");
    EXPECT_EQ(GetEnumProp(intl, "CheckBoxInGridStyle"), "cbStyleAuto");
    EXPECT_EQ(GetEnumProp(intl, "GridPaintStyle"), "gpsDynamicDeviceContext");
    EXPECT_TRUE(GetOrdProp(intl, "UseLocateMethodForSearch"));
    EXPECT_EQ(GetOrdProp(intl, "DefaultEpochYear"), 1950);
    EXPECT_EQ(GetOrdProp(intl, "FilterMemoSize"), 65536);
    EXPECT_EQ(GetSetProp(intl, "DialogFontStyle"), "[]");
    EXPECT_EQ(qzGetFilterMemoSize(), 65536);
    EXPECT_TRUE(GetOrdProp(GetObjectProp(intl, "ADO"), "UseLocateWhenFindingValue"));
    TObject* feedback = GetObjectProp(intl, "ValidationFeedback");
    EXPECT_EQ(GetOrdProp(feedback, "ErrorForeColor"), clNone);
    EXPECT_EQ(GetOrdProp(feedback, "ErrorBackColor"), clNone);
    EXPECT_FALSE(GetMethodProp(intl, "OnValidationErrorUsingMask").Assigned());
}

TEST_F(QzIntlTest, TextsReadByName) {
    TqzIntl* intl = qzIntl();
    EXPECT_EQ(Text(intl, "UserMessages.qzDBGridDiscardChanges"), "Discard changes to this record?");
    EXPECT_EQ(Text(intl, "UserMessages.PictureValidateError"), "Invalid characters. Field : ");
    EXPECT_EQ(Text(intl, "UserMessages.MemoChangesWarning"),
              "Changes have been made!  Are you sure you wish to cancel?");
    EXPECT_EQ(Text(intl, "UserMessages.RecordViewExitWarning"),
              "Changes have been made!  Do you wish to save your changes?");
    EXPECT_EQ(Text(intl, "Navigator.ConfirmDeleteMessage"), "Delete record?");
    EXPECT_EQ(Text(intl, "Navigator.Hints.PriorPageHint"), "Move backward %d records");
    EXPECT_EQ(Text(intl, "Navigator.Hints.SearchDialogHint"), "Search the dataset");
    EXPECT_EQ(Text(intl, "SearchDialog.StatusRecLabel"), "Rec #");
    EXPECT_EQ(Text(intl, "MonthCalendar.EnterYearPrompt"), "Enter Valid Year");
    EXPECT_EQ(Text(intl, "LocateDialog.MatchAnyLabel"), "Partial Match &Anywhere");
    EXPECT_EQ(Text(intl, "LocateDialog.FieldNameHint"), "Select the field to search on");
    EXPECT_EQ(Text(intl, "FilterDialog.ViewSummaryNotText"), "NOT");
    EXPECT_EQ(Text(intl, "FilterDialog.MatchAnyLabel"), "Partial Match Any&where");
    EXPECT_EQ(Text(intl, "FilterDialog.SummaryCaption"), "");
    EXPECT_EQ(Text(intl, "FilterDialog.AllSearchedTabHint"),
              "Show all fields or only currently searched fields");
    EXPECT_EQ(Text(intl, "RichEdit.BoldButtonHint"), "Bold | Makes the selection bold (toggle)");
    EXPECT_EQ(Text(intl, "RichEdit.ExitHint"), "Exit");
    EXPECT_EQ(Text(intl, "RichEdit.NUMLockCaption"), "NUM");
    EXPECT_EQ(Text(intl, "RichEdit.MenuLabels.PrintPreviewCaption"), "&Print Pre&view");
    EXPECT_EQ(Text(intl, "RichEdit.MenuLabels.RedoCaption"), "");
    EXPECT_EQ(Text(intl, "RichEdit.PopupMenuLabels.ObjectPropertiesCaption"), "Object P&roperties");
    EXPECT_EQ(Text(intl, "RichEdit.ParagraphDialog.WithinParagraphCaption"), "Li&ne Spacing");
    EXPECT_EQ(Text(intl, "RichEdit.ParagraphDialog.SpacingMultiple"), "");
    EXPECT_EQ(Text(intl, "RichEdit.TabDialog.ClearAllButtonHint"), "Clear all the tabs");
    EXPECT_EQ(GetOrdProp(GetObjectProp(GetObjectProp(intl, "RichEdit"), "TabDialog"), "HelpContext"), 0);
}

TEST_F(QzIntlTest, HolderPropertyCounts) {
    TqzIntl* intl = qzIntl();
    const auto count = [&](const char* holder, TTypeKind kind) {
        return static_cast<int>(GetPropList(GetObjectProp(intl, holder), {kind}).size());
    };
    EXPECT_EQ(count("UserMessages", tkString), 11);
    EXPECT_EQ(count("FilterDialog", tkString), 41);
    EXPECT_EQ(count("LocateDialog", tkString), 19);
    EXPECT_EQ(count("SearchDialog", tkString), 7);
    TObject* rich = GetObjectProp(intl, "RichEdit");
    EXPECT_EQ(GetPropList(rich).size(), 46u);
    EXPECT_EQ(GetPropList(GetObjectProp(rich, "MenuLabels")).size(), 35u);
    EXPECT_EQ(GetPropList(GetObjectProp(rich, "PopupMenuLabels")).size(), 17u);
    EXPECT_EQ(GetPropList(GetObjectProp(rich, "ParagraphDialog")).size(), 26u);
    EXPECT_EQ(GetPropList(GetObjectProp(rich, "TabDialog")).size(), 11u);
    EXPECT_EQ(GetPropList(GetObjectProp(GetObjectProp(intl, "Navigator"), "Hints")).size(), 18u);
}

TEST_F(QzIntlTest, ConnectingCopiesIntoTheGlobalObject) {
    TqzIntl placed(nullptr);
    placed.UserMessages()->SetLocateNoMatches("Nichts gefunden");
    placed.RichEdit()->MenuLabels()->SetFileCaption("&Datei");
    placed.Navigator()->Hints()->SetFirstHint("Erster");
    placed.ValidationFeedback()->SetErrorBackColor(0x0000FF);
    placed.ADO()->SetUseLocateWhenFindingValue(false);
    placed.SetBtnOKCaption("&Ja");
    placed.SetDialogFontStyle(TFontStyles{fsBold});
    placed.SetDefaultEpochYear(1980);
    placed.SetFilterMemoSize(1024);
    placed.SetSQLRangeResetReopens(false);
    placed.SetGridPaintStyle(gpsBitmapCanvas);
    TqzIntl* global = qzIntl();
    EXPECT_EQ(global->UserMessages()->LocateNoMatches(), "No matches found");

    placed.SetConnected(true);
    EXPECT_TRUE(global->Connected());
    EXPECT_EQ(global->UserMessages()->LocateNoMatches(), "Nichts gefunden");
    EXPECT_EQ(global->RichEdit()->MenuLabels()->FileCaption(), "&Datei");
    EXPECT_EQ(global->Navigator()->Hints()->FirstHint(), "Erster");
    EXPECT_EQ(global->ValidationFeedback()->ErrorBackColor(), 0x0000FF);
    EXPECT_FALSE(global->ADO()->UseLocateWhenFindingValue());
    EXPECT_EQ(global->BtnOKCaption(), "&Ja");
    EXPECT_TRUE(global->DialogFontStyle().Contains(fsBold));
    EXPECT_EQ(global->DefaultEpochYear(), 1980);
    EXPECT_EQ(qzGetFilterMemoSize(), 1024);
    EXPECT_FALSE(global->SQLRangeResetReopens());
    EXPECT_EQ(global->GridPaintStyle(), gpsBitmapCanvas);
    // The holders are copies, not shared.
    EXPECT_NE(global->UserMessages(), placed.UserMessages());
}

TEST_F(QzIntlTest, ConnectingTheGlobalObjectItselfDoesNotRecurse) {
    TqzIntl* global = qzIntl();
    global->SetIniFileName("suite");
    SetOrdProp(global, "Connected", 1);
    EXPECT_TRUE(global->Connected());
    EXPECT_EQ(global->IniFileName(), "suite.ini");
    global->SetConnected(true);  // a second time: still one extension
    EXPECT_EQ(global->IniFileName(), "suite.ini");
}

TEST_F(QzIntlTest, IniFileNameOfTheGlobalObject) {
    const auto connectWith = [](const std::string& name) {
        TqzIntl placed(nullptr);
        placed.SetIniFileName(name);
        placed.SetConnected(true);
        return qzIntl()->IniFileName();
    };
    EXPECT_EQ(connectWith("layout"), "layout.ini");
    EXPECT_EQ(connectWith("layout.ini"), "layout.ini");  // never a second ".ini"
    EXPECT_EQ(connectWith("layout.INI"), "layout.INI");
    EXPECT_EQ(connectWith(""), "");
    EXPECT_EQ(connectWith(".ini"), "");
}

TEST_F(QzIntlTest, GridStylesFollowOnlyWhenConnected) {
    TqzIntl placed(nullptr);
    placed.SetCheckBoxInGridStyle(cbStyleXmark);
    EXPECT_EQ(qzIntl()->CheckBoxInGridStyle(), cbStyleAuto);
    placed.SetConnected(true);
    EXPECT_EQ(qzIntl()->CheckBoxInGridStyle(), cbStyleXmark);
    SetEnumProp(&placed, "CheckBoxInGridStyle", "cbStyleCheckmarkFlat");
    EXPECT_EQ(qzIntl()->CheckBoxInGridStyle(), cbStyleCheckmarkFlat);
    placed.SetGridPaintStyle(gpsBitmapCanvas);
    EXPECT_EQ(qzIntl()->GridPaintStyle(), gpsBitmapCanvas);
}

TEST_F(QzIntlTest, LoadedCopiesWhenConnected) {
    TComponent form(nullptr);
    form.BeginLoading();
    auto* placed = new TqzIntl(&form);
    placed->SetBtnCancelCaption("Abbrechen");
    placed->SetConnected(true);
    placed->SetBtnOKCaption("&Gut");  // set after Connected while loading
    form.EndLoading();
    EXPECT_EQ(qzIntl()->BtnCancelCaption(), "Abbrechen");
    EXPECT_EQ(qzIntl()->BtnOKCaption(), "&Gut");
}

TEST_F(QzIntlTest, ValidationErrorDefaultsToBeepAndInvalidOperation) {
    TqzIntl* intl = qzIntl();
    try {
        intl->PictureValidationError(nullptr, nullptr, "");
        FAIL() << "no exception";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "Invalid input value.  Use escape key to abandon changes");
    }
    EXPECT_EQ(beeps, 1);
    EXPECT_THROW(intl->PictureValidationError(nullptr, nullptr, "Bad date"), EInvalidOperation);
    EXPECT_EQ(beeps, 2);
}

TEST_F(QzIntlTest, ValidationErrorEventMayHandleIt) {
    TqzIntl* intl = qzIntl();
    Handler handler;
    TObject control;
    intl->SetOnValidationErrorUsingMask(TqzPictureValidationError(&handler, &Handler::OnError));
    EXPECT_NO_THROW(intl->PictureValidationError(&control, nullptr, "x"));
    EXPECT_EQ(handler.calls, 1);
    EXPECT_EQ(handler.control, &control);
    EXPECT_EQ(beeps, 0);
    // Leaving DoDefault set: the changed message is raised.
    handler.handle = false;
    try {
        intl->PictureValidationError(&control, nullptr, "x");
        FAIL() << "no exception";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "changed: x");
    }
    EXPECT_EQ(beeps, 1);
}

TEST_F(QzIntlTest, FreedPlacedObjectTakesItsHandlerOutOfTheGlobalObject) {
    // What the placed object goes through after it connected, before it is
    // freed with its form (and the form's handler with it).
    const std::vector<std::pair<const char*, std::function<void(TqzIntl&)>>> cases = {
        {"stays connected", [](TqzIntl&) {}},
        {"disconnected", [](TqzIntl& p) { p.SetConnected(false); }},
        {"handler changed",
         [](TqzIntl& p) {
             p.SetOnValidationErrorUsingMask(
                 TqzPictureValidationError([](TObject*, TField*, bool&, std::string&) {}));
         }},
        {"handler cleared, disconnected",
         [](TqzIntl& p) {
             p.SetOnValidationErrorUsingMask(TqzPictureValidationError());
             p.SetConnected(false);
         }},
    };
    for (const auto& [name, step] : cases) {
        SCOPED_TRACE(name);
        auto handler = std::make_unique<Handler>();
        {
            TqzIntl placed(nullptr);
            placed.SetOnValidationErrorUsingMask(TqzPictureValidationError(handler.get(), &Handler::OnError));
            placed.SetConnected(true);
            EXPECT_TRUE(qzIntl()->OnValidationErrorUsingMask().Assigned());
            step(placed);
        }
        // Freed under the sanitizers: a call would read freed memory.
        handler.reset();
        EXPECT_FALSE(qzIntl()->OnValidationErrorUsingMask().Assigned());
        EXPECT_THROW(qzIntl()->PictureValidationError(nullptr, nullptr, ""), EInvalidOperation);
    }
    // A handler set on the global object itself, or copied from another
    // placed object still alive, stays.
    Handler own;
    qzIntl()->SetOnValidationErrorUsingMask(TqzPictureValidationError(&own, &Handler::OnError));
    { TqzIntl other(nullptr); }
    EXPECT_TRUE(qzIntl()->OnValidationErrorUsingMask().Assigned());
    Handler second;
    TqzIntl later(nullptr);
    {
        TqzIntl first(nullptr);
        first.SetConnected(true);
        later.SetOnValidationErrorUsingMask(TqzPictureValidationError(&second, &Handler::OnError));
        later.SetConnected(true);
    }
    EXPECT_NO_THROW(qzIntl()->PictureValidationError(nullptr, nullptr, "x"));
    EXPECT_EQ(second.calls, 1);
}

TEST_F(QzIntlTest, StartupAndShutdownAreCounted) {
    TqzIntl* global = qzIntl();
    qzIntlStartup();
    EXPECT_EQ(qzIntl(), global);
    qzIntlShutdown();
    EXPECT_EQ(qzIntl(), global);
    qzIntlShutdown();
    EXPECT_EQ(qzIntl(), nullptr);
    EXPECT_EQ(qzGetFilterMemoSize(), 0);
    qzIntlShutdown();  // unbalanced: nothing happens
    qzIntlStartup();
    EXPECT_NE(qzIntl(), nullptr);
}

TEST(QzFormPosition, PublishedIntegers) {
    TqzFormPosition pos;
    EXPECT_EQ(GetOrdProp(&pos, "Width"), 0);
    SetOrdProp(&pos, "Left", 40);
    SetOrdProp(&pos, "Height", 300);
    EXPECT_EQ(pos.Left(), 40);
    EXPECT_EQ(pos.Height(), 300);
}
