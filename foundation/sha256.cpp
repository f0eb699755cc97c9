#include "foundation/sha256.h"

CSha256::CSha256() : bcrypt_(L"bcrypt.dll") {
    if (!bcrypt_.bindAll(calls_, "BCryptOpenAlgorithmProvider\0"
                                 "BCryptGetProperty\0"
                                 "BCryptCreateHash\0"
                                 "BCryptHashData\0"
                                 "BCryptFinishHash\0"
                                 "BCryptDestroyHash\0"
                                 "BCryptCloseAlgorithmProvider\0")) {
        error_ = bcrypt_.loaded() ? ERROR_PROC_NOT_FOUND : ERROR_MOD_NOT_FOUND;
        return;
    }
    NTSTATUS status = calls_.open(&algorithm_, BCRYPT_SHA256_ALGORITHM, nullptr, 0);
    if (status < 0) {
        algorithm_ = nullptr;
        fail(status);
        return;
    }
    ULONG written = 0;
    status =
        calls_.getProperty(algorithm_, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&objectSize_),
                           sizeof objectSize_, &written, 0);
    if (status < 0) {
        fail(status);
        return;
    }
    if (objectSize_ > sizeof object_) {
        error_ = ERROR_NOT_SUPPORTED;
        return;
    }
    restart();
}

CSha256::~CSha256() {
    closeHash();
    if (algorithm_)
        calls_.closeAlgorithm(algorithm_, 0);
}

// bcrypt answers NTSTATUS codes; the few it gives here all mean that Windows cannot hash.
bool CSha256::fail(NTSTATUS) {
    error_ = ERROR_NOT_SUPPORTED;
    return false;
}

void CSha256::closeHash() {
    if (hash_)
        calls_.destroyHash(hash_);
    hash_ = nullptr;
}

bool CSha256::restart() {
    // Not before the provider is open and its working memory fits.
    if (!algorithm_ || objectSize_ == 0 || objectSize_ > sizeof object_)
        return false;
    closeHash();
    const NTSTATUS status = calls_.create(algorithm_, &hash_, object_, objectSize_, nullptr, 0, 0);
    if (status < 0) {
        hash_ = nullptr;
        return fail(status);
    }
    error_ = 0;
    return true;
}

bool CSha256::add(const void* data, unsigned long size) {
    if (!hash_)
        return false;
    const NTSTATUS status =
        calls_.hashData(hash_, static_cast<PUCHAR>(const_cast<void*>(data)), size, 0);
    return status >= 0 || fail(status);
}

bool CSha256::finish(Sha256Digest& digest) {
    if (!hash_)
        return false;
    const NTSTATUS status = calls_.finishHash(hash_, digest.bytes, sizeof digest.bytes, 0);
    return status >= 0 || fail(status);
}
