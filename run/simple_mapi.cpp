#include "run/simple_mapi.h"

SimpleMapi::SimpleMapi() : library_(L"MAPI32.DLL") {
    usable_ = library_.loaded() && library_.bind(Logon, "MAPILogon") &&
              library_.bind(Logoff, "MAPILogoff") && library_.bind(SendMail, "MAPISendMail");
}

const SimpleMapi& ProcessMapi() {
    // Never destroyed, so never unloaded: a mail program may keep threads of its own running in
    // the provider after MAPISendMail has returned.
    static const SimpleMapi* binding = new SimpleMapi;
    return *binding;
}
