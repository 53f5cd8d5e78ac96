// The drop-down edit's tree (odsTree): nodes by level from a dataset, the
// path shown for a value, choosing by mouse and keys, and a dataset that
// comes back in order whatever happens while the tree is filled.
#include "support/engine-controls/dbedit_test_fixture.h"
#include "support/environment.h"

#include "platform/core/files.h"
#include "platform/core/guid.h"

namespace {

class DBEditTreeTest : public DBEditTest {
protected:
    void SetUp() override {
        DBEditTest::SetUp();
        MakePlaces();
    }
    static std::string Shape(TTreeNode* node) {
        std::string s = node->Text();
        if (node->Count() > 0) {
            s += "(";
            for (int i = 0; i < node->Count(); ++i) s += (i ? "," : "") + Shape(node->Item(i));
            s += ")";
        }
        return s;
    }
    static std::string Shape(TCustomTreeView* tree) {
        std::string s;
        for (TTreeNode* n = tree->Items()->GetFirstNode(); n; n = n->GetNextSibling())
            s += (s.empty() ? "" : " ") + Shape(n);
        return s;
    }
};

TEST_F(DBEditTreeTest, NodesNestByLevel) {
    TOstraDBEdit* e = NewPlaceEdit();
    ASSERT_NE(nullptr, e->Tree());
    EXPECT_EQ("Europe(France(Paris),Germany) Asia(Japan)", Shape(e->Tree()));
    EXPECT_EQ(ocsDropDownList, e->Style());
    EXPECT_EQ("E.F.P", TOstraPopupTree::NodeValue(e->Tree()->FindNodeByValue("E.F.P")));
    EXPECT_EQ("Europe/France/Paris", TOstraPopupTree::NodePath(e->Tree()->FindNodeByValue("E.F.P"), '/'));
    EXPECT_EQ("Asia", TOstraPopupTree::NodePath(e->Tree()->FindNodeByValue("A"), '/'));
    EXPECT_EQ("", TOstraPopupTree::NodePath(nullptr, '/'));
    EXPECT_EQ(nullptr, e->Tree()->FindNodeByValue("X"));
}

TEST_F(DBEditTreeTest, LevelsOutsideOneToSixHangUnderTheLastLevelSixNode) {
    Places->Close();
    Places->Open();
    while (!Places->IsEmpty()) Places->Delete();
    AddPlace("1", "L1", "1");
    AddPlace("2", "L2", "2");
    AddPlace("3", "L3", "3");
    AddPlace("4", "L4", "4");
    AddPlace("5", "L5", "5");
    AddPlace("6", "L6", "6");
    AddPlace("7", "Seven", "7");
    AddPlace("0", "Zero", "0");
    AddPlace("x", "Bad", "x");
    AddPlace("r", "Root", "1");
    TOstraDBEdit* e = NewPlaceEdit();
    EXPECT_EQ("L1(L2(L3(L4(L5(L6(Seven,Zero,Bad)))))) Root", Shape(e->Tree()));
}

TEST_F(DBEditTreeTest, ShowsThePathOfTheValueAndPicksANodeByKeys) {
    PutText(Goals, "Group", "E.F");
    TOstraDBEdit* e = NewPlaceEdit();
    EXPECT_EQ("Europe/France", e->Text());
    e->TreeProps()->SetPathSeparator('>');
    Goals->Next();
    Goals->Prior();
    EXPECT_EQ("Europe>France", e->Text());
    Focus(e);
    Key(e, VK_DOWN, {ssAlt});
    ASSERT_TRUE(e->DroppedDown());
    TOstraPopupTree* tree = e->Tree();
    EXPECT_TRUE(tree->Visible());
    EXPECT_EQ(200, tree->Height());
    ASSERT_NE(nullptr, tree->Selected());
    EXPECT_EQ("France", tree->Selected()->Text());
    EXPECT_TRUE(tree->Items()->GetFirstNode()->Expanded());
    RenderDropped(e, TestRunPath("dbedit_tree.png"));
    Key(e, VK_DOWN);
    EXPECT_EQ("Paris", tree->Selected()->Text());
    Key(e, VK_RETURN);
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_EQ("E.F.P", Stored("Group"));
    EXPECT_EQ("Europe>France>Paris", e->Text());
}

TEST_F(DBEditTreeTest, ClickOnANodeChoosesIt) {
    TOstraDBEdit* e = NewPlaceEdit();
    Focus(e);
    ClickButton(e);
    ASSERT_TRUE(e->DroppedDown());
    TOstraPopupTree* tree = e->Tree();
    TTreeNode* japan = tree->FindNodeByValue("A.J");
    ASSERT_NE(nullptr, japan);
    const TRect r = japan->DisplayRect(true);
    SendClick(tree, r.Left + 3, (r.Top + r.Bottom) / 2);
    ProcessEvents();
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_EQ("A.J", Stored("Group"));
    EXPECT_EQ("Asia/Japan", e->Text());
}

TEST_F(DBEditTreeTest, ClickOnAnExpandButtonKeepsTheTreeOpen) {
    TOstraDBEdit* e = NewPlaceEdit();
    Focus(e);
    ClickButton(e);
    TOstraPopupTree* tree = e->Tree();
    TTreeNode* asia = tree->FindNodeByValue("A");
    const TRect r = asia->DisplayRect(true);
    SendClick(tree, r.Left - tree->Indent() / 2, (r.Top + r.Bottom) / 2);
    ProcessEvents();
    EXPECT_TRUE(e->DroppedDown());
    EXPECT_FALSE(asia->Expanded());
    EXPECT_EQ("Work", Stored("Group"));
}

TEST_F(DBEditTreeTest, EnterWithNothingSelectedLeavesTheValue) {
    TOstraDBEdit* e = NewPlaceEdit();
    EXPECT_EQ("", e->Text());  // "Work" is no place
    Focus(e);
    Key(e, VK_DOWN, {ssAlt});
    ASSERT_TRUE(e->DroppedDown());
    EXPECT_EQ(nullptr, e->Tree()->Selected());
    Key(e, VK_RETURN);
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_EQ("Work", Stored("Group"));
    EXPECT_EQ(Variant("Work"), e->Value());
    EXPECT_EQ(dsBrowse, Goals->State());
}

TEST_F(DBEditTreeTest, FillingKeepsTheRecordAndBringsTheControlsBack) {
    Places->First();
    Places->Next();
    Places->Next();
    const std::string before = Places->FieldByName("Id")->AsString();
    TOstraDBEdit* e = NewPlaceEdit();
    ASSERT_EQ(6, e->Tree()->Items()->Count());
    EXPECT_EQ(before, Places->FieldByName("Id")->AsString());
    EXPECT_FALSE(Places->ControlsDisabled());
}

TEST_F(DBEditTreeTest, FillingThatFailsStillBringsTheDatasetBack) {
    Places->Next();
    const std::string before = Places->FieldByName("Id")->AsString();
    TOstraPopupTree tree(Form);
    TOstraTreeProperties props(nullptr);
    props.SetTextField("Name");
    props.SetUniqueField("Id");
    props.SetLevelField("Level");
    // A scroll handler that fails on the third move of the walk.
    int calls = 0;
    bool armed = true;
    Places->SetAfterScroll(TDataSetNotifyEvent([&](TDataSet*) {
        if (armed && ++calls == 3) throw EDatabaseError("broken record");
    }));
    EXPECT_RAISES(tree.FillTree(&props, Places), EDatabaseError, "broken record");
    EXPECT_GE(calls, 3);
    EXPECT_FALSE(Places->ControlsDisabled());
    EXPECT_EQ(before, Places->FieldByName("Id")->AsString());
    armed = false;
    // The tree is usable again: its update ended.
    tree.FillTree(&props, Places);
    EXPECT_EQ(6, tree.Items()->Count());
}

TEST_F(DBEditTreeTest, IncompleteSettingsLeaveTheTreeEmptyAndUnprepared) {
    TOstraDBEdit* e = NewEdit(odsTree);
    e->SetLookupDataSet(Places);
    e->TreeProps()->SetTextField("Name");
    Bind(e, "Group");
    EXPECT_FALSE(e->DropDownPrepared());
    EXPECT_EQ(0, e->Tree()->Items()->Count());
}

TEST_F(DBEditTreeTest, FillingOpensAClosedDataset) {
    const std::string file = IncludeTrailingPathDelimiter(GetTempDir()) + "dbedit_places_" +
                             CreateGUIDString().substr(1, 8) + ".d";
    Places->SaveToFile(file);
    Places->Close();
    Places->SetTableName(file);
    ASSERT_FALSE(Places->Active());
    TOstraDBEdit* e = NewPlaceEdit();
    EXPECT_TRUE(Places->Active());
    EXPECT_EQ(6, e->Tree()->Items()->Count());
    EXPECT_TRUE(e->DropDownPrepared());
    Places->Close();
    DeleteFile(file);
}

}  // namespace
