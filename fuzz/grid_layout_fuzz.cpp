// Any section contents as a stored grid layout: the reader gives lines or
// a warning, and the lines give a usable grid (columns from the Selected
// lines, or the dataset's fields shown by them), never a crash.
//
// Input: the first byte chooses the field source; the delimiter follows up
// to the first 0x00; then "key=value" lines (LF-separated), an ini
// section's entries.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/ostra_table.h"
#include "gui_fuzz_support.h"
#include "platform/core/exceptions.h"
#include "platform/core/strings.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/ui/forms.h"
#include "suite/base/qzlinelists.h"
#include "suite/grid/qzdbgrid.h"
#include "suite/grid/qzgridlayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size < 1) return 0;
    const bool useFields = Data[0] % 2 == 0;
    const std::string input(reinterpret_cast<const char*>(Data + 1), Size - 1);
    const size_t zero = input.find('\0');
    const std::string delimiter =
        zero == std::string::npos ? ";;" : input.substr(0, std::min<size_t>(zero, 4));
    TStringList values;
    values.SetText(zero == std::string::npos ? input : input.substr(zero + 1));
    TqzLayoutEntries entries;
    for (int i = 0; i < values.Count() && i < 40; ++i) {
        const std::string& line = values.Strings(i);
        const size_t eq = line.find('=');
        if (eq != std::string::npos) entries.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    std::vector<std::string> lines;
    const std::vector<std::string> old{"Name\t10\tName", "Qty\t5\tQty"};
    if (qzReadLayout(entries, delimiter, old, Data[0] % 4 < 2, lines) != TqzLayoutRead::Loaded) return 0;

    TForm form(nullptr);
    form.SetBounds(0, 0, 320, 200);
    TOstraTable table(nullptr);
    table.FieldDefs()->Add("Name", ftString, 10);
    table.FieldDefs()->Add("Qty", ftInteger);
    table.FieldDefs()->Add("Note", ftMemo);
    table.Open();
    table.AppendRecord({Variant("a"), Variant(1), Variant("n")});
    TDataSource source(nullptr);
    source.SetDataSet(&table);
    TqzDBGrid grid(&form);
    grid.SetParent(&form);
    grid.SetBounds(0, 0, 300, 180);
    grid.SetUseTFields(useFields);
    grid.SetDataSource(&source);
    TStringList list;
    for (const std::string& l : lines) list.Add(l);
    grid.SetSelected(&list);
    if (useFields) {
        try {
            qzApplyDisplayFields(&table, &list);
        } catch (const EConvertError&) {
            // A damaged width is the reader's warning; the fields stay as they were.
        }
    }
    grid.LayoutChanged();
    for (int i = 0; grid.GetColField(i); ++i) grid.CellText(grid.GetColField(i));
    grid.SetDataSource(nullptr);
    return 0;
}
