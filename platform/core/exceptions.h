// The platform's exception classes. Every failure the system reports is one of
// these, carrying the exact message text the user or the caller sees.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const char* what() const noexcept override { return FMessage.c_str(); }
    const std::string& Message() const { return FMessage; }
    void SetMessage(const std::string& value) { FMessage = value; }
    // The class name as the platform reports it ("EDatabaseError", ...).
    virtual const char* ClassName() const { return "Exception"; }

private:
    std::string FMessage;
};

#define TASKMOOR_EXCEPTION(Name, Base)                           \
    class Name : public Base {                                   \
    public:                                                      \
        using Base::Base;                                        \
        const char* ClassName() const override { return #Name; } \
    };

TASKMOOR_EXCEPTION(EAbort, Exception)             // silent abort of an operation
TASKMOOR_EXCEPTION(EDatabaseError, Exception)     // dataset framework and table engine
TASKMOOR_EXCEPTION(EInvalidOperation, Exception)  // controls, suite validation
TASKMOOR_EXCEPTION(EConvertError, Exception)      // text to number or date conversions
TASKMOOR_EXCEPTION(EListError, Exception)         // list and string-list index errors
TASKMOOR_EXCEPTION(EStringListError, EListError)
TASKMOOR_EXCEPTION(EDateTimeError, Exception)  // suite date controls: out of range
TASKMOOR_EXCEPTION(EStreamError, Exception)
TASKMOOR_EXCEPTION(EReadError, EStreamError)  // reading past the end of a stream
TASKMOOR_EXCEPTION(EWriteError, EStreamError)
TASKMOOR_EXCEPTION(EFileStreamError, EStreamError)
TASKMOOR_EXCEPTION(EFCreateError, EFileStreamError)  // "Cannot create file %s"
TASKMOOR_EXCEPTION(EFOpenError, EFileStreamError)    // "Cannot open file %s"
TASKMOOR_EXCEPTION(EInOutError, Exception)           // file copy and other file errors
TASKMOOR_EXCEPTION(EPropertyError, Exception)        // unknown or read-only published property
TASKMOOR_EXCEPTION(EComponentError, Exception)       // duplicate or invalid component name
TASKMOOR_EXCEPTION(EVariantError, Exception)         // variant conversion
TASKMOOR_EXCEPTION(EOutOfResources, Exception)

#undef TASKMOOR_EXCEPTION

// Raises EListError for an index outside a list.
[[noreturn]] inline void ListIndexError(int Index) {
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}
