#include "model/CFile.h"

namespace {
qint64 Join(qint32 high, qint32 low)
{
    return static_cast<qint64>((static_cast<quint64>(static_cast<quint32>(high)) << 32) | static_cast<quint32>(low));
}
} // namespace

void CFile::SetModifiedDateHigh(qint32 high) { m_modified = Join(high, ModifiedDateLow()); }

void CFile::SetModifiedDateLow(qint32 low) { m_modified = Join(ModifiedDateHigh(), low); }
