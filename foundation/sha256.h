#pragma once
// SHA-256 of a stream of bytes, computed by Windows' own bcrypt.dll (bound at run time from the
// system folder), so that setup.exe carries no hash code of its own.
#include "foundation/dll_binding.h"
#include "foundation/sha256_text.h"

#include <bcrypt.h>

class CSha256 {
public:
    CSha256();
    ~CSha256();
    CSha256(const CSha256&) = delete;
    CSha256& operator=(const CSha256&) = delete;

    // 0 when a hash is ready for data, else the Windows error why not.
    unsigned long error() const { return error_; }
    // Starts again from no data (a download that begins anew).
    bool restart();
    bool add(const void* data, unsigned long size);
    // The digest of everything added since the start; restart() before adding more.
    bool finish(Sha256Digest& digest);

private:
    bool fail(NTSTATUS status);
    void closeHash();

    SystemLibrary bcrypt_;
    struct Calls {
        decltype(&::BCryptOpenAlgorithmProvider) open;
        decltype(&::BCryptGetProperty) getProperty;
        decltype(&::BCryptCreateHash) create;
        decltype(&::BCryptHashData) hashData;
        decltype(&::BCryptFinishHash) finishHash;
        decltype(&::BCryptDestroyHash) destroyHash;
        decltype(&::BCryptCloseAlgorithmProvider) closeAlgorithm;
    } calls_ = {};
    BCRYPT_ALG_HANDLE algorithm_ = nullptr;
    BCRYPT_HASH_HANDLE hash_ = nullptr;
    // Windows 7 wants the caller to hold the hash's working memory (some 300 bytes).
    unsigned char object_[1024];
    unsigned long objectSize_ = 0;
    unsigned long error_ = 0;
};
