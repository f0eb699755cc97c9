#include "ui/passive_observer.h"

#include "foundation/run_context.h"
#include "ui/passive_download_dlg.h"

unsigned long CPassiveObserver::Download(Prerequisite& record, CDownloadFolder& folder) {
    if (CurrentRunContext().UILevel == kUILevelNone)
        return InstallObserver::Download(record, folder);
    return CPassiveDownloadDlg(record, folder, title_).Download();
}
