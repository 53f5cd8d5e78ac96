// Size constraints: whoever resizes a control, code, the alignment pass or
// the user through the form's window, gets a size within them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QResizeEvent>
#include <QWidget>

#include "platform/core/properties.h"
#include "support/ui/ui_probes.h"

namespace {

TEST(SizeConstraintsTest, CodeResizesStayWithinTheLimits) {
    TShownForm f;
    auto* p = new TProbe(f.Form, f.Form);
    p->SetBounds(10, 10, 100, 50);
    p->Constraints()->SetMinWidth(40);
    p->Constraints()->SetMaxWidth(120);
    p->Constraints()->SetMinHeight(20);
    p->Constraints()->SetMaxHeight(60);
    p->SetWidth(500);
    EXPECT_EQ(p->Width(), 120);
    p->SetWidth(5);
    EXPECT_EQ(p->Width(), 40);
    p->SetBounds(3, 4, 1000, 1);
    EXPECT_EQ(p->BoundsRect(), Rect(3, 4, 123, 24));
    p->SetHeight(70);
    EXPECT_EQ(p->Height(), 60);
    // Tightening the limits holds the present size within them at once.
    p->Constraints()->SetMaxHeight(30);
    EXPECT_EQ(p->Height(), 30);
    // A maximum below the minimum is raised to it; 0 lifts a limit.
    p->Constraints()->SetMaxWidth(10);
    EXPECT_EQ(p->Constraints()->MaxWidth(), 40);
    p->Constraints()->SetMaxWidth(0);
    p->Constraints()->SetMinWidth(-5);
    EXPECT_EQ(p->Constraints()->MinWidth(), 0);
    p->SetWidth(700);
    EXPECT_EQ(p->Width(), 700);
    // Published, and its limits read by name.
    EXPECT_EQ(GetObjectProp(p, "Constraints"), p->Constraints());
    EXPECT_EQ(GetOrdProp(p->Constraints(), "MaxHeight"), 30);
}

TEST(SizeConstraintsTest, AnAlignedControlGetsItsLimitsInAResizedParent) {
    TShownForm f;
    f.Form->SetClientWidth(400);
    f.Form->SetClientHeight(300);
    auto* top = new TProbe(f.Form, f.Form);
    top->Constraints()->SetMaxWidth(250);
    top->SetAlign(alTop);
    auto* client = new TProbe(f.Form, f.Form);
    client->Constraints()->SetMinWidth(300);
    client->Constraints()->SetMaxHeight(200);
    client->SetAlign(alClient);
    EXPECT_EQ(top->Width(), 250);
    EXPECT_EQ(client->Width(), 400);
    EXPECT_EQ(client->Height(), 200);
    f.Form->SetClientWidth(200);
    f.Form->SetClientHeight(600);
    EXPECT_EQ(top->Width(), 200);
    EXPECT_EQ(client->Width(), 300);
    EXPECT_EQ(client->Height(), 200);
    f.Form->SetClientWidth(900);
    EXPECT_EQ(top->Width(), 250);
    EXPECT_EQ(client->Width(), 900);
}

TEST(SizeConstraintsTest, TheFormsWindowIsHeldWithinTheLimits) {
    TShownForm f;
    f.Show();
    TForm* form = f.Form;
    const int frameX = form->Width() - form->Widget()->width();
    const int frameY = form->Height() - form->Widget()->height();
    form->Constraints()->SetMinWidth(300);
    form->Constraints()->SetMaxWidth(500);
    form->Constraints()->SetMinHeight(200);
    form->Constraints()->SetMaxHeight(350);
    QWidget* w = form->Widget();
    // The window manager is told the limits.
    EXPECT_EQ(w->minimumSize(), QSize(300 - frameX, 200 - frameY));
    EXPECT_EQ(w->maximumSize(), QSize(500 - frameX, 350 - frameY));
    // The user drags the window larger than the limit: the form keeps its
    // maximum and the window follows it back.
    QResizeEvent big(QSize(900, 900), w->size());
    QApplication::sendEvent(w, &big);
    ProcessEvents();
    EXPECT_EQ(form->Width(), 500);
    EXPECT_EQ(form->Height(), 350);
    EXPECT_EQ(w->size(), QSize(500 - frameX, 350 - frameY));
    QResizeEvent small(QSize(10, 10), w->size());
    QApplication::sendEvent(w, &small);
    ProcessEvents();
    EXPECT_EQ(form->Width(), 300);
    EXPECT_EQ(form->Height(), 200);
    EXPECT_EQ(w->size(), QSize(300 - frameX, 200 - frameY));
    // A size within the limits is taken as it comes.
    w->resize(400 - frameX, 250 - frameY);
    ProcessEvents();
    EXPECT_EQ(form->Width(), 400);
    EXPECT_EQ(form->Height(), 250);
    // Lifting the limits gives the window its freedom back.
    form->Constraints()->SetMinWidth(0);
    form->Constraints()->SetMaxWidth(0);
    form->Constraints()->SetMinHeight(0);
    form->Constraints()->SetMaxHeight(0);
    EXPECT_EQ(w->minimumSize(), QSize(0, 0));
    EXPECT_EQ(w->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

}  // namespace
