// Copying table files into a backup folder and back, and listing the tables a backup
// holds.
#include "app/backup.h"

#include <algorithm>
#include <exception>

#include "app/main_form_tables.h"
#include "engine/ostra_table.h"
#include "engine/table_file.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/ui/dialogs.h"

namespace {

// "Key (AutoInc)", "Action (String 255)".
std::string DescribeField(const std::string& Name, TFieldType Type, int Size) {
    std::string text = Name + " (" + FieldTypeName(Type);
    if (Type == ftString) text += " " + IntToStr(Size);
    return text + ")";
}

std::string DescribeField(const TOstraField& Field) {
    return DescribeField(Field.Name, FieldTypeOf(Field.FieldType), Field.Length);
}

bool SameField(const TOstraField& Field, const TToDoField& Defined) {
    const bool text = Defined.DataType == ftString;
    return SameText(Field.Name, Defined.Name) &&
           Field.FieldType == TypeFromFieldType(Defined.DataType, Defined.Size) &&
           (!text || Field.Length == Defined.Size);
}

void Inform(const std::string& Text) { MessageDlg(Text, mtInformation, TMsgDlgButtons{mbOK}, 0); }

// Copies the named tables' files from one extension to the other with Copy,
// telling the user about each failure (with its reason, when there is one)
// and then the count. A missing source is named with ShownExt.
using TTableCopy = bool (*)(const std::string& Name, const std::string& Source, const std::string& Dest,
                            std::string& Reason);
int CopyTableFiles(const std::string& Folder, const std::vector<std::string>& Names,
                   const std::string& FromExt, const std::string& ShownExt, const std::string& ToExt,
                   TTableCopy Copy, std::vector<std::string>* Copied) {
    int count = 0;
    for (const std::string& name : Names) {
        std::string source = FindFileNoCase(Folder, name + FromExt);
        std::string reason;
        if (!source.empty() && Copy(name, source, TableFileIn(Folder, name, ToExt), reason)) {
            ++count;
            if (Copied) Copied->push_back(name);
        } else {
            if (source.empty()) source = IncludeTrailingPathDelimiter(Folder) + name + ShownExt;
            Inform(source + " Not copied." + (reason.empty() ? std::string() : "\n" + EndSentence(reason)));
        }
    }
    Inform(IntToStr(count) + " Files copied.");
    return count;
}

bool CopyTableFile(const std::string&, const std::string& Source, const std::string& Dest,
                   std::string& Reason) {
    return CopyFile(Source, Dest, false, Reason);
}

std::string FolderKey(const std::string& Folder) {
    return IncludeTrailingPathDelimiter(ExpandFileName(Folder.empty() ? GetCurrentDir() : Folder));
}

// The table name of a table's file in Folder ("Ttask.d" -> "Ttask"); empty
// when the file lies elsewhere or is not a ".d" file.
std::string TableNameIn(TOstraTable* Table, const std::string& FolderKeyText) {
    const std::string file = Table->FileName();
    if (FolderKey(ExtractFilePath(file)) != FolderKeyText) return std::string();
    const std::string name = ExtractFileName(file);
    if (!SameText(ExtractFileExt(name), ".d")) return std::string();
    return ChangeFileExt(name, "");
}

// The table a clone's data come from at the end of its chain of clones.
TOstraTable* CloneRoot(TOstraTable* Table) {
    for (int depth = 0; Table && Table->LoadMode() == lmClone && depth < 1000; ++depth)
        Table = dynamic_cast<TOstraTable*>(Table->CloneDS());
    return Table && Table->LoadMode() == lmFile ? Table : nullptr;
}

// Refuses a backup whose fields are not those of table Name, reads the
// backup once, opens that image with the engine (a protected table's
// password as any opening finds it: the known ones, then the prompt) and
// only then writes it over the table file, through a temporary file renamed
// into place. A backup that does not open changes nothing.
bool RestoreTableFile(const std::string& Name, const std::string& Backup, const std::string& Table,
                      std::string& Reason) {
    try {
        Reason = BackupFieldsMismatch(Backup, Name);
        if (!Reason.empty()) return false;
        TMemoryStream image;
        image.LoadFromFile(Backup);
        {
            TOstraTable probe(nullptr);
            probe.SetLoadMode(lmStream);
            probe.SetLoadingStream(&image);
            probe.Open();
            probe.Close();
        }
        TAtomicFileWriter out(Table);
        out.Write(image.Memory(), static_cast<std::size_t>(image.Size()));
        out.Commit();
        return true;
    } catch (const Exception& e) {
        Reason = e.Message();
        return false;
    }
}

}  // namespace

std::string BackupFieldsMismatch(const std::string& Backup, const std::string& Name) {
    const TToDoTableFile* table = FindToDoTableFile(Name + ".d");
    std::vector<TOstraField> fields;
    std::string error;
    if (!table || !ReadTableFields(Backup, fields, error)) return std::string();
    const std::vector<TToDoField>& defined = table->Fields;
    const std::string lead = "The backup does not hold table " + Name + ": ";
    for (std::size_t i = 0; i < fields.size() && i < defined.size(); ++i) {
        if (SameField(fields[i], defined[i])) continue;
        const TToDoField& d = defined[i];
        return lead + "field " + IntToStr(static_cast<int>(i + 1)) + " is " + DescribeField(fields[i]) +
               " where the table has " + DescribeField(d.Name, d.DataType, d.Size) + ".";
    }
    if (fields.size() == defined.size()) return std::string();
    return lead + "it has " + IntToStr(static_cast<int>(fields.size())) + " fields where the table has " +
           IntToStr(static_cast<int>(defined.size())) + ".";
}

const std::vector<std::string>& BackupTableNames() {
    static const std::vector<std::string> names{"Appid", "Archive", "Catg",    "GoalGrp", "Goals",
                                                "List",  "Quotes",  "Status1", "TTask",   "TTask2"};
    return names;
}

std::string TableFileIn(const std::string& Folder, const std::string& Name, const std::string& Ext) {
    const std::string found = FindFileNoCase(Folder, Name + Ext);
    return found.empty() ? IncludeTrailingPathDelimiter(Folder) + Name + Ext : found;
}

int BackupTables(const std::string& Folder) {
    return CopyTableFiles(Folder, BackupTableNames(), ".d", ".d", ".bak", CopyTableFile, nullptr);
}

int RestoreTables(const std::string& Folder, const std::vector<std::string>& Names,
                  std::vector<std::string>* Restored) {
    return CopyTableFiles(Folder, Names, ".bak", ".Bak", ".d", RestoreTableFile, Restored);
}

std::vector<TOstraTable*> ReloadRestoredTables(const std::string& Folder,
                                               const std::vector<std::string>& Restored,
                                               const std::vector<TOstraTable*>& Tables) {
    const std::string folder = FolderKey(Folder);
    auto restored = [&](TOstraTable* table) {
        const std::string name = TableNameIn(table, folder);
        return !name.empty() && std::any_of(Restored.begin(), Restored.end(),
                                            [&](const std::string& r) { return SameText(r, name); });
    };

    // The open tables to read again: file tables first, then their clones.
    std::vector<TOstraTable*> roots, clones;
    for (TOstraTable* table : Tables) {
        if (!table || !table->Active()) continue;
        if (table->LoadMode() == lmFile && restored(table))
            roots.push_back(table);
        else if (table->LoadMode() == lmClone) {
            TOstraTable* root = CloneRoot(table);
            if (root && restored(root)) clones.push_back(table);
        }
    }
    for (TOstraTable* table : roots) TOstraTable::CloseWithClones(table);

    std::vector<TOstraTable*> reopened;
    std::exception_ptr firstError;
    auto open = [&](TOstraTable* table) {
        try {
            table->Open();
            reopened.push_back(table);
        } catch (...) {
            if (!firstError) firstError = std::current_exception();
        }
    };
    for (TOstraTable* table : roots) open(table);
    // A clone opens once its source is open again; chains take several rounds.
    for (bool progress = true; progress;) {
        progress = false;
        for (TOstraTable* table : clones) {
            if (table->Active() || !table->CloneDS() || !table->CloneDS()->Active()) continue;
            open(table);
            progress = progress || table->Active();
        }
    }
    if (firstError) std::rethrow_exception(firstError);
    return reopened;
}
