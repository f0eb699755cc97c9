#pragma once
// A call into foreign code that may raise a hardware exception (the installer engine, a mail
// provider): the exception ends the call, not the run, and is logged. Around an engine call the
// engine logs into the setup log's side file, whose text joins the setup log when the call is over,
// whether it returned or not.
#include "foundation/exception_guard.h"

#include <string>

class MsiLibrary;

// The engine of a guarded call, and the properties whose values its log must not show.
struct EngineLogging {
    const MsiLibrary& msi;
    const std::wstring& hiddenList;
};

// True when `call(context)` returned; false after a hardware exception inside it. `engine` is
// null for a call that is not into the installer engine.
bool CallGuarded(GuardedCall call, void* context, const EngineLogging* engine);

template <typename Call> bool CallGuarded(Call&& call, const EngineLogging* engine = nullptr) {
    auto* target = &call;
    return CallGuarded(&CallThroughPointer<decltype(target)>, &target, engine);
}
