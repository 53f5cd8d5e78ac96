// The field lists of the task and category tables, their first rows, and the making of
// a fresh data folder.
#include "app/main_form_tables.h"

#include <functional>

#include "engine/ostra_table.h"
#include "platform/core/files.h"
#include "platform/core/sysutils.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"

namespace {

std::vector<TToDoField> TaskFields() {
    return {{"Key", ftAutoInc},       {"Flag", ftBoolean},        {"Action", ftString, 255},
            {"Date", ftDate},         {"Category", ftString, 10}, {"Priority", ftString, 5},
            {"Status", ftString, 15}, {"Notes", ftMemo}};
}

std::vector<TToDoField> CategoryFields() {
    return {{"CKEY", ftFloat}, {"SELECTED", ftBoolean}, {"CATEGORY", ftString, 10}};
}

struct TQuoteSeed {
    const char* Quote;
    const char* Author;
    const char* Group;
};

// Keyed 0 to 10: the Today tab picks keys from 0 up, and 10 is the quote of
// the day until the user chooses another.
const TQuoteSeed QuoteSeeds[] = {
    {"Well begun is half done.", "Aristotle", "Work"},
    {"A journey of a thousand miles begins with a single step.", "Lao Tzu", "Life"},
    {"Lost time is never found again.", "Benjamin Franklin", "Time"},
    {"While we are postponing, life speeds by.", "Seneca", "Time"},
    {"It does not matter how slowly you go as long as you do not stop.", "Confucius", "Life"},
    {"Never leave that till tomorrow which you can do today.", "Benjamin Franklin", "Time"},
    {"Great things are not done by impulse, but by a series of small things brought together.",
     "Vincent van Gogh", "Work"},
    {"Nothing is particularly hard if you divide it into small jobs.", "Henry Ford", "Work"},
    {"The secret of getting ahead is getting started.", "Mark Twain", "Work"},
    {"What is not started today is never finished tomorrow.", "Johann Wolfgang von Goethe", "Time"},
    {"Plans are nothing; planning is everything.", "Dwight D. Eisenhower", "Work"},
};

void AddRows(TOstraTable& Table, const TToDoTableFile& File) {
    const auto row = [&](const std::function<void()>& fill) {
        Table.Append();
        fill();
        Table.Post();
    };
    const auto set = [&](const char* name) { return Table.FieldByName(name); };
    const std::string name = LowerCase(File.FileName);
    if (name == "status1.d") {
        for (const char* s : {"Open", "In progress", "Waiting", "Done"})
            row([&] { set("Status")->SetAsString(s); });
    } else if (name == "catg.d" || name == "catg2.d") {
        const std::vector<const char*> first{"Home", "Work", "Errands", "Health", "Finance"};
        const std::vector<const char*> second{"Projects", "Study", "Hobby", "Family", "Travel"};
        const auto& names = name == "catg.d" ? first : second;
        for (size_t i = 0; i < names.size(); ++i)
            row([&] {
                set("CKEY")->SetAsFloat(static_cast<double>(i + 1));
                set("SELECTED")->SetAsBoolean(false);
                set("CATEGORY")->SetAsString(names[i]);
            });
    } else if (name == "goalgrp.d") {
        for (const char* g : {"Personal", "Work"}) row([&] { set("GoalGrp")->SetAsString(g); });
    } else if (name == "quotes.d") {
        int key = 0;
        for (const TQuoteSeed& q : QuoteSeeds)
            row([&] {
                set("Quote")->SetAsString(q.Quote);
                set("Author")->SetAsString(q.Author);
                set("Group")->SetAsString(q.Group);
                set("Display")->SetAsBoolean(true);
                set("Key")->SetAsInteger(key++);
                set("Flag")->SetAsBoolean(false);
            });
    } else if (name == "appid.d") {
        row([&] {
            set("Ckey")->SetAsString("Quotes");
            set("CID")->SetAsString("Key");
            set("CIDField")->SetAsString(IntToStr(static_cast<int>(std::size(QuoteSeeds))));
            set("CType")->SetAsString("I");
        });
    }
}

}  // namespace

const std::vector<TToDoTableFile>& ToDoTableFiles() {
    static const std::vector<TToDoTableFile> files{
        {"Ttask.d", TaskFields()},
        {"Ttask2.d", TaskFields()},
        {"List.d",
         {{"Key", ftAutoInc},
          {"Flag", ftBoolean},
          {"Action", ftString, 255},
          {"Date", ftDate},
          {"Category", ftString, 10},
          {"Priority", ftString, 5},
          {"Group", ftString, 10},
          {"Status", ftString, 15},
          {"Notes", ftMemo}}},
        {"archive.d",
         {{"KEY", ftAutoInc},
          {"ACTION", ftString, 255},
          {"CATEGORY", ftString, 10},
          {"PRIORITY", ftString, 5},
          {"Flag", ftBoolean},
          {"DATE", ftDate},
          {"Status", ftString, 15},
          {"Tab", ftString, 10},
          {"Notes", ftMemo}}},
        {"quotes.d",
         {{"Quote", ftString, 255},
          {"Author", ftString, 50},
          {"Group", ftString, 20},
          {"Display", ftBoolean},
          {"Key", ftInteger},
          {"Flag", ftBoolean}}},
        {"Goals.d",
         {{"Flag", ftBoolean},
          {"Key", ftAutoInc},
          {"Date", ftDate},
          {"Target", ftString, 255},
          {"Definition", ftString, 255},
          {"Importance", ftString, 255},
          {"Parent_Id", ftSmallint},
          {"TargetD", ftDate},
          {"Steps", ftMemo},
          {"Group", ftString, 15},
          {"Priority", ftString, 5},
          {"Completed", ftBoolean}}},
        {"GoalGrp.d", {{"Key", ftAutoInc}, {"GoalGrp", ftString, 15}}},
        {"catg.d", CategoryFields()},
        {"catg2.d", CategoryFields()},
        {"status1.d", {{"Status", ftString, 20}}},
        {"appid.d",
         {{"Ckey", ftString, 30}, {"CID", ftString, 30}, {"CIDField", ftString, 30}, {"CType", ftString, 1}}},
    };
    return files;
}

const TToDoTableFile* FindToDoTableFile(const std::string& FileName) {
    for (const TToDoTableFile& f : ToDoTableFiles())
        if (SameText(f.FileName, FileName)) return &f;
    return nullptr;
}

bool HasToDoTableFiles(const std::string& Folder) {
    for (const TToDoTableFile& f : ToDoTableFiles())
        if (!FindFileNoCase(Folder, f.FileName).empty()) return true;
    return false;
}

std::vector<std::string> CreateToDoDataFolder(const std::string& Folder) {
    const std::string dir = IncludeTrailingPathDelimiter(Folder);
    ForceDirectories(dir);
    std::vector<std::string> written;
    for (const TToDoTableFile& file : ToDoTableFiles()) {
        if (!FindFileNoCase(dir, file.FileName).empty()) continue;
        TOstraTable table(nullptr);
        for (const TToDoField& f : file.Fields) table.FieldDefs()->Add(f.Name, f.DataType, f.Size);
        table.Open();
        AddRows(table, file);
        table.SaveToFile(dir + file.FileName);
        table.Close();
        written.push_back(file.FileName);
    }
    return written;
}
