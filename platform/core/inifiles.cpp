// Reading and writing the ini text: parsing lines, trimming and case-blind lookup,
// and the typed reads and writes of values in sections.
#include "platform/core/inifiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cctype>
#include <cerrno>
#include <unordered_set>
#include <vector>

#include "platform/core/files.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"

namespace {

enum class TLineKind { Other, Section, Key };

// Names and values are UTF-8; text of files written elsewhere that is not
// valid UTF-8 reads as Windows-1252. Text keeps the line's own bytes.
struct TIniLine {
    TLineKind Kind = TLineKind::Other;
    std::string Text;   // the line as in the file
    std::string Name;   // section name or key (trimmed)
    std::string Value;  // key lines: everything after the first '='
};

bool IsSpaceOrTab(char c) { return c == ' ' || c == '\t'; }

std::string TrimBlanks(const std::string& s) {
    std::size_t first = 0;
    std::size_t last = s.size();
    while (first < last && IsSpaceOrTab(s[first])) ++first;
    while (last > first && IsSpaceOrTab(s[last - 1])) --last;
    return s.substr(first, last - first);
}

// The form SameText compares: every byte lower-cased.
std::string FoldCase(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

TIniLine ParseLine(std::string text) {
    TIniLine line;
    std::size_t start = 0;
    while (start < text.size() && IsSpaceOrTab(text[start])) ++start;
    if (start < text.size() && text[start] == '[') {
        std::size_t close = text.find(']', start + 1);
        if (close != std::string::npos) {
            line.Kind = TLineKind::Section;
            line.Name = EnsureUtf8(TrimBlanks(text.substr(start + 1, close - start - 1)));
        }
    } else if (start < text.size() && text[start] != ';') {
        std::size_t eq = text.find('=', start);
        if (eq != std::string::npos) {
            std::string key = TrimBlanks(text.substr(start, eq - start));
            if (!key.empty()) {
                line.Kind = TLineKind::Key;
                line.Name = EnsureUtf8(key);
                line.Value = EnsureUtf8(text.substr(eq + 1));
            }
        }
    }
    line.Text = std::move(text);
    return line;
}

// Line breaks would let a written text start lines of its own.
std::string OneLine(const std::string& s) {
    std::string result = s;
    for (char& c : result)
        if (c == '\r' || c == '\n') c = ' ';
    return result;
}

}  // namespace

// The file as a list of lines; lines before the first section belong to no
// section and are kept but never read.
struct TIniDocument {
    std::vector<TIniLine> Lines;
    bool Bom = false;
    std::string Eol = "\n";

    void Parse(const std::string& data) {
        Lines.clear();
        Bom = false;
        Eol = "\n";
        std::size_t pos = 0;
        if (data.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            Bom = true;
            pos = 3;
        }
        std::size_t firstLf = data.find('\n', pos);
        if (firstLf != std::string::npos && firstLf > pos && data[firstLf - 1] == '\r') Eol = "\r\n";
        while (pos < data.size()) {
            std::size_t end = data.find('\n', pos);
            if (end == std::string::npos) end = data.size();
            std::size_t len = end - pos;
            if (len > 0 && data[pos + len - 1] == '\r') --len;
            Lines.push_back(ParseLine(data.substr(pos, len)));
            pos = end + 1;
        }
    }

    std::string Text() const {
        std::string result = Bom ? "\xEF\xBB\xBF" : "";
        // A line ending in a carriage return of its own keeps it: a bare
        // line feed after it would read as a CR LF line end.
        for (const TIniLine& line : Lines)
            result += line.Text + (!line.Text.empty() && line.Text.back() == '\r' ? "\r\n" : Eol);
        return result;
    }

    // Calls f(index) for every key line of the named section, duplicates of
    // the section included; stops when f answers true.
    template <typename F>
    void ForEachKey(const std::string& section, F f) const {
        bool inSection = false;
        for (std::size_t i = 0; i < Lines.size(); ++i) {
            const TIniLine& line = Lines[i];
            if (line.Kind == TLineKind::Section)
                inSection = SameText(line.Name, section);
            else if (inSection && line.Kind == TLineKind::Key && f(i))
                return;
        }
    }

    const TIniLine* FindKey(const std::string& section, const std::string& key) const {
        const TIniLine* found = nullptr;
        ForEachKey(section, [&](std::size_t i) {
            if (!SameText(Lines[i].Name, key)) return false;
            found = &Lines[i];
            return true;
        });
        return found;
    }

    // The first key of each distinct name, in file order.
    std::vector<const TIniLine*> Keys(const std::string& section) const {
        std::vector<const TIniLine*> keys;
        std::unordered_set<std::string> seen;
        ForEachKey(section, [&](std::size_t i) {
            if (seen.insert(FoldCase(Lines[i].Name)).second) keys.push_back(&Lines[i]);
            return false;
        });
        return keys;
    }

    bool HasSection(const std::string& section) const {
        for (const TIniLine& line : Lines)
            if (line.Kind == TLineKind::Section && SameText(line.Name, section)) return true;
        return false;
    }

    std::vector<std::string> Sections() const {
        std::vector<std::string> names;
        std::unordered_set<std::string> seen;
        for (const TIniLine& line : Lines)
            if (line.Kind == TLineKind::Section && seen.insert(FoldCase(line.Name)).second)
                names.push_back(line.Name);
        return names;
    }

    // Answers whether the document changed.
    bool Set(const std::string& section, const std::string& key, const std::string& value) {
        std::size_t keyIndex = Lines.size();
        ForEachKey(section, [&](std::size_t i) {
            if (!SameText(Lines[i].Name, key)) return false;
            keyIndex = i;
            return true;
        });
        if (keyIndex < Lines.size()) {
            TIniLine& line = Lines[keyIndex];
            if (line.Value == value) return false;
            // The key keeps its spelling and the blanks before '='.
            line.Text = line.Text.substr(0, line.Text.find('=') + 1) + value;
            line.Value = value;
            return true;
        }
        TIniLine added = ParseLine(key + "=" + value);
        // After the last key or comment of the section's first occurrence,
        // before the blank lines that separate it from the next section.
        for (std::size_t i = 0; i < Lines.size(); ++i) {
            if (Lines[i].Kind != TLineKind::Section || !SameText(Lines[i].Name, section)) continue;
            std::size_t insertAt = i + 1;
            for (std::size_t j = i + 1; j < Lines.size() && Lines[j].Kind != TLineKind::Section; ++j)
                if (!TrimBlanks(Lines[j].Text).empty()) insertAt = j + 1;
            Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(added));
            return true;
        }
        if (!Lines.empty() && !TrimBlanks(Lines.back().Text).empty()) Lines.push_back(ParseLine(""));
        Lines.push_back(ParseLine("[" + section + "]"));
        Lines.push_back(std::move(added));
        return true;
    }

    bool DeleteKey(const std::string& section, const std::string& key) {
        bool changed = false;
        bool inSection = false;
        for (std::size_t i = 0; i < Lines.size();) {
            const TIniLine& line = Lines[i];
            if (line.Kind == TLineKind::Section) inSection = SameText(line.Name, section);
            if (inSection && line.Kind == TLineKind::Key && SameText(line.Name, key)) {
                Lines.erase(Lines.begin() + static_cast<std::ptrdiff_t>(i));
                changed = true;
            } else {
                ++i;
            }
        }
        return changed;
    }

    bool EraseSection(const std::string& section) {
        bool changed = false;
        bool inSection = false;
        std::vector<TIniLine> kept;
        for (TIniLine& line : Lines) {
            if (line.Kind == TLineKind::Section) inSection = SameText(line.Name, section);
            if (inSection)
                changed = true;
            else
                kept.push_back(std::move(line));
        }
        Lines = std::move(kept);
        return changed;
    }
};

// ---------------------------------------------------------------------------
// TCustomIniFile

namespace {

// Where a name given to an ini object lives on disk.
std::string IniPath(const std::string& fileName) {
    std::string path = fileName;
    // As on the platform, trailing dots of a file name are not part of it
    // ("." and ".." stay what they are).
    std::string name = ExtractFileName(path);
    if (name.find_first_not_of('.') != std::string::npos)
        while (path.back() == '.') path.pop_back();
    if (path.find(PathDelim) == std::string::npos)
        path = IncludeTrailingPathDelimiter(UserConfigDir()) + path;
    return path;
}

// The file's bytes; a missing file reads as empty. A name that is not a
// regular file (a folder, a named pipe, a device) is refused.
std::string ReadWholeFile(const std::string& path) {
    std::string data;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return data;
    int fd = -1;
    try {
        fd = OpenRegularFile(path, O_RDONLY);
    } catch (const EFOpenError& e) {
        if (S_ISREG(st.st_mode)) return data;  // unreadable
        throw EIniFileException(e.Message());
    }
    // No settings file is this large: one that is would be read whole at
    // every call, and a rewrite must not replace it with less.
    const auto tooLarge = [&] {
        ::close(fd);
        throw EIniFileException(Format("Cannot open file \"%s\". The file is larger than %d MB", path.c_str(),
                                       MaxIniFileSize >> 20));
    };
    struct stat opened;
    if (::fstat(fd, &opened) == 0 && opened.st_size > MaxIniFileSize) tooLarge();
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        data.append(buffer, static_cast<std::size_t>(n));
        if (static_cast<int64_t>(data.size()) > MaxIniFileSize) tooLarge();
    }
    ::close(fd);
    return data;
}

}  // namespace

TCustomIniFile::TCustomIniFile(const std::string& fileName)
    : FFileName(fileName), FPath(IniPath(fileName)), FDocument(std::make_unique<TIniDocument>()) {}

TCustomIniFile::~TCustomIniFile() = default;

void TCustomIniFile::LoadDocument() { FDocument->Parse(ReadWholeFile(FPath)); }

void TCustomIniFile::SaveDocument() {
    // A bare file name lives in the settings folder, made on first use.
    if (FFileName.find(PathDelim) == std::string::npos && !DirectoryExists(UserConfigDir()))
        ForceDirectories(UserConfigDir());
    std::string text = FDocument->Text();
    // What the reader would refuse is not written: the old file stays.
    if (static_cast<int64_t>(text.size()) > MaxIniFileSize)
        throw EIniFileException(Format("Cannot create file \"%s\". The file would be larger than %d MB",
                                       FPath.c_str(), MaxIniFileSize >> 20));
    WriteFileAtomically(FPath, text.data(), text.size());
}

std::string TCustomIniFile::ReadString(const std::string& section, const std::string& ident,
                                       const std::string& defaultValue) {
    BeforeRead();
    const TIniLine* line = FDocument->FindKey(TrimBlanks(section), TrimBlanks(ident));
    return line ? line->Value : defaultValue;
}

void TCustomIniFile::WriteString(const std::string& section, const std::string& ident,
                                 const std::string& value) {
    std::string sect = TrimBlanks(OneLine(section));
    std::string key = TrimBlanks(OneLine(ident));
    if (sect.empty() || key.empty()) throw EIniFileException("Unable to write to " + FFileName);
    BeforeRead();
    if (FDocument->Set(sect, key, OneLine(value))) AfterWrite();
}

int TCustomIniFile::ReadInteger(const std::string& section, const std::string& ident, int defaultValue) {
    std::string text = TrimBlanks(ReadString(section, ident, ""));
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text = "$" + text.substr(2);
    return StrToIntDef(text, defaultValue);
}

void TCustomIniFile::WriteInteger(const std::string& section, const std::string& ident, int value) {
    WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const std::string& section, const std::string& ident, bool defaultValue) {
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
    WriteString(section, ident, value ? "1" : "0");
}

double TCustomIniFile::ReadFloat(const std::string& section, const std::string& ident, double defaultValue) {
    double value;
    std::string text = TrimBlanks(ReadString(section, ident, ""));
    return !text.empty() && TryStrToFloat(text, value) ? value : defaultValue;
}

void TCustomIniFile::WriteFloat(const std::string& section, const std::string& ident, double value) {
    WriteString(section, ident, FloatToStr(value));
}

TDateTime TCustomIniFile::ReadDate(const std::string& section, const std::string& ident,
                                   TDateTime defaultValue) {
    TDateTime value;
    std::string text = TrimBlanks(ReadString(section, ident, ""));
    return !text.empty() && TryStrToDate(text, value) ? value : defaultValue;
}

void TCustomIniFile::WriteDate(const std::string& section, const std::string& ident, TDateTime value) {
    WriteString(section, ident, DateToStr(value));
}

void TCustomIniFile::ReadSection(const std::string& section, TStrings* strings) {
    BeforeRead();
    strings->BeginUpdate();
    strings->Clear();
    for (const TIniLine* line : FDocument->Keys(TrimBlanks(section))) strings->Add(line->Name);
    strings->EndUpdate();
}

void TCustomIniFile::ReadSections(TStrings* strings) {
    BeforeRead();
    strings->BeginUpdate();
    strings->Clear();
    for (const std::string& name : FDocument->Sections()) strings->Add(name);
    strings->EndUpdate();
}

void TCustomIniFile::ReadSectionValues(const std::string& section, TStrings* strings) {
    BeforeRead();
    strings->BeginUpdate();
    strings->Clear();
    for (const TIniLine* line : FDocument->Keys(TrimBlanks(section)))
        strings->Add(line->Name + "=" + line->Value);
    strings->EndUpdate();
}

bool TCustomIniFile::SectionExists(const std::string& section) {
    BeforeRead();
    return FDocument->HasSection(TrimBlanks(section));
}

bool TCustomIniFile::ValueExists(const std::string& section, const std::string& ident) {
    BeforeRead();
    return FDocument->FindKey(TrimBlanks(section), TrimBlanks(ident)) != nullptr;
}

void TCustomIniFile::EraseSection(const std::string& section) {
    BeforeRead();
    if (FDocument->EraseSection(TrimBlanks(section))) AfterWrite();
}

void TCustomIniFile::DeleteKey(const std::string& section, const std::string& ident) {
    BeforeRead();
    if (FDocument->DeleteKey(TrimBlanks(section), TrimBlanks(ident))) AfterWrite();
}

// ---------------------------------------------------------------------------
// TIniFile, TMemIniFile

TIniFile::TIniFile(const std::string& fileName) : TCustomIniFile(fileName) {}

void TIniFile::BeforeRead() { LoadDocument(); }

void TIniFile::AfterWrite() {
    try {
        SaveDocument();
    } catch (const Exception& e) {
        // the reason on a line of its own
        throw EIniFileException("Unable to write to " + FileName() +
                                (e.Message().empty() ? "" : "\n" + e.Message()));
    }
}

TMemIniFile::TMemIniFile(const std::string& fileName) : TCustomIniFile(fileName) { LoadDocument(); }

void TMemIniFile::UpdateFile() { SaveDocument(); }
