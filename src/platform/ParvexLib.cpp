#include "platform/ParvexLib.h"

#include <QLibrary>
#include <algorithm>

namespace {

template <typename Fn>
bool Resolve(QLibrary& library, const char* name, Fn& slot, QString* problem)
{
    slot = reinterpret_cast<Fn>(library.resolve(name));
    if (slot == nullptr && problem != nullptr && problem->isEmpty())
        *problem = QString::fromLatin1(name);
    return slot != nullptr;
}

QByteArray U8(const QString& text) { return text.toUtf8(); }

} // namespace

ParvexLib::ParvexLib() = default;

ParvexLib::~ParvexLib()
{
    if (m_loaded && m_api.PBSetMessageHandler != nullptr)
        m_api.PBSetMessageHandler(nullptr, nullptr);
}

QString ParvexLib::LibraryFileName() { return QStringLiteral("libparvexlib.so"); }

bool ParvexLib::Load(const QString& libraryFile, QString* problem)
{
    m_loaded = false;
    m_api = Table{};
    m_library = std::make_unique<QLibrary>(libraryFile);
    if (!m_library->load()) {
        if (problem != nullptr)
            *problem = libraryFile;
        return false;
    }
    QString missing;
    bool ok = true;
    QLibrary& l = *m_library;
    ok &= Resolve(l, "NormalizePath", m_api.NormalizePath, &missing);
    ok &= Resolve(l, "GetLastItemInPath", m_api.GetLastItemInPath, &missing);
    ok &= Resolve(l, "GetNextSlashPos", m_api.GetNextSlashPos, &missing);
    ok &= Resolve(l, "GetFilenameExtension", m_api.GetFilenameExtension, &missing);
    ok &= Resolve(l, "RemoveFilenameExtension", m_api.RemoveFilenameExtension, &missing);
    ok &= Resolve(l, "ReplaceFileName", m_api.ReplaceFileName, &missing);
    ok &= Resolve(l, "ReplaceExtension", m_api.ReplaceExtension, &missing);
    ok &= Resolve(l, "AddSuffixToFileName", m_api.AddSuffixToFileName, &missing);
    ok &= Resolve(l, "ReplaceString", m_api.ReplaceString, &missing);
    ok &= Resolve(l, "ExtractString", m_api.ExtractString, &missing);
    ok &= Resolve(l, "RemainingString", m_api.RemainingString, &missing);
    ok &= Resolve(l, "StripNull", m_api.StripNull, &missing);
    ok &= Resolve(l, "ProperCase", m_api.ProperCase, &missing);
    ok &= Resolve(l, "ToggleCase", m_api.ToggleCase, &missing);
    ok &= Resolve(l, "RemoveInternalSpaces", m_api.RemoveInternalSpaces, &missing);
    ok &= Resolve(l, "PositionOfFirstDifference", m_api.PositionOfFirstDifference, &missing);
    ok &= Resolve(l, "ConvertSHAHashToHex", m_api.ConvertSHAHashToHex, &missing);
    ok &= Resolve(l, "ConvertBytesToCorrectByteTypeString", m_api.ConvertBytesToCorrectByteTypeString, &missing);
    ok &= Resolve(l, "ConvertLongToBinaryString", m_api.ConvertLongToBinaryString, &missing);
    ok &= Resolve(l, "IsBitSet", m_api.IsBitSet, &missing);
    ok &= Resolve(l, "CalcWFDFileSize", m_api.CalcWFDFileSize, &missing);
    ok &= Resolve(l, "CalcLocalFileTimeToVBTime", m_api.CalcLocalFileTimeToVBTime, &missing);
    ok &= Resolve(l, "CalcDateDiffLocalFT", m_api.CalcDateDiffLocalFT, &missing);
    ok &= Resolve(l, "APIFileExists", m_api.APIFileExists, &missing);
    ok &= Resolve(l, "APIFolderExists", m_api.APIFolderExists, &missing);
    ok &= Resolve(l, "PBFolderExists", m_api.PBFolderExists, &missing);
    ok &= Resolve(l, "GetFolderSize", m_api.GetFolderSize, &missing);
    ok &= Resolve(l, "ShowInformationMessage", m_api.ShowInformationMessage, &missing);
    ok &= Resolve(l, "ShowExplorerNotice", m_api.ShowExplorerNotice, &missing);
    ok &= Resolve(l, "ShowSelectedNotice", m_api.ShowSelectedNotice, &missing);
    ok &= Resolve(l, "SetTopItem", m_api.SetTopItem, &missing);
    ok &= Resolve(l, "SyncListViewScrolling", m_api.SyncListViewScrolling, &missing);
    ok &= Resolve(l, "PBFreeText", m_api.PBFreeText, &missing);
    ok &= Resolve(l, "PBSetMessageHandler", m_api.PBSetMessageHandler, &missing);
    if (!ok) {
        if (problem != nullptr)
            *problem = libraryFile + QStringLiteral(" (") + missing + QLatin1Char(')');
        m_api = Table{};
        m_library->unload();
        return false;
    }
    m_loaded = true;
    return true;
}

QString ParvexLib::Take(char* text) const
{
    if (text == nullptr)
        return {};
    QString result = QString::fromUtf8(text);
    m_api.PBFreeText(text);
    return result;
}

QString ParvexLib::NormalizePath(const QString& path) const { return Take(m_api.NormalizePath(U8(path).constData())); }
QString ParvexLib::GetLastItemInPath(const QString& path) const { return Take(m_api.GetLastItemInPath(U8(path).constData())); }
int ParvexLib::GetNextSlashPos(const QString& text, int start) const
{
    // The export takes a 16-bit position; a larger one would wrap to a position near the start.
    return m_api.GetNextSlashPos(U8(text).constData(), static_cast<int16_t>(std::clamp(start, 0, 32767)));
}
QString ParvexLib::GetFilenameExtension(const QString& name) const { return Take(m_api.GetFilenameExtension(U8(name).constData())); }
QString ParvexLib::RemoveFilenameExtension(const QString& name) const { return Take(m_api.RemoveFilenameExtension(U8(name).constData())); }
QString ParvexLib::ReplaceFileName(const QString& oldName, const QString& newBaseName) const
{
    return Take(m_api.ReplaceFileName(U8(oldName).constData(), U8(newBaseName).constData()));
}
QString ParvexLib::ReplaceExtension(const QString& name, const QString& newExtension) const
{
    return Take(m_api.ReplaceExtension(U8(name).constData(), U8(newExtension).constData()));
}
QString ParvexLib::AddSuffixToFileName(const QString& name, const QString& suffix) const
{
    return Take(m_api.AddSuffixToFileName(U8(name).constData(), U8(suffix).constData()));
}
QString ParvexLib::ReplaceString(const QString& text, const QString& find, const QString& replacement) const
{
    return Take(m_api.ReplaceString(U8(text).constData(), U8(find).constData(), U8(replacement).constData()));
}
QString ParvexLib::ExtractString(const QString& text, const QString& delimiter) const
{
    return Take(m_api.ExtractString(U8(text).constData(), U8(delimiter).constData()));
}
QString ParvexLib::RemainingString(const QString& text, const QString& delimiter) const
{
    return Take(m_api.RemainingString(U8(text).constData(), U8(delimiter).constData()));
}
QString ParvexLib::ProperCase(const QString& text) const { return Take(m_api.ProperCase(U8(text).constData())); }
QString ParvexLib::ToggleCase(const QString& text) const { return Take(m_api.ToggleCase(U8(text).constData())); }
QString ParvexLib::RemoveInternalSpaces(const QString& text) const { return Take(m_api.RemoveInternalSpaces(U8(text).constData())); }
int32_t ParvexLib::PositionOfFirstDifference(const QString& text1, const QString& text2, int32_t start, int32_t* end1,
                                             int32_t* end2) const
{
    return m_api.PositionOfFirstDifference(U8(text1).constData(), U8(text2).constData(), start, end1, end2);
}
QString ParvexLib::ConvertSHAHashToHex(const unsigned char* digest20) const { return Take(m_api.ConvertSHAHashToHex(digest20)); }
QString ParvexLib::ConvertBytesToCorrectByteTypeString(qint64 bytes) const
{
    return Take(m_api.ConvertBytesToCorrectByteTypeString(bytes));
}
QString ParvexLib::ConvertLongToBinaryString(qint32 value) const { return Take(m_api.ConvertLongToBinaryString(value)); }
double ParvexLib::CalcLocalFileTimeToVBTime(qint64 ticks) const { return m_api.CalcLocalFileTimeToVBTime(ticks); }
double ParvexLib::CalcDateDiffLocalFT(qint64 ticks1, qint64 ticks2) const { return m_api.CalcDateDiffLocalFT(ticks1, ticks2); }
bool ParvexLib::APIFileExists(const QString& path) const { return m_api.APIFileExists(U8(path).constData()) != 0; }
bool ParvexLib::APIFolderExists(const QString& path) const { return m_api.APIFolderExists(U8(path).constData()) != 0; }
bool ParvexLib::PBFolderExists(const QString& path) const { return m_api.PBFolderExists(U8(path).constData()) != 0; }
qint64 ParvexLib::GetFolderSize(const QString& path) const
{
    int64_t total = 0;
    m_api.GetFolderSize(U8(path).constData(), &total);
    return total;
}
void ParvexLib::ShowInformationMessage(const QString& text, const QString& title) const
{
    m_api.ShowInformationMessage(U8(text).constData(), U8(title).constData());
}
void ParvexLib::ShowExplorerNotice() const { m_api.ShowExplorerNotice(); }
void ParvexLib::ShowSelectedNotice() const { m_api.ShowSelectedNotice(); }
void ParvexLib::SetMessageHandler(MessageHandler handler, void* context) const { m_api.PBSetMessageHandler(handler, context); }
