// Filter expressions of the suite's table: the scanner and parser that turn
// an expression such as  Name = Smith AND (Qty * 2 > 10)  into a tree, the
// tree handed to the database engine as an expression filter, and the
// installation of record callbacks.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/object.h"
#include "platform/db/dbtables.h"

class TStackStr : public TObject {
    TASKMOOR_CLASS(TStackStr, TObject)
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    void Push(const std::string& Value) { FItems.push_back(Value); }
    // The last string; empty when the stack is empty.
    std::string Pop();

private:
    std::vector<std::string> FItems;
};

class TStackPtr : public TObject {
    TASKMOOR_CLASS(TStackPtr, TObject)
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    void Push(void* Value) { FItems.push_back(Value); }
    // The last pointer; nullptr when the stack is empty.
    void* Pop();

private:
    std::vector<void*> FItems;
};

// Node kinds and operand kinds of the parse tree.
enum : uint8_t { nkComparison = 0, nkLogical = 1, nkArithmetic = 2, nkOperand = 3 };
enum : uint8_t {
    okField = 0,
    okString = 1,
    okFloat = 2,
    okDateTime = 3,
    okDate = 4,
    okTime = 5,
    okBoolean = 6,
    okInteger = 7,
    okBCD = 8,
    okSmallint = 9
};

// One node of the parse tree; it frees its children.
class TNode : public TObject {
    TASKMOOR_CLASS(TNode, TObject)
public:
    ~TNode() override;
    uint8_t NodeKind = nkOperand;
    uint8_t OperandKind = okField;
    int Index = 0;
    std::string Token;
    TNode* Left = nullptr;
    TNode* Right = nullptr;
};

// Tells a field's type by name (ignoring case); False when there is none.
using TqzFieldTypeLookup = std::function<bool(const std::string& Name, TFieldType& Type)>;

// Limits of the compiler: literal bytes of one expression, nesting depth.
inline constexpr int qzFilterLiteralLimit = 1000;
inline constexpr int qzFilterDepthLimit = 64;

// Parses an expression; nullptr on a syntax error, a literal area over the
// limit or nesting too deep. A comparison whose left operand names no field
// fails too and puts the token into MissingField.
std::unique_ptr<TNode> qzParseFilterExpression(const std::string& Text, const TqzFieldTypeLookup& Fields,
                                               std::string* MissingField = nullptr);
// The engine's expression tree of a parse tree; nullptr when a constant does
// not read as its field's kind.
std::unique_ptr<TFilterNode> qzFilterTreeOf(const TNode* Root);

// Installs Text as the table's expression filter in place of the one Handle
// names (empty text: only drops it) and refreshes the table. False when the
// text does not compile or the engine refuses it (nothing is installed then);
// a missing field shows its warning first.
bool qzInstallFilterExpression(TDBDataSet* Table, const std::string& Text, int& Handle);
// Drops the filter Handle names; with a callback, adds and activates it
// (priority 1). An engine error leaves Handle 0 and propagates.
void qzInstallFilterCallback(const TDBFilterCallback& Callback, TDBDataSet* DataSet, int& Handle);
