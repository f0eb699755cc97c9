#include "foundation/shell32.h"

CShell32::CShell32() : library_(L"shell32.dll") {
    library_.bind(SHGetFolderPathW, "SHGetFolderPathW");
    library_.bind(ShellExecuteW, "ShellExecuteW");
    library_.bind(ShellExecuteExW, "ShellExecuteExW");
}
