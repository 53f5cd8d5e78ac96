// Actions: a command with its caption, hint, enabled, checked and visible
// states and an image, shared by the controls linked to it. A change of the
// action reaches each link, and a link passes it on to its client where the
// client's value still equals the action's former value (the property is
// "linked").
#pragma once

#include <string>
#include <vector>

#include "platform/core/component.h"
#include "platform/core/events.h"

class TActionLink;
class TControl;
class TDataLink;
class TImageList;
struct TMessage;

// An action without OnExecute is offered to the focused control (Execute),
// and every action may be offered to it for its state (Update): WParam 0,
// LParam the action; a control that took it answers 1.
constexpr unsigned CM_ACTIONUPDATE = 0xB000 + 63;
constexpr unsigned CM_ACTIONEXECUTE = 0xB000 + 64;

class TCustomAction : public TComponent {
    TASKMOOR_CLASS(TCustomAction, TComponent)
public:
    explicit TCustomAction(TComponent* AOwner);
    ~TCustomAction() override;

    std::string Caption() const { return FCaption; }
    void SetCaption(const std::string& Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    std::string Hint() const { return FHint; }
    void SetHint(const std::string& Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool Checked() const { return FChecked; }
    void SetChecked(bool Value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    // The images ImageIndex points into (not owned).
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* Value);
    TNotifyEvent OnExecute() const { return FOnExecute; }
    void SetOnExecute(TNotifyEvent Value) { FOnExecute = Value; }

    // Runs OnExecute when enabled, else offers the action to the focused
    // control; false when nothing ran.
    virtual bool Execute();
    // Offers the action to the focused control for its state; false when
    // none took it.
    bool Update();
    // Whether the action acts on Target (a control, a data source), and
    // acting on it or updating from it. None here.
    virtual bool HandlesTarget(TObject*) { return false; }
    virtual void ExecuteTarget(TObject*) {}
    virtual void UpdateTarget(TObject*) {}

    void RegisterChanges(TActionLink* Link);
    void UnRegisterChanges(TActionLink* Link);
    int LinkCount() const { return static_cast<int>(FLinks.size()); }

    static void Publish(TPublisher<TCustomAction>& p);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    template <class F>
    void Tell(F Func);
    std::string FCaption, FHint;
    bool FEnabled = true, FVisible = true, FChecked = false;
    int FGroupIndex = 0, FImageIndex = -1;
    TImageList* FImages = nullptr;
    TNotifyEvent FOnExecute;
    std::vector<TActionLink*> FLinks;
};

class TActionLink {
public:
    virtual ~TActionLink();
    TCustomAction* Action() const { return FAction; }
    void SetAction(TCustomAction* Value);
    // Runs the action; false without one.
    bool Execute();

    virtual bool IsCaptionLinked() { return FAction != nullptr; }
    virtual bool IsCheckedLinked() { return FAction != nullptr; }
    virtual bool IsEnabledLinked() { return FAction != nullptr; }
    virtual bool IsGroupIndexLinked() { return FAction != nullptr; }
    virtual bool IsHintLinked() { return FAction != nullptr; }
    virtual bool IsImageIndexLinked() { return FAction != nullptr; }
    virtual bool IsVisibleLinked() { return FAction != nullptr; }
    // The action's changes, before it stores them.
    virtual void SetCaption(const std::string&) {}
    virtual void SetChecked(bool) {}
    virtual void SetEnabled(bool) {}
    virtual void SetGroupIndex(int) {}
    virtual void SetHint(const std::string&) {}
    virtual void SetImageIndex(int) {}
    virtual void SetVisible(bool) {}

protected:
    friend class TCustomAction;
    TCustomAction* FAction = nullptr;
};

// Carries an action's caption, enabled, hint and visible states to a control.
class TControlActionLink : public TActionLink {
public:
    explicit TControlActionLink(TControl* Client) : FClient(Client) {}
    TControl* Client() const { return FClient; }

    bool IsCaptionLinked() override;
    bool IsEnabledLinked() override;
    bool IsHintLinked() override;
    bool IsVisibleLinked() override;
    void SetCaption(const std::string& Value) override;
    void SetEnabled(bool Value) override;
    void SetHint(const std::string& Value) override;
    void SetVisible(bool Value) override;

protected:
    TControl* FClient;
};

// A CM_ACTIONEXECUTE or CM_ACTIONUPDATE message offered to Target: taken
// (Message.Result 1) when the action handles Target.
bool OfferActionTo(TMessage& Message, TObject* Target);
// The same for a data link: its data source is the target.
bool OfferActionToDataLink(TMessage& Message, TDataLink* Link);
