// The filter form and the summary view driven by keys and clicks: date
// ranges in pickers, value lists checked item by item, the Searched tab and
// its Delete key, View Summary and the options that shape the form.
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/ui/radiogroup.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/stringgrid.h"
#include "platform/ui/tabcontrol.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzstr.h"
#include "suite/data/qzfilterdlg.h"
#include "suite/data/qzfltvw.h"
#include "suite/edit/qzdatetimepicker.h"
#include "suite/edit/qzdbedit.h"
#include "support/suite/data/filter_fixture.h"
#include "support/suite/dialog_glyphs.h"

namespace {

class FilterFormTest : public FilterTest {
protected:
    void AddDated(const std::string& Name, TDateTime Day, TDateTime Stamp) {
        T.AppendRecord({Variant(Name), Variant(1), Variant(1.0), Variant(Day), Variant(Stamp), Variant(false),
                        Variant("")});
    }
    static TqzFilterDlg* Dlg(TCustomForm* F) {
        auto* f = dynamic_cast<TqzFilterDlg*>(F);
        EXPECT_NE(nullptr, f);
        ActivateForm(F);
        return f;
    }
    static std::string Selected(TqzFilterDlg* F) {
        TListBox* l = F->FieldsListBox();
        return l->ItemIndex() < 0 ? std::string() : l->Items()->Strings(l->ItemIndex());
    }
    static void ClickItem(TListBox* L, int Index) {
        SendClick(L, 10, Index * L->ItemHeight() + L->ItemHeight() / 2);
    }
    static void ClickTab(TTabControl* Tabs, int Index) {
        const TRect r = Tabs->TabRect(Index);
        SendClick(Tabs, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    static void Keys(TWinControl* C, const std::string& Digits) {
        for (char k : Digits) SendKey(C, static_cast<uint16_t>(k));
    }
    static void Ok(TqzFilterDlg* F) { SendClick(F->OKButton(), 5, 5); }
    TTestModalForms Modal;
};

// A date field opens By Range with date pickers (date only); a typed range
// filters the grid; the bounds come back into the pickers.
TEST_F(FilterFormTest, DateFieldOpensByRangeWithPickersAndARangeFilters) {
    AddDated("A", EncodeDate(2005, 2, 28), EncodeDate(2005, 2, 28));
    AddDated("B", EncodeDate(2005, 3, 15), EncodeDate(2005, 3, 31) + EncodeTime(18, 0, 0, 0));
    AddDated("C", EncodeDate(2005, 4, 1), EncodeDate(2005, 4, 1));
    Modal.Push([](TCustomForm* F) {
        TqzFilterDlg* f = Dlg(F);
        EXPECT_FALSE(f->ByRange());  // Name
        EXPECT_EQ(f->FilterValueEdit(), FocusedControl());
        for (int i = 0; i < 3; ++i) SendKey(FocusedControl(), VK_DOWN);
        ASSERT_EQ("Day", Selected(f));
        EXPECT_TRUE(f->ByRange());
        EXPECT_EQ(1, f->SelectNotebook()->TabIndex());
        EXPECT_TRUE(f->MinDateEdit()->Visible());
        EXPECT_TRUE(f->MaxDateEdit()->Visible());
        EXPECT_FALSE(f->MinValueEdit()->Visible());
        EXPECT_EQ(qzDTEdtDate, f->MinDateEdit()->UnboundDataType());
        EXPECT_EQ(1950, f->MinDateEdit()->Epoch());
        EXPECT_EQ(f->MinDateEdit(), FocusedControl());
        Keys(f->MinDateEdit(), "03012005");
        EXPECT_EQ(EncodeDate(2005, 3, 1), f->MinDateEdit()->Date());
        // Up and Down step a picker that holds text: the field stays.
        SendKey(f->MinDateEdit(), VK_UP);
        SendKey(f->MinDateEdit(), VK_DOWN);
        EXPECT_EQ("Day", Selected(f));
        f->MaxDateEdit()->SetFocus();
        ASSERT_EQ(f->MaxDateEdit(), FocusedControl());
        Keys(f->MaxDateEdit(), "03202005");
        // Stamp is a date-time: pickers with the time.
        SendKey(f->FilterValueEdit(), VK_NEXT);  // Page Down from outside the list: to the last field
        SendClick(f->FieldsListBox(), 10, 4 * f->FieldsListBox()->ItemHeight() + 2);
        ASSERT_EQ("Stamp", Selected(f));
        EXPECT_TRUE(f->MinDateEdit()->Visible());
        EXPECT_EQ(qzDTEdtDateTime, f->MaxDateEdit()->UnboundDataType());
        EXPECT_TRUE(f->MaxDateEdit()->Text().empty());
        // A bound without time takes in the whole day.
        f->MaxDateEdit()->SetValue(EncodeDate(2005, 3, 31));
        Ok(f);
    });
    EXPECT_TRUE(D->Execute());
    ASSERT_EQ(2u, D->Criteria().size());
    EXPECT_EQ(fdMatchRange, D->Criteria()[0].MatchType);
    EXPECT_EQ(DateToStr(EncodeDate(2005, 3, 1)), D->Criteria()[0].MinValue);
    EXPECT_EQ(DateToStr(EncodeDate(2005, 3, 20)), D->Criteria()[0].MaxValue);
    EXPECT_EQ("", D->Criteria()[1].MinValue);
    EXPECT_EQ(DateToStr(EncodeDate(2005, 3, 31)), D->Criteria()[1].MaxValue);
    EXPECT_EQ((std::vector<std::string>{"B"}), Column(T, "Name"));
    // Opened again: the Searched tab, the first searched field, its bounds in the pickers.
    Modal.Push([](TCustomForm* F) {
        TqzFilterDlg* f = Dlg(F);
        EXPECT_EQ(1, f->FieldTabSet()->TabIndex());
        EXPECT_EQ("Day", Selected(f));
        EXPECT_EQ(EncodeDate(2005, 3, 1), f->MinDateEdit()->Date());
        EXPECT_EQ(EncodeDate(2005, 3, 20), f->MaxDateEdit()->Date());
        EXPECT_TRUE(f->MinValueClearButton()->Enabled());
        // Clearing both bounds removes the criterion; the range of Stamp stays.
        SendClick(f->MinValueClearButton(), 5, 5);
        SendClick(f->MaxValueClearButton(), 5, 5);
        EXPECT_TRUE(f->MinDateEdit()->Text().empty());
        EXPECT_FALSE(f->MaxValueClearButton()->Enabled());
        Ok(f);
    });
    EXPECT_TRUE(D->Execute());
    ASSERT_EQ(1u, D->Criteria().size());
    EXPECT_EQ("Stamp", D->Criteria()[0].FieldName);
    EXPECT_EQ((std::vector<std::string>{"A", "B"}), Column(T, "Name"));
    // Without pickers the bounds are typed into the edits.
    D->SetOptions(D->Options() + TqzFilterDialogOptions{fdDisableDateTimePicker});
    D->Criteria().clear();
    Modal.Push([](TCustomForm* F) {
        TqzFilterDlg* f = Dlg(F);
        ClickItem(f->FieldsListBox(), 3);
        ASSERT_EQ("Day", Selected(f));
        EXPECT_TRUE(f->ByRange());
        EXPECT_FALSE(f->MinDateEdit()->Visible());
        EXPECT_TRUE(f->MinValueEdit()->Visible());
        SendText(f->MinValueEdit(), DateToStr(EncodeDate(2005, 4, 1)));
        Ok(f);
    });
    EXPECT_TRUE(D->Execute());
    EXPECT_EQ((std::vector<std::string>{"C"}), Column(T, "Name"));
}

// Value lists are checked item by item as the record test reads them.
TEST_F(FilterFormTest, ValueListsAreValidatedItemByItem) {
    Add("A", 1, 1);
    Add("B", 2, 2);
    Add("C", 3, 3);
    D->SetDefaultFilterBy(fdFilterByValue);
    Modal.Push([](TCustomForm* F) {
        TqzFilterDlg* f = Dlg(F);
        SendKey(FocusedControl(), VK_DOWN);
        ASSERT_EQ("Num", Selected(f));
        ASSERT_FALSE(f->ByRange());
        SendText(f->FilterValueEdit(), "1 or x");
        SendKey(f->FilterValueEdit(), VK_DOWN);
        EXPECT_EQ("Num", Selected(f));  // refused
        SendKey(f->FilterValueEdit(), VK_END);
        for (int i = 0; i < 6; ++i) SendKey(f->FilterValueEdit(), VK_BACK);
        SendText(f->FilterValueEdit(), "1 and 2");
        SendKey(f->FilterValueEdit(), VK_DOWN);
        EXPECT_EQ("Amount", Selected(f));
        // The null word is no number but an item of its own.
        SendText(f->FilterValueEdit(), "null or 3");
        const TRect exact = f->MatchTypeGroup()->ItemRect(0);
        SendClick(f->MatchTypeGroup(), exact.Left + 8, (exact.Top + exact.Bottom) / 2);
        Ok(f);
    });
    EXPECT_TRUE(D->Execute());
    ASSERT_EQ(2u, D->Criteria().size());
    EXPECT_EQ("1 and 2", D->Criteria()[0].FilterValue);
    EXPECT_EQ("null or 3", D->Criteria()[1].FilterValue);
    EXPECT_EQ(fdMatchExact, D->Criteria()[1].MatchType);
    // No number is both 1 and 2.
    EXPECT_TRUE(Column(T, "Name").empty());
}

// The Searched tab lists the searched fields; Delete in the list removes a
// criterion; the tab refuses to open with none; New Search clears them all.
TEST_F(FilterFormTest, SearchedTabDeleteKeyAndNewSearch) {
    Add("A", 1, 1);
    Add("B", 2, 2);
    D->Criteria() = {Crit("Num", fdMatchExact, "1"), Crit("Name", fdMatchStart, "A")};
    int infoBoxes = 0;
    Modal.Push([&](TCustomForm* F) {
        TqzFilterDlg* f = Dlg(F);
        TListBox* list = f->FieldsListBox();
        EXPECT_EQ(1, f->FieldTabSet()->TabIndex());
        ASSERT_EQ(2, list->Items()->Count());
        EXPECT_EQ("Name", Selected(f));  // first listed field with a criterion
        EXPECT_EQ("A", f->FilterValueEdit()->Text());
        ClickItem(list, 1);
        ASSERT_EQ("Num", Selected(f));
        list->SetFocus();
        SendKey(list, VK_DELETE);
        ASSERT_EQ(1, list->Items()->Count());
        EXPECT_EQ("Name", Selected(f));
        // The All tab lists every field, the selection kept.
        ClickTab(f->FieldTabSet(), 0);
        EXPECT_EQ(0, f->FieldTabSet()->TabIndex());
        EXPECT_EQ(7, list->Items()->Count());
        EXPECT_EQ("Name", Selected(f));
        // New Search: no criteria left; the Searched tab is refused with a box.
        ASSERT_TRUE(f->ClearSearchButton()->Enabled());
        SendClick(f->ClearSearchButton(), 5, 5);
        EXPECT_TRUE(f->FieldInfo().empty());
        EXPECT_TRUE(f->FilterValueEdit()->Text().empty());
        const int before = Dialogs.Count();
        ClickTab(f->FieldTabSet(), 1);
        EXPECT_EQ(0, f->FieldTabSet()->TabIndex());
        infoBoxes = Dialogs.Count() - before;
        Ok(f);
    });
    EXPECT_TRUE(D->Execute());
    EXPECT_EQ(1, infoBoxes);
    EXPECT_EQ(qzIntl()->UserMessages()->FilterDlgNoCriteria(), Dialogs.Last().Text);
    EXPECT_TRUE(D->Criteria().empty());
    EXPECT_EQ(2u, Column(T, "Name").size());
}

// View Summary lists the criteria being edited, the current entries stored
// first; without criteria it says so. Escape closes the view, nothing changes.
TEST_F(FilterFormTest, ViewSummaryListsTheEditedCriteria) {
    Add("A", 1, 1);
    std::vector<std::vector<std::string>> rows;
    Modal.Push([&](TCustomForm* F) {
        TqzFilterDlg* f = Dlg(F);
        const int before = Dialogs.Count();
        SendClick(f->ViewButton(), 5, 5);
        EXPECT_EQ(before + 1, Dialogs.Count());
        EXPECT_EQ(qzIntl()->UserMessages()->FilterDlgNoCriteria(), Dialogs.Last().Text);
        SendText(f->FilterValueEdit(), "smith or jones");
        SendClick(f->Nonmatching(), 5, 5);
        Modal.Push([&](TCustomForm* V) {
            auto* view = dynamic_cast<TqzFilterDialogView*>(V);
            ASSERT_NE(nullptr, view);
            TStringGrid* g = view->StringGrid1();
            for (int r = 0; r < g->RowCount(); ++r)
                rows.push_back({g->Cells(0, r), g->Cells(1, r), g->Cells(2, r)});
            SendKey(g, VK_ESCAPE);
        });
        SendClick(f->ViewButton(), 5, 5);
        EXPECT_EQ(0, Modal.Pending());
        EXPECT_EQ(f->FilterValueEdit(), FocusedControl());
        ASSERT_EQ(1u, f->FieldInfo().size());
        SendClick(f->CancelButton(), 5, 5);
    });
    EXPECT_FALSE(D->Execute());
    ASSERT_EQ(2u, rows.size());
    const TqzFilterDialogIntl* t = qzIntl()->FilterDialog();
    EXPECT_EQ(t->SummaryFieldLabel(), rows[0][0]);
    EXPECT_EQ("Name", rows[1][0]);
    EXPECT_EQ(qzStrRemoveChar(t->MatchStartLabel(), '&'), rows[1][1]);
    EXPECT_EQ(t->ViewSummaryNotText() + " (smith or jones)", rows[1][2]);
    EXPECT_TRUE(D->Criteria().empty());
}

TEST_F(FilterFormTest, SummaryViewRowsAndClosing) {
    TqzFieldInfo lower = Range("Num", "10", "");
    TqzFieldInfo both = Range("Amount", "1", "2");
    TqzFieldInfo negated = Crit("Name", fdMatchExact, "smith");
    negated.NonMatching = true;
    TqzFieldInfo end = Crit("Notes", fdMatchEnd, "x");
    const TqzFieldInfoList criteria = {lower, both, negated, end};
    std::vector<std::vector<std::string>> rows;
    Modal.Push([&](TCustomForm* V) {
        auto* view = dynamic_cast<TqzFilterDialogView*>(V);
        ASSERT_NE(nullptr, view);
        TStringGrid* g = view->StringGrid1();
        for (int r = 0; r < g->RowCount(); ++r)
            rows.push_back({g->Cells(0, r), g->Cells(1, r), g->Cells(2, r)});
        // Cells can be entered but not changed.
        SendClick(g, g->CellRect(2, 1).Left + 5, g->CellRect(2, 1).Top + 5);
        SendKey(g, VK_F2);
        SendText(FocusedControl(), "zz");
        EXPECT_EQ(">=10", g->Cells(2, 1));
        SendClick(view->OKButton(), 5, 5);
    });
    qzShowFilterDialogView(criteria, D->FieldOperators());
    EXPECT_EQ(0, Modal.Pending());
    ASSERT_EQ(5u, rows.size());
    const std::string range = qzStrRemoveChar(qzIntl()->FilterDialog()->ByRangeLabel(), '&');
    EXPECT_EQ((std::vector<std::string>{"Num", range, ">=10"}), rows[1]);
    EXPECT_EQ((std::vector<std::string>{"Amount", range, ">=1, <=2"}), rows[2]);
    EXPECT_EQ(qzIntl()->FilterDialog()->ViewSummaryNotText() + " smith", rows[3][2]);
    EXPECT_EQ((std::vector<std::string>{"", "", ""}), rows[4]);
}

// Options that shape the form: no Anywhere item, tabs at the top, the
// hidden summary button.
TEST_F(FilterFormTest, HidePartialAnywhereAndTabsAtTop) {
    Add("A", 1, 1);
    D->SetOptions(D->Options() + TqzFilterDialogOptions{fdHidePartialAnywhere, fdTabsAtTop});
    D->Criteria() = {Crit("Name", fdMatchAny, "b")};
    Modal.Push([](TCustomForm* F) {
        TqzFilterDlg* f = Dlg(F);
        EXPECT_EQ(2, f->MatchTypeGroup()->Items()->Count());
        // An Anywhere criterion shows as the nearest item left.
        EXPECT_EQ(1, f->MatchTypeGroup()->ItemIndex());
        EXPECT_EQ(tpTop, f->FieldTabSet()->TabPosition());
        EXPECT_EQ(tpTop, f->SelectNotebook()->TabPosition());
        EXPECT_LT(f->FieldTabSet()->TabRect(0).Bottom, f->FieldTabSet()->Height() / 2);
        // Keys move the list from the value editor; Page Down to the last field.
        SendKey(f->FilterValueEdit(), VK_NEXT);
        EXPECT_EQ(f->FieldsListBox()->Items()->Count() - 1, f->FieldsListBox()->ItemIndex());
        SendKey(f->CancelButton(), VK_ESCAPE);
    });
    EXPECT_FALSE(D->Execute());
    D->SetOptions(TqzFilterDialogOptions{fdShowOKCancel});
    D->Criteria().clear();
    Modal.Push([](TCustomForm* F) {
        TqzFilterDlg* f = Dlg(F);
        EXPECT_EQ(3, f->MatchTypeGroup()->Items()->Count());
        EXPECT_EQ(tpBottom, f->FieldTabSet()->TabPosition());
        EXPECT_FALSE(f->ViewButton()->Visible());
        EXPECT_EQ(f->ViewButton()->Left(), f->ClearSearchButton()->Left());
        EXPECT_FALSE(f->CaseSensitive()->Visible());
        SendKey(f->CancelButton(), VK_ESCAPE);
    });
    EXPECT_FALSE(D->Execute());
}

}  // namespace

namespace {

// The form on each page and the summary painted to PNG files in the temp
// folder; the texts sit inside their controls.
TEST_F(FilterFormTest, FormAndSummaryRender) {
    AddDated("A", EncodeDate(2005, 2, 28), EncodeDate(2005, 2, 28));
    D->Criteria() = {Range("Day", DateToStr(EncodeDate(2005, 3, 1)), DateToStr(EncodeDate(2005, 3, 20))),
                     Crit("Name", fdMatchAny, "smith or jones")};
    D->Criteria()[1].NonMatching = true;
    const std::string dir = GetTempDir();
    Modal.Push([&](TCustomForm* F) {
        TqzFilterDlg* f = Dlg(F);
        EXPECT_TRUE(RenderControlToPng(f, dir + "taskmoor_filter_value.png"));
        ClickItem(f->FieldsListBox(), 1);
        EXPECT_TRUE(f->MinDateEdit()->Visible());
        EXPECT_TRUE(RenderControlToPng(f, dir + "taskmoor_filter_range.png"));
        ClickTab(f->FieldTabSet(), 0);
        EXPECT_TRUE(RenderControlToPng(f, dir + "taskmoor_filter_all.png"));
        for (TControl* c :
             {static_cast<TControl*>(f->ViewButton()), static_cast<TControl*>(f->ClearSearchButton()),
              static_cast<TControl*>(f->MatchTypeGroup()), static_cast<TControl*>(f->CaseSensitive()),
              static_cast<TControl*>(f->MaxDateEdit())}) {
            EXPECT_LE(c->Left() + c->Width(), c->Parent()->ClientWidth()) << c->Name();
            EXPECT_LE(c->Top() + c->Height(), c->Parent()->ClientHeight()) << c->Name();
        }
        Modal.Push([&](TCustomForm* V) {
            EXPECT_TRUE(RenderControlToPng(V, dir + "taskmoor_filter_summary.png"));
            SendKey(dynamic_cast<TqzFilterDialogView*>(V)->StringGrid1(), VK_ESCAPE);
        });
        SendClick(f->ViewButton(), 5, 5);
        SendClick(f->CancelButton(), 5, 5);
    });
    EXPECT_FALSE(D->Execute());
}

// The dialog's OK and Cancel and its summary's buttons show their whole glyphs.
TEST_F(FilterFormTest, DialogButtonsShowTheirWholeGlyphs) {
    Add("A", 1, 1);
    int dialogButtons = 0, viewButtons = 0;
    Modal.Push([&](TCustomForm* F) {
        TqzFilterDlg* f = Dlg(F);
        dialogButtons = ExpectKindGlyphsWhole(f, "filter_dialog_button");
        SendText(f->FilterValueEdit(), "A");
        Modal.Push([&](TCustomForm* V) {
            viewButtons = ExpectKindGlyphsWhole(V, "filter_view_button");
            V->SetModalResult(mrOk);
        });
        SendClick(f->ViewButton(), 5, 5);
        EXPECT_EQ(0, Modal.Pending());
        SendClick(f->CancelButton(), 5, 5);
    });
    EXPECT_FALSE(D->Execute());
    EXPECT_EQ(dialogButtons, 2);
    EXPECT_EQ(viewButtons, 2);
}

}  // namespace
