#include "run/guarded_call.h"

#include "settings/setup_settings.h"
#include "foundation/setup_log.h"
#include "msi/engine_log.h"

bool CallGuarded(GuardedCall call, void* context, const EngineLogging* engine) {
    const std::wstring& logPath = Settings().LogPath;
    const std::wstring enginePath = engine ? StartEngineLog(engine->msi, logPath) : std::wstring();
    unsigned long exceptionCode = 0;
    const bool returned = RunWithExceptionGuard(call, context, exceptionCode);
    if (engine)
        MoveEngineLogIntoSetupLog(enginePath, logPath, engine->hiddenList);
    if (!returned)
        LogPrintf(L"Hardware exception occur. Exception code 0x%X.\r\n",
                  static_cast<unsigned>(exceptionCode));
    return returned;
}
