#include "remote/pass_phrase.h"

#include <openssl/crypto.h>
#include <openssl/sha.h>

#include <string>

#include "platform/log.h"

namespace remote {
namespace {

using Digest = unsigned char[SHA256_DIGEST_LENGTH];

void digestOf(std::string_view text, Digest& digest) {
    SHA256(reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest);
}

}  // namespace

bool samePassPhrase(std::string_view configured, std::string_view attempt) {
    // Digests of equal size, compared without an early exit: neither the
    // length nor the first differing character shows in the time taken.
    Digest expected, given;
    digestOf(configured, expected);
    digestOf(attempt, given);
    return CRYPTO_memcmp(expected, given, sizeof expected) == 0;
}

bool checkPassPhrase(std::string_view configured, std::string_view attempt) {
    const std::string required = platform::maskedSecret(configured);
    const std::string sent = platform::maskedSecret(attempt);
    if (!samePassPhrase(configured, attempt)) {
        platform::logError("required >%s< differ from >%s<", required.c_str(), sent.c_str());
        return false;
    }
    platform::logInfo("required >%s< equals to >%s<", required.c_str(), sent.c_str());
    return true;
}

}  // namespace remote
