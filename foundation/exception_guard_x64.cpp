#include "foundation/exception_guard.h"

// x64 has no handler chain on the stack: the system finds handlers through each function's
// unwind data. GCC cannot declare a handler for a C++ function, so a small assembly frame around
// the call names GuardHandler as its language handler, as __except does for MSVC code.
#if defined(__x86_64__)
#include <windows.h>

extern "C" {
// Runs call(context); 0 when it returned, 1 when GuardHandler unwound back into the frame.
unsigned long GuardedFrame(GuardedCall call, void* context, unsigned long* exceptionCode);
// Where the unwind resumes the guarded frame (inside GuardedFrame, after the call).
extern const char GuardedFrameResume[];
EXCEPTION_DISPOSITION GuardHandler(EXCEPTION_RECORD* record, void* establisherFrame, CONTEXT*,
                                   DISPATCHER_CONTEXT* dispatch);
}

// The frame keeps exceptionCode at 32(%rsp), above the callee's home area; the establisher frame
// the system hands GuardHandler is that same stack pointer.
asm(R"(
    .text
    .globl GuardedFrame
    .def GuardedFrame; .scl 2; .type 32; .endef
    .seh_proc GuardedFrame
GuardedFrame:
    .seh_handler GuardHandler, @except
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    movq %r8, 32(%rsp)
    movq %rcx, %rax
    movq %rdx, %rcx
    callq *%rax
    xorl %eax, %eax
    .globl GuardedFrameResume
GuardedFrameResume:
    addq $40, %rsp
    ret
    .seh_endproc
)");

namespace {
constexpr DWORD kExceptionCodeSlot = 32;
} // namespace

// Asked only once every handler inside the call has declined the exception.
extern "C" __attribute__((used)) EXCEPTION_DISPOSITION GuardHandler(EXCEPTION_RECORD* record,
                                                                    void* establisherFrame,
                                                                    CONTEXT*,
                                                                    DISPATCHER_CONTEXT* dispatch) {
    if (record->ExceptionFlags & EXCEPTION_UNWIND)
        return ExceptionContinueSearch;
    auto* slot = static_cast<char*>(establisherFrame) + kExceptionCodeSlot;
    **reinterpret_cast<unsigned long**>(slot) = record->ExceptionCode;
    // Gives every frame inside the call its unwind pass (destructors, __finally blocks), then
    // resumes GuardedFrame with 1 in its result register and its own registers restored.
    RtlUnwindEx(establisherFrame, const_cast<char*>(GuardedFrameResume), record,
                reinterpret_cast<void*>(1), dispatch->ContextRecord, dispatch->HistoryTable);
    return ExceptionContinueSearch; // not reached
}

bool RunWithExceptionGuard(GuardedCall call, void* context, unsigned long& exceptionCode) {
    unsigned long code = 0;
    if (GuardedFrame(call, context, &code) == 0)
        return true;
    exceptionCode = code;
    return false;
}
#endif
