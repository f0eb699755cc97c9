#pragma once
// The install loop's observer in /quiet and /passive runs: everything is only logged, but for a
// download, which /passive shows in a small window.
#include "prereq/install_loop.h"

#include <string>

class CPassiveObserver final : public InstallObserver {
public:
    explicit CPassiveObserver(const std::wstring& title) : title_(title) {}
    unsigned long Download(Prerequisite& record, CDownloadFolder& folder) override;

private:
    const std::wstring& title_;
};
