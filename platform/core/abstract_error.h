// The error of calling an operation that a class declares but leaves to its
// descendants ("Abstract Error").
#pragma once

#include "platform/core/exceptions.h"

class EAbstractError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EAbstractError"; }
};

// Raises EAbstractError "Abstract Error".
[[noreturn]] inline void AbstractError() { throw EAbstractError("Abstract Error"); }
