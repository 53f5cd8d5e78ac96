// Password-protected table images: opening, prompting, saving enciphered and clearing the password.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/messages.h"
#include "engine/password.h"
#include "engine/record_store.h"
#include "support/engine/engine_test_util.h"
#include "support/engine/image_builder.h"

namespace {

const std::string KeyText = "{3F2504E0-4F89-11D3-9A0C-0305E82C3301}";

// A protected image made by hand: one String field, two records.
std::string HandMadeProtectedImage(const std::string& password) {
    TestImage img;
    img.Marker('P').Counts(2, 1).Item("T.Name s40").Protect(password, KeyText);
    img.Notes("secret notes").Byte(4).Text32("first secret").Byte(4).Text32("second secret");
    return img.Build();
}

class PasswordTest : public ::testing::Test {
protected:
    void SetUp() override {
        OstraPasswords().ClearPasswords();
        Prompt = std::make_shared<TScriptedPasswordPrompt>();
        OstraPasswords().SetPrompt(Prompt);
    }
    void TearDown() override {
        OstraPasswords().ClearPasswords();
        OstraPasswords().SetPrompt(nullptr);
    }

    // A plain table with one record, protected with `password` and saved.
    std::string SavedProtected(const std::string& password, const std::string& value = "hidden value") {
        TOstraCursor c;
        MakeTable(c, {MakeField("Name", oftString, 40)});
        TestBuffer b(c);
        b.Set("Name", value);
        std::string error;
        EXPECT_TRUE(c.PostRecord(b.Data(), nullptr, error));
        c.SetPassword(password);
        return SaveImage(c);
    }

    std::shared_ptr<TScriptedPasswordPrompt> Prompt;
};

}  // namespace

TEST_F(PasswordTest, HandMadeImageOpensWithItsPassword) {
    TOstraCursor c;
    c.SetPassword("pw");
    std::string error;
    ASSERT_TRUE(LoadImage(c, HandMadeProtectedImage("pw"), error)) << error;
    EXPECT_TRUE(c.Protected());
    EXPECT_EQ(c.Notes(), "secret notes");
    ASSERT_EQ(c.RecordCount(), 2);
    EXPECT_EQ(TextOf(c, c.RecordAt(1), "Name"), "second secret");
    // The block is kept in its plain form.
    EXPECT_EQ(std::string(c.PasswordBlock().begin(), c.PasswordBlock().begin() + 38), KeyText);
    EXPECT_EQ(Prompt->PromptCount(), 0);
    EXPECT_EQ(OstraPasswords().KnownPasswords(), std::vector<std::string>{"pw"});
}

TEST_F(PasswordTest, SavedImagesAreEncipheredAndDifferEachTime) {
    const std::string first = SavedProtected("s3cret");
    const std::string second = SavedProtected("s3cret");
    EXPECT_EQ(first[4], 'P');
    EXPECT_NE(first, second);  // a new key text every save
    EXPECT_EQ(first.find("hidden value"), std::string::npos);
    EXPECT_EQ(first.size(), second.size());
    for (const std::string& image : {first, second}) {
        TOstraCursor c;
        c.SetPassword("s3cret");
        std::string error;
        ASSERT_TRUE(LoadImage(c, image, error)) << error;
        EXPECT_EQ(TextOf(c, c.RecordAt(0), "Name"), "hidden value");
        EXPECT_EQ(c.PasswordBlock()[0], '{');
        EXPECT_EQ(c.PasswordBlock()[37], '}');
    }
    EXPECT_EQ(Prompt->PromptCount(), 0);
}

TEST_F(PasswordTest, KnownPasswordsOpenWithoutPrompt) {
    const std::string image = SavedProtected("second");
    OstraPasswords().AddPassword("first");
    OstraPasswords().AddPassword("second");
    TOstraCursor c;
    c.SetPassword("wrong preset");
    std::string error;
    ASSERT_TRUE(LoadImage(c, image, error)) << error;
    EXPECT_EQ(c.Password(), "second");
    EXPECT_EQ(Prompt->PromptCount(), 0);
    EXPECT_TRUE(Prompt->Messages().empty());
}

TEST_F(PasswordTest, PromptAfterTwoWrongAnswers) {
    const std::string image = SavedProtected("right");
    Prompt->AddAnswer("wrong1");
    Prompt->AddAnswer("wrong2");
    Prompt->AddAnswer("right");
    TOstraCursor c;
    std::string error;
    ASSERT_TRUE(LoadImage(c, image, error)) << error;
    EXPECT_EQ(Prompt->PromptCount(), 3);
    EXPECT_EQ(Prompt->Messages(), (std::vector<std::string>{SPasswordTryAgain, SPasswordTryAgain}));
    EXPECT_EQ(c.Password(), "right");
    EXPECT_EQ(OstraPasswords().KnownPasswords(), std::vector<std::string>{"right"});
    // A second table with the same password opens without a prompt.
    TOstraCursor d;
    ASSERT_TRUE(LoadImage(d, SavedProtected("right"), error)) << error;
    EXPECT_EQ(Prompt->PromptCount(), 3);
}

TEST_F(PasswordTest, ThreeWrongAnswersFail) {
    const std::string image = SavedProtected("right");
    for (const char* answer : {"a", "b", "c", "right"}) Prompt->AddAnswer(answer);
    TOstraCursor c;
    std::string error;
    EXPECT_FALSE(LoadImage(c, image, error));
    EXPECT_EQ(error, SInvalidPassword);
    EXPECT_EQ(Prompt->PromptCount(), 3);
    EXPECT_EQ(Prompt->Messages().size(), 2u);  // not after the third
    EXPECT_EQ(c.FieldCount(), 0);
    EXPECT_EQ(c.Password(), "");
    EXPECT_TRUE(OstraPasswords().KnownPasswords().empty());
}

TEST_F(PasswordTest, CancelShowsNothing) {
    const std::string image = SavedProtected("right");
    Prompt->AddAnswer(std::nullopt);
    TOstraCursor c;
    std::string error;
    EXPECT_FALSE(LoadImage(c, image, error));
    EXPECT_EQ(error, SInvalidPassword);
    EXPECT_EQ(Prompt->PromptCount(), 1);
    EXPECT_TRUE(Prompt->Messages().empty());

    // The default prompt cancels too.
    OstraPasswords().SetPrompt(nullptr);
    EXPECT_FALSE(LoadImage(c, image, error));
    EXPECT_EQ(error, SInvalidPassword);
}

TEST_F(PasswordTest, TolerantLoadDoesNotOpenWithoutThePassword) {
    const std::string image = SavedProtected("right");
    TOstraCursor c;
    c.SetTolerantLoad(true);
    std::string error;
    EXPECT_FALSE(LoadImage(c, image, error));
    EXPECT_EQ(error, SInvalidPassword);
    EXPECT_EQ(c.FieldCount(), 0);
}

TEST_F(PasswordTest, DamagedBlockFitsNoPassword) {
    std::string image = SavedProtected("right");
    image[5 + 38] = static_cast<char>(image[5 + 38] ^ 0x01);  // the check value
    TOstraCursor c;
    c.SetPassword("right");
    std::string error;
    EXPECT_FALSE(LoadImage(c, image, error));
    EXPECT_EQ(error, SInvalidPassword);
    // A block cut short is the end of the buffer.
    EXPECT_FALSE(LoadImage(c, image.substr(0, 30), error));
    EXPECT_EQ(error, SUnexpectedEndOfBuffer);
}

TEST_F(PasswordTest, ClearingThePasswordSavesPlain) {
    TOstraCursor c;
    c.SetPassword("pw");
    std::string error;
    ASSERT_TRUE(LoadImage(c, HandMadeProtectedImage("pw"), error)) << error;
    c.SetPassword("");
    const std::string plain = SaveImage(c);
    EXPECT_EQ(plain[4], 'S');
    EXPECT_NE(plain.find("first secret"), std::string::npos);
    TOstraCursor d;
    ASSERT_TRUE(LoadImage(d, plain, error)) << error;
    EXPECT_FALSE(d.Protected());
    EXPECT_EQ(d.RecordCount(), 2);
    // Setting a new one protects it at the next save.
    d.SetPassword("new");
    EXPECT_EQ(SaveImage(d)[4], 'P');
}

TEST_F(PasswordTest, ProtectedImageLoadsFromAnyPosition) {
    const std::string image = SavedProtected("pw");
    TMemoryStream s;
    s.WriteBuffer("0123456789", 10);
    s.WriteBuffer(image.data(), static_cast<int64_t>(image.size()));
    s.SetPosition(10);
    TOstraCursor c;
    c.SetPassword("pw");
    std::string error;
    ASSERT_TRUE(c.LoadFromStream(&s, error)) << error;
    EXPECT_EQ(TextOf(c, c.RecordAt(0), "Name"), "hidden value");
    // The caller's stream keeps its enciphered bytes.
    EXPECT_EQ(std::string(static_cast<const char*>(s.Memory()) + 10, image.size()), image);
}

TEST_F(PasswordTest, KnownPasswordListIsSortedAndUnique) {
    TOstraPasswords& p = OstraPasswords();
    p.AddPassword("b");
    p.AddPassword("a");
    p.AddPassword("b");
    p.AddPassword("");
    p.AddPassword("B");
    EXPECT_EQ(p.KnownPasswords(), (std::vector<std::string>{"B", "a", "b"}));
    p.RemovePassword("b");
    p.RemovePassword("missing");
    EXPECT_EQ(p.KnownPasswords(), (std::vector<std::string>{"B", "a"}));
    EXPECT_EQ(p.PasswordTries(), 3);
}

TEST_F(PasswordTest, TryPasswordChangesTheBlockOnlyWhenItFits) {
    TOstraPasswordBlock plain = TOstraPasswords::NewPlainBlock();
    EXPECT_EQ(plain[0], '{');
    const TOstraPasswordBlock written = OstraPasswords().EncipherBlock(plain, "pw");
    TOstraPasswordBlock block = written;
    EXPECT_FALSE(OstraPasswords().TryPassword("PW", block));
    EXPECT_EQ(block, written);
    EXPECT_TRUE(OstraPasswords().TryPassword("pw", block));
    EXPECT_EQ(block, plain);
}
