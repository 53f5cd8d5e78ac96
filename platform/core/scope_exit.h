// Runs a function when a scope ends, however it ends (a flag or a count put
// back after a call that may throw).
#pragma once

#include <utility>

template <class F>
class TScopeExit {
public:
    explicit TScopeExit(F Function) : FFunction(std::move(Function)) {}
    ~TScopeExit() { FFunction(); }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    F FFunction;
};
