#pragma once
// The component download dialog: a component's installer file is missing, so the user fetches
// and installs it by hand from its download page, then asks for a recheck.
#include "prereq/prerequisite.h"
#include "ui/dialog_base.h"
#include "ui/hyperlink.h"

class CDownloadDlg : public CDialogBase {
public:
    // ShowModal (template 201), owned by the prerequisites dialog: 1 the component was found
    // after "Recheck", 2 cancelled or closed, -1 when it cannot be shown.
    explicit CDownloadDlg(Prerequisite& record);

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnOpen();

    Prerequisite& record_;
    CHyperLink link_;
};
