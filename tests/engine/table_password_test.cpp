// The password of a table: protecting, opening and clearing.
#include "support/engine/table_test_fixture.h"

using TablePasswordTest = TableTest;

namespace {

bool Known(const std::string& password) {
    const auto& list = OstraSession().Passwords();
    return std::find(list.begin(), list.end(), password) != list.end();
}

}  // namespace

TEST_F(TablePasswordTest, PasswordOnAnOpenPlainTableIsAChangeThatProtectsTheFile) {
    WriteTaskFile(Dir + "t.d", {{"Call", "Home"}});
    TOstraDatabase db(nullptr);
    TOstraTable t(nullptr);
    t.SetTableName(Dir + "t.d");
    t.SetDatabase(&db);
    int needToSave = 0;
    t.SetOnNeedToSaveChange([&](TObject*) { ++needToSave; });
    t.Open();
    ASSERT_EQ('S', Marker(Dir + "t.d"));

    t.SetPassword("s3cret");
    EXPECT_TRUE(Known("s3cret"));
    EXPECT_EQ(1, t.PendingChanges());
    EXPECT_EQ(1, needToSave);
    EXPECT_TRUE(db.HasChanges());
    t.SetPassword("s3cret");  // the same again changes nothing
    EXPECT_EQ(1, t.PendingChanges());

    db.SaveDatasets();
    EXPECT_EQ('P', Marker(Dir + "t.d"));
    EXPECT_FALSE(t.HasPendingChanges());
}

TEST_F(TablePasswordTest, ProtectedTableOpensWithItsOwnPasswordWithoutAPrompt) {
    WriteTaskFile(Dir + "p.d", {{"Secret", "Home"}}, "pw");
    ASSERT_EQ('P', Marker(Dir + "p.d"));
    TOstraTable t(nullptr);
    t.SetTableName(Dir + "p.d");
    t.SetPassword("pw");
    OstraPasswords().ClearPasswords();
    t.Open();
    EXPECT_EQ(0, Prompt->PromptCount());
    EXPECT_EQ((std::vector<std::string>{"Secret"}), Column(t, "Action"));
    // It now counts among the known passwords.
    EXPECT_TRUE(Known("pw"));
}

TEST_F(TablePasswordTest, PromptedPasswordBecomesTheTablePassword) {
    WriteTaskFile(Dir + "p.d", {{"Secret", "Home"}}, "pw");
    Prompt->AddAnswer(std::string("wrong"));
    Prompt->AddAnswer(std::string("pw"));
    TOstraTable t(nullptr);
    t.SetTableName(Dir + "p.d");
    t.Open();
    EXPECT_EQ(2, Prompt->PromptCount());
    EXPECT_EQ((std::vector<std::string>{"Password is invalid. Try again"}), Prompt->Messages());
    EXPECT_EQ("pw", t.Password());
    t.Close();
    EXPECT_EQ("pw", t.Password());
    // A second opening finds it without asking.
    t.Open();
    EXPECT_EQ(2, Prompt->PromptCount());
}

TEST_F(TablePasswordTest, WrongOrCancelledPasswordLeavesTheTableClosed) {
    WriteTaskFile(Dir + "p.d", {{"Secret", "Home"}}, "pw");
    TOstraTable t(nullptr);
    t.SetTableName(Dir + "p.d");
    EXPECT_RAISES(t.Open(), EDatabaseError, "Error opening table: Invalid password. Table cannot be open");
    EXPECT_FALSE(t.Active());
    EXPECT_EQ(1, Prompt->PromptCount());
    EXPECT_TRUE(Prompt->Messages().empty());

    t.SetPassword("nope");  // a wrong preset leads to the prompt
    Prompt->AddAnswer(std::string("pw"));
    t.Open();
    EXPECT_TRUE(t.Active());
    EXPECT_EQ("pw", t.Password());
}

TEST_F(TablePasswordTest, ClearingThePasswordWritesAPlainFile) {
    WriteTaskFile(Dir + "p.d", {{"Secret", "Home"}}, "pw");
    TOstraTable t(nullptr);
    t.SetTableName(Dir + "p.d");
    t.SetPassword("pw");
    t.Open();
    t.SetPassword("");
    EXPECT_FALSE(Known("pw"));
    EXPECT_TRUE(t.HasPendingChanges());
    t.Save();
    EXPECT_EQ('S', Marker(Dir + "p.d"));
    t.Close();
    t.Open();
    EXPECT_EQ(0, Prompt->PromptCount());
    EXPECT_EQ("", t.Password());
}
