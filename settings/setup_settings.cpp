#include "settings/setup_settings.h"

SetupSettings& Settings() {
    // Never destroyed: log and message helpers may still run during static destruction.
    static SetupSettings* settings = [] {
        SetupSettings* created = new SetupSettings();
        UseRunContext(*created);
        return created;
    }();
    return *settings;
}
