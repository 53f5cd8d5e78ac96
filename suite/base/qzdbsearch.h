// Tests of a field's text the database engine answers for the suite's
// searches and filters, as expression trees of the engine (TFilterNode).
#pragma once

#include <memory>
#include <string>

#include "platform/db/dbtables.h"

// A text test of a field's text against Value, byte by byte with a null read
// as the empty text: Op "STARTS", "CONTAINS", "ENDS" (Value's first
// occurrence ends the text) or "=", "<>", "<", ">", "<=", ">=". With Fold the
// field's text is folded (case_fold.h); Value is taken as it is.
std::unique_ptr<TFilterNode> qzTextTest(const std::string& FieldName, const std::string& Op,
                                        const std::string& Value, bool Fold);
// The same with the field's text upper-cased (UnicodeUpperCase): the order
// of a case-blind range.
std::unique_ptr<TFilterNode> qzUpperTextTest(const std::string& FieldName, const std::string& Op,
                                             const std::string& Value);
// The field compared with an integer by Op.
std::unique_ptr<TFilterNode> qzIntegerTest(const std::string& FieldName, const std::string& Op,
                                           int64_t Value);
// "AND" or "OR" of two trees; either may be nullptr (the other is answered).
std::unique_ptr<TFilterNode> qzJoinTests(const std::string& Op, std::unique_ptr<TFilterNode> Left,
                                         std::unique_ptr<TFilterNode> Right);
// The test not met (or unknown).
std::unique_ptr<TFilterNode> qzNotTest(std::unique_ptr<TFilterNode> Test);
