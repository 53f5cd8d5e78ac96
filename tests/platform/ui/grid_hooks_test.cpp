// Row access to a bitmap's 24-bit pixels, and the column hooks of the
// generic grid (only for grids that ask for them, around real key moves).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/forms.h"
#include "platform/ui/grids.h"
#include "platform/ui/testing.h"

namespace {

TEST(BitmapRows, ReadAndWriteBlueGreenRed) {
    InitializeApplication(0, nullptr);
    TBitmap b;
    b.SetSize(3, 2);
    b.Canvas()->SetPixels(1, 1, RGB(10, 20, 30));
    std::vector<uint8_t> row(9, 0);
    b.ReadRow24(1, row.data());
    EXPECT_EQ(row[3], 30);  // blue first
    EXPECT_EQ(row[4], 20);
    EXPECT_EQ(row[5], 10);
    EXPECT_EQ(row[0], 255);
    const uint8_t pixels[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    b.WriteRow24(0, pixels);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), RGB(3, 2, 1));
    EXPECT_EQ(b.Canvas()->Pixels(2, 0), RGB(9, 8, 7));
    // Rows outside the image are left alone.
    std::vector<uint8_t> untouched(9, 42);
    b.ReadRow24(2, untouched.data());
    b.ReadRow24(-1, untouched.data());
    EXPECT_EQ(untouched[0], 42);
    b.WriteRow24(5, pixels);
    TBitmap empty;
    empty.ReadRow24(0, untouched.data());
    EXPECT_EQ(untouched[0], 42);
}

class THookGrid : public TCustomGrid {
public:
    THookGrid(TComponent* AOwner, bool Notices) : TCustomGrid(AOwner) { FColumnMoveNotices = Notices; }
    std::vector<std::string> Calls;

protected:
    void DrawCell(int, int, const TRect&, TGridDrawState) override {}
    void ColExit() override { Calls.push_back("exit " + std::to_string(Col())); }
    void ColEnter() override { Calls.push_back("enter " + std::to_string(Col())); }
};

TEST(GridHooks, ColumnExitAndEnterAroundMoves) {
    InitializeApplication(0, nullptr);
    TForm* form = CreateForm<TForm>(Application);
    form->SetBounds(30, 30, 400, 300);
    auto* grid = new THookGrid(form, true);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 380, 260);
    auto* quiet = new THookGrid(form, false);
    quiet->SetParent(form);
    quiet->SetBounds(0, 0, 10, 10);
    form->Show();
    ActivateForm(form);
    grid->SetFocus();
    ProcessEvents();
    SendKey(grid, VK_RIGHT);
    SendKey(grid, VK_DOWN);  // the same column: no calls
    ASSERT_EQ(grid->Calls.size(), 2u);
    EXPECT_EQ(grid->Calls[0], "exit 1");
    EXPECT_EQ(grid->Calls[1], "enter 2");
    quiet->SetCol(3);
    EXPECT_TRUE(quiet->Calls.empty());
    delete form;
}

}  // namespace
