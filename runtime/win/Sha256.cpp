#include "runtime/win/Sha256.h"

#include "base/Exception.h"

#include <windows.h>

#include <bcrypt.h>

#include <cstdio>

namespace kf {

namespace {

class THashAlgorithm {
public:
    THashAlgorithm() { Check(::BCryptOpenAlgorithmProvider(&fHandle, BCRYPT_SHA256_ALGORITHM, nullptr, 0)); }
    ~THashAlgorithm() { ::BCryptCloseAlgorithmProvider(fHandle, 0); }
    THashAlgorithm(const THashAlgorithm&) = delete;
    THashAlgorithm& operator=(const THashAlgorithm&) = delete;

    std::string Digest(std::string_view aBytes) {
        BCRYPT_HASH_HANDLE hash = nullptr;
        Check(::BCryptCreateHash(fHandle, &hash, nullptr, 0, nullptr, 0, 0));
        unsigned char digest[32];
        NTSTATUS status = ::BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(aBytes.data())),
                                           static_cast<ULONG>(aBytes.size()), 0);
        if (status >= 0)
            status = ::BCryptFinishHash(hash, digest, sizeof digest, 0);
        ::BCryptDestroyHash(hash);
        Check(status);
        return std::string(reinterpret_cast<const char*>(digest), sizeof digest);
    }

private:
    static void Check(NTSTATUS aStatus) {
        if (aStatus >= 0)
            return;
        char code[16];
        std::snprintf(code, sizeof code, "%08lX", static_cast<unsigned long>(aStatus));
        throw Exception(std::string("The system cannot compute a SHA-256 digest (status 0x") + code + ").");
    }

    BCRYPT_ALG_HANDLE fHandle = nullptr;
};

} // namespace

std::string Sha256Hex(std::string_view aBytes) {
    static const char* const kHex = "0123456789abcdef";
    std::string text;
    for (char c : THashAlgorithm().Digest(aBytes)) {
        text += kHex[static_cast<unsigned char>(c) >> 4];
        text += kHex[static_cast<unsigned char>(c) & 0xF];
    }
    return text;
}

} // namespace kf
