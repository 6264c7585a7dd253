#pragma once

#include "compare/FileHashing.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstddef>

// SHA-1 digests (FIPS 180-1) on OpenSSL's EVP interface, which uses the CPU's SHA instructions where it
// has them. The text form is 40 upper-case hexadecimal digits; "0" stands for no digest.

using Sha1Digest = std::array<unsigned char, 20>;

// The digest of raw bytes. Throws a Failure when the hashing facility fails.
Sha1Digest Sha1OfBytes(const void* bytes, size_t length);
// 40 upper-case hexadecimal digits, two per byte in byte order.
QString Sha1HexText(const Sha1Digest& digest);

// SHA-1 text of a text's bytes (UTF-8, the system code page). Throws a Failure when hashing fails.
QString GetSHA1OfString(const QString& text);
QString GetSHA1OfBytes(const QByteArray& bytes);
// SHA-1 text of the first size bytes of a file, read in chunks with progress on the context's bar; "0"
// when cancelled. A file that cannot be opened or read throws a Failure.
QString GetSHA1OfFile(const QString& path, qint64 size, const FileHashContext& context);
// Whether the SHA-1 facility can be had.
bool IsSHA1Available();
