// The window of the prerequisites dialog: template 129, its list and its buttons.
#include "ui/main_dlg.h"

INT_PTR CMainDlg::ShowModal(HWND owner) {
    // The interactive dialog is not part of this build yet: report that it cannot be shown, and
    // the setup run stops as it does for any dialog that fails to open.
    (void)owner;
    return -1;
}
