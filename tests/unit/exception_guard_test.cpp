#include "foundation/exception_guard.h"

#include <windows.h>
#include <intrin.h>
#include <gtest/gtest.h>
#include <cstdint>
#include <string>

namespace {

// volatile everywhere: the compiler must neither prove these faults nor replace them with traps.
void WriteThroughNullPointer() {
    volatile int* volatile target = nullptr;
    *target = 1;
}

void DivideByZero() {
    volatile int dividend = 7;
    volatile int zero = 0;
    volatile int quotient = dividend / zero;
    (void)quotient;
}

void ExecuteIllegalInstruction() {
    __builtin_trap();
}

void RaiseOwnException() {
    RaiseException(0xE0051234, 0, 0, nullptr);
}

// The handler chain at FS:[0] exists on x86 only; x64 finds handlers through unwind data.
#if defined(__i386__)
unsigned long ExceptionChainHead() {
    return __readfsdword(0);
}
#endif

TEST(ExceptionGuard, CatchesRepeatedAccessViolations) {
    for (int round = 1; round <= 3; ++round) {
        unsigned long code = 0;
        EXPECT_FALSE(RunWithExceptionGuard(WriteThroughNullPointer, code)) << "round " << round;
        EXPECT_EQ(code, static_cast<unsigned long>(EXCEPTION_ACCESS_VIOLATION))
            << "round " << round;
    }
}

// An engine that handles its own faults keeps doing so: the guard gets only what is left.
TEST(ExceptionGuard, LeavesFaultsHandledInsideTheCallToTheirHandler) {
    unsigned long inner = 0;
    unsigned long outer = 12345;
    bool innerReturned = true;
    EXPECT_TRUE(RunWithExceptionGuard(
        [&] { innerReturned = RunWithExceptionGuard(WriteThroughNullPointer, inner); }, outer));
    EXPECT_FALSE(innerReturned);
    EXPECT_EQ(inner, static_cast<unsigned long>(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_EQ(outer, 12345ul) << "the outer guard saw nothing";
}

TEST(ExceptionGuard, ReportsTheCodeOfEachKindOfException) {
    struct Case {
        void (*fault)();
        unsigned long expected;
    };
    const Case cases[] = {
        {DivideByZero, EXCEPTION_INT_DIVIDE_BY_ZERO},
        {ExecuteIllegalInstruction, EXCEPTION_ILLEGAL_INSTRUCTION},
        {RaiseOwnException, 0xE0051234},
    };
    for (const Case& c : cases) {
        unsigned long code = 0;
        EXPECT_FALSE(RunWithExceptionGuard(c.fault, code));
        EXPECT_EQ(code, c.expected) << std::hex << c.expected;
    }
}

TEST(ExceptionGuard, NormalCallRunsOnce) {
    int calls = 0;
    unsigned long code = 12345;
    EXPECT_TRUE(RunWithExceptionGuard([&calls] { ++calls; }, code));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(code, 12345ul) << "left alone on success";
}

// A frame of foreign code inside the call, as an MSVC-built DLL registers one for its __finally
// blocks and destructors: it must see the unwind pass before the guard resumes.
bool g_foreignFrameUnwound = false;

#if defined(__i386__)

EXCEPTION_DISPOSITION NTAPI ForeignFrameHandler(EXCEPTION_RECORD* record, void*, CONTEXT*, void*) {
    if (record->ExceptionFlags & EXCEPTION_UNWINDING)
        g_foreignFrameUnwound = true;
    return ExceptionContinueSearch;
}

void FaultInsideForeignFrame() {
    EXCEPTION_REGISTRATION_RECORD frame = {};
    frame.Next = reinterpret_cast<EXCEPTION_REGISTRATION_RECORD*>(ExceptionChainHead());
    frame.Handler = ForeignFrameHandler;
    __writefsdword(0, reinterpret_cast<unsigned long>(&frame));
    WriteThroughNullPointer();
    __writefsdword(0, reinterpret_cast<unsigned long>(frame.Next));
}
#else
} // namespace

// x64: the foreign frame names its handler in its unwind data, as compiled code does.
extern "C" {
void FaultInsideForeignFrame();
__attribute__((used)) void WriteThroughNullPointerFromForeignFrame() {
    WriteThroughNullPointer();
}
__attribute__((used)) EXCEPTION_DISPOSITION ForeignFrameHandler(EXCEPTION_RECORD* record, void*,
                                                                CONTEXT*, void*) {
    if (record->ExceptionFlags & EXCEPTION_UNWINDING)
        g_foreignFrameUnwound = true;
    return ExceptionContinueSearch;
}
}
asm(R"(
    .text
    .globl FaultInsideForeignFrame
    .def FaultInsideForeignFrame; .scl 2; .type 32; .endef
    .seh_proc FaultInsideForeignFrame
FaultInsideForeignFrame:
    .seh_handler ForeignFrameHandler, @unwind, @except
    pushq %rbx
    .seh_pushreg %rbx
    subq $32, %rsp
    .seh_stackalloc 32
    .seh_endprologue
    callq WriteThroughNullPointerFromForeignFrame
    nop
    addq $32, %rsp
    popq %rbx
    ret
    .seh_endproc
)");

namespace {
#endif

TEST(ExceptionGuard, UnwindsForeignFramesInsideTheCall) {
    g_foreignFrameUnwound = false;
    unsigned long code = 0;
    EXPECT_FALSE(RunWithExceptionGuard(FaultInsideForeignFrame, code));
    EXPECT_EQ(code, static_cast<unsigned long>(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_TRUE(g_foreignFrameUnwound);
}

#if defined(__i386__)
void ReturnAtOnce() {}
#endif

// x86: the guard links itself into the handler chain for the call, and each way the call ends
// leaves the chain as it was found.
TEST(ExceptionGuard, LeavesTheHandlerChainAsFoundHoweverTheCallEnds) {
#if defined(__i386__)
    for (void (*call)() :
         {ReturnAtOnce, WriteThroughNullPointer, RaiseOwnException, FaultInsideForeignFrame}) {
        const unsigned long chainBefore = ExceptionChainHead();
        unsigned long code = 0;
        RunWithExceptionGuard(call, code);
        EXPECT_EQ(ExceptionChainHead(), chainBefore);
    }
#else
    GTEST_SKIP() << "x64 has no handler chain at FS:[0]: handlers are found through unwind data";
#endif
}

// As the engine's entry point: the answer is never returned.
__attribute__((noinline)) unsigned FaultThenReturn() {
    WriteThroughNullPointer();
    return 0;
}

// The frame address of a call made from here: the same before and after a caught fault when the
// guard hands the stack back as it found it.
__attribute__((noinline)) std::uintptr_t CalleeFrame() {
    return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
}

// After a crash in the engine, setup.exe goes on in the same frame: its own result and the objects
// of the caller are intact, and further calls (the log mail, itself guarded) work.
TEST(ExceptionGuard, TheCallerCarriesOnWithItsStackAndStateAfterACaughtFault) {
    const std::uintptr_t frameBefore = CalleeFrame();
    const std::wstring owned(300, L'x'); // on the heap, owned by this frame
    unsigned result = 1603;
    unsigned long code = 0;
    EXPECT_FALSE(RunWithExceptionGuard([&result] { result = FaultThenReturn(); }, code));
    EXPECT_EQ(code, static_cast<unsigned long>(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_EQ(result, 1603u) << "the caller's value, as the engine never answered";
    EXPECT_EQ(owned, std::wstring(300, L'x'));
    EXPECT_EQ(CalleeFrame(), frameBefore) << "the stack is where it was";

    unsigned long second = 0;
    EXPECT_FALSE(RunWithExceptionGuard(DivideByZero, second)) << "a later guarded call";
    EXPECT_EQ(second, static_cast<unsigned long>(EXCEPTION_INT_DIVIDE_BY_ZERO));
    EXPECT_EQ(CalleeFrame(), frameBefore);
}

} // namespace
