// Dragging one control onto another, and docking (see controls.h).
//
// One drag runs at a time. It starts in BeginDrag: the drag object comes
// from OnStartDrag / OnStartDock or is made here, the source takes the mouse
// capture, and a keyboard hook watches for Escape. From then on every mouse
// event of the program's windows reaches RouteDragMouse before any control
// (a pressed button sends all motion to the pressed window; the offscreen
// platform sends it where the pointer is): the screen point decides the
// target, whichever window the event came to. A release of the left button
// drops, a right press or Escape cancels; the release of a button still held
// after a cancel goes nowhere.
#include <QApplication>
#include <QMouseEvent>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "platform/core/sysutils.h"
#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"
#include "platform/ui/qt_host.h"

namespace {
constexpr int DefaultDragThreshold = 5;
}  // namespace

struct TDragRun {
    TControl* Control = nullptr;
    TDragObject* Object = nullptr;
    std::unique_ptr<TDragObject> Owned;  // made here, freed at the end
    bool Dock = false;
    bool Active = false;  // past the threshold
    TPoint Start;
    int Threshold = DefaultDragThreshold;
    TControl* Target = nullptr;  // the control (or dock site) asked last
    bool Accepted = false;
    bool CursorSet = false;
    TCursor SavedCursor = crDefault;
    int KeyHook = 0;
    TPoint GrabOffset;  // the pointer from the control's top-left (docking)

    static TObject* SourceOf(TDragObject* Object);
    bool Ask(TDragState State);
    void DragTo(const TPoint& Pos);
    void ShowCursor(TCursor Cursor);
    void Detach();
    static void Done(bool Drop);
    static void Init(TControl* Control, bool Immediate, int Threshold);
    TWinControl* FindDockSite(const TPoint& Pos) const;
    TRect FloatRect(const TPoint& Pos) const;
    static void AddDockClient(TWinControl* Site, TControl* Client);
    static void Forget(TControl* Gone);
};

namespace {
TDragRun* GRun = nullptr;
// Buttons whose release still follows a cancelled drag.
Qt::MouseButtons GSwallowRelease;
// The buttons held at the last routed mouse event.
Qt::MouseButtons GHeld;
}  // namespace

// ---- Drag objects ---------------------------------------------------------------------------

TDragObject::~TDragObject() = default;
TCursor TDragObject::GetDragCursor(bool Accepted, int, int) { return Accepted ? crDrag : crNoDrop; }
void TDragObject::Finished(TObject*, int, int, bool) {}

TCursor TDragControlObject::GetDragCursor(bool Accepted, int, int) {
    return Accepted ? FControl->DragCursor() : crNoDrop;
}

void TDragControlObject::Finished(TObject* Target, int X, int Y, bool Accepted) {
    if (!Accepted) FControl->DragCanceled();
    FControl->DoEndDrag(Target, X, Y);
}

TCursor TDragDockObject::GetDragCursor(bool, int, int) { return crDefault; }

void TDragDockObject::Finished(TObject* Target, int X, int Y, bool Accepted) {
    if (!Accepted) FControl->DragCanceled();
    FControl->DoEndDock(Target, X, Y);
}

TDragObject* ActiveDragObject() { return GRun ? GRun->Object : nullptr; }

TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled) {
    TWinControl* window = FindVCLWindow(Pos);
    if (!window) return nullptr;
    if (TControl* child = window->ControlAtPos(window->ScreenToClient(Pos), AllowDisabled)) return child;
    return window;
}

// ---- The drag in progress -------------------------------------------------------------------

TObject* TDragRun::SourceOf(TDragObject* Object) {
    if (auto* c = dynamic_cast<TDragControlObject*>(Object)) return c->Control();
    return Object;
}

// Asks the target; false when it refuses, when there is none or when the
// drag ended meanwhile.
bool TDragRun::Ask(TDragState State) {
    TControl* t = Target;
    if (!t) return false;
    const TPoint p = t->ScreenToClient(Object->FDragPos);
    Object->FDragTarget = t;
    Object->FDragTargetPos = p;
    if (Dock) {
        auto* site = dynamic_cast<TWinControl*>(t);
        auto* dock = static_cast<TDragDockObject*>(Object);
        if (!site) return false;
        dock->FDropOnControl = nullptr;
        dock->FDropAlign = alClient;
        bool accept = true;
        site->DockOver(dock, p.X, p.Y, State, accept);
        return accept;
    }
    bool accept = false;
    t->DragOver(SourceOf(Object), p.X, p.Y, State, accept);
    return accept;
}

TWinControl* TDragRun::FindDockSite(const TPoint& Pos) const {
    TControl* c = FindDragTarget(Pos, true);
    auto* self = dynamic_cast<TWinControl*>(Control);
    // Not into itself: start above the dragged control.
    while (c && (c == Control || (self && self->ContainsControl(c)))) c = c->Parent();
    for (; c; c = c->Parent())
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->DockSite() && w->Enabled()) return w;
    return nullptr;
}

TRect TDragRun::FloatRect(const TPoint& Pos) const {
    return Bounds(Pos.X - GrabOffset.X, Pos.Y - GrabOffset.Y, Control->UndockWidth(),
                  Control->UndockHeight());
}

void TDragRun::ShowCursor(TCursor Cursor) {
    if (!Screen) return;
    if (!CursorSet) {
        SavedCursor = Screen->Cursor();
        CursorSet = true;
    }
    Screen->SetCursor(Cursor);
}

void TDragRun::DragTo(const TPoint& Pos) {
    if (!Active) {
        if (std::abs(Pos.X - Start.X) < Threshold && std::abs(Pos.Y - Start.Y) < Threshold) return;
        Active = true;
    }
    TDragRun* self = this;
    TControl* found = Dock ? FindDockSite(Pos) : FindDragTarget(Pos, false);
    if (found != Target) {
        // The control left hears of it at the point it last had.
        if (Target) Ask(dsDragLeave);
        if (GRun != self) return;
        Target = found;
        Object->FDragPos = Pos;
        if (Target) Ask(dsDragEnter);
        if (GRun != self) return;
    }
    Object->FDragPos = Pos;
    Accepted = Ask(dsDragMove);
    if (GRun != self) return;
    if (Dock) {
        auto* dock = static_cast<TDragDockObject*>(Object);
        dock->FFloating = !Accepted;
        if (Accepted) {
            auto* site = static_cast<TWinControl*>(Target);
            const TPoint o = site->ClientOrigin();
            dock->FDockRect = Bounds(o.X, o.Y, site->ClientWidth(), site->ClientHeight());
        } else {
            dock->FDockRect = FloatRect(Pos);
        }
    }
    ShowCursor(Object->GetDragCursor(Accepted, Pos.X, Pos.Y));
}

// Ends the run's hold on the program: hook, capture, cursor.
void TDragRun::Detach() {
    if (KeyHook) RemoveKeyboardHook(KeyHook);
    KeyHook = 0;
    if (Control && GetCaptureControl() == Control) SetCaptureControl(nullptr);
    if (CursorSet && Screen) Screen->SetCursor(SavedCursor);
    CursorSet = false;
}

void TDragRun::Init(TControl* Control, bool Immediate, int Threshold) {
    auto run = std::make_unique<TDragRun>();
    run->Control = Control;
    run->Dock = Control->DragKind() == dkDock;
    run->Threshold = Threshold < 0 ? DefaultDragThreshold : Threshold;
    run->Start = RoutedMouseScreenPos();
    const TPoint origin = Control->ClientToScreen({0, 0});
    run->GrabOffset = {run->Start.X - origin.X, run->Start.Y - origin.Y};
    const TControlWatch watch(Control);
    if (run->Dock) {
        TDragDockObject* dock = nullptr;
        Control->DoStartDock(dock);
        if (watch.Gone()) return;
        if (!dock) {
            dock = new TDragDockObject(Control);
            run->Owned.reset(dock);
        }
        dock->FDockRect = run->FloatRect(run->Start);
        run->Object = dock;
    } else {
        TDragObject* object = nullptr;
        Control->DoStartDrag(object);
        if (watch.Gone()) return;
        if (!object) {
            object = new TDragControlObject(Control);
            run->Owned.reset(object);
        }
        run->Object = object;
    }
    if (GRun) return;  // OnStartDrag began another drag
    run->Object->FDragPos = run->Start;
    run->Object->FDropped = false;
    run->Object->FCancelling = false;
    run->Object->FDragTarget = nullptr;
    GRun = run.release();
    GSwallowRelease = {};
    GRun->KeyHook = AddKeyboardHook([](uint16_t Key, TShiftState, bool KeyUp) {
        if (Key != VK_ESCAPE || !GRun) return false;
        if (!KeyUp) {
            // the button still held lets go of nothing
            GSwallowRelease = GHeld;
            Done(false);
        }
        return true;
    });
    Control->SetMouseCapture(true);
    if (Immediate) {
        GRun->Active = true;
        GRun->DragTo(GRun->Start);
    }
}

void TDragRun::Done(bool Drop) {
    if (!GRun) return;
    std::unique_ptr<TDragRun> run(GRun);
    GRun = nullptr;
    run->Detach();
    TDragObject* object = run->Object;
    object->FCancelling = !Drop;
    object->FDropped = Drop && run->Active;
    // The target hears the drag leave; its answer then takes the drop.
    bool accepted = false;
    TControl* target = run->Target;
    const TControlWatch targetWatch(target);
    if (target) accepted = run->Ask(dsDragLeave) && Drop && run->Active;
    if (targetWatch.Gone()) {
        target = nullptr;
        accepted = false;
    }
    TPoint at = target ? object->FDragTargetPos : TPoint{0, 0};
    TControl* control = run->Control;
    const TControlWatch controlWatch(control);
    if (!run->Dock) {
        if (accepted) target->DragDrop(SourceOf(object), at.X, at.Y);
        if (controlWatch.Gone() && run->Owned) return;
        if (!accepted) at = {0, 0};
        object->Finished(accepted ? target : nullptr, at.X, at.Y, accepted);
        return;
    }
    auto* dock = static_cast<TDragDockObject*>(object);
    TObject* endTarget = nullptr;
    if (Drop && run->Active) {
        if (accepted) {
            auto* site = static_cast<TWinControl*>(target);
            site->DockDrop(dock, at.X, at.Y);
            endTarget = site;
        } else {
            // Released outside every site that takes it: it floats there.
            const TRect r = run->FloatRect(object->FDragPos);
            dock->FDockRect = r;
            dock->FFloating = true;
            if (control->ManualFloat(r)) {
                endTarget = control->HostDockSite();
                accepted = true;
                at = {0, 0};
            }
        }
    }
    if (controlWatch.Gone()) return;
    if (!endTarget) at = {0, 0};
    object->Finished(endTarget, at.X, at.Y, accepted);
}

bool RouteDragMouse(QMouseEvent* Event) {
    GHeld = Event->buttons();
    if (!GRun) {
        // The release of a button held through a cancelled drag.
        if (Event->type() == QEvent::MouseButtonRelease && (GSwallowRelease & Event->button())) {
            GSwallowRelease &= ~Event->button();
            return true;
        }
        if (Event->type() == QEvent::MouseButtonPress) GSwallowRelease = {};
        return false;
    }
    const QPoint g = Event->globalPosition().toPoint();
    const TPoint global{g.x(), g.y()};
    // A dock moves the source's window away while its own event runs: the
    // widget goes once the event is done.
    TDispatchScope scope;
    try {
        switch (Event->type()) {
        case QEvent::MouseMove: GRun->DragTo(global); break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (Event->button() == Qt::RightButton) {
                GSwallowRelease = Event->buttons() | Qt::RightButton;
                TDragRun::Done(false);
            }
            break;
        case QEvent::MouseButtonRelease:
            if (Event->button() == Qt::LeftButton) {
                GRun->DragTo(global);
                TDragRun::Done(true);
            }
            break;
        default: break;
        }
    } catch (...) {
        // A handler failed: the drag ends without more events.
        if (GRun) {
            std::unique_ptr<TDragRun> run(GRun);
            GRun = nullptr;
            run->Detach();
        }
        HandleGuardedException(nullptr);
    }
    return true;
}

void DragControlDestroyed(TControl* Control) { TDragRun::Forget(Control); }

void TDragRun::Forget(TControl* Gone) {
    if (!GRun) return;
    if (GRun->Control == Gone) {
        std::unique_ptr<TDragRun> run(GRun);
        GRun = nullptr;
        run->Control = nullptr;
        run->Detach();
        return;
    }
    if (GRun->Target == Gone) GRun->Target = nullptr;
    if (GRun->Object && GRun->Object->FDragTarget == Gone) GRun->Object->FDragTarget = nullptr;
    if (auto* dock = dynamic_cast<TDragDockObject*>(GRun->Object); dock && dock->FDropOnControl == Gone)
        dock->FDropOnControl = nullptr;
}

// ---- TControl ------------------------------------------------------------------------------

void TControl::BeginDrag(bool Immediate, int Threshold) {
    if (dynamic_cast<TCustomForm*>(this) && FDragKind != dkDock)
        throw EInvalidOperation("Cannot drag a form");
    if (GRun) return;
    // The press ends for the control first (no click comes of it).
    if (FControlState.Contains(csLButtonDown)) {
        FControlState.Exclude(csClicked);
        const TPoint p = ScreenToClient(RoutedMouseScreenPos());
        const TControlWatch watch(this);
        Perform(WM_LBUTTONUP, 0, MakeLParam(p.X, p.Y));
        if (watch.Gone()) return;
    }
    TDragRun::Init(this, Immediate, Threshold);
}

void TControl::EndDrag(bool Drop) {
    if (Dragging()) TDragRun::Done(Drop);
}

bool TControl::Dragging() const { return GRun && GRun->Control == this; }

void TControl::DoStartDrag(TDragObject*& DragObject) { FOnStartDrag(this, DragObject); }
void TControl::DoEndDrag(TObject* Target, int X, int Y) { FOnEndDrag(this, Target, X, Y); }
void TControl::DoStartDock(TDragDockObject*& DragObject) { FOnStartDock(this, DragObject); }
void TControl::DoEndDock(TObject* Target, int X, int Y) { FOnEndDock(this, Target, X, Y); }

void TControl::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
    Accept = FOnDragOver.Assigned();
    if (Accept) FOnDragOver(this, Source, X, Y, State, Accept);
}

void TControl::DragDrop(TObject* Source, int X, int Y) { FOnDragDrop(this, Source, X, Y); }

bool TControl::Floating() const { return dynamic_cast<TCustomDockForm*>(FHostDockSite) != nullptr; }

void TDragRun::AddDockClient(TWinControl* Site, TControl* Client) {
    Client->FHostDockSite = Site;
    Site->FDockClients.push_back(Client);
}

bool TControl::ManualDock(TWinControl* NewDockSite, TControl*, TAlign) {
    if (!NewDockSite) {
        const TPoint o = ClientToScreen({0, 0});
        return ManualFloat(Bounds(o.X, o.Y, UndockWidth(), UndockHeight()));
    }
    auto* self = dynamic_cast<TWinControl*>(this);
    if (NewDockSite == this || (self && self->ContainsControl(NewDockSite))) return false;
    // Its own size is kept for when it floats again.
    if (!FHostDockSite) {
        FUndockWidth = Width();
        FUndockHeight = Height();
    }
    SetAlign(alNone);
    NewDockSite->DisableAlign();
    try {
        SetParent(NewDockSite);
        if (FHostDockSite != NewDockSite) TDragRun::AddDockClient(NewDockSite, this);
    } catch (...) {
        NewDockSite->EnableAlign();
        throw;
    }
    NewDockSite->EnableAlign();
    SetVisible(true);
    return true;
}

bool TControl::ManualFloat(const TRect& ScreenPos) {
    if (auto* host = dynamic_cast<TCustomDockForm*>(FHostDockSite)) {
        // Already floating: the window moves.
        const TPoint o = host->ClientOrigin();
        host->SetBounds(host->Left() + ScreenPos.Left - o.X, host->Top() + ScreenPos.Top - o.Y, host->Width(),
                        host->Height());
        return true;
    }
    if (dynamic_cast<TCustomForm*>(this)) return false;
    if (!FHostDockSite) {
        FUndockWidth = Width();
        FUndockHeight = Height();
    }
    TComponent* owner = Owner() ? Owner() : static_cast<TComponent*>(Application);
    auto* form = CreateForm<TCustomDockForm>(owner);
    form->SetCaption(Caption());
    form->SetClientWidth(std::max(1, ScreenPos.Width()));
    form->SetClientHeight(std::max(1, ScreenPos.Height()));
    const TPoint o = form->ClientOrigin();
    form->SetBounds(form->Left() + ScreenPos.Left - o.X, form->Top() + ScreenPos.Top - o.Y, form->Width(),
                    form->Height());
    form->DisableAlign();
    try {
        SetParent(form);
        TDragRun::AddDockClient(form, this);
    } catch (...) {
        form->EnableAlign();
        delete form;
        throw;
    }
    form->EnableAlign();
    SetVisible(true);
    form->Show();
    return true;
}

// ---- TWinControl ---------------------------------------------------------------------------

void TWinControl::SetDockSite(bool Value) { FDockSite = Value; }

TControl* TWinControl::DockClients(int Index) const {
    if (Index < 0 || Index >= DockClientCount())
        throw EListError(Format("List index out of bounds (%d)", Index));
    return FDockClients[static_cast<std::size_t>(Index)];
}

void TWinControl::DockOver(TDragDockObject* Source, int X, int Y, TDragState State, bool& Accept) {
    FOnDockOver(this, Source, X, Y, State, Accept);
}

void TWinControl::DockDrop(TDragDockObject* Source, int X, int Y) {
    if (!Source->Control()->ManualDock(this, Source->DropOnControl(), Source->DropAlign())) return;
    FOnDockDrop(this, Source, X, Y);
}

void TWinControl::DockClientRemoved(TControl* Client) {
    FDockClients.erase(std::remove(FDockClients.begin(), FDockClients.end(), Client), FDockClients.end());
    Client->FHostDockSite = nullptr;
    // The tool window a control floated in goes with it.
    if (auto* form = dynamic_cast<TCustomDockForm*>(this);
        form && FDockClients.empty() && !ComponentState().Contains(csDestroying)) {
        form->Hide();
        form->Release();
    }
}

// ---- TCustomDockForm -----------------------------------------------------------------------

TCustomDockForm::TCustomDockForm(TComponent* AOwner) : TCustomForm(AOwner) {
    SetBorderStyle(bsSizeToolWin);
    SetBorderIcons({biSystemMenu});
}
