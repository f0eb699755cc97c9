#pragma once
// The installer engine's own log, made part of the setup log.
//
// The engine writes its log as 8-bit text, and Wine's engine writes it from the start of an
// existing file even when asked to append, which would destroy the setup log's earlier lines.
// So the engine logs into a side file beside the setup log, and its text is appended to the
// setup log as UTF-16 when the engine call is over. A verbose log can be hundreds of megabytes:
// it is copied in bounded chunks, never held whole.
#include "msi/msi_library.h"

#include <cstddef>
#include <string>

// Tells the engine to log into the side file of the setup log; returns the side file's path, or
// "" when there is no setup log (the engine then logs nowhere).
std::wstring StartEngineLog(const MsiLibrary& msi, const std::wstring& setupLogPath);

constexpr std::size_t kEngineLogChunkBytes = 1 << 20;

// Appends the side file's text to the setup log and deletes the side file. Values of the
// properties named in `hiddenList` (the package's MsiHiddenProperties) are masked on the way,
// in case the engine did not hide them itself. When the text cannot be copied whole the side
// file is kept, and a line in the setup log names it. Returns 0 or the Windows error number of
// the failure.
unsigned long MoveEngineLogIntoSetupLog(const std::wstring& enginePath,
                                        const std::wstring& setupLogPath,
                                        const std::wstring& hiddenList,
                                        std::size_t chunkBytes = kEngineLogChunkBytes);

// Engine log bytes as UTF-16 text, fed in pieces of any size: UTF-16 LE after a byte order mark,
// else 8-bit text in the given code page; lone line feeds become CR LF like the setup log's own
// lines. A character or a line end cut between two pieces comes out whole.
class EngineLogDecoder {
public:
    explicit EngineLogDecoder(unsigned codePage);
    std::wstring Decode(const char* bytes, std::size_t size);
    std::wstring Finish(); // what is left over at the end of the file, decoded as it is

private:
    enum class Encoding { Unknown, Utf16, EightBit };
    std::wstring DecodeReady(bool atEnd);
    std::size_t CompleteEightBitPrefix() const;
    std::wstring WithCrLf(const std::wstring& text);

    unsigned codePage_;
    unsigned maxCharBytes_;
    Encoding encoding_ = Encoding::Unknown;
    std::string pending_; // bytes not decoded yet: at most one chunk plus a cut character
    bool lastWasCr_ = false;
};

// A whole engine log decoded at once, in the system's ANSI code page.
std::wstring DecodeEngineLog(const std::string& bytes);
