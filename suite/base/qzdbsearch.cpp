// The text, integer, joined and negated tests built as engine filter nodes.
#include "suite/base/qzdbsearch.h"

namespace {

std::unique_ptr<TFilterNode> Node(TFilterNodeKind Kind, const std::string& Text) {
    auto n = std::make_unique<TFilterNode>();
    n->Kind = Kind;
    n->Text = Text;
    return n;
}

}  // namespace

std::unique_ptr<TFilterNode> qzTextTest(const std::string& FieldName, const std::string& Op,
                                        const std::string& Value, bool Fold) {
    auto n = Node(fnCompare, Op);
    n->Texts = true;
    n->Fold = Fold;
    n->Left = Node(fnField, FieldName);
    n->Right = Node(fnConstant, Value);
    return n;
}

std::unique_ptr<TFilterNode> qzUpperTextTest(const std::string& FieldName, const std::string& Op,
                                             const std::string& Value) {
    auto n = qzTextTest(FieldName, Op, Value, false);
    n->Upper = true;
    return n;
}

std::unique_ptr<TFilterNode> qzIntegerTest(const std::string& FieldName, const std::string& Op,
                                           int64_t Value) {
    auto n = Node(fnCompare, Op);
    n->Left = Node(fnField, FieldName);
    n->Right = Node(fnConstant, std::to_string(Value));
    n->Right->ConstType = ftInteger;
    return n;
}

std::unique_ptr<TFilterNode> qzJoinTests(const std::string& Op, std::unique_ptr<TFilterNode> Left,
                                         std::unique_ptr<TFilterNode> Right) {
    if (!Left) return Right;
    if (!Right) return Left;
    auto n = Node(fnLogical, Op);
    n->Left = std::move(Left);
    n->Right = std::move(Right);
    return n;
}

std::unique_ptr<TFilterNode> qzNotTest(std::unique_ptr<TFilterNode> Test) {
    auto n = Node(fnLogical, "NOT");
    n->Left = std::move(Test);
    return n;
}
