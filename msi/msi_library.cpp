#include "msi/msi_library.h"

MsiLibrary::MsiLibrary() : library_(L"msi.dll") {
    // Every operation demands all sixteen, also those it does not call: a library missing any of
    // them is not one this program was built for.
    complete_ = library_.loaded() && library_.bind(SetInternalUI, "MsiSetInternalUI") &&
                library_.bind(InstallProduct, "MsiInstallProductW") &&
                library_.bind(ApplyPatch, "MsiApplyPatchW") &&
                library_.bind(ReinstallProduct, "MsiReinstallProductW") &&
                library_.bind(QueryProductState, "MsiQueryProductStateW") &&
                library_.bind(OpenDatabase, "MsiOpenDatabaseW") &&
                library_.bind(DatabaseOpenView, "MsiDatabaseOpenViewW") &&
                library_.bind(ViewExecute, "MsiViewExecute") &&
                library_.bind(ViewFetch, "MsiViewFetch") &&
                library_.bind(RecordGetString, "MsiRecordGetStringW") &&
                library_.bind(CloseHandle, "MsiCloseHandle") &&
                library_.bind(GetProductInfo, "MsiGetProductInfoW") &&
                library_.bind(EnableLog, "MsiEnableLogW") &&
                library_.bind(GetSummaryInformation, "MsiGetSummaryInformationW") &&
                library_.bind(SummaryInfoGetProperty, "MsiSummaryInfoGetPropertyW") &&
                library_.bind(RecordReadStream, "MsiRecordReadStream");
}

const MsiLibrary& RunMsiLibrary() {
    // Never destroyed: the library stays loaded while the process lives.
    static const MsiLibrary* library = new MsiLibrary();
    return *library;
}
