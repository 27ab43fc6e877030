// The digest that answers a device's challenge. Kept free of any network
// code, so that a simulated device can check digests with the same function.
#include <cstring>

#include "commands.h"
#include "md5.h"
#include "wire_format.h"

namespace kovr {

void SecureZero(void *data, size_t length)
{
    if (data != nullptr && length > 0) {
        explicit_bzero(data, length);
    }
}

int32_t ComputeAuthDigest(const uint8_t nonce[kNonceSize], const char *password, size_t passwordLength,
                          const uint8_t *fixedFields, size_t fixedLength, const uint8_t typeBytes[2],
                          uint8_t digest[kDigestSize])
{
    if (nonce == nullptr || password == nullptr || fixedFields == nullptr || fixedLength == 0 ||
        typeBytes == nullptr || digest == nullptr) {
        return -1;
    }
    // Fed piece by piece so that the password is never copied; the hash
    // state holds password bytes, so it is wiped before it goes out of scope.
    Md5 md5;
    md5.Update(nonce, kNonceSize);
    md5.Update(password, passwordLength);
    md5.Update(typeBytes, 2);
    md5.Update(fixedFields, fixedLength);
    md5.Final(digest);
    SecureZero(&md5, sizeof md5);
    return 0;
}

} // namespace kovr
