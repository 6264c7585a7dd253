#include "platform/AtomicFile.h"

#include <QSaveFile>

bool WriteFileAtomically(const QString& file, const QByteArray& data)
{
    // Unbuffered: QSaveFile commits a file whose buffered flush came up short (a full disk) as if nothing
    // had happened, so every byte must be written, and seen written, before the commit.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (out.write(data) != data.size() || out.error() != QFileDevice::NoError) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}
