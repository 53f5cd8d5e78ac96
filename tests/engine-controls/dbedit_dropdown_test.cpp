// What every drop-down of the edit shares: opened, moved to another choice
// and closed by Escape, it leaves the value, the record and the focus as
// they were and reports a close without acceptance.
#include "support/engine-controls/dbedit_test_fixture.h"

namespace {

struct EscapeCase;
void PrintTo(const EscapeCase& Case, std::ostream* Out);

class DBEditDropDownTest : public DBEditTest, public ::testing::WithParamInterface<EscapeCase> {
public:
    TOstraDBEdit* Priority() { return NewPriorityEdit(); }
    TOstraDBEdit* Group() { return NewGroupEdit(); }
    TOstraDBEdit* Place() { return NewPlaceEdit(); }
    TOstraDBEdit* Date() { return NewDateEdit(); }
    TOstraDBEdit* Amount() { return NewAmountEdit(); }
};

struct EscapeCase {
    const char* Name;
    TOstraDBEdit* (DBEditDropDownTest::*Make)();
    const char* Field;
    // The stored value and the shown text of the first goal.
    const char* Stored;
    const char* Text;
    // Moves the open drop-down to another choice.
    void (*Change)(TOstraDBEdit* E);
};

void PrintTo(const EscapeCase& Case, std::ostream* Out) { *Out << Case.Name; }

TEST_P(DBEditDropDownTest, EscapeLeavesTheValue) {
    const EscapeCase& c = GetParam();
    TOstraDBEdit* e = (this->*c.Make)();
    int closed = 0;
    bool accepted = true;
    e->SetOnCloseUp(TOstraCloseUpEvent([&](TObject*, bool a) {
        ++closed;
        accepted = a;
    }));
    Focus(e);
    Key(e, VK_DOWN, {ssAlt});
    ASSERT_TRUE(e->DroppedDown());
    c.Change(e);
    Key(e, VK_ESCAPE);
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_FALSE(e->ActiveDropDown() && e->ActiveDropDown()->Visible());
    EXPECT_EQ(1, closed);
    EXPECT_FALSE(accepted);
    EXPECT_EQ(c.Stored, Stored(c.Field));
    EXPECT_EQ(c.Text, e->Text());
    EXPECT_EQ(dsBrowse, Goals->State());
    EXPECT_EQ(e, FocusedControl());
}

const EscapeCase EscapeCases[] = {
    {"ValueList", &DBEditDropDownTest::Priority, "Priority", "2", "Medium",
     [](TOstraDBEdit* E) {
         SendKey(E, VK_DOWN);
         EXPECT_EQ(3, E->ValueList()->ItemIndex());
     }},
    {"LookupList", &DBEditDropDownTest::Group, "Group", "Work", "Work",
     [](TOstraDBEdit* E) {
         SendKey(E, VK_UP);
         EXPECT_EQ("Pantry", E->LookupList()->SelectedItem());
     }},
    // "Work" is no place: the tree shows nothing and selects the first node.
    {"Tree", &DBEditDropDownTest::Place, "Group", "Work", "",
     [](TOstraDBEdit* E) {
         SendKey(E, VK_DOWN);
         EXPECT_NE(nullptr, E->Tree()->Selected());
     }},
    {"Calendar", &DBEditDropDownTest::Date, "Date", "05/01/2024", "05/01/2024",
     [](TOstraDBEdit* E) { E->Calendar()->SetDay(20); }},
    {"Calculator", &DBEditDropDownTest::Amount, "Amount", "12.5", "12.5",
     [](TOstraDBEdit* E) {
         SendKey(E, '7');
         EXPECT_EQ("7", E->Text());
     }},
};

INSTANTIATE_TEST_SUITE_P(Styles, DBEditDropDownTest, ::testing::ValuesIn(EscapeCases),
                         [](const ::testing::TestParamInfo<EscapeCase>& Info) {
                             return std::string(Info.param.Name);
                         });

}  // namespace
