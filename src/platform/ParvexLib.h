#pragma once

#include <QString>
#include <cstdint>
#include <memory>

class QLibrary;

// The helper library bound by export name. Every export is looked up once at start-up into this table;
// the engine calls through it. The QString wrappers convert to and from UTF-8 and release every text the
// library hands back.
class ParvexLib final
{
public:
    using TextFn = char* (*)(const char*);
    using MessageHandler = void (*)(const char* text, const char* title, void* context);

    struct Table
    {
        TextFn NormalizePath = nullptr;
        TextFn GetLastItemInPath = nullptr;
        int16_t (*GetNextSlashPos)(const char*, int16_t) = nullptr;
        TextFn GetFilenameExtension = nullptr;
        TextFn RemoveFilenameExtension = nullptr;
        char* (*ReplaceFileName)(const char*, const char*) = nullptr;
        char* (*ReplaceExtension)(const char*, const char*) = nullptr;
        char* (*AddSuffixToFileName)(const char*, const char*) = nullptr;
        char* (*ReplaceString)(const char*, const char*, const char*) = nullptr;
        char* (*ExtractString)(const char*, const char*) = nullptr;
        char* (*RemainingString)(const char*, const char*) = nullptr;
        char* (*StripNull)(const char*, int32_t) = nullptr;
        TextFn ProperCase = nullptr;
        TextFn ToggleCase = nullptr;
        TextFn RemoveInternalSpaces = nullptr;
        int32_t (*PositionOfFirstDifference)(const char*, const char*, int32_t, int32_t*, int32_t*) = nullptr;
        char* (*ConvertSHAHashToHex)(const unsigned char*) = nullptr;
        char* (*ConvertBytesToCorrectByteTypeString)(int64_t) = nullptr;
        char* (*ConvertLongToBinaryString)(int32_t) = nullptr;
        int16_t (*IsBitSet)(int32_t, int16_t) = nullptr;
        int64_t (*CalcWFDFileSize)(uint32_t, uint32_t) = nullptr;
        double (*CalcLocalFileTimeToVBTime)(int64_t) = nullptr;
        double (*CalcDateDiffLocalFT)(int64_t, int64_t) = nullptr;
        int16_t (*APIFileExists)(const char*) = nullptr;
        int16_t (*APIFolderExists)(const char*) = nullptr;
        int16_t (*PBFolderExists)(const char*) = nullptr;
        void (*GetFolderSize)(const char*, int64_t*) = nullptr;
        void (*ShowInformationMessage)(const char*, const char*) = nullptr;
        void (*ShowExplorerNotice)() = nullptr;
        void (*ShowSelectedNotice)() = nullptr;
        void (*SetTopItem)(void*, int32_t) = nullptr;
        void (*SyncListViewScrolling)(void*, void*, uint32_t, intptr_t, intptr_t) = nullptr;
        void (*PBFreeText)(char*) = nullptr;
        void (*PBSetMessageHandler)(MessageHandler, void*) = nullptr;
    };

    ParvexLib();
    ~ParvexLib();
    Q_DISABLE_COPY_MOVE(ParvexLib)

    // Loads the library file and resolves every export. On failure answers false and names the library
    // file or the first missing export in *problem; the table is then left empty.
    bool Load(const QString& libraryFile, QString* problem);
    bool IsLoaded() const { return m_loaded; }
    const Table& Api() const { return m_api; }

    // The file name of the library in a folder ("libparvexlib.so").
    static QString LibraryFileName();

    QString NormalizePath(const QString& path) const;
    QString GetLastItemInPath(const QString& path) const;
    int GetNextSlashPos(const QString& text, int start) const;
    QString GetFilenameExtension(const QString& name) const;
    QString RemoveFilenameExtension(const QString& name) const;
    QString ReplaceFileName(const QString& oldName, const QString& newBaseName) const;
    QString ReplaceExtension(const QString& name, const QString& newExtension) const;
    QString AddSuffixToFileName(const QString& name, const QString& suffix) const;
    QString ReplaceString(const QString& text, const QString& find, const QString& replacement) const;
    QString ExtractString(const QString& text, const QString& delimiter) const;
    QString RemainingString(const QString& text, const QString& delimiter) const;
    QString ProperCase(const QString& text) const;
    QString ToggleCase(const QString& text) const;
    QString RemoveInternalSpaces(const QString& text) const;
    // Positions count characters (code points) from 1, as the library does.
    int32_t PositionOfFirstDifference(const QString& text1, const QString& text2, int32_t start, int32_t* end1,
                                      int32_t* end2) const;
    QString ConvertSHAHashToHex(const unsigned char* digest20) const;
    QString ConvertBytesToCorrectByteTypeString(qint64 bytes) const;
    QString ConvertLongToBinaryString(qint32 value) const;
    double CalcLocalFileTimeToVBTime(qint64 ticks) const;
    double CalcDateDiffLocalFT(qint64 ticks1, qint64 ticks2) const;
    bool APIFileExists(const QString& path) const;
    bool APIFolderExists(const QString& path) const;
    bool PBFolderExists(const QString& path) const;
    qint64 GetFolderSize(const QString& path) const;
    void ShowInformationMessage(const QString& text, const QString& title) const;
    void ShowExplorerNotice() const;
    void ShowSelectedNotice() const;
    void SetMessageHandler(MessageHandler handler, void* context) const;

private:
    QString Take(char* text) const;

    std::unique_ptr<QLibrary> m_library;
    Table m_api;
    bool m_loaded = false;
};
