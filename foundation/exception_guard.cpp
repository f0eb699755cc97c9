#include "foundation/exception_guard.h"

// 32-bit x86 only: x64 dispatches exceptions through unwind tables (exception_guard_x64.cpp).
#if defined(__i386__)
#include <windows.h>
#include <intrin.h>
#include <csetjmp>

namespace {
// The thread's chain of exception handlers starts at FS:[0] on 32-bit Windows.
constexpr unsigned long kChainHeadOffset = 0;

// Lies on the guard's stack frame; the registration record must come first, since the system
// hands the handler the address of the record as the "establisher frame".
struct GuardFrame {
    EXCEPTION_REGISTRATION_RECORD registration;
    std::jmp_buf resume;
    DWORD exceptionCode;
};

EXCEPTION_DISPOSITION NTAPI GuardHandler(EXCEPTION_RECORD* record, void* establisherFrame, CONTEXT*,
                                         void*) {
    // Unwinding passes come from our own RtlUnwind below or from an outer handler: let them by.
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    // Kept in memory: RtlUnwind is not trusted to preserve the callee-saved registers.
    GuardFrame* volatile frame = static_cast<GuardFrame*>(establisherFrame);
    frame->exceptionCode = record->ExceptionCode;
    // Drops the handlers above ours (the dispatcher's own among them) from the chain.
    RtlUnwind(establisherFrame, nullptr, record, nullptr);
    std::longjmp(frame->resume, 1);
}

// Links the record in for the lifetime of the object, so that every way out unlinks it.
class ChainLink {
public:
    explicit ChainLink(EXCEPTION_REGISTRATION_RECORD& record) : record_(record) {
        record_.Next =
            reinterpret_cast<EXCEPTION_REGISTRATION_RECORD*>(__readfsdword(kChainHeadOffset));
        record_.Handler = GuardHandler;
        __writefsdword(kChainHeadOffset, reinterpret_cast<unsigned long>(&record_));
    }
    ~ChainLink() {
        __writefsdword(kChainHeadOffset, reinterpret_cast<unsigned long>(record_.Next));
    }
    ChainLink(const ChainLink&) = delete;
    ChainLink& operator=(const ChainLink&) = delete;

private:
    EXCEPTION_REGISTRATION_RECORD& record_;
};
} // namespace

bool RunWithExceptionGuard(GuardedCall call, void* context, unsigned long& exceptionCode) {
    GuardFrame guard = {};
    ChainLink link(guard.registration);
    // Taken with our record at the head of the chain, so that the C runtime's longjmp finds the
    // chain as it left it and unwinds nothing more.
    if (setjmp(guard.resume) == 0) {
        call(context);
        return true;
    }
    // Read from memory: the handler wrote it behind the compiler's back.
    exceptionCode = static_cast<volatile GuardFrame&>(guard).exceptionCode;
    return false;
}
#endif
