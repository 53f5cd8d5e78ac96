// The main window's quote commands: the random quote, the quote of the day,
// the quote editor and the keys of new quotes.
#include "app/main_form.h"
#include "app/quote_box.h"
#include "app/quote_editor.h"
#include "app/quotes.h"
#include "engine-controls/ostra_dbgrid.h"
#include "engine/ostra_table.h"
#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"

namespace {

template <class T>
void ShowOnQuotes(TDataSource* Quotes) {
    auto* form = CreateForm<T>(Application, Quotes);
    try {
        form->ShowModal();
    } catch (...) {
        delete form;
        throw;
    }
    delete form;
}

}  // namespace

void TfrmToDo::BindQuotes() {
    FdQuotes_->SetOnNewRecord(TDataSetNotifyEvent(this, &TfrmToDo::dQuotes_NewRecord));
    FspbtnRandQuote->SetOnClick(TNotifyEvent(this, &TfrmToDo::spbtnRandQuoteClick));
    FSpeedButton4->SetOnClick(TNotifyEvent(this, &TfrmToDo::SpeedButton4Click));
    FOstraDBGrid4->SetOnDblClick(TNotifyEvent(this, &TfrmToDo::OstraDBGrid4DblClick));
}

void TfrmToDo::spbtnRandQuoteClick(TObject*) {
    LocateRandomQuote(FdQuotes_);
    FDBText2->Repaint();
    if (FPageControl1->ActivePage() != FTabSheet7) ShowOnQuotes<TFrmQuoteBox>(FdsQuotes);
}

void TfrmToDo::SpeedButton4Click(TObject*) {
    MarkQuoteOfTheDay(FdQuotes_, FdSelQuotes_, FQuoteSelected);
    FDBText1->Repaint();
}

void TfrmToDo::OstraDBGrid4DblClick(TObject*) { ShowOnQuotes<TfrmDEQuote>(FdsQuotes); }

void TfrmToDo::dQuotes_NewRecord(TDataSet* DataSet) { AssignNewQuoteKey(DataSet, FvtblAppids_, FOstraDb); }
