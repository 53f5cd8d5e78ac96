// What the data-aware rich edit publishes, written and read by name as a
// form definition or a host does, over a bound engine table: the option
// sets, the printing settings and events, the editor window's events and
// job name, web links, the controller and the menu, the user buttons.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/core/exceptions.h"
#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"
#include "platform/ui/print_dialogs.h"
#include "platform/ui/printers.h"
#include "platform/ui/testing.h"
#include "suite/base/qzcontroller.h"
#include "suite/richtext/qzdbrichedit.h"
#include "suite/richtext/qzricheditform.h"
#include "suite/richtext/qzruler.h"
#include "support/environment.h"
#include "support/suite/richtext/richprint_helpers.h"

namespace {

using richtext_test::Lines;
using richtext_test::Shell;

class DBRichPublished : public ::testing::Test {
protected:
    std::unique_ptr<TOstraTable> T = std::make_unique<TOstraTable>(nullptr);
    TDataSource source{nullptr};
    TForm* form = CreateForm<TForm>(Application);
    TqzDBRichEdit* r = nullptr;
    TqzDBRichEdit* other = nullptr;
    TTestMenus menus;

    void SetUp() override {
        T->FieldDefs()->Add("Action", ftString, 40);
        T->FieldDefs()->Add("Notes", ftBlob);
        T->Open();
        T->Append();
        T->FieldByName("Action")->SetAsString("Write");
        T->FieldByName("Notes")->SetAsString(Lines(18));
        T->Post();
        source.SetDataSet(T.get());
        form->SetBounds(30, 30, 460, 320);
        other = new TqzDBRichEdit(form);
        other->SetParent(form);
        other->SetBounds(10, 10, 420, 30);
        SetObjectProp(other, "DataSource", &source);
        SetStrProp(other, "DataField", "Action");
        r = new TqzDBRichEdit(form);
        r->SetParent(form);
        r->SetBounds(10, 50, 420, 220);
        SetObjectProp(r, "DataSource", &source);
        SetStrProp(r, "DataField", "Notes");
        form->Show();
        ActivateForm(form);
    }
    ~DBRichPublished() override {
        delete form;
        source.SetDataSet(nullptr);
    }
    // Right-clicks the edit; the captions of the menu that opened.
    std::vector<std::string> RightClick() {
        SendClick(r, 60, 20, mbRight);
        return menus.Opened().empty() ? std::vector<std::string>{} : menus.Opened().back();
    }
};

TEST_F(DBRichPublished, InputMethodOffByNameForTheFocusedEdit) {
    r->SetFocus();
    ProcessEvents();
    ASSERT_EQ(r, FocusedControl());
    EXPECT_TRUE(InputMethodEnabledFor(r));
    SetEnumProp(r, "ImeMode", "imClose");
    EXPECT_FALSE(InputMethodEnabledFor(r));
    SetEnumProp(r, "ImeMode", "imOpen");
    EXPECT_TRUE(InputMethodEnabledFor(r));
}

TEST_F(DBRichPublished, EveryBuiltNameOfThePublishedListReadsByName) {
    const char* const names[] = {"Controller",
                                 "Anchors",
                                 "Constraints",
                                 "BevelEdges",
                                 "BevelInner",
                                 "BevelKind",
                                 "BevelOuter",
                                 "BorderWidth",
                                 "Align",
                                 "Alignment",
                                 "AutoURLDetect",
                                 "AutoSelect",
                                 "AutoDisplay",
                                 "BorderStyle",
                                 "Color",
                                 "Ctl3D",
                                 "DataField",
                                 "DataSource",
                                 "DragCursor",
                                 "DragMode",
                                 "Enabled",
                                 "Font",
                                 "Frame",
                                 "GutterWidth",
                                 "HideSelection",
                                 "HideScrollBars",
                                 "ImeMode",
                                 "ImeName",
                                 "MaxLength",
                                 "ParentColor",
                                 "ParentCtl3D",
                                 "ParentFont",
                                 "ParentShowHint",
                                 "OleOptions",
                                 "PrintPageSize",
                                 "UserSpeedButton1",
                                 "UserSpeedButton2",
                                 "HighlightColor",
                                 "Title",
                                 "PopupMenu",
                                 "PrintJobName",
                                 "PrintPreviewCaption",
                                 "ReadOnly",
                                 "ShowHint",
                                 "TabOrder",
                                 "TabStop",
                                 "Visible",
                                 "WantReturns",
                                 "WantTabs",
                                 "WantNavigationKeys",
                                 "WordWrap",
                                 "OnChange",
                                 "OnClick",
                                 "OnDblClick",
                                 "OnDragDrop",
                                 "OnDragOver",
                                 "OnEndDrag",
                                 "OnEnter",
                                 "OnExit",
                                 "OnKeyDown",
                                 "OnKeyPress",
                                 "OnKeyUp",
                                 "OnMouseDown",
                                 "OnMouseMove",
                                 "OnMouseUp",
                                 "OnResizeRequest",
                                 "OnSelectionChange",
                                 "OnSaveClipboard",
                                 "OnProtectChange",
                                 "OnStartDrag",
                                 "PopupOptions",
                                 "EditorOptions",
                                 "EditorCaption",
                                 "EditorPosition",
                                 "MeasurementUnits",
                                 "PrintMargins",
                                 "EditWidth",
                                 "OnInitDialog",
                                 "OnCloseDialog",
                                 "OnCreateDialog",
                                 "OnURLOpen",
                                 "OnMenuLoadClick",
                                 "OnMenuPrintClick",
                                 "OnMenuSaveAsClick",
                                 "OnMenuSaveAndExitClick",
                                 "OnSpellCheck",
                                 "PrintHeader",
                                 "PrintFooter",
                                 "OnPrintHeader",
                                 "OnPrintFooter",
                                 "ScrollBars",
                                 "MSVersion",
                                 "Lines"};
    for (const char* name : names) {
        const TPropInfo* info = GetPropInfo(r, name);
        ASSERT_NE(info, nullptr) << name;
        EXPECT_TRUE(info->IsWritable()) << name;
        if (IsOrdinalKind(info->Kind))
            EXPECT_NO_THROW(GetOrdProp(r, info)) << name;
        else if (info->Kind == tkString)
            EXPECT_NO_THROW(GetStrProp(r, info)) << name;
        else if (info->Kind == tkFloat)
            EXPECT_NO_THROW(GetFloatProp(r, info)) << name;
        else if (info->Kind == tkClass)
            EXPECT_NO_THROW(GetObjectProp(r, info)) << name;
        else
            EXPECT_EQ(info->Kind, tkMethod) << name;
    }
    // Their real types and the values a new edit has.
    EXPECT_EQ(GetPropInfo(r, "PopupOptions")->Kind, tkSet);
    EXPECT_EQ(GetSetProp(r, "PopupOptions"),
              "[rpoPopupEdit,rpoPopupCut,rpoPopupCopy,rpoPopupPaste,rpoPopupFont,rpoPopupBullet,"
              "rpoPopupParagraph,rpoPopupTabs,rpoPopupFind,rpoPopupReplace,rpoPopupInsertObject,"
              "rpoPopupMSWordSpellCheck]");
    EXPECT_EQ(GetOrdProp(r, "EditorOptions"), 0xFFFC);
    struct Default {
        const char* Name;
        int64_t Value;
    };
    for (const Default& d :
         {Default{"AutoSelect", 0}, Default{"AutoDisplay", 1}, Default{"GutterWidth", 3},
          Default{"HideSelection", 1}, Default{"HideScrollBars", 1}, Default{"MaxLength", 0},
          Default{"PrintPageSize", 1}, Default{"HighlightColor", 0x00FFFF}, Default{"ReadOnly", 0},
          Default{"TabStop", 1}, Default{"WantReturns", 1}, Default{"WantTabs", 0},
          Default{"WantNavigationKeys", 0}, Default{"WordWrap", 1}, Default{"MSVersion", 3}})
        EXPECT_EQ(GetOrdProp(r, d.Name), d.Value) << d.Name;
    EXPECT_EQ(GetSetProp(r, "OleOptions"), "[reoAdjustPopupMenu]");
    EXPECT_EQ(GetEnumProp(r, "EditWidth"), "rewWindowSize");
    EXPECT_EQ(GetObjectProp(r, "PrintMargins"), r->PrintMargins());
    EXPECT_EQ(GetObjectProp(r, "PrintFooter"), r->PrintFooter());
    EXPECT_EQ(GetObjectProp(r, "EditorPosition"), r->EditorPosition());
    EXPECT_EQ(GetObjectProp(r, "Controller"), nullptr);
    EXPECT_EQ(GetOrdProp(r, "AutoURLDetect"), 0);
    EXPECT_EQ(GetPropInfo(r, "OnPrintHeader")->TypeName, "TqzRTFDrawHeaderFooter");
    EXPECT_EQ(GetPropInfo(r, "OnMenuPrintClick")->TypeName, "TqzRTFNotifyEvent");
    EXPECT_EQ(GetPropInfo(r, "OnInitDialog")->TypeName, "TqzOnRichEditDlgEvent");
    EXPECT_EQ(GetPropInfo(r, "UserSpeedButton2")->TypeName, "TSpeedButton");
    // Nil for any object property is taken or refused with an error, never a crash.
    for (const TPropInfo* info : GetPropList(r, {tkClass})) {
        try {
            SetObjectProp(r, info, nullptr);
        } catch (const Exception&) {}
    }
    EXPECT_EQ(GetObjectProp(r, "DataSource"), nullptr);
    EXPECT_EQ(GetObjectProp(r, "PrintMargins"), r->PrintMargins());
    // An event of another type is refused.
    EXPECT_THROW(SetMethodProp(r, "OnInitDialog", TNotifyEvent([](TObject*) {})), EPropertyError);
}

TEST_F(DBRichPublished, PopupOptionsByNameChooseTheEntriesOfTheRightClickMenu) {
    SetSetProp(r, "PopupOptions", "[rpoPopupCut,rpoPopupCopy,rpoPopupPaste,rpoPopupBold,rpoPopupItalic]");
    EXPECT_EQ(r->PopupOptions(), (1u << rpoPopupCut) | (1u << rpoPopupCopy) | (1u << rpoPopupPaste) |
                                     (1u << rpoPopupBold) | (1u << rpoPopupItalic));
    EXPECT_EQ(RightClick(), (std::vector<std::string>{"Cu&t", "&Copy", "&Paste", "-", "&Bold", "&Italic"}));
    EXPECT_THROW(SetSetProp(r, "PopupOptions", "[rpoPopupNothing]"), EPropertyError);
    // bits beyond the last option are not kept
    SetOrdProp(r, "PopupOptions", 0xFFFFFF);
    EXPECT_EQ(r->PopupOptions(), 0x7FFFu);
}

TEST_F(DBRichPublished, AMenuAndAControllerSetByNameShow) {
    TPopupMenu mine(form);
    auto* item = new TMenuItem(&mine);
    item->SetCaption("Mine");
    mine.Items()->Add(item);
    SetObjectProp(r, "PopupMenu", &mine);
    EXPECT_EQ(RightClick(), std::vector<std::string>{"Mine"});
    EXPECT_THROW(SetObjectProp(r, "PopupMenu", form), EPropertyError);

    // The controller's frame is copied: the unfocused edit shows its
    // non-focus colour.
    auto* ctl = new TqzController(form);
    ctl->Frame()->SetEnabled(true);
    ctl->Frame()->SetNonFocusColor(clYellow);
    other->SetFocus();
    SetObjectProp(r, "Controller", ctl);
    ProcessEvents();
    EXPECT_EQ(GetObjectProp(r, "Controller"), ctl);
    EXPECT_TRUE(r->Frame()->Enabled());
    EXPECT_EQ(ctl->ControlList()->IndexOf(r), 0);
    TBitmap shot;
    RenderControl(r, &shot);
    EXPECT_TRUE(RenderControlToPng(r, TestRunPath("dbrichedit_controller.png")));
    EXPECT_EQ(shot.Canvas()->Pixels(shot.Width() - 30, shot.Height() / 2), ColorToRGB(clYellow));
    EXPECT_EQ(r->Lines()->Strings(0), "Line 1");  // the window made again shows the field
    // A freed controller leaves no reference behind.
    delete ctl;
    EXPECT_EQ(GetObjectProp(r, "Controller"), nullptr);
}

TEST_F(DBRichPublished, MarginsHeaderAndFooterEventSetByNameReachThePrintedPages) {
    TTestPrinters printers;
    const std::string pdf = TestRunPath("dbrichedit_published.pdf");
    Printer()->SetPrinterIndex(Printer()->Printers()->IndexOf(PdfPrinterName));
    Printer()->SetFileName(pdf);
    std::remove(pdf.c_str());
    // 18 half-inch lines fill one Letter page within 1-inch margins; a top
    // margin of 5 inches leaves room for 10.
    SetFloatProp(GetObjectProp(r, "PrintMargins"), "Top", 5.0);
    EXPECT_DOUBLE_EQ(r->PrintMargins()->Top(), 5.0);
    SetStrProp(GetObjectProp(r, "PrintHeader"), "CenterText", "Minutes");
    SetMethodProp(
        r, "OnPrintFooter",
        TqzPrintHeaderFooterEvent([](TObject*, const TRect&, int Page, std::string&, std::string&,
                                     std::string& Right, bool&) { Right = "Sheet " + IntToStr(Page); }));
    r->Print("Published");
    const std::string info = Shell("pdfinfo " + pdf + " 2>/dev/null");
    const auto pages = info.find("Pages:");
    ASSERT_NE(pages, std::string::npos) << info;
    EXPECT_EQ(std::atoi(info.c_str() + pages + 6), 2) << info;
    for (int n = 1; n <= 2; ++n) {
        const std::string text = Shell("pdftotext -layout -f " + IntToStr(n) + " -l " + IntToStr(n) + " " +
                                       pdf + " - 2>/dev/null");
        EXPECT_NE(text.find("Minutes"), std::string::npos) << text;
        EXPECT_NE(text.find("Sheet " + IntToStr(n)), std::string::npos) << text;
    }
    // A wrong object for the margins is refused and changes nothing.
    EXPECT_THROW(SetObjectProp(r, "PrintMargins", r->PrintHeader()), EPropertyError);
    EXPECT_DOUBLE_EQ(r->PrintMargins()->Top(), 5.0);
}

TEST_F(DBRichPublished, EditorWindowEventsAndJobNameSetByName) {
    TTestPrinters printers;
    TTestModalForms modal;
    SetStrProp(r, "PrintJobName", "Minutes job");
    SetStrProp(r, "PrintPreviewCaption", "Minutes preview");
    EXPECT_EQ(r->PrintPreviewCaption(), "Minutes preview");
    std::vector<std::string> heard;
    SetMethodProp(r, "OnCreateDialog", TqzOnRichEditDlgEvent([&](TForm*) { heard.push_back("create"); }));
    SetMethodProp(r, "OnInitDialog", TqzOnRichEditDlgEvent([&](TForm*) { heard.push_back("init"); }));
    SetMethodProp(r, "OnCloseDialog", TqzOnRichEditDlgEvent([&](TForm*) { heard.push_back("close"); }));
    bool allowPrint = false;
    SetMethodProp(r, "OnMenuPrintClick", TqzRTFNotifyEvent([&](TForm*, TqzCustomRichEdit*, bool& DoDefault) {
                      heard.push_back("print");
                      DoDefault = allowPrint;
                  }));
    SetOrdProp(GetObjectProp(r, "EditorPosition"), "Width", 520);
    // No position at all is refused; the one set stays.
    EXPECT_THROW(SetObjectProp(r, "EditorPosition", nullptr), EConvertError);
    EXPECT_EQ(r->EditorPosition()->Width(), 520);
    // The window's options as a set: without the status bar and the ruler.
    SetSetProp(r, "EditorOptions",
               "[reoShowSaveExit,reoShowPrint,reoShowFormatBar,reoShowToolBar,reoCloseOnEscape]");
    EXPECT_EQ(GetSetProp(r, "EditorOptions"),
              "[reoShowSaveExit,reoShowPrint,reoShowFormatBar,reoShowToolBar,reoCloseOnEscape]");
    modal.Push([&](TCustomForm* f) {
        auto* w = static_cast<TqzRichEditForm*>(f);
        EXPECT_EQ(w->Width(), 520);
        EXPECT_TRUE(w->Toolbar()->Visible());
        EXPECT_FALSE(w->StatusBar()->Visible());
        EXPECT_FALSE(w->Ruler()->Visible());
        w->MenuItem("FilePrint")->Click();  // the handler says no: no print dialog
        EXPECT_EQ(printers.Documents(), 0);
        allowPrint = true;
        modal.Push([](TCustomForm* d) { SendClick(static_cast<TPrintDialogForm*>(d)->OKButton, 5, 5); });
        w->MenuItem("FilePrint")->Click();
        w->SetModalResult(mrCancel);
    });
    EXPECT_FALSE(r->Execute());
    EXPECT_EQ(modal.Pending(), 0);
    EXPECT_EQ(printers.Documents(), 1);
    EXPECT_EQ(printers.LastTitle(), "Minutes job");
    EXPECT_EQ(heard, (std::vector<std::string>{"create", "init", "print", "print", "close"}));
}

TEST_F(DBRichPublished, WebAddressesSelectionChangesAndUserButtonsByName) {
    T->Edit();
    T->FieldByName("Notes")->SetAsString("{\\rtf1\\ansi see https://example.org/x now\\par}");
    T->Post();
    std::vector<std::string> links;
    SetMethodProp(r, "OnURLOpen",
                  TqzURLOpenEvent([&](TObject*, std::string& Link, TField*, bool& UseDefault) {
                      links.push_back(Link);
                      UseDefault = false;
                  }));
    const TPoint at = r->PosFromChar(8);
    SendClick(r, at.X + 1, at.Y + 5);
    EXPECT_TRUE(links.empty());  // plain text until addresses are detected
    SetOrdProp(r, "AutoURLDetect", 1);
    EXPECT_TRUE(r->AutoURLDetect());
    SendClick(r, at.X + 1, at.Y + 5);
    EXPECT_EQ(links, std::vector<std::string>{"https://example.org/x"});

    int changes = 0;
    SetMethodProp(r, "OnSelectionChange", TNotifyEvent([&](TObject*) { ++changes; }));
    r->SetFocus();
    r->SetSelStart(0);
    changes = 0;
    SendKey(r, VK_RIGHT);
    EXPECT_EQ(r->SelStart(), 1);
    EXPECT_GE(changes, 1);

    // A user button handed over by name is hidden; freed, it is let go.
    auto* b = new TSpeedButton(form);
    b->SetParent(form);
    SetObjectProp(r, "UserSpeedButton1", b);
    EXPECT_EQ(r->UserSpeedButton1(), b);
    EXPECT_FALSE(b->Visible());
    delete b;
    EXPECT_EQ(GetObjectProp(r, "UserSpeedButton1"), nullptr);
}

// The bevelled edge and the border's room set by name: a tiled edge drawn
// around the edit, and the text moved in by BorderWidth, on a fresh paint.
TEST_F(DBRichPublished, BevelAndBorderWidthByNameDrawTheEdgeAndMoveTheTextIn) {
    other->SetFocus();  // no caret in the pictures
    r->SetBorderStyle(bsNone);
    r->SetColor(clWhite);
    ProcessEvents();
    // the first column and row (from the top left) that hold text
    // (inside an edge of Edge pixels)
    auto textStart = [&](const char* Png, int Edge = 0) {
        TBitmap shot;
        RenderControl(r, &shot);
        EXPECT_TRUE(RenderControlToPng(r, TestRunPath(Png)));
        TPoint first{-1, -1};
        const TColor inside = shot.Canvas()->Pixels(shot.Width() / 2, shot.Height() - 12);
        for (int x = Edge; x < shot.Width() / 2 && first.X < 0; ++x)
            for (int y = Edge; y < shot.Height() / 2; ++y)
                if (shot.Canvas()->Pixels(x, y) != inside) {
                    first.X = x;
                    break;
                }
        for (int y = Edge; y < shot.Height() / 2 && first.Y < 0; ++y)
            for (int x = Edge; x < 60; ++x)
                if (shot.Canvas()->Pixels(x, y) != inside) {
                    first.Y = y;
                    break;
                }
        return first;
    };
    const TPoint plain = textStart("dbrichedit_no_border_width.png");
    ASSERT_GE(plain.X, 0);
    ASSERT_GE(plain.Y, 0);

    SetOrdProp(r, "BorderWidth", 8);
    EXPECT_EQ(GetOrdProp(r, "BorderWidth"), 8);
    EXPECT_EQ(r->ClientRect(), Rect(0, 0, 420 - 16, 220 - 16));
    const TPoint moved = textStart("dbrichedit_border_width.png");
    EXPECT_EQ(moved.X, plain.X + 8);
    EXPECT_EQ(moved.Y, plain.Y + 8);
    EXPECT_EQ(r->Lines()->Strings(0), "Line 1");

    SetEnumProp(r, "BevelKind", "bkTile");
    SetSetProp(r, "BevelEdges", "[beLeft,beTop,beRight,beBottom]");
    SetEnumProp(r, "BevelInner", "bvRaised");
    SetEnumProp(r, "BevelOuter", "bvLowered");
    EXPECT_EQ(r->BevelKind(), bkTile);
    EXPECT_EQ(GetEnumProp(r, "BevelOuter"), "bvLowered");
    EXPECT_EQ(r->ClientRect(), Rect(0, 0, 420 - 20, 220 - 20));
    TBitmap tiled;
    RenderControl(r, &tiled);
    EXPECT_TRUE(RenderControlToPng(r, TestRunPath("dbrichedit_bevel_tile.png")));
    const TColor shadow = ColorToRGB(clBtnShadow), light = ColorToRGB(clBtnHighlight);
    for (int y = 10; y < 210; y += 40) {
        EXPECT_EQ(tiled.Canvas()->Pixels(0, y), shadow) << y;
        EXPECT_EQ(tiled.Canvas()->Pixels(1, y), light) << y;
        EXPECT_EQ(tiled.Canvas()->Pixels(419, y), light) << y;
        EXPECT_EQ(tiled.Canvas()->Pixels(418, y), shadow) << y;
    }
    EXPECT_EQ(tiled.Canvas()->Pixels(200, 0), shadow);
    EXPECT_EQ(tiled.Canvas()->Pixels(200, 219), light);
    // the room inside the edge keeps the edit's colour; the text moved in by the edge too
    EXPECT_EQ(tiled.Canvas()->Pixels(5, 100), clWhite);
    const TPoint edged = textStart("dbrichedit_bevel_border_width.png", 2);
    EXPECT_EQ(edged.X, plain.X + 10);
    EXPECT_EQ(edged.Y, plain.Y + 10);
    // Only the chosen edges are drawn.
    SetSetProp(r, "BevelEdges", "[beTop]");
    EXPECT_EQ(r->ClientRect(), Rect(0, 0, 420 - 16, 220 - 18));
    TBitmap top;
    RenderControl(r, &top);
    EXPECT_EQ(top.Canvas()->Pixels(200, 0), shadow);
    EXPECT_EQ(top.Canvas()->Pixels(0, 100), clWhite);
    // With a border the room lies inside it.
    SetEnumProp(r, "BevelKind", "bkNone");
    r->SetBorderStyle(bsSingle);
    ProcessEvents();
    TBitmap bordered;
    RenderControl(r, &bordered);
    EXPECT_TRUE(RenderControlToPng(r, TestRunPath("dbrichedit_border_room.png")));
    EXPECT_NE(bordered.Canvas()->Pixels(0, 100), clWhite);
    EXPECT_EQ(bordered.Canvas()->Pixels(5, 100), clWhite);
    EXPECT_EQ(textStart("dbrichedit_border_room_text.png", 2).X, plain.X + 8 + 2);
}

}  // namespace
