// The expression scanner and parser with their stacks, constants for dates and times,
// the tree they emit, and the installing of it as the table's filter.
#include "suite/data/qzfilter.h"

#include <cctype>
#include <cstring>

#include "platform/core/datetime.h"
#include "platform/core/sysutils.h"
#include "platform/db/fielddefs.h"
#include "platform/ui/dialogs.h"

std::string TStackStr::Pop() {
    if (FItems.empty()) return std::string();
    std::string v = std::move(FItems.back());
    FItems.pop_back();
    return v;
}

void* TStackPtr::Pop() {
    if (FItems.empty()) return nullptr;
    void* v = FItems.back();
    FItems.pop_back();
    return v;
}

TNode::~TNode() {
    delete Left;
    delete Right;
}

namespace {

bool IdentStart(unsigned char c) {
    return std::isalpha(c) || c == '_' || c == '`' || c == '!' || c == '#' || c == '$' || c == '*' ||
           c == '+' || c == '-' || c == '/' || c == '@' || c >= 0x92;
}

uint8_t KindOf(TFieldType t) {
    switch (t) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftMemo: return okString;
    case ftFloat:
    case ftCurrency: return okFloat;
    case ftDateTime:
    case ftTimeStamp: return okDateTime;
    case ftDate: return okDate;
    case ftTime: return okTime;
    case ftBoolean: return okBoolean;
    case ftInteger:
    case ftAutoInc:
    case ftLargeint: return okInteger;
    case ftBCD:
    case ftFMTBcd: return okBCD;
    case ftSmallint:
    case ftWord: return okSmallint;
    default: return okString;
    }
}

class TParser {
public:
    TParser(const std::string& text, const TqzFieldTypeLookup& fields, std::string* missing)
        : FText(text), FFields(fields), FMissing(missing) {}

    TNode* Run() {
        if (!L()) return Fail();
        SkipBlanks();
        if (FPos != FText.size() || FNodes.Count() != 1) return Fail();
        return static_cast<TNode*>(FNodes.Pop());
    }
    ~TParser() {
        while (FNodes.Count()) delete static_cast<TNode*>(FNodes.Pop());
    }

private:
    TNode* Fail() {
        while (FNodes.Count()) delete static_cast<TNode*>(FNodes.Pop());
        return nullptr;
    }
    void SkipBlanks() {
        while (FPos < FText.size() && (FText[FPos] == ' ' || FText[FPos] == '\t')) ++FPos;
    }
    bool Peek(const char* s) {
        SkipBlanks();
        return FText.compare(FPos, std::strlen(s), s) == 0;
    }
    static std::string CutTrailing(std::string s) {
        while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
        return s;
    }
    // The next token, or empty when the scanner takes nothing.
    std::string Scan(bool logical) {
        SkipBlanks();
        if (FPos >= FText.size()) return std::string();
        const size_t start = FPos;
        const auto c = static_cast<unsigned char>(FText[FPos]);
        auto rel = [](char ch) { return ch == '<' || ch == '=' || ch == '>'; };
        if (c == '(' || c == ')') {
            ++FPos;
        } else if (rel(static_cast<char>(c))) {
            ++FPos;
            if (FPos < FText.size() && rel(FText[FPos])) ++FPos;
        } else if (logical) {
            const std::string up = UpperCase(FText.substr(FPos, 3));
            if (up == "AND")
                FPos += 3;
            else if (up.compare(0, 2, "OR") == 0)
                FPos += 2;
            else
                return std::string();
        } else if (IdentStart(c)) {
            ++FPos;
            while (FPos < FText.size()) {
                const auto d = static_cast<unsigned char>(FText[FPos]);
                if (!(IdentStart(d) || d == ' ' || std::isdigit(d))) break;
                // a blank before the word AND or OR ends the identifier
                if (d == ' ' && LogicalWordAt(FPos + 1)) break;
                ++FPos;
            }
        } else if (std::isdigit(c) || c == '-') {
            if (c == '-') ++FPos;
            while (FPos < FText.size() && std::isdigit(static_cast<unsigned char>(FText[FPos]))) ++FPos;
            const char sep = FormatSettings().DecimalSeparator;
            if (FPos < FText.size() && FText[FPos] == sep) {
                ++FPos;
                while (FPos < FText.size() && std::isdigit(static_cast<unsigned char>(FText[FPos]))) ++FPos;
            }
        } else if (c == '"') {
            const size_t end = FText.find('"', FPos + 1);
            if (end == std::string::npos) return std::string();
            FPos = end + 1;
        } else {
            return std::string();
        }
        return CutTrailing(FText.substr(start, FPos - start));
    }
    bool LogicalWordAt(size_t p) const {
        while (p < FText.size() && FText[p] == ' ') ++p;
        for (const char* w : {"AND", "OR"}) {
            const size_t n = std::strlen(w);
            if (UpperCase(FText.substr(p, n)) != w) continue;
            const size_t after = p + n;
            if (after >= FText.size() || FText[after] == ' ' || FText[after] == '\t' || FText[after] == '(')
                return true;
        }
        return false;
    }
    bool Literal(const std::string& s) {
        FLiterals += static_cast<int>(s.size()) + 1;
        return FLiterals <= qzFilterLiteralLimit;
    }
    bool Reduce(uint8_t kind, const std::string& op) {
        auto* right = static_cast<TNode*>(FNodes.Pop());
        auto* left = static_cast<TNode*>(FNodes.Pop());
        auto* node = new TNode;
        node->NodeKind = kind;
        node->Token = op;
        node->Left = left;
        node->Right = right;
        FNodes.Push(node);
        if (!left || !right) return false;
        if (kind != nkComparison) return true;
        if (left->NodeKind != nkOperand) return true;
        TFieldType type = ftUnknown;
        if (!FFields(left->Token, type)) {
            if (FMissing) *FMissing = left->Token;
            return false;
        }
        if (right->NodeKind == nkOperand) {
            right->OperandKind = KindOf(type);
            std::string& t = right->Token;
            if (t.size() >= 2 && t.front() == '"' && t.back() == '"') t = t.substr(1, t.size() - 2);
        }
        return true;
    }
    bool L() {
        if (++FDepth > qzFilterDepthLimit) return false;
        if (!R()) return false;
        for (;;) {
            const size_t save = FPos;
            std::string op = UpperCase(Scan(true));
            if (op != "AND" && op != "OR") {
                FPos = save;
                break;
            }
            if (!R() || !Reduce(nkLogical, op)) return false;
        }
        --FDepth;
        return true;
    }
    bool R() {
        if (!E()) return false;
        const size_t save = FPos;
        SkipBlanks();
        if (FPos < FText.size() && (FText[FPos] == '<' || FText[FPos] == '=' || FText[FPos] == '>')) {
            const std::string op = Scan(false);
            if (op != "<" && op != "<>" && op != "<=" && op != ">=" && op != "=" && op != ">") return false;
            if (!E()) return false;
            return Reduce(nkComparison, op);
        }
        FPos = save;
        return true;
    }
    bool E() {
        if (!T()) return false;
        while (Peek("+") || Peek("-")) {
            const std::string op(1, FText[FPos++]);
            if (!T() || !Reduce(nkArithmetic, op)) return false;
        }
        return true;
    }
    bool T() {
        if (++FDepth > qzFilterDepthLimit) return false;
        if (!P()) return false;
        if (Peek("*") || Peek("/")) {
            const std::string op(1, FText[FPos++]);
            if (!T() || !Reduce(nkArithmetic, op)) return false;
        }
        --FDepth;
        return true;
    }
    bool P() {
        if (Peek("(")) {
            ++FPos;
            if (!L()) return false;
            if (!Peek(")")) return false;
            ++FPos;
            return true;
        }
        if (Peek(")")) return false;
        const std::string token = Scan(false);
        if (token.empty() || token == "(" || token == ")" || token[0] == '<' || token[0] == '=' ||
            token[0] == '>')
            return false;
        if (!Literal(token)) return false;
        FTokens.Push(token);
        auto* node = new TNode;
        node->Token = FTokens.Pop();
        FNodes.Push(node);
        return true;
    }

    const std::string& FText;
    const TqzFieldTypeLookup& FFields;
    std::string* FMissing;
    size_t FPos = 0;
    int FDepth = 0;
    int FLiterals = 0;
    TStackStr FTokens;
    TStackPtr FNodes;
};

std::string IsoDate(TDateTime d) {
    int y = 0, m = 0, day = 0;
    DecodeDate(d, y, m, day);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, day);
    return buf;
}

std::string IsoTime(TDateTime d) {
    int h = 0, mi = 0, s = 0, ms = 0;
    DecodeTime(d, h, mi, s, ms);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, mi, s);
    return buf;
}

bool Constant(const TNode* n, TFilterNode& out) {
    out.Kind = fnConstant;
    out.Text = n->Token;
    double f = 0;
    TDateTime d = 0;
    switch (n->OperandKind) {
    case okString: out.ConstType = ftString; return true;
    case okFloat:
    case okBCD: out.ConstType = ftFloat; return TryStrToFloat(n->Token, f);
    case okInteger:
    case okSmallint: {
        out.ConstType = ftInteger;
        int64_t v = 0;
        return TryStrToInt64(n->Token, v);
    }
    case okBoolean: {
        const std::string u = UpperCase(n->Token);
        out.ConstType = ftBoolean;
        if (u == "TRUE" || u == "T" || u == "1")
            out.Text = "1";
        else if (u == "FALSE" || u == "F" || u == "0")
            out.Text = "0";
        else
            return false;
        return true;
    }
    case okDate:
        out.ConstType = ftDate;
        if (!TryStrToDate(n->Token, d)) return false;
        out.Text = IsoDate(d);
        return true;
    case okTime:
        out.ConstType = ftTime;
        if (!TryStrToTime(n->Token, d)) return false;
        out.Text = IsoTime(d);
        return true;
    case okDateTime:
        out.ConstType = ftDateTime;
        if (!TryStrToDateTime(n->Token, d)) return false;
        out.Text = IsoDate(d) + " " + IsoTime(d);
        return true;
    default: return false;
    }
}

std::unique_ptr<TFilterNode> Emit(const TNode* n, int& index) {
    if (!n) return nullptr;
    auto out = std::make_unique<TFilterNode>();
    if (n->NodeKind == nkOperand) {
        if (n->OperandKind == okField) {
            out->Kind = fnField;
            out->Text = n->Token;
        } else if (!Constant(n, *out)) {
            return nullptr;
        }
        return out;
    }
    out->Kind = n->NodeKind == nkComparison ? fnCompare : n->NodeKind == nkLogical ? fnLogical : fnArithmetic;
    out->Text = n->Token;
    out->Left = Emit(n->Left, index);
    out->Right = Emit(n->Right, index);
    if (!out->Left || !out->Right) return nullptr;
    ++index;
    return out;
}

}  // namespace

std::unique_ptr<TNode> qzParseFilterExpression(const std::string& Text, const TqzFieldTypeLookup& Fields,
                                               std::string* MissingField) {
    if (MissingField) MissingField->clear();
    TParser parser(Text, Fields, MissingField);
    return std::unique_ptr<TNode>(parser.Run());
}

std::unique_ptr<TFilterNode> qzFilterTreeOf(const TNode* Root) {
    int index = 0;
    return Emit(Root, index);
}

bool qzInstallFilterExpression(TDBDataSet* Table, const std::string& Text, int& Handle) {
    if (!Table) return false;
    std::unique_ptr<TFilterNode> tree;
    if (!Text.empty()) {
        if (Table->FieldDefs()->Count() == 0) Table->InitFieldDefs();
        TFieldDefs* defs = Table->FieldDefs();
        const TqzFieldTypeLookup lookup = [defs](const std::string& name, TFieldType& type) {
            const int i = defs->IndexOf(name);
            if (i < 0) return false;
            type = defs->Items(i)->DataType();
            return true;
        };
        std::string missing;
        std::unique_ptr<TNode> root = qzParseFilterExpression(Text, lookup, &missing);
        if (!root) {
            if (!missing.empty())
                MessageDlg(missing + "\nField not found in Table. ", mtWarning, TMsgDlgButtons{mbOK}, 0);
            return false;
        }
        tree = qzFilterTreeOf(root.get());
        if (!tree) return false;
    }
    int added = 0;
    if (tree) {
        try {
            added = Table->AddFilterExpression(std::move(tree), 1);
        } catch (const EDatabaseError&) {
            return false;
        }
    }
    if (Handle) Table->DropFilter(Handle);
    Handle = added;
    if (added) {
        try {
            Table->ActivateFilter(added, true);
        } catch (...) {
            Table->DropFilter(added);
            Handle = 0;
            throw;
        }
    } else if (Table->Active()) {
        Table->RefreshCursor();
    }
    return true;
}

void qzInstallFilterCallback(const TDBFilterCallback& Callback, TDBDataSet* DataSet, int& Handle) {
    if (!DataSet) return;
    if (Handle) {
        const int old = Handle;
        Handle = 0;
        DataSet->DropFilter(old);
    }
    if (!Callback) return;
    const int added = DataSet->AddFilter(Callback, 1);
    Handle = added;
    DataSet->ActivateFilter(added, true);
}
