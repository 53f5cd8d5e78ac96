// The undo history of the plain edits, memos and combo boxes' edit parts.
#include "platform/ui/messages.h"
#include "platform/ui/stdctrls_qt.h"

namespace {

// Steps kept, and the characters of their texts together; the oldest go first.
constexpr std::size_t kMaxSteps = 100;
constexpr qsizetype kMaxChars = qsizetype{1} << 22;

bool MovesTheCaret(uint16_t Key) {
    switch (Key) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT: return true;
    default: return false;
    }
}

}  // namespace

TEditHistory::TState TEditHistory::StateOf(TEditText* A) {
    return {A->Text(), A->SelStart(), A->SelLength()};
}

void TEditHistory::Enter(TEditText* A, const TMessage& Message) {
    if (FDepth++ == 0) {
        // The text is kept up to date with every change; the caret is not.
        FBefore.SelStart = A->SelStart();
        FBefore.SelLength = A->SelLength();
    }
    switch (Message.Msg) {
    case WM_CHAR:
        if (Message.WParam >= 32 && FTypingDepth == 0) FTypingDepth = FDepth;
        break;
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
        // A character typed over a selection may clear it first: typing still.
        if (Message.Msg == WM_CLEAR && FTypingDepth > 0) break;
        if (FCommandDepth == 0) {
            FCommandDepth = FDepth;
            FCommandPushed = false;
        }
        FRunOpen = false;
        break;
    case WM_KEYDOWN:
        if (MovesTheCaret(static_cast<uint16_t>(Message.WParam))) FRunOpen = false;
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UNDO: FRunOpen = false; break;
    default: break;
    }
}

void TEditHistory::Leave() {
    if (FTypingDepth == FDepth) FTypingDepth = 0;
    if (FCommandDepth == FDepth) {
        FCommandDepth = 0;
        FRunOpen = false;
    }
    if (FDepth > 0) --FDepth;
}

void TEditHistory::Changed(TEditText* A) {
    if (FCommandDepth > 0) {
        if (!FCommandPushed) Push();
        FCommandPushed = true;
    } else if (FDepth == 0 || !FRunOpen) {
        // Typing starts a run; a change by the program is a step of its own.
        Push();
        FRunOpen = FDepth > 0;
    }
    FBefore = StateOf(A);
}

void TEditHistory::Note(TEditText* A) {
    if (FDepth > 0) return;
    FBefore.SelStart = A->SelStart();
    FBefore.SelLength = A->SelLength();
}

void TEditHistory::Reset(TEditText* A) {
    FSteps.clear();
    FChars = 0;
    Sync(A);
}

void TEditHistory::Sync(TEditText* A) {
    FBefore = StateOf(A);
    FRunOpen = false;
}

TEditHistory::TState TEditHistory::Pop() {
    TState s = std::move(FSteps.back());
    FSteps.pop_back();
    FChars -= s.Text.size();
    FRunOpen = false;
    return s;
}

void TEditHistory::Push() {
    FSteps.push_back(FBefore);
    FChars += FBefore.Text.size();
    while (FSteps.size() > 1 && (FSteps.size() > kMaxSteps || FChars > kMaxChars)) {
        FChars -= FSteps.front().Text.size();
        FSteps.erase(FSteps.begin());
    }
}

// ---- The adapter's and the edit's side ------------------------------------------------------

bool TEditAdapter::CanUndo() const { return KeepsHistory() && FEdit->FHistory->CanUndo(); }

void TEditAdapter::Undo() {
    if (KeepsHistory()) FEdit->UndoStep();
}

void TEditAdapter::ClearUndo() {
    if (KeepsHistory()) FEdit->FHistory->Reset(this);
}

void TCustomEdit::UndoStep() {
    TEditAdapter* a = FAdapter.get();
    if (!a || !FHistory->CanUndo()) return;
    const TEditHistory::TState s = FHistory->Pop();
    FSettingText = true;
    try {
        a->SetText(s.Text);
    } catch (...) {
        FSettingText = false;
        throw;
    }
    FSettingText = false;
    a->SetModified(true);
    a->SetSelection(s.SelStart, s.SelLength);
    FHistory->Sync(a);
    GuardedCall(this, [this] { Change(); });
}

void TCustomEdit::WndProc(TMessage& Message) {
    TEditAdapter* a = FAdapter.get();
    if (!a || !a->KeepsHistory()) {
        TWinControl::WndProc(Message);
        return;
    }
    const TEditHistory::TScope scope(FHistory, a, Message);
    TWinControl::WndProc(Message);
}

// ---- The keys of the clipboard and undo messages ------------------------------------------

unsigned EditCommandOfChar(WPARAM Char) {
    switch (Char) {
    case 3: return WM_COPY;
    case 22: return WM_PASTE;
    case 24: return WM_CUT;
    case 26: return WM_UNDO;
    default: return 0;
    }
}

unsigned EditCommandOfKey(const TMessage& KeyDown) {
    if (KeyDown.Msg != WM_KEYDOWN) return 0;
    const TShiftState s = KeyDataToShiftState(KeyDown.LParam);
    const bool shift = s.Contains(ssShift), ctrl = s.Contains(ssCtrl);
    if (KeyDown.WParam == VK_INSERT && shift != ctrl) return shift ? WM_PASTE : WM_COPY;
    if (KeyDown.WParam == VK_DELETE && shift && !ctrl) return WM_CUT;
    return 0;
}
