#pragma once
// Catches a hardware exception (access violation and the like) raised inside a call into foreign
// code, such as the installer engine. GCC has no __try/__except for these targets, so the guard
// brings its own handler: linked into the thread's exception chain around the call on x86, named
// in the unwind data of a frame around the call on x64. Either way handlers inside the call see
// the exception first, and the guard takes only what they leave unhandled. On x64 the frames
// between the guard and the faulting code need unwind data: call it from run/ (see CMakeLists.txt).

using GuardedCall = void (*)(void* context);

// Runs `call(context)`. True when it returned normally; false when a hardware exception was raised
// inside it, with its code in `exceptionCode`. C++ exceptions must not leave `call`.
bool RunWithExceptionGuard(GuardedCall call, void* context, unsigned long& exceptionCode);

// Calls the function or lambda that `context` points to a pointer to: how a template hands one
// to a GuardedCall parameter (no std::function).
template <typename Pointer> void CallThroughPointer(void* context) {
    (**static_cast<Pointer*>(context))();
}

// The same for a function or lambda.
template <typename Call> bool RunWithExceptionGuard(Call&& call, unsigned long& exceptionCode) {
    auto* target = &call;
    return RunWithExceptionGuard(&CallThroughPointer<decltype(target)>, &target, exceptionCode);
}
