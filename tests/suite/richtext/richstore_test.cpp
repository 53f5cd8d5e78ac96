// What a stored form holds of the rich edit: "RichEditVersion", "Data" and
// lines stored by other writers.
#include <gtest/gtest.h>

#include <string>

#include "platform/core/exceptions.h"
#include "suite/richtext/qzriched.h"
#include "suite/richtext/qzrichstore.h"

namespace {

class RichStoredForm : public ::testing::Test {
protected:
    TqzCustomRichEdit* r = new TqzCustomRichEdit(nullptr);
    ~RichStoredForm() override { delete r; }
};

TEST_F(RichStoredForm, DataAndVersion) {
    r->StreamIn("{\\rtf1 {\\i stored}\\par}", true, false);
    const std::string data = r->StoredForm()->WriteData();
    const std::string rtf = r->StreamOut(true, false);
    ASSERT_EQ(data.size(), rtf.size() + 4);
    EXPECT_EQ(static_cast<unsigned char>(data[0]), rtf.size() & 0xFF);
    EXPECT_EQ(data.substr(4), rtf);
    TqzCustomRichEdit other(nullptr);
    other.StoredForm()->BeginRead();
    EXPECT_EQ(other.RichEditVersion(), 1);
    const std::string form = data + "rest";
    std::size_t pos = 0;
    other.StoredForm()->ReadData(form, pos);
    EXPECT_EQ(pos, data.size());  // the bytes after it are left for the next property
    EXPECT_EQ(other.Text(), "stored");
    EXPECT_TRUE(other.StoredForm()->DataRead());
    EXPECT_EQ(other.StoredForm()->WriteVersion(), 2);
    EXPECT_EQ(other.RichEditVersion(), 2);
    // a length past the bytes left is an error; they are consumed
    std::string cut = data.substr(0, data.size() - 3);
    pos = 0;
    EXPECT_THROW(other.StoredForm()->ReadData(cut, pos), EReadError);
    EXPECT_EQ(pos, cut.size());
    EXPECT_EQ(other.Text(), "stored");  // unchanged
    // lines stored without "Data" are parsed as RTF, or kept as text
    TqzCustomRichEdit fromLines(nullptr);
    fromLines.StoredForm()->LoadStoredLines("{\\rtf1 {\\b from} lines\\par}");
    EXPECT_EQ(fromLines.Text(), "from lines");
    EXPECT_TRUE(fromLines.Document().FormatOf(fromLines.Document().Paragraphs[0].Runs[0]).Bold);
    fromLines.StoredForm()->LoadStoredLines("just text");
    EXPECT_EQ(fromLines.Text(), "just text");
    other.StoredForm()->LoadStoredLines("ignored after Data");
    EXPECT_EQ(other.Text(), "stored");
}

}  // namespace
