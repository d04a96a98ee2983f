// Passwords and bearer tokens: what is kept of them is only ever a hash.
#pragma once
#include <string>

namespace lab {

// Argon2id with libsodium's interactive limits (a sign-in costs a tenth of a second and 64 MiB).
// Throws StoreError when the machine cannot spare the memory.
std::string hashPassword(const std::string &password);
bool passwordMatches(const std::string &hash, const std::string &password);
// Costs what passwordMatches costs, for a name that has no account: a refusal takes as long
// either way, so timing does not tell which names exist.
void passwordMatchesNothing(const std::string &password);

// 32 random bytes as 64 hexadecimal digits.
std::string newToken();
// What the database keeps of a token: its SHA-256, in hexadecimal.
std::string tokenDigest(const std::string &token);
bool looksLikeToken(const std::string &text);

} // namespace lab
