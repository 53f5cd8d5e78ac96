// The regular-expression library over PCRE2 (through QRegularExpression).
#include "platform/ui/regex.h"

#include <QRegularExpression>
#include <QString>

#include <atomic>

#include "platform/core/object.h"

namespace {

std::atomic<bool> GLoadFails{false};
std::atomic<int> GOpenCount{0};
constexpr uintptr_t kHandle = 0x5A00;

// Lower limits than PCRE2's defaults, so a runaway pattern gives up quickly.
const QString kLimits = QStringLiteral("(*LIMIT_MATCH=1000000)(*LIMIT_DEPTH=10000)");

// What ends the pattern before the anchor that follows it. A valid pattern
// can still end inside a comment that runs to the line's end (extended mode:
// "(?x)a # note") or inside a quote ("\\Qa+"), which would take the anchor in
// as its own text; a line break ends the one and \\E the other, and neither
// adds anything to match. A pattern that ends in neither gets nothing.
QString EndOf(const QString& Bare, QRegularExpression::PatternOptions Options) {
    for (const QString& end :
         {QString(), QStringLiteral("\n"), QStringLiteral("\\E"), QStringLiteral("\\E\n")})
        if (QRegularExpression(QStringLiteral("(?:") + Bare + end + QStringLiteral(")"), Options).isValid())
            return end;
    return QString();
}

// The pattern anchored to the whole text, or an invalid expression. The bare
// pattern is checked first: a pattern that compiles on its own has balanced
// groups, so wrapping it cannot change how it splits into alternatives.
QRegularExpression Compile(const char* Pattern, bool IgnoreCase) {
    const QString bare = QString::fromUtf8(Pattern ? Pattern : "");
    QRegularExpression::PatternOptions options = QRegularExpression::NoPatternOption;
    if (IgnoreCase) options |= QRegularExpression::CaseInsensitiveOption;
    if (!QRegularExpression(bare, options).isValid()) return QRegularExpression(QStringLiteral("("));
    return QRegularExpression(
        kLimits + QStringLiteral("\\A(?:") + bare + EndOf(bare, options) + QStringLiteral(")\\z"), options);
}

}  // namespace

int RegexMatch(const char* Pattern, int IgnoreCase, const char* Text) {
    try {
        const QRegularExpression re = Compile(Pattern, IgnoreCase != 0);
        if (!re.isValid()) return 0;
        const QString text = QString::fromUtf8(Text ? Text : "");
        const QRegularExpressionMatch m = re.match(text);
        // The span test also guards against anything ending a match early.
        return m.hasMatch() && m.capturedStart(0) == 0 && m.capturedEnd(0) == text.size() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int RegexSyntaxValid(const char* Pattern) {
    try {
        return Compile(Pattern, false).isValid() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

uintptr_t LoadRegexLibrary(const std::string& Name) {
    if (GLoadFails || !SameName(Name, RegexLibraryName)) return 0;
    ++GOpenCount;
    return kHandle;
}

void* GetRegexProcAddress(uintptr_t Library, const std::string& ProcName) {
    if (Library != kHandle || GOpenCount <= 0) return nullptr;
    if (ProcName == "RegexMatch") return reinterpret_cast<void*>(&RegexMatch);
    if (ProcName == "RegexSyntaxValid") return reinterpret_cast<void*>(&RegexSyntaxValid);
    return nullptr;
}

void FreeRegexLibrary(uintptr_t Library) {
    if (Library == kHandle && GOpenCount > 0) --GOpenCount;
}

void SetRegexLibraryLoadFails(bool Value) { GLoadFails = Value; }
bool RegexLibraryLoadFails() { return GLoadFails; }
