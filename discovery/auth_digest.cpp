#include "discovery/auth_digest.h"

#include <cstring>

#include "discovery/md5.h"
#include "discovery/platform/secure_zero.h"

namespace kovr {

void ComputeAuthDigest(const uint8_t nonce[kNonceSize], const char *password, size_t passwordLength,
                       const uint8_t *fixedFields, size_t fixedLength, const uint8_t typeBytes[2],
                       uint8_t digest[kDigestSize])
{
    // Fed piece by piece so that the password is never copied; the hash
    // state holds password bytes, so it is wiped before it goes out of scope.
    Md5 md5;
    md5.Update(nonce, kNonceSize);
    md5.Update(password, passwordLength);
    md5.Update(typeBytes, 2);
    md5.Update(fixedFields, fixedLength);
    md5.Final(digest);
    platform::SecureZero(&md5, sizeof md5);
}

} // namespace kovr
