#pragma once
// Catches a hardware exception (access violation and the like) raised inside a call into foreign
// code, such as the installer engine. GCC has no __try/__except for this target, so the guard
// links its own handler into the thread's exception chain around the call.
#include <functional>

// Runs `call`. True when it returned normally; false when a hardware exception was raised inside
// it, with its code in `exceptionCode`. C++ exceptions must not leave `call`.
bool RunWithExceptionGuard(const std::function<void()>& call, unsigned long& exceptionCode);
