#include "foundation/winhttp.h"

CWinHttp::CWinHttp() : library_(L"winhttp.dll") {
    ready_ = library_.bindAll<WinHttpCalls>(*this, "WinHttpOpen\0"
                                                   "WinHttpCloseHandle\0"
                                                   "WinHttpCrackUrl\0"
                                                   "WinHttpConnect\0"
                                                   "WinHttpOpenRequest\0"
                                                   "WinHttpSendRequest\0"
                                                   "WinHttpReceiveResponse\0"
                                                   "WinHttpQueryHeaders\0"
                                                   "WinHttpReadData\0"
                                                   "WinHttpSetTimeouts\0"
                                                   "WinHttpSetOption\0");
}
