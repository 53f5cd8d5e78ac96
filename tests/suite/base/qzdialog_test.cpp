// The dialog base, the suite's data source and the dialog buttons: both
// kinds, and a dialog closed by real clicks and by Escape.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/core/abstract_error.h"
#include "platform/ui/buttons.h"
#include "platform/ui/forms.h"
#include "suite/base/qzdialog.h"
#include "suite/base/qzintl.h"
#include "support/suite/dialog_glyphs.h"
#include "support/suite/suite_ui_support.h"
#include "support/ui/ui_probes.h"

namespace {

class TOnlyExecute : public TqzCustomDialog {
    TASKMOOR_CLASS(TOnlyExecute, TqzCustomDialog)
public:
    using TqzCustomDialog::TqzCustomDialog;
    bool Execute() override { return true; }
};

TEST(QzCustomDialogTest, OperationsNotOverriddenRaiseTheAbstractError) {
    TqzCustomDialog base(nullptr);
    try {
        base.Execute();
        FAIL() << "no error";
    } catch (const EAbstractError& e) {
        EXPECT_EQ(e.Message(), "Abstract Error");
    }
    EXPECT_THROW(base.GetPrimaryDataSet(), EAbstractError);
    TOnlyExecute partial(nullptr);
    EXPECT_TRUE(partial.Execute());
    EXPECT_THROW(partial.GetPrimaryDataSet(), EAbstractError);
    EXPECT_TRUE(partial.InheritsFrom("tqzcustomdialog"));

    TqzDataSource source(nullptr);
    EXPECT_EQ(source.ClassName(), "TqzDataSource");
    EXPECT_TRUE(source.InheritsFrom("TDataSource"));
}

// Keeps the global settings the tests change.
class QzDialogButtonTest : public SuiteUiTest {
protected:
    void SetUp() override {
        ASSERT_NE(qzIntl(), nullptr);
        savedBitmapped = qzIntl()->OKCancelBitmapped();
        savedOk = qzIntl()->BtnOKCaption();
        savedCancel = qzIntl()->BtnCancelCaption();
        savedStyle = qzIntl()->DialogFontStyle();
    }
    void TearDown() override {
        qzIntl()->SetOKCancelBitmapped(savedBitmapped);
        qzIntl()->SetBtnOKCaption(savedOk);
        qzIntl()->SetBtnCancelCaption(savedCancel);
        qzIntl()->SetDialogFontStyle(savedStyle);
    }
    bool savedBitmapped = true;
    std::string savedOk, savedCancel;
    TFontStyles savedStyle;
};

TEST_F(QzDialogButtonTest, BothKindsOfButtons) {
    qzIntl()->SetBtnOKCaption("&Yes please");
    qzIntl()->SetBtnCancelCaption("&No thanks");
    qzIntl()->SetDialogFontStyle({fsBold});
    struct TCase {
        bool Bitmapped;
        int Kind;
        const char* Caption;
        TModalResult Result;
        bool Cancel;
        int Height;
    } cases[] = {
        {true, qzbkOK, "&Yes please", mrOk, false, 27},
        {true, qzbkCancel, "&No thanks", mrCancel, true, 27},
        {true, qzbkHelp, "Help", mrNone, false, 27},
        {false, qzbkOK, "&Yes please", mrOk, false, 24},
        {false, qzbkCancel, "&No thanks", mrCancel, true, 24},
        {false, qzbkHelp, "Help", mrNone, false, 24},
    };
    TShownForm f;
    for (const TCase& k : cases) {
        qzIntl()->SetOKCancelBitmapped(k.Bitmapped);
        TButton* b = qzCreateDialogButton(f.Form, k.Kind);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->Owner(), f.Form);
        EXPECT_EQ(b->Parent(), f.Form);
        EXPECT_FALSE(b->Visible());
        EXPECT_EQ(b->Width(), 77);
        EXPECT_EQ(b->Height(), k.Height);
        EXPECT_EQ(b->Caption(), k.Caption);
        EXPECT_EQ(b->ModalResult(), k.Result);
        EXPECT_EQ(b->Cancel(), k.Cancel);
        auto* bit = dynamic_cast<TBitBtn*>(b);
        EXPECT_EQ(bit != nullptr, k.Bitmapped);
        if (bit) {
            EXPECT_EQ(bit->Kind(), static_cast<TBitBtnKind>(k.Kind));
            EXPECT_EQ(bit->Margin(), 2);
            EXPECT_EQ(bit->NumGlyphs(), 2);
            EXPECT_EQ(bit->Spacing(), -1);
            EXPECT_EQ(bit->Layout(), blGlyphLeft);
            EXPECT_EQ(bit->Font()->Name(), "MS Sans Serif");
            EXPECT_EQ(bit->Font()->Height(), -11);
            EXPECT_EQ(bit->Font()->Color(), clWindowText);
            EXPECT_EQ(bit->Font()->Style(), TFontStyles{fsBold});
        }
    }
}

// A dialog laid out with the suite's buttons.
struct TButtonDialog {
    TForm* Form;
    TButton* Ok;
    TButton* Cancel;
    TProbe* Field;
    TButtonDialog() : Form(CreateForm<TForm>(Application)) {
        Form->SetBounds(60, 60, 300, 140);
        Field = new TProbe(Form, Form);
        Field->SetBounds(10, 10, 120, 24);
        Ok = qzCreateDialogButton(Form, qzbkOK);
        Cancel = qzCreateDialogButton(Form, qzbkCancel);
        Ok->SetBounds(110, 80, Ok->Width(), Ok->Height());
        Cancel->SetBounds(200, 80, Cancel->Width(), Cancel->Height());
        Ok->SetVisible(true);
        Cancel->SetVisible(true);
    }
    ~TButtonDialog() { delete Form; }
};

TEST_F(QzDialogButtonTest, ADialogClosesByClicksAndEscape) {
    for (bool bitmapped : {true, false}) {
        qzIntl()->SetOKCancelBitmapped(bitmapped);
        struct TCase {
            const char* How;
            TModalResult Result;
        } cases[] = {{"click OK", mrOk}, {"click Cancel", mrCancel}, {"Escape", mrCancel}};
        for (const TCase& k : cases) {
            TButtonDialog d;
            TTestModalForms script;
            const std::string how = k.How;
            script.Push([&](TCustomForm* form) {
                if (how == "click OK" && bitmapped) {
                    EXPECT_TRUE(RenderControlToPng(form, PngPath("dialog_buttons")));
                }
                if (how == "click OK")
                    SendClick(d.Ok, 10, 10);
                else if (how == "click Cancel")
                    SendClick(d.Cancel, 10, 10);
                else {
                    d.Field->SetFocus();
                    SendKey(d.Field, VK_ESCAPE);
                }
            });
            EXPECT_EQ(d.Form->ShowModal(), k.Result) << k.How << (bitmapped ? " (bitmap buttons)" : "");
        }
    }
}

// The bitmap buttons show their kind's whole image; disabled, another one.
TEST_F(QzDialogButtonTest, BitmapButtonsShowTheirWholeGlyph) {
    qzIntl()->SetOKCancelBitmapped(true);
    TButtonDialog d;
    TButton* help = qzCreateDialogButton(d.Form, qzbkHelp);
    help->SetBounds(10, 80, help->Width(), help->Height());
    help->SetVisible(true);
    d.Form->Show();
    EXPECT_EQ(ExpectKindGlyphsWhole(d.Form, "dialog_button_glyph"), 3);
    auto* ok = dynamic_cast<TBitBtn*>(d.Ok);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->Glyph()->Width(), ok->NumGlyphs() * ok->Glyph()->Height());
    ok->SetEnabled(false);
    EXPECT_FALSE(KindGlyphDrawnWhole(ok, "dialog_button_glyph_disabled"));
}

// A stand-in for a form: records what the dialog's pointer showed during the
// run, and may fail the run.
struct TModalStandIn {
    TModalStandIn** Seen = nullptr;
    TModalStandIn* During = nullptr;
    bool Fail = false;
    int ShowModal() {
        During = *Seen;
        if (Fail) throw std::runtime_error("run failed");
        return mrOk;
    }
};

TEST(QzShowModalTest, TheDialogPointsAtTheFormOnlyWhileItRuns) {
    TModalStandIn* current = nullptr;
    TModalStandIn form;
    form.Seen = &current;
    EXPECT_EQ(qzShowModal(&form, current), mrOk);
    EXPECT_EQ(form.During, &form);
    EXPECT_EQ(current, nullptr);

    form.Fail = true;
    form.During = nullptr;
    EXPECT_THROW(qzShowModal(&form, current), std::runtime_error);
    EXPECT_EQ(form.During, &form);
    EXPECT_EQ(current, nullptr);
}

}  // namespace
