#pragma once
// The installer engine's own log, made part of the setup log.
//
// The engine writes its log as 8-bit text, and Wine's engine writes it from the start of an
// existing file even when asked to append, which would destroy the setup log's earlier lines.
// So the engine logs into a file of its own beside the setup log, and its text is appended to
// the setup log as UTF-16 when the engine call is over.
#include "msi/msi_library.h"

#include <string>

class EngineLogCapture {
public:
    EngineLogCapture(const MsiLibrary& msi, const std::wstring& setupLogPath);
    ~EngineLogCapture(); // appends what the engine wrote, then removes its file
    EngineLogCapture(const EngineLogCapture&) = delete;
    EngineLogCapture& operator=(const EngineLogCapture&) = delete;

private:
    std::wstring setupLogPath_;
    std::wstring enginePath_;
};

// Engine log bytes as UTF-16 text: UTF-16 LE after a byte order mark, else 8-bit text in the
// system code page; lone line feeds become CR LF like the setup log's own lines.
std::wstring DecodeEngineLog(const std::string& bytes);
