// The filter commands: the filter dialog over the current tab's data source.
#include "app/main_form.h"
#include "platform/ui/comctrls.h"
#include "suite/data/qzfilterdialog.h"

void TfrmToDo::BuildFilterDialog() {
    FqzfilterD1 = new TqzFilterDialog(this);
    FqzfilterD1->SetName("qzfilterD1");
    FqzfilterD1->SetSortBy(fdSortByFieldNo);
    FqzfilterD1->SetFilterMethod(fdByFilter);
    FqzfilterD1->SetDefaultMatchType(fdMatchStart);
    FqzfilterD1->SetDefaultFilterBy(fdSmartFilter);
    FqzfilterD1->FieldOperators()->SetOrChar("or");
    FqzfilterD1->FieldOperators()->SetAndChar("and");
    FqzfilterD1->FieldOperators()->SetNullChar("null");
    FqzfilterD1->Rounding()->SetEpsilon(0.0001);
    FqzfilterD1->Rounding()->SetRoundingMethod(fdrmFixed);
    FqzfilterD1->FilterPropertyOptions()->LikeWildcardChar = "%";
    FqzfilterD1->SetFilterOptimization(fdNone);
    FqzfilterD1->SetQueryFormatDateMode(qfdMonthDayYear);
}

TDataSource* TfrmToDo::FilterSource() const {
    switch (FPageControl1->ActivePageIndex()) {
    case 0: return Fdstday;
    case 1: return FDataTask;
    case 2: return FdsTask2;
    case 3: return FdsArchive;
    case 4: return FdsList;
    case 5: return FdsQuotes;
    case 6: return FdsGoals;
    default: return nullptr;
    }
}

void TfrmToDo::SpeedButton5Click(TObject*) {
    FqzfilterD1->SetDataSource(FilterSource());
    FqzfilterD1->Execute();
}

void TfrmToDo::SpeedButton3Click(TObject*) {
    FqzfilterD1->SetDataSource(FilterSource());
    FqzfilterD1->ClearFilter();
    FqzfilterD1->ApplyFilter();
}
