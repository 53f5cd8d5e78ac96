// The common controls: the page control with its tab sheets, the tool bar
// with its buttons, the status bar and the tree view.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/collection.h"
#include "platform/db/dbtypes.h"  // TAlignment
#include "platform/ui/controls.h"
#include "platform/ui/imagelist.h"

class TPageControl;
class TPopupMenu;

// ---- Page control ---------------------------------------------------------------------------
// A tab's face in R filled with Face and its raised edges, for a tab row above
// the display area (Top) or below it. InnerShadow adds the shadow line inside
// a top tab's right edge (a bottom tab always has its inner shadow).
void DrawTabFace(TCanvas* Canvas, const TRect& R, TColor Face, bool Top, bool InnerShadow);

// A page of a page control; its tab shows its caption.
class TTabSheet : public TCustomControl {
    TASKMOOR_CLASS(TTabSheet, TCustomControl)
public:
    explicit TTabSheet(TComponent* AOwner);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return FPageControl; }
    // Moves the sheet to a page control (its parent too); nullptr takes it out.
    void SetPageControl(TPageControl* Value);
    // Place among the page control's pages.
    int PageIndex() const;
    void SetPageIndex(int Value);
    // Place among the visible tabs; -1 when the tab is hidden.
    int TabIndex() const;
    bool TabVisible() const { return FTabVisible; }
    void SetTabVisible(bool Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value) { FImageIndex = Value; }

    TNotifyEvent OnShow() const { return FOnShow; }
    void SetOnShow(TNotifyEvent Value) { FOnShow = Value; }
    TNotifyEvent OnHide() const { return FOnHide; }
    void SetOnHide(TNotifyEvent Value) { FOnHide = Value; }

    void SetParent(TWinControl* AParent) override;
    static void Publish(TPublisher<TTabSheet>& p);

protected:
    void Paint() override;
    void CMTextChanged(TMessage& Message) override;
    void VisibleChanged() override;

private:
    friend class TPageControl;
    TPageControl* FPageControl = nullptr;
    bool FTabVisible = true;
    int FImageIndex = -1;
    TNotifyEvent FOnShow, FOnHide;
};

// (Sender, var AllowChange)
using TTabChangingEvent = TEvent<TObject*, bool&>;

// Tabs across the top; the active page fills the rest. The user changes
// pages with a click on a tab, Ctrl+Tab and Ctrl+Shift+Tab (anywhere in
// the form), or the arrow keys while the control has the focus: OnChanging
// may refuse, then the page changes and OnChange fires. A page change moves
// a focus that lay in the old page to the page control first (so the old
// page and its controls get their OnExit before the change is handled).
// Setting ActivePage or ActivePageIndex from code fires neither event.
class TPageControl : public TCustomControl {
    TASKMOOR_CLASS(TPageControl, TCustomControl)
public:
    explicit TPageControl(TComponent* AOwner);
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(FPages.size()); }
    // Raises EListError "List index out of bounds (%d)".
    TTabSheet* Pages(int Index) const;
    TTabSheet* ActivePage() const { return FActivePage; }
    // Raises EInvalidOperation "Tab sheet %s is not in this page control"
    // for a sheet of another page control.
    void SetActivePage(TTabSheet* Page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int Value);
    // The active page's place among the visible tabs.
    int TabIndex() const;
    void SetTabIndex(int Value);
    // The next (or previous) page after Current, wrapping; nullptr when none.
    TTabSheet* FindNextPage(TTabSheet* Current, bool GoForward, bool CheckTabVisible) const;
    // Changes pages as the user would (OnChanging, OnChange).
    void SelectNextPage(bool GoForward);
    // Tab height and fixed width (0: as the caption needs).
    int TabHeight() const { return FTabHeight; }
    void SetTabHeight(int Value);
    int TabWidth() const { return FTabWidth; }
    void SetTabWidth(int Value);
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* Value);
    // The rectangle of visible tab Index, client coordinates.
    TRect TabRect(int Index) const;
    // The visible tab at a client point, -1 for none.
    int IndexOfTabAt(int X, int Y) const;
    // Where the pages go.
    TRect DisplayRect() const;

    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent Value) { FOnChange = Value; }
    TTabChangingEvent OnChanging() const { return FOnChanging; }
    void SetOnChanging(TTabChangingEvent Value) { FOnChanging = Value; }

    static void Publish(TPublisher<TPageControl>& p);

protected:
    // OnChanging; true when the page may change.
    virtual bool CanChange();
    // OnChange.
    virtual void Change();
    void Paint() override;
    void AdjustClientRect(TRect& Rect) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void CMDialogKey(TMessage& Message) override;
    void CMDialogChar(TMessage& Message) override;
    void WMGetDlgCode(TMessage& Message) override;
    void DoEnter() override;
    void DoExit() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* Page);
    void RemovePage(TTabSheet* Page);
    void MovePage(TTabSheet* Page, int NewIndex);
    // Changes the page as the user does.
    void UserSelect(TTabSheet* Page);
    // Shows Page and hides the old one, moving the focus out of the old one.
    void ChangeActivePage(TTabSheet* Page);
    std::vector<TTabSheet*> VisibleTabs() const;
    int TabTextWidth(TTabSheet* Page) const;

    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
    int FTabHeight = 0;
    int FTabWidth = 0;
    TImageList* FImages = nullptr;
    TNotifyEvent FOnChange;
    TTabChangingEvent FOnChanging;
};

// ---- Tool bar -------------------------------------------------------------------------------
TASKMOOR_ENUM(TToolButtonStyle, tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider)
TASKMOOR_ENUM(TEdgeBorder, ebLeft, ebTop, ebRight, ebBottom)
using TEdgeBorders = TSet<TEdgeBorder>;

class TToolBar;

// A button of a tool bar. tbsCheck buttons stay down after a click; Grouped
// check buttons next to each other act as one group (one down at a time).
// A separator or divider is a gap (a divider with a line).
class TToolButton : public TGraphicControl {
    TASKMOOR_CLASS(TToolButton, TGraphicControl)
public:
    explicit TToolButton(TComponent* AOwner);
    ~TToolButton() override;

    TToolButtonStyle Style() const { return FStyle; }
    void SetStyle(TToolButtonStyle Value);
    bool Down() const { return FDown; }
    void SetDown(bool Value);
    bool Grouped() const { return FGrouped; }
    void SetGrouped(bool Value) { FGrouped = Value; }
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value) { FAllowAllUp = Value; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    // Starts a new row when the tool bar wraps.
    bool Wrap() const { return FWrap; }
    void SetWrap(bool Value);
    TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
    void SetDropdownMenu(TPopupMenu* Value);
    // Place among the tool bar's buttons.
    int Index() const;
    TToolBar* ToolBar() const;

    void Click() override;
    void SetParent(TWinControl* AParent) override;
    void Dispatch(TMessage& Message) override;
    static void Publish(TPublisher<TToolButton>& p);

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void LayoutChanged();
    TToolButtonStyle FStyle = tbsButton;
    bool FDown = false;
    bool FGrouped = false;
    bool FAllowAllUp = false;
    int FImageIndex = -1;
    bool FWrap = false;
    TPopupMenu* FDropdownMenu = nullptr;
    bool FPressed = false;
    bool FMouseIn = false;
};

// Lays its controls out in a row from the left, in the order of their Left
// positions (wrapping to new rows when Wrapable and the row is full). Tool
// buttons get ButtonWidth x ButtonHeight (separators keep their width);
// other controls keep their size.
class TToolBar : public TCustomControl {
    TASKMOOR_CLASS(TToolBar, TCustomControl)
public:
    explicit TToolBar(TComponent* AOwner);
    ~TToolBar() override;

    int ButtonCount() const;
    TToolButton* Buttons(int Index) const;
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int Value);
    int ButtonHeight() const { return FButtonHeight; }
    void SetButtonHeight(int Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    bool ShowCaptions() const { return FShowCaptions; }
    void SetShowCaptions(bool Value);
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* Value);
    int Indent() const { return FIndent; }
    void SetIndent(int Value);
    bool Wrapable() const { return FWrapable; }
    void SetWrapable(bool Value);
    TEdgeBorders EdgeBorders() const { return FEdgeBorders; }
    void SetEdgeBorders(TEdgeBorders Value);

    static void Publish(TPublisher<TToolBar>& p);

protected:
    void Paint() override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void AdjustClientRect(TRect& Rect) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TToolButton;
    int FButtonWidth = 23;
    int FButtonHeight = 22;
    bool FFlat = false;
    bool FShowCaptions = false;
    TImageList* FImages = nullptr;
    int FIndent = 0;
    bool FWrapable = true;
    TEdgeBorders FEdgeBorders{ebTop};
    bool FAligning = false;
};

// ---- Status bar -----------------------------------------------------------------------------
TASKMOOR_ENUM(TStatusPanelBevel, pbNone, pbLowered, pbRaised)

class TStatusPanel : public TCollectionItem {
    TASKMOOR_CLASS(TStatusPanel, TCollectionItem)
public:
    explicit TStatusPanel(TCollection* Collection);

    std::string Text() const { return FText; }
    void SetText(const std::string& Value);
    int Width() const { return FWidth; }
    void SetWidth(int Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TStatusPanelBevel Bevel() const { return FBevel; }
    void SetBevel(TStatusPanelBevel Value);
    void Assign(TPersistent* Source) override;

    static void Publish(TPublisher<TStatusPanel>& p);

protected:
    std::string GetDisplayName() const override;

private:
    std::string FText;
    int FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
    TStatusPanelBevel FBevel = pbLowered;
};

class TStatusBar;

class TStatusPanels : public TOwnedCollection {
    TASKMOOR_CLASS(TStatusPanels, TOwnedCollection)
public:
    explicit TStatusPanels(TStatusBar* StatusBar);
    TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
    TStatusPanel* Items(int Index) const { return static_cast<TStatusPanel*>(TCollection::Items(Index)); }

protected:
    void Update(TCollectionItem* Item) override;

private:
    TStatusBar* FStatusBar;
};

// A bar along the bottom of its parent. With SimplePanel it shows one text
// (SimpleText) across its width, else its Panels side by side (the last one
// takes the rest of the width).
class TStatusBar : public TCustomControl {
    TASKMOOR_CLASS(TStatusBar, TCustomControl)
public:
    explicit TStatusBar(TComponent* AOwner);
    ~TStatusBar() override;

    TStatusPanels* Panels() const { return FPanels.get(); }
    bool SimplePanel() const { return FSimplePanel; }
    void SetSimplePanel(bool Value);
    std::string SimpleText() const { return FSimpleText; }
    void SetSimpleText(const std::string& Value);
    bool SizeGrip() const { return FSizeGrip; }
    void SetSizeGrip(bool Value);
    // The rectangle of panel Index (client coordinates).
    TRect PanelRect(int Index) const;

    static void Publish(TPublisher<TStatusBar>& p);

protected:
    void Paint() override;

private:
    std::unique_ptr<TStatusPanels> FPanels;
    bool FSimplePanel = false;
    std::string FSimpleText;
    bool FSizeGrip = true;
};

// ---- Tree view --------------------------------------------------------------------------------
class TTreeNodes;
class TCustomTreeView;
struct TTreeViewImpl;

// A node: text, an opaque Data pointer (the program's; OnDeletion is where
// it frees what Data points to) and child nodes.
class TTreeNode : public TPersistent {
    TASKMOOR_CLASS(TTreeNode, TPersistent)
public:
    explicit TTreeNode(TTreeNodes* AOwner);
    ~TTreeNode() override;

    std::string Text() const { return FText; }
    void SetText(const std::string& Value);
    void* Data() const { return FData; }
    void SetData(void* Value) { FData = Value; }
    TTreeNode* Parent() const { return FParent; }
    // 0 for a root node.
    int Level() const;
    int Count() const { return static_cast<int>(FChildren.size()); }
    // Raises EListError "List index out of bounds (%d)".
    TTreeNode* Item(int Index) const;
    bool HasChildren() const { return !FChildren.empty(); }
    // Place among its siblings.
    int Index() const;
    // Place in the whole tree, in item order (parents before their children).
    int AbsoluteIndex() const;
    TTreeNode* GetFirstChild() const;
    TTreeNode* GetLastChild() const;
    TTreeNode* GetNextSibling() const;
    TTreeNode* GetPrevSibling() const;
    // The next node in item order; nullptr after the last.
    TTreeNode* GetNext() const;
    TTreeNode* GetPrev() const;
    bool Expanded() const { return FExpanded; }
    void SetExpanded(bool Value);
    void Expand(bool Recurse);
    void Collapse(bool Recurse);
    bool Selected() const;
    void SetSelected(bool Value);
    bool IsVisible() const;
    // True when Node is this node's parent, grandparent, ...
    bool HasAsParent(const TTreeNode* Node) const;
    // Frees the node and its children.
    void Delete();
    void DeleteChildren();
    // The node's row on the tree view (client coordinates); TextOnly: only
    // the text part. Empty when not shown.
    TRect DisplayRect(bool TextOnly) const;
    TTreeNodes* Owner() const { return FOwner; }
    TCustomTreeView* TreeView() const;

private:
    friend class TTreeNodes;
    friend class TCustomTreeView;
    friend struct TTreeViewImpl;
    TTreeNodes* FOwner;
    TTreeNode* FParent = nullptr;
    std::vector<TTreeNode*> FChildren;
    std::string FText;
    void* FData = nullptr;
    bool FExpanded = false;
    void* FItem = nullptr;  // the widget's row while there is a window
};

TASKMOOR_ENUM(TNodeAttachMode, naAdd, naAddFirst, naAddChild, naAddChildFirst, naInsert)

class TTreeNodes : public TPersistent {
    TASKMOOR_CLASS(TTreeNodes, TPersistent)
public:
    explicit TTreeNodes(TCustomTreeView* Owner);
    ~TTreeNodes() override;

    // All nodes, in item order.
    int Count() const;
    // The node at place Index in item order.
    TTreeNode* Item(int Index) const;
    TTreeNode* GetFirstNode() const;
    // Adds a sibling of Sibling at the end of its level (a root node when
    // Sibling is nullptr).
    TTreeNode* Add(TTreeNode* Sibling, const std::string& S);
    TTreeNode* AddObject(TTreeNode* Sibling, const std::string& S, void* Ptr);
    TTreeNode* AddFirst(TTreeNode* Sibling, const std::string& S);
    TTreeNode* AddChild(TTreeNode* Parent, const std::string& S);
    TTreeNode* AddChildObject(TTreeNode* Parent, const std::string& S, void* Ptr);
    TTreeNode* AddChildFirst(TTreeNode* Parent, const std::string& S);
    // Before Sibling.
    TTreeNode* Insert(TTreeNode* Sibling, const std::string& S);
    void Delete(TTreeNode* Node);
    void Clear();
    void BeginUpdate();
    void EndUpdate();
    TCustomTreeView* Owner() const { return FOwner; }

private:
    friend class TTreeNode;
    friend class TCustomTreeView;
    friend struct TTreeViewImpl;
    TTreeNode* InternalAdd(TTreeNode* Parent, int Index, const std::string& S, void* Ptr);
    std::vector<TTreeNode*>& SiblingsOf(TTreeNode* Parent);
    TCustomTreeView* FOwner;
    std::vector<TTreeNode*> FRoots;
    int FUpdateCount = 0;
};

TASKMOOR_ENUM(THitTest, htAbove, htBelow, htNowhere, htOnItem, htOnButton, htOnIcon, htOnIndent, htOnLabel,
              htOnRight, htOnStateIcon, htToLeft, htToRight)
using THitTests = TSet<THitTest>;

using TTVChangedEvent = TEvent<TObject*, TTreeNode*>;
using TTVChangingEvent = TEvent<TObject*, TTreeNode*, bool&>;
using TTVExpandingEvent = TEvent<TObject*, TTreeNode*, bool&>;
using TTVExpandedEvent = TEvent<TObject*, TTreeNode*>;

// A tree of nodes with lines and expand buttons. OnChange fires after the
// selection moves (by the user or by code); OnChanging may refuse a move by
// the user. OnDeletion fires for every node freed.
class TCustomTreeView : public TWinControl {
    TASKMOOR_CLASS(TCustomTreeView, TWinControl)
public:
    explicit TCustomTreeView(TComponent* AOwner);
    ~TCustomTreeView() override;

    TTreeNodes* Items() const { return FNodes.get(); }
    TTreeNode* Selected() const { return FSelected; }
    void SetSelected(TTreeNode* Node);
    TTreeNode* TopItem() const;
    bool ShowLines() const { return FShowLines; }
    void SetShowLines(bool Value);
    bool ShowButtons() const { return FShowButtons; }
    void SetShowButtons(bool Value);
    bool ShowRoot() const { return FShowRoot; }
    void SetShowRoot(bool Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool Value);
    int Indent() const { return FIndent; }
    void SetIndent(int Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    void FullExpand();
    void FullCollapse();
    // The node at a client point (nullptr for none) and what lies there.
    TTreeNode* GetNodeAt(int X, int Y) const;
    THitTests GetHitTestInfoAt(int X, int Y) const;

    TTVChangedEvent OnChange() const { return FOnChange; }
    void SetOnChange(TTVChangedEvent Value) { FOnChange = Value; }
    TTVChangingEvent OnChanging() const { return FOnChanging; }
    void SetOnChanging(TTVChangingEvent Value) { FOnChanging = Value; }
    TTVExpandingEvent OnExpanding() const { return FOnExpanding; }
    void SetOnExpanding(TTVExpandingEvent Value) { FOnExpanding = Value; }
    TTVExpandingEvent OnCollapsing() const { return FOnCollapsing; }
    void SetOnCollapsing(TTVExpandingEvent Value) { FOnCollapsing = Value; }
    TTVExpandedEvent OnExpanded() const { return FOnExpanded; }
    void SetOnExpanded(TTVExpandedEvent Value) { FOnExpanded = Value; }
    TTVExpandedEvent OnCollapsed() const { return FOnCollapsed; }
    void SetOnCollapsed(TTVExpandedEvent Value) { FOnCollapsed = Value; }
    TTVExpandedEvent OnDeletion() const { return FOnDeletion; }
    void SetOnDeletion(TTVExpandedEvent Value) { FOnDeletion = Value; }

    static void Publish(TPublisher<TCustomTreeView>& p);

protected:
    virtual bool CanChange(TTreeNode* Node);
    virtual void Change(TTreeNode* Node);
    virtual bool CanExpand(TTreeNode* Node);
    virtual bool CanCollapse(TTreeNode* Node);
    virtual void Delete(TTreeNode* Node);
    void CreateParams(TCreateParams& Params) override;
    void CreateWindowHandle(const TCreateParams& Params) override;
    void DestroyWnd() override;
    void WMGetDlgCode(TMessage& Message) override;
    void FontChanged(TObject* Sender) override;
    // Right to left the vertical scroll bar stands at the left of the rows.
    void BiDiModeChanged() override;

private:
    friend class TTreeNode;
    friend class TTreeNodes;
    friend struct TTreeViewImpl;
    std::unique_ptr<TTreeNodes> FNodes;
    std::unique_ptr<TTreeViewImpl> FImpl;
    TTreeNode* FSelected = nullptr;
    bool FShowLines = true;
    bool FShowButtons = true;
    bool FShowRoot = true;
    bool FReadOnly = false;
    bool FHideSelection = true;
    int FIndent = 19;
    TBorderStyle FBorderStyle = bsSingle;
    TTVChangedEvent FOnChange;
    TTVChangingEvent FOnChanging;
    TTVExpandingEvent FOnExpanding, FOnCollapsing;
    TTVExpandedEvent FOnExpanded, FOnCollapsed, FOnDeletion;
};

class TTreeView : public TCustomTreeView {
    TASKMOOR_CLASS(TTreeView, TCustomTreeView)
public:
    using TCustomTreeView::TCustomTreeView;
};
