// The record view's editors in the user-flow suite: a modeless view over the
// flows' table shows the two fields; closing the flows' form closes the view,
// which then accepts what was typed. Over the SQLite table the view also
// shows the notes, a TEXT column.
#include <string>
#include <utility>
#include <vector>

#include "platform/db/dataset.h"
#include "platform/ui/testing.h"
#include "suite/data/qzrecordview.h"
#include "support/flows/sqlite_flow.h"
#include "support/flows/user_flow.h"

namespace {

class TRecordViewFlow : public TFlowControl {
public:
    // Shown: fields the view shows after the two typed into.
    explicit TRecordViewFlow(std::vector<std::string> Shown = {}) : FShown(std::move(Shown)) {}
    TFlowCaps Caps() const override {
        TFlowCaps c;
        // Read-only fields are disabled in the view: nothing to type into.
        c.EnterToTab = true;
        return c;
    }
    void Build(TForm* Form, TDataSource* Source) override {
        FForm = Form;
        FDialog = new TqzRecordViewDialog(Form);
        FDialog->SetDataSource(Source);
        FDialog->SetOptions(FDialog->Options() - TqzRecordViewOptions{rvoModalForm, rvoCloseIsCancel});
        FOwnerClose = Form->OnClose();
        Form->SetOnClose(TCloseEvent([this](TObject* Sender, TCloseAction& Action) {
            if (FDialog->Form()) FDialog->Form()->Close();
            if (FOwnerClose.Assigned()) FOwnerClose(Sender, Action);
        }));
        Open();
    }
    void Focus(const std::string& Field) override {
        TqzRecordViewForm* f = FDialog->Form();
        ActivateForm(f);
        Edit(Field)->SetFocus();
        ProcessEvents();
        Edit(Field)->SelectAll();
    }
    std::string Shown(const std::string& Field) override { return Edit(Field)->Text(); }
    void Click(const std::string& Field, int) override {
        SendClick(Edit(Field), 5, 5);
        ProcessEvents();
    }
    TWinControl* Control(const std::string& Field) override { return Edit(Field); }
    void SetEnterToTab(bool On) override {
        ShowAgain(On ? FDialog->Options() + TqzRecordViewOptions{rvoEnterToTab}
                     : FDialog->Options() - TqzRecordViewOptions{rvoEnterToTab},
                  FReadOnly);
    }

private:
    void Open() {
        FDialog->Selected()->Clear();
        for (const std::string& f : Fields())
            FDialog->Selected()->Add(f + "\t15\t" + f + (FReadOnly ? "\tT" : ""));
        for (const std::string& f : FShown) FDialog->Selected()->Add(f + "\t30\t" + f);
        FDialog->Execute();
        ProcessEvents();
    }
    void ShowAgain(TqzRecordViewOptions Options, bool ReadOnly) {
        if (TqzRecordViewForm* f = FDialog->Form()) f->Close();
        ProcessEvents();
        FDialog->SetOptions(Options);
        FReadOnly = ReadOnly;
        Open();
    }
    TqzDBCustomEdit* Edit(const std::string& Field) {
        for (TControl* c : FDialog->Controls())
            if (auto* e = dynamic_cast<TqzDBCustomEdit*>(c); e && e->DataField() == Field) return e;
        return nullptr;
    }

    TForm* FForm = nullptr;
    TqzRecordViewDialog* FDialog = nullptr;
    TCloseEvent FOwnerClose;
    bool FReadOnly = false;
    std::vector<std::string> FShown;
};

TFlowRegistration recordView("RecordView", [] { return std::make_unique<TRecordViewFlow>(); });
TFlowRegistration sqliteRecordView("SqliteRecordView", [] {
    return std::make_unique<TSqliteFlowOf<TRecordViewFlow>>(std::vector<std::string>{"Notes"});
});

}  // namespace
