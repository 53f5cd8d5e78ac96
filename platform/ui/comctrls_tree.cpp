// The tree view and its nodes.
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>

#include "platform/core/sysutils.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/stdctrls_qt.h"

namespace {

TTreeNode* NodeOf(const QTreeWidgetItem* Item) {
    return Item ? reinterpret_cast<TTreeNode*>(Item->data(0, Qt::UserRole).value<quintptr>()) : nullptr;
}

// The tree widget with the classic dotted lines and plus/minus boxes.
// Right to left its vertical scroll bar stands at the left edge while the rows
// keep their left-to-right layout: the area's own bar stays hidden and a bar
// of the same range stands in a margin left of the rows.
class TTreeWidget : public TQtScrollHost<QTreeWidget> {
public:
    TTreeWidget(TCustomTreeView* View, QWidget* Parent)
        : TQtScrollHost<QTreeWidget>(View, Parent), FView(View) {}

    void SetLeftScrollBar(bool Value) {
        if (Value == (FLeftBar != nullptr)) return;
        QScrollBar* own = verticalScrollBar();
        if (!Value) {
            delete FLeftBar;
            FLeftBar = nullptr;
            setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            SetViewportMargins(QMargins());
            return;
        }
        FLeftBar = new QScrollBar(Qt::Vertical, this);
        FLeftBar->setFocusPolicy(Qt::NoFocus);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        QObject::connect(own, &QScrollBar::rangeChanged, FLeftBar, [this] { PlaceLeftBar(); });
        QObject::connect(own, &QScrollBar::valueChanged, FLeftBar, &QScrollBar::setValue);
        QObject::connect(FLeftBar, &QScrollBar::valueChanged, own, &QScrollBar::setValue);
        PlaceLeftBar();
    }

protected:
    void resizeEvent(QResizeEvent* Event) override {
        TQtScrollHost<QTreeWidget>::resizeEvent(Event);
        PlaceLeftBar();
    }
    void drawBranches(QPainter* Painter, const QRect& R, const QModelIndex& Index) const override {
        const int indent = indentation();
        QTreeWidgetItem* item = itemFromIndex(Index);
        if (!item || indent <= 0) return;
        const bool decorated = rootIsDecorated();
        int depth = 0;
        for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) ++depth;
        const int columns = depth + (decorated ? 1 : 0);
        if (columns == 0) return;
        const int cy = R.top() + R.height() / 2;
        QPen dotted(QColor(128, 128, 128));
        dotted.setStyle(Qt::DotLine);
        auto hasNextSibling = [this](QTreeWidgetItem* it) {
            QTreeWidgetItem* parent = it->parent();
            const int index = parent ? parent->indexOfChild(it) : indexOfTopLevelItem(it);
            const int count = parent ? parent->childCount() : topLevelItemCount();
            return index + 1 < count;
        };
        if (FView->ShowLines()) {
            Painter->setPen(dotted);
            // The item's own column.
            const int cx = R.right() + 1 - indent / 2 - 1;
            Painter->drawLine(cx, cy, R.right(), cy);
            const bool first = !item->parent() && indexOfTopLevelItem(item) == 0;
            Painter->drawLine(cx, first ? cy : R.top(), cx, hasNextSibling(item) ? R.bottom() : cy);
            // The ancestors' columns: a line where the ancestor has siblings below.
            int column = 1;
            for (QTreeWidgetItem* a = item->parent(); a && column < columns; a = a->parent(), ++column) {
                if (!hasNextSibling(a)) continue;
                const int x = R.right() + 1 - indent * column - indent / 2 - 1;
                Painter->drawLine(x, R.top(), x, R.bottom());
            }
        }
        if (FView->ShowButtons() && item->childCount() > 0) {
            const int cx = R.right() + 1 - indent / 2 - 1;
            const QRect box(cx - 4, cy - 4, 8, 8);
            Painter->setPen(QColor(128, 128, 128));
            Painter->fillRect(box, Qt::white);
            Painter->drawRect(box);
            Painter->setPen(Qt::black);
            Painter->drawLine(cx - 2, cy, cx + 2, cy);
            if (!item->isExpanded()) Painter->drawLine(cx, cy - 2, cx, cy + 2);
        }
    }

private:
    // Follows the area's own bar: its range, steps and value; shown while the
    // rows do not fit, with room kept for it left of them.
    void PlaceLeftBar() {
        if (!FLeftBar) return;
        const QScrollBar* own = verticalScrollBar();
        FLeftBar->setRange(own->minimum(), own->maximum());
        FLeftBar->setPageStep(own->pageStep());
        FLeftBar->setSingleStep(own->singleStep());
        FLeftBar->setValue(own->value());
        const bool shown = own->maximum() > own->minimum();
        const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, FLeftBar);
        SetViewportMargins(QMargins(shown ? extent : 0, 0, 0, 0));
        const QRect inside = contentsRect();
        const QScrollBar* h = horizontalScrollBar();
        const int below = h->isVisible() ? h->height() : 0;
        FLeftBar->setGeometry(inside.left(), inside.top(), extent, std::max(0, inside.height() - below));
        FLeftBar->setVisible(shown);
    }

    TCustomTreeView* FView;
    QScrollBar* FLeftBar = nullptr;  // owned by the widget
};

}  // namespace

struct TTreeViewImpl {
    TTreeWidget* Widget = nullptr;
    bool Silent = false;

    static QTreeWidgetItem* Item(TTreeNode* Node) { return static_cast<QTreeWidgetItem*>(Node->FItem); }

    // Makes the widget row of a node (and its children) at its place.
    void AddItem(TTreeNode* Node) {
        auto* item = new QTreeWidgetItem();
        item->setText(0, ToQString(Node->FText));
        item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(Node)));
        Node->FItem = item;
        const int index = Node->Index();
        if (Node->FParent && Item(Node->FParent))
            Item(Node->FParent)->insertChild(index, item);
        else
            Widget->insertTopLevelItem(index, item);
        for (TTreeNode* child : Node->FChildren) AddItem(child);
        item->setExpanded(Node->FExpanded);
    }

    static void Forget(TTreeNode* Node) {
        Node->FItem = nullptr;
        for (TTreeNode* child : Node->FChildren) Forget(child);
    }
};

// ---- TTreeNode ---------------------------------------------------------------------------------

TTreeNode::TTreeNode(TTreeNodes* AOwner) : FOwner(AOwner) {}

TTreeNode::~TTreeNode() = default;

TCustomTreeView* TTreeNode::TreeView() const { return FOwner ? FOwner->Owner() : nullptr; }

void TTreeNode::SetText(const std::string& Value) {
    FText = Value;
    if (auto* item = TTreeViewImpl::Item(this)) item->setText(0, ToQString(Value));
}

int TTreeNode::Level() const {
    int level = 0;
    for (TTreeNode* p = FParent; p; p = p->FParent) ++level;
    return level;
}

TTreeNode* TTreeNode::Item(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
    return FChildren[static_cast<std::size_t>(Index)];
}

int TTreeNode::Index() const {
    const auto& siblings = FOwner->SiblingsOf(FParent);
    return static_cast<int>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

int TTreeNode::AbsoluteIndex() const {
    int index = 0;
    for (TTreeNode* n = FOwner->GetFirstNode(); n; n = n->GetNext(), ++index)
        if (n == this) return index;
    return -1;
}

TTreeNode* TTreeNode::GetFirstChild() const { return FChildren.empty() ? nullptr : FChildren.front(); }
TTreeNode* TTreeNode::GetLastChild() const { return FChildren.empty() ? nullptr : FChildren.back(); }

TTreeNode* TTreeNode::GetNextSibling() const {
    const auto& siblings = FOwner->SiblingsOf(FParent);
    const int i = Index();
    return i + 1 < static_cast<int>(siblings.size()) ? siblings[static_cast<std::size_t>(i + 1)] : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
    const auto& siblings = FOwner->SiblingsOf(FParent);
    const int i = Index();
    return i > 0 ? siblings[static_cast<std::size_t>(i - 1)] : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
    if (!FChildren.empty()) return FChildren.front();
    for (const TTreeNode* n = this; n; n = n->FParent)
        if (TTreeNode* s = n->GetNextSibling()) return s;
    return nullptr;
}

TTreeNode* TTreeNode::GetPrev() const {
    TTreeNode* prev = GetPrevSibling();
    if (!prev) return FParent;
    while (!prev->FChildren.empty()) prev = prev->FChildren.back();
    return prev;
}

void TTreeNode::SetExpanded(bool Value) {
    if (Value == FExpanded) return;
    TCustomTreeView* view = TreeView();
    if (view && !(Value ? view->CanExpand(this) : view->CanCollapse(this))) return;
    FExpanded = Value;
    if (auto* item = TTreeViewImpl::Item(this)) {
        if (view && view->FImpl) view->FImpl->Silent = true;
        item->setExpanded(Value);
        if (view && view->FImpl) view->FImpl->Silent = false;
    }
    if (view) (Value ? view->FOnExpanded : view->FOnCollapsed)(view, this);
}

void TTreeNode::Expand(bool Recurse) {
    SetExpanded(true);
    if (Recurse)
        for (TTreeNode* c : FChildren) c->Expand(true);
}

void TTreeNode::Collapse(bool Recurse) {
    SetExpanded(false);
    if (Recurse)
        for (TTreeNode* c : FChildren) c->Collapse(true);
}

bool TTreeNode::Selected() const {
    TCustomTreeView* view = TreeView();
    return view && view->Selected() == this;
}

void TTreeNode::SetSelected(bool Value) {
    TCustomTreeView* view = TreeView();
    if (!view) return;
    if (Value)
        view->SetSelected(this);
    else if (view->Selected() == this)
        view->SetSelected(nullptr);
}

bool TTreeNode::IsVisible() const {
    for (TTreeNode* p = FParent; p; p = p->FParent)
        if (!p->FExpanded) return false;
    return true;
}

bool TTreeNode::HasAsParent(const TTreeNode* Node) const {
    for (TTreeNode* p = FParent; p; p = p->FParent)
        if (p == Node) return true;
    return false;
}

void TTreeNode::Delete() { FOwner->Delete(this); }

void TTreeNode::DeleteChildren() {
    while (!FChildren.empty()) FOwner->Delete(FChildren.back());
}

TRect TTreeNode::DisplayRect(bool TextOnly) const {
    TCustomTreeView* view = TreeView();
    auto* item = TTreeViewImpl::Item(const_cast<TTreeNode*>(this));
    if (!view || !view->FImpl || !item || !IsVisible()) return {};
    QTreeWidget* w = view->FImpl->Widget;
    QRect r = w->visualItemRect(item);
    if (!r.isValid()) return {};
    const QPoint tl = w->viewport()->mapTo(w, r.topLeft());
    const TRect nc = view->NonClientMargins();
    const int x = tl.x() - nc.Left, y = tl.y() - nc.Top;
    if (TextOnly) {
        const int tw = QFontMetrics(w->font()).horizontalAdvance(item->text(0)) + 4;
        return Bounds(x, y, tw, r.height());
    }
    const int rowLeft = w->viewport()->mapTo(w, QPoint(0, 0)).x() - nc.Left;
    return Bounds(rowLeft, y, view->ClientWidth() - rowLeft, r.height());
}

// ---- TTreeNodes ----------------------------------------------------------------------------------

TTreeNodes::TTreeNodes(TCustomTreeView* Owner) : FOwner(Owner) {}

TTreeNodes::~TTreeNodes() {
    for (TTreeNode* n : FRoots) {
        std::vector<TTreeNode*> stack{n};
        while (!stack.empty()) {
            TTreeNode* x = stack.back();
            stack.pop_back();
            for (TTreeNode* c : x->FChildren) stack.push_back(c);
            delete x;
        }
    }
}

std::vector<TTreeNode*>& TTreeNodes::SiblingsOf(TTreeNode* Parent) {
    return Parent ? Parent->FChildren : FRoots;
}

int TTreeNodes::Count() const {
    int n = 0;
    for (TTreeNode* x = GetFirstNode(); x; x = x->GetNext()) ++n;
    return n;
}

TTreeNode* TTreeNodes::Item(int Index) const {
    int i = 0;
    for (TTreeNode* x = GetFirstNode(); x; x = x->GetNext(), ++i)
        if (i == Index) return x;
    throw EListError(Format("List index out of bounds (%d)", Index));
}

TTreeNode* TTreeNodes::GetFirstNode() const { return FRoots.empty() ? nullptr : FRoots.front(); }

TTreeNode* TTreeNodes::InternalAdd(TTreeNode* Parent, int Index, const std::string& S, void* Ptr) {
    auto& siblings = SiblingsOf(Parent);
    Index = std::clamp(Index, 0, static_cast<int>(siblings.size()));
    auto* node = new TTreeNode(this);
    node->FParent = Parent;
    node->FText = S;
    node->FData = Ptr;
    siblings.insert(siblings.begin() + Index, node);
    if (FOwner && FOwner->FImpl) {
        FOwner->FImpl->Silent = true;
        FOwner->FImpl->AddItem(node);
        FOwner->FImpl->Silent = false;
    }
    return node;
}

TTreeNode* TTreeNodes::Add(TTreeNode* Sibling, const std::string& S) {
    return AddObject(Sibling, S, nullptr);
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* Sibling, const std::string& S, void* Ptr) {
    TTreeNode* parent = Sibling ? Sibling->Parent() : nullptr;
    return InternalAdd(parent, static_cast<int>(SiblingsOf(parent).size()), S, Ptr);
}

TTreeNode* TTreeNodes::AddFirst(TTreeNode* Sibling, const std::string& S) {
    return InternalAdd(Sibling ? Sibling->Parent() : nullptr, 0, S, nullptr);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* Parent, const std::string& S) {
    return AddChildObject(Parent, S, nullptr);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const std::string& S, void* Ptr) {
    return InternalAdd(Parent, static_cast<int>(SiblingsOf(Parent).size()), S, Ptr);
}

TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* Parent, const std::string& S) {
    return InternalAdd(Parent, 0, S, nullptr);
}

TTreeNode* TTreeNodes::Insert(TTreeNode* Sibling, const std::string& S) {
    if (!Sibling) return Add(nullptr, S);
    return InternalAdd(Sibling->Parent(), Sibling->Index(), S, nullptr);
}

void TTreeNodes::Delete(TTreeNode* Node) {
    if (!Node || Node->FOwner != this) return;
    while (!Node->FChildren.empty()) Delete(Node->FChildren.back());
    TCustomTreeView* view = FOwner;
    if (view) {
        if (view->FSelected == Node) view->FSelected = nullptr;
        view->Delete(Node);
    }
    auto& siblings = SiblingsOf(Node->FParent);
    siblings.erase(std::find(siblings.begin(), siblings.end(), Node));
    if (auto* item = TTreeViewImpl::Item(Node)) {
        if (view && view->FImpl) view->FImpl->Silent = true;
        delete item;
        if (view && view->FImpl) view->FImpl->Silent = false;
    }
    delete Node;
}

void TTreeNodes::Clear() {
    while (!FRoots.empty()) Delete(FRoots.back());
}

void TTreeNodes::BeginUpdate() {
    if (FUpdateCount++ == 0 && FOwner && FOwner->FImpl) FOwner->FImpl->Widget->setUpdatesEnabled(false);
}

void TTreeNodes::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FOwner && FOwner->FImpl)
        FOwner->FImpl->Widget->setUpdatesEnabled(true);
}

// ---- TCustomTreeView ----------------------------------------------------------------------------

TCustomTreeView::TCustomTreeView(TComponent* AOwner)
    : TWinControl(AOwner), FNodes(std::make_unique<TTreeNodes>(this)) {
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks});
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetColor(clWindow);
}

TCustomTreeView::~TCustomTreeView() {
    Destroying();
    FNodes->Clear();
    DestroyHandle();
}

void TCustomTreeView::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    if (FBorderStyle == bsSingle) {
        if (Ctl3D())
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
}

void TCustomTreeView::CreateWindowHandle(const TCreateParams& Params) {
    QWidget* parent = ParentWidgetFor(Params);
    auto* w = new TTreeWidget(this, parent);
    if (!parent) {
        Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint;
        if (Params.ExStyle & WS_EX_TOPMOST) flags |= Qt::WindowStaysOnTopHint;
        w->setWindowFlags(flags);
        w->setAttribute(Qt::WA_ShowWithoutActivating);
    }
    ApplyFrame(w, Params);
    w->setHeaderHidden(true);
    w->setColumnCount(1);
    w->setRootIsDecorated(FShowRoot);
    w->setIndentation(FIndent);
    w->setItemsExpandable(FShowButtons);
    w->setExpandsOnDoubleClick(true);
    w->setContextMenuPolicy(Qt::NoContextMenu);
    w->setStyleSheet("QTreeView::branch { image: none; border-image: none; }");
    FImpl = std::make_unique<TTreeViewImpl>();
    FImpl->Widget = w;
    FImpl->Silent = true;
    for (TTreeNode* root : FNodes->FRoots) FImpl->AddItem(root);
    if (FSelected)
        if (auto* item = TTreeViewImpl::Item(FSelected)) w->setCurrentItem(item);
    FImpl->Silent = false;
    QObject::connect(w, &QTreeWidget::currentItemChanged,
                     [this](QTreeWidgetItem* Current, QTreeWidgetItem* Previous) {
                         if (!FImpl || FImpl->Silent) return;
                         TTreeNode* node = NodeOf(Current);
                         if (node == FSelected) return;
                         GuardedCall(this, [this, node, Previous] {
                             if (!CanChange(node)) {
                                 FImpl->Silent = true;
                                 FImpl->Widget->setCurrentItem(Previous);
                                 FImpl->Silent = false;
                                 return;
                             }
                             FSelected = node;
                             Change(node);
                         });
                     });
    auto expansion = [this](QTreeWidgetItem* Item, bool Expanded) {
        if (!FImpl || FImpl->Silent) return;
        TTreeNode* node = NodeOf(Item);
        if (!node || node->FExpanded == Expanded) return;
        GuardedCall(this, [this, node, Item, Expanded] {
            if (!(Expanded ? CanExpand(node) : CanCollapse(node))) {
                FImpl->Silent = true;
                Item->setExpanded(!Expanded);
                FImpl->Silent = false;
                return;
            }
            node->FExpanded = Expanded;
            (Expanded ? FOnExpanded : FOnCollapsed)(this, node);
        });
    };
    QObject::connect(w, &QTreeWidget::itemExpanded, [expansion](QTreeWidgetItem* i) { expansion(i, true); });
    QObject::connect(w, &QTreeWidget::itemCollapsed,
                     [expansion](QTreeWidgetItem* i) { expansion(i, false); });
    AttachWidget(w, false);
    w->SetLeftScrollBar(UseRightToLeftScrollBar());
}

void TCustomTreeView::BiDiModeChanged() {
    if (FImpl) FImpl->Widget->SetLeftScrollBar(UseRightToLeftScrollBar());
    TWinControl::BiDiModeChanged();
}

void TCustomTreeView::DestroyWnd() {
    for (TTreeNode* root : FNodes->FRoots) TTreeViewImpl::Forget(root);
    FImpl.reset();
    TWinControl::DestroyWnd();
}

void TCustomTreeView::SetSelected(TTreeNode* Node) {
    if (Node == FSelected) return;
    FSelected = Node;
    if (FImpl) {
        FImpl->Silent = true;
        FImpl->Widget->setCurrentItem(Node ? TTreeViewImpl::Item(Node) : nullptr);
        FImpl->Silent = false;
    }
    Change(Node);
}

TTreeNode* TCustomTreeView::TopItem() const {
    if (!FImpl) return FNodes->GetFirstNode();
    return NodeOf(FImpl->Widget->itemAt(QPoint(1, 1)));
}

void TCustomTreeView::SetShowLines(bool Value) {
    FShowLines = Value;
    if (FImpl) FImpl->Widget->viewport()->update();
}

void TCustomTreeView::SetShowButtons(bool Value) {
    FShowButtons = Value;
    if (FImpl) FImpl->Widget->setItemsExpandable(Value);
}

void TCustomTreeView::SetShowRoot(bool Value) {
    FShowRoot = Value;
    if (FImpl) FImpl->Widget->setRootIsDecorated(Value);
}

void TCustomTreeView::SetHideSelection(bool Value) { FHideSelection = Value; }

void TCustomTreeView::SetIndent(int Value) {
    FIndent = std::max(0, Value);
    if (FImpl) FImpl->Widget->setIndentation(FIndent);
}

void TCustomTreeView::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TCustomTreeView::FullExpand() {
    for (TTreeNode* n = FNodes->GetFirstNode(); n; n = n->GetNext())
        if (n->HasChildren()) n->SetExpanded(true);
}

void TCustomTreeView::FullCollapse() {
    for (TTreeNode* n = FNodes->GetFirstNode(); n; n = n->GetNext())
        if (n->HasChildren()) n->SetExpanded(false);
}

TTreeNode* TCustomTreeView::GetNodeAt(int X, int Y) const {
    const THitTests hit = GetHitTestInfoAt(X, Y);
    if (!hit.Contains(htOnItem) && !hit.Contains(htOnButton) && !hit.Contains(htOnIndent) &&
        !hit.Contains(htOnRight))
        return nullptr;
    QTreeWidget* w = FImpl->Widget;
    const TRect nc = NonClientMargins();
    return NodeOf(w->itemAt(w->viewport()->mapFrom(w, QPoint(X + nc.Left, Y + nc.Top))));
}

THitTests TCustomTreeView::GetHitTestInfoAt(int X, int Y) const {
    THitTests result;
    if (X < 0)
        result += htToLeft;
    else if (X >= ClientWidth())
        result += htToRight;
    if (Y < 0)
        result += htAbove;
    else if (Y >= ClientHeight())
        result += htBelow;
    if (!result.Empty()) return result;
    if (!FImpl) return {htNowhere};
    QTreeWidget* w = FImpl->Widget;
    const TRect nc = NonClientMargins();
    const QPoint vp = w->viewport()->mapFrom(w, QPoint(X + nc.Left, Y + nc.Top));
    QTreeWidgetItem* item = w->itemAt(vp);
    if (!item) return {htNowhere};
    const QRect r = w->visualItemRect(item);
    if (vp.x() < r.left()) {
        if (vp.x() >= r.left() - w->indentation() && item->childCount() > 0 && FShowButtons)
            return {htOnButton};
        return {htOnIndent};
    }
    const int tw = QFontMetrics(w->font()).horizontalAdvance(item->text(0)) + 4;
    if (vp.x() < r.left() + tw) return {htOnItem, htOnLabel};
    return {htOnRight};
}

bool TCustomTreeView::CanChange(TTreeNode* Node) {
    bool allow = true;
    FOnChanging(this, Node, allow);
    return allow;
}

void TCustomTreeView::Change(TTreeNode* Node) { FOnChange(this, Node); }

bool TCustomTreeView::CanExpand(TTreeNode* Node) {
    bool allow = true;
    FOnExpanding(this, Node, allow);
    return allow;
}

bool TCustomTreeView::CanCollapse(TTreeNode* Node) {
    bool allow = true;
    FOnCollapsing(this, Node, allow);
    return allow;
}

void TCustomTreeView::Delete(TTreeNode* Node) { FOnDeletion(this, Node); }

void TCustomTreeView::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; }

void TCustomTreeView::FontChanged(TObject* Sender) { TWinControl::FontChanged(Sender); }

void TCustomTreeView::Publish(TPublisher<TCustomTreeView>& p) {
    p.Property("ShowLines", &TCustomTreeView::ShowLines, &TCustomTreeView::SetShowLines);
    p.Property("ShowButtons", &TCustomTreeView::ShowButtons, &TCustomTreeView::SetShowButtons);
    p.Property("ShowRoot", &TCustomTreeView::ShowRoot, &TCustomTreeView::SetShowRoot);
    p.Property("ReadOnly", &TCustomTreeView::ReadOnly, &TCustomTreeView::SetReadOnly);
    p.Property("HideSelection", &TCustomTreeView::HideSelection, &TCustomTreeView::SetHideSelection);
    p.Property("Indent", &TCustomTreeView::Indent, &TCustomTreeView::SetIndent);
    p.Property("BorderStyle", &TCustomTreeView::BorderStyle, &TCustomTreeView::SetBorderStyle);
    p.Property("OnChange", &TCustomTreeView::OnChange, &TCustomTreeView::SetOnChange);
    p.Property("OnChanging", &TCustomTreeView::OnChanging, &TCustomTreeView::SetOnChanging);
    p.Property("OnExpanding", &TCustomTreeView::OnExpanding, &TCustomTreeView::SetOnExpanding);
    p.Property("OnCollapsing", &TCustomTreeView::OnCollapsing, &TCustomTreeView::SetOnCollapsing);
    p.Property("OnDeletion", &TCustomTreeView::OnDeletion, &TCustomTreeView::SetOnDeletion);
}
