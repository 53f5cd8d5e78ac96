// The grid's column layout in an ini file or the registry (see qzgridlayout.h).
#include "suite/grid/qzgridlayout.h"

#include <memory>

#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/inifiles.h"
#include "platform/core/registry_ini.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzlinelists.h"
#include "suite/grid/qzdbgrid.h"

namespace {

void Warn(const std::string& Text) { MessageDlg(Text, mtWarning, {mbOK}, 0); }

std::vector<std::string> SplitTabs(const std::string& Line) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t tab = Line.find('\t', start);
        parts.push_back(Line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return parts;
        start = tab + 1;
    }
}

std::vector<std::string> LinesOf(TStrings* List) {
    std::vector<std::string> lines;
    for (int i = 0; i < List->Count(); ++i) lines.push_back(List->Strings(i));
    return lines;
}

// Reads a section's entries in their stored order.
TqzLayoutEntries ReadEntries(TStrings* Values) {
    TqzLayoutEntries entries;
    for (int i = 0; i < Values->Count(); ++i) {
        const std::string& line = Values->Strings(i);
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        entries.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return entries;
}

}  // namespace

TqzLayoutRead qzReadLayout(const TqzLayoutEntries& Entries, const std::string& Delimiter,
                           const std::vector<std::string>& OldLines, bool CheckNewFields,
                           std::vector<std::string>& Lines) {
    if (Entries.empty()) return TqzLayoutRead::Empty;
    Lines.clear();
    if (Delimiter.empty()) return TqzLayoutRead::NoDelimiter;
    for (const auto& [key, value] : Entries) {
        if (value.find(Delimiter) == std::string::npos) {
            Lines.clear();
            return TqzLayoutRead::NoDelimiter;
        }
        std::string line = key + "\t";
        for (size_t i = 0; i < value.size();) {
            if (value.compare(i, Delimiter.size(), Delimiter) == 0) {
                line += '\t';
                i += Delimiter.size();
            } else {
                line += value[i++];
            }
        }
        Lines.push_back(line);
    }
    if (CheckNewFields) {
        std::vector<std::string> names;
        for (const std::string& l : Lines) names.push_back(SplitTabs(l)[0]);
        for (const std::string& old : OldLines) {
            const std::string name = SplitTabs(old)[0];
            bool found = false;
            for (const std::string& n : names) found = found || SameText(n, name);
            if (!found) Lines.push_back(old);
        }
    }
    return TqzLayoutRead::Loaded;
}

TqzLayoutEntries qzLayoutEntries(const std::vector<std::string>& Lines, const std::string& Delimiter) {
    TqzLayoutEntries entries;
    for (const std::string& line : Lines) {
        const std::vector<std::string> parts = SplitTabs(line);
        auto part = [&](size_t i) { return i < parts.size() ? parts[i] : std::string(); };
        std::string value = part(1) + Delimiter + part(2) + Delimiter + (parts.size() < 4 ? "F" : part(3));
        if (parts.size() == 5 && !parts[4].empty()) value += Delimiter + parts[4];
        entries.emplace_back(parts[0], value);
    }
    return entries;
}

TqzIniAttributes::TqzIniAttributes(TqzDBGrid* Grid) : FGrid(Grid) {}

void TqzIniAttributes::Publish(TPublisher<TqzIniAttributes>& p) {
    using Self = TqzIniAttributes;
    p.Property("FileName", &Self::StoredFileName, &Self::SetFileName);
    p.Property("SectionName", &Self::SectionName, &Self::SetSectionName);
    p.Property("Delimiter", &Self::Delimiter, &Self::SetDelimiter);
    p.Property("Enabled", &Self::Enabled, &Self::SetEnabled);
    p.Property("SaveToRegistry", &Self::SaveToRegistry, &Self::SetSaveToRegistry);
    p.Property("CheckNewFields", &Self::CheckNewFields, &Self::SetCheckNewFields);
}

void TqzIniAttributes::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TqzIniAttributes*>(Source);
    if (!other) {
        TPersistent::Assign(Source);
        return;
    }
    FFileName = other->FFileName;
    FSectionName = other->FSectionName;
    FDelimiter = other->FDelimiter;
    FEnabled = other->FEnabled;
    FSaveToRegistry = other->FSaveToRegistry;
    FCheckNewFields = other->FCheckNewFields;
}

bool TqzIniAttributes::Designing() const { return FGrid && FGrid->ComponentState().Contains(csDesigning); }

std::string TqzIniAttributes::FileName() const {
    if (!FFileName.empty()) return FFileName;
    TqzIntl* intl = qzIntl();
    if (!intl || !intl->Connected()) return {};
    std::string name = intl->IniFileName();
    if (name.empty() && !FSaveToRegistry && !Designing() && Application) {
        name = ExtractFileName(Application->ExeName());
        name = name.substr(0, name.find('.')) + ".ini";
    }
    return name;
}

std::string TqzIniAttributes::SectionName() const {
    if (!FSectionName.empty()) return FSectionName;
    if (Designing() || !FGrid) return {};
    return FFormName + FGrid->Name();
}

void TqzIniAttributes::Save() {
    if (!FGrid || Designing()) return;
    const std::string fileName = FileName();
    const bool destroying = FGrid->Destroying();
    if (FSaveToRegistry && fileName.empty()) {
        if (!destroying) Warn("FileName required when saving to registry");
        return;
    }
    // Without a file name there is nowhere to keep the layout.
    if (fileName.empty()) return;
    if (!FSaveToRegistry) {
        const std::string dir = ExtractFileDir(fileName);
        if (!dir.empty() && !DirectoryExists(dir)) {
            if (!destroying) Warn("Directory does not exist");
            return;
        }
    }
    if (FDelimiter.empty()) {
        if (!destroying) Warn("Key delimiter required");
        return;
    }
    std::vector<std::string> lines;
    if (FGrid->UseTFields()) {
        for (int i = 0; TField* f = FGrid->GetColField(i); ++i)
            lines.push_back(f->FieldName() + "\t" + std::to_string(f->DisplayWidth()) + "\t" +
                            f->DisplayLabel() + "\tF");
    } else {
        lines = LinesOf(FGrid->Selected());
    }
    if (lines.empty()) return;
    const TqzLayoutEntries entries = qzLayoutEntries(lines, FDelimiter);
    const std::string section = SectionName();
    // The section is replaced in memory and the file written once, whole:
    // a save that fails keeps the layout stored before, and the user is told why.
    try {
        if (FSaveToRegistry) {
            TRegistryIniFile(fileName).ReplaceSection(section, entries);
            return;
        }
        TMemIniFile ini(fileName);
        ini.EraseSection(section);
        for (const auto& [key, value] : entries) ini.WriteString(section, key, value);
        ini.UpdateFile();
    } catch (const Exception& e) {
        if (!destroying) Warn(e.Message());
    }
}

void TqzIniAttributes::Load() {
    if (!FGrid || Designing()) return;
    const std::string fileName = FileName();
    if (FSaveToRegistry && fileName.empty()) {
        Warn("FileName required when saving to registry");
        return;
    }
    if (fileName.empty()) return;
    if (FDelimiter.empty()) {
        Warn("Key delimiter required");
        return;
    }
    if (!FSaveToRegistry) {
        const std::string dir = ExtractFileDir(fileName);
        if (!dir.empty() && !DirectoryExists(dir)) {
            Warn("Directory does not exist");
            return;
        }
    }
    const std::vector<std::string> old = LinesOf(FGrid->Selected());
    TStringList values;
    const std::string section = SectionName();
    try {
        if (FSaveToRegistry) {
            TRegistryIniFile reg(fileName);
            reg.ReadSectionValues(section, &values);
        } else {
            TIniFile ini(fileName);
            ini.ReadSectionValues(section, &values);
        }
    } catch (const EIniFileException& e) {
        // A name that is no readable file: the layout stays as designed.
        Warn(e.Message());
        return;
    }
    std::vector<std::string> lines;
    switch (qzReadLayout(ReadEntries(&values), FDelimiter, old, FCheckNewFields, lines)) {
    case TqzLayoutRead::Empty: return;
    case TqzLayoutRead::NoDelimiter:
        Warn("Key Delimiter Not Found");
        if (FGrid->UseTFields())
            FGrid->Selected()->Clear();
        else {
            TStringList back;
            for (const std::string& l : old) back.Add(l);
            FGrid->Selected()->Assign(&back);
        }
        return;
    case TqzLayoutRead::Loaded: break;
    }
    TStringList list;
    for (const std::string& l : lines) list.Add(l);
    if (FGrid->UseTFields()) {
        TDataSet* ds = FGrid->DataLink()->DataSet();
        FGrid->Selected()->Assign(&list);
        if (ds) {
            try {
                qzApplyDisplayFields(ds, &list);
            } catch (const EConvertError&) {
                Warn("Invalid column width in the stored layout");
                return;
            }
        }
        FGrid->LayoutChanged();
    } else {
        FGrid->SetSelected(&list);
        FGrid->LayoutChanged();
    }
}
