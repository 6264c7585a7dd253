#include "compare/Sha1.h"

#include "base/Failure.h"
#include "compare/FileReader.h"

#include <memory>
#include <openssl/evp.h>

namespace {

Failure HashFailure()
{
    return Failure(Failure::InvalidProcedureCall, QStringLiteral("The SHA-1 facility failed"));
}

// One running SHA-1 hash, released on every path.
class Sha1Hash final
{
public:
    Sha1Hash() : m_ctx(EVP_MD_CTX_new())
    {
        if (m_ctx == nullptr || EVP_DigestInit_ex(m_ctx.get(), EVP_sha1(), nullptr) != 1)
            throw HashFailure();
    }
    void Add(const void* bytes, size_t length)
    {
        if (length > 0 && EVP_DigestUpdate(m_ctx.get(), bytes, length) != 1)
            throw HashFailure();
    }
    Sha1Digest Finish()
    {
        Sha1Digest digest{};
        unsigned int length = 0;
        if (EVP_DigestFinal_ex(m_ctx.get(), digest.data(), &length) != 1 || length != digest.size())
            throw HashFailure();
        return digest;
    }

private:
    struct Free
    {
        void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
    };
    std::unique_ptr<EVP_MD_CTX, Free> m_ctx;
};

} // namespace

Sha1Digest Sha1OfBytes(const void* bytes, size_t length)
{
    Sha1Digest digest{};
    unsigned int written = 0;
    if (EVP_Digest(bytes, length, digest.data(), &written, EVP_sha1(), nullptr) != 1 || written != digest.size())
        throw HashFailure();
    return digest;
}

QString Sha1HexText(const Sha1Digest& digest)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    QString text(40, Qt::Uninitialized);
    QChar* out = text.data();
    for (unsigned char byte : digest) {
        *out++ = QLatin1Char(digits[byte >> 4]);
        *out++ = QLatin1Char(digits[byte & 0x0F]);
    }
    return text;
}

QString GetSHA1OfBytes(const QByteArray& bytes) { return Sha1HexText(Sha1OfBytes(bytes.constData(), size_t(bytes.size()))); }

QString GetSHA1OfString(const QString& text) { return GetSHA1OfBytes(text.toUtf8()); }

QString GetSHA1OfFile(const QString& path, qint64 size, const FileHashContext& context)
{
    Sha1Hash hash;
    const bool finished = HashFileInChunks(path, size, context,
                                           [&hash](const unsigned char* data, size_t n) { hash.Add(data, n); });
    return finished ? Sha1HexText(hash.Finish()) : QStringLiteral("0");
}

bool IsSHA1Available()
{
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    const bool available = ctx != nullptr && EVP_DigestInit_ex(ctx, EVP_sha1(), nullptr) == 1;
    EVP_MD_CTX_free(ctx);
    return available;
}
