#pragma once
// Simple MAPI (MAPI32.DLL from the system folder), bound on first use and kept for the rest of
// the process.
#include "foundation/dll_binding.h"

#include <mapi.h>

class SimpleMapi {
public:
    SimpleMapi();
    SimpleMapi(const SimpleMapi&) = delete;
    SimpleMapi& operator=(const SimpleMapi&) = delete;

    // The library loaded and all three entry points found.
    bool usable() const { return usable_; }

    // Demanded so that only a complete Simple MAPI provider is used; only SendMail is called.
    decltype(&::MAPILogon) Logon = nullptr;
    decltype(&::MAPILogoff) Logoff = nullptr;
    decltype(&::MAPISendMail) SendMail = nullptr;

private:
    SystemLibrary library_;
    bool usable_ = false;
};

// The process's binding, made on the first call.
const SimpleMapi& ProcessMapi();
