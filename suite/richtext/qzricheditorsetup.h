// What the rich edit hands its editor window besides its settings: where the
// window goes, the user's two speed buttons (hidden while assigned, watched
// for being freed), the window's events and the window itself while it is
// open.
#pragma once

#include <memory>

#include "suite/richtext/qzriched.h"

class TComponent;
class TForm;
class TSpeedButton;
class TqzFormPosition;

class TqzRichEditorSetup {
public:
    explicit TqzRichEditorSetup(TqzCustomRichEdit* RichEdit);
    ~TqzRichEditorSetup();
    TqzRichEditorSetup(const TqzRichEditorSetup&) = delete;
    TqzRichEditorSetup& operator=(const TqzRichEditorSetup&) = delete;

    // Left, Top, Width, Height of the window; 0 is the default.
    TqzFormPosition* Position() const { return FPosition.get(); }
    void SetPosition(TqzFormPosition* Value);
    // The editor window while it is open (nullptr otherwise).
    TForm* Form() const { return FForm; }
    void SetForm(TForm* Value) { FForm = Value; }
    // Index 0 or 1.
    TSpeedButton* UserButton(int Index) const { return FUserButton[Index]; }
    void SetUserButton(int Index, TSpeedButton* Value);
    // A component of the application was freed.
    void Removed(TComponent* AComponent);

    // The window created, shown or closed (Form).
    TqzOnRichEditDlgEvent OnInit, OnClose, OnCreate;
    // A command of the window is about to run (Form, RichEdit, DoDefault).
    TqzRTFNotifyEvent OnMenuLoad, OnMenuSaveAs, OnMenuPrint, OnMenuSaveAndExit;

private:
    TqzCustomRichEdit* FRichEdit;
    std::unique_ptr<TqzFormPosition> FPosition;
    TForm* FForm = nullptr;
    TSpeedButton* FUserButton[2] = {nullptr, nullptr};
};
