#include "credentials.h"

#include "database.h"

#include <sodium.h>

namespace lab {
namespace {

void needSodium()
{
    if (sodium_init() < 0)
        throw StoreError("libsodium could not start");
}

std::string hex(const unsigned char *bytes, std::size_t n)
{
    std::string out(n * 2 + 1, '\0');
    sodium_bin2hex(out.data(), out.size(), bytes, n);
    out.pop_back();
    return out;
}

} // namespace

std::string hashPassword(const std::string &password)
{
    needSodium();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw StoreError("not enough memory to hash a password");
    return out;
}

bool passwordMatches(const std::string &hash, const std::string &password)
{
    needSodium();
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

void passwordMatchesNothing(const std::string &password)
{
    static const std::string unused = hashPassword("no account has this password");
    passwordMatches(unused, password);
}

std::string newToken()
{
    needSodium();
    unsigned char bytes[32];
    randombytes_buf(bytes, sizeof bytes);
    return hex(bytes, sizeof bytes);
}

std::string tokenDigest(const std::string &token)
{
    needSodium();
    unsigned char digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(digest, reinterpret_cast<const unsigned char *>(token.data()), token.size());
    return hex(digest, sizeof digest);
}

bool looksLikeToken(const std::string &text)
{
    if (text.size() != 64)
        return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

} // namespace lab
