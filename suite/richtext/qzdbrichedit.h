// The data-aware rich edit: shows and edits one field of a dataset, rich
// text (RTF) in a BLOB field or plain text in a string field. The BLOB is
// loaded when shown (AutoDisplay) and written back when the record is
// posted; the first change by the user puts the dataset into edit mode. It
// can paint itself as a cell image for the suite's grid.
//
// A BLOB is loaded for painting under the hourglass cursor.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "suite/richtext/qzriched.h"

class TDataSource;
class TControlFieldLink;
class TCanvas;

class TqzDBRichEdit : public TqzCustomRichEdit {
    TASKMOOR_CLASS(TqzDBRichEdit, TqzCustomRichEdit)
public:
    explicit TqzDBRichEdit(TComponent* AOwner);
    ~TqzDBRichEdit() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    std::string DataField() const;
    void SetDataField(const std::string& Value);
    TField* Field() const;
    // The control's own read-only choice (the link's flag follows it).
    bool ReadOnly() const;
    void SetReadOnly(bool Value);
    bool AutoDisplay() const { return FAutoDisplay; }
    void SetAutoDisplay(bool Value);
    bool MemoLoaded() const { return FMemoLoaded; }

    // ---- Entry points of the grid and the record view
    // Loads the field's whole content (RTF unless PlainText).
    void LoadFromBlobField(TField* Field);
    // Loads only the first chunks of the field (the grid passes 2).
    void LoadBlobPreview(TField* Field, int ChunkLimit);
    // Paints the field's content into Rect of Canvas as a cell image,
    // through a hidden copy of the control; the field loads under the busy
    // cursor, which comes back also when the load fails.
    void PaintGridCopy(TCanvas* Canvas, const TRect& Rect);

    // ---- Hooks
    bool IsReadOnly() override;
    void BeginFieldEdit() override;
    void UpdateData() override;
    bool IsMemoLoaded() override { return FMemoLoaded; }
    TField* GetField() override { return Field(); }
    void LoadMemo() override;
    // A move to another parent loads the field again (what was typed is
    // written into the field first).
    void SetParent(TWinControl* AParent) override;

    static void Publish(TPublisher<TqzDBRichEdit>& p);

    // Puts the record into edit first, as typing does.
    bool ReplaceSelText(const std::string& S) override;

protected:
    bool IsPaintCopy() override { return FPaintingCopy; }
    void Change() override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void DoEnter() override;
    void DoExit() override;
    void DblClick() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // A BLOB not loaded yet (AutoDisplay) is loaded under the busy cursor
    // before the control paints.
    void Dispatch(TMessage& Message) override;
    // In a focused TqzDBGrid (the current cell's control while the grid has
    // the focus): a highlight border with a focus rectangle on it.
    void PaintOverWidget(TCanvas* Canvas) override;
    // A window made again after its content was kept shows the field again
    // (unless the user's changes are not in the field yet).
    void CreateWindowHandle(const TCreateParams& Params) override;
    void DestroyWnd() override;

private:
    void DataChange(TObject* Sender);
    void EditingChange(TObject* Sender);
    void LinkUpdateData(TObject* Sender);
    void SetShownText(const std::string& Text);

    std::unique_ptr<TControlFieldLink> FDataLink;
    bool FAutoDisplay = true;
    bool FMemoLoaded = false;
    bool FFocused = false;
    bool FHasDataField = false;
    bool FPaintingCopy = false;
    bool FEditStarting = false;
    bool FReparenting = false;
    bool FContentKept = false;  // the window went with its content kept for the next one
    std::string FEditStartText;
    // What UpdateData last stored, kept while the document has not changed since.
    std::optional<std::string> FStoredText;
    TqzDBRichEdit* FPaintCopy = nullptr;  // owned through the component tree
};
