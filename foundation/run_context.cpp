#include "foundation/run_context.h"

namespace {
// Never destroyed: log and message helpers may still run during static destruction.
RunContext* g_context = nullptr;
} // namespace

RunContext& CurrentRunContext() {
    if (!g_context)
        g_context = new RunContext();
    return *g_context;
}

void UseRunContext(RunContext& context) {
    if (g_context == &context)
        return;
    if (g_context)
        context = *g_context; // only the RunContext part is copied
    g_context = &context;
}
