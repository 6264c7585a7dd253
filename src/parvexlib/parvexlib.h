/* parvexlib: path, string, size, time, existence, message and pane-scrolling helpers.
 *
 * Conventions: text is UTF-8; a NULL text argument counts as empty text; every char* result is allocated
 * by the library and released by the caller with PBFreeText; positions count characters, 1-based.
 * The library keeps no state apart from the message handler set with PBSetMessageHandler and, once a widget
 * application first asks for a message box or a pane scroll, its widget side libparvexlib_widgets.so, which it
 * opens from its own folder. */
#pragma once

#include <stdint.h>

#include "parvexlib_export.h"

#ifdef __cplusplus
extern "C" {
#endif

PARVEXLIB_EXPORT char*   NormalizePath(const char* path);
PARVEXLIB_EXPORT char*   GetLastItemInPath(const char* path);
PARVEXLIB_EXPORT int16_t GetNextSlashPos(const char* text, int16_t start);
PARVEXLIB_EXPORT char*   GetFilenameExtension(const char* name);
PARVEXLIB_EXPORT char*   RemoveFilenameExtension(const char* name);
PARVEXLIB_EXPORT char*   ReplaceFileName(const char* oldName, const char* newBaseName);
PARVEXLIB_EXPORT char*   ReplaceExtension(const char* name, const char* newExtension);
PARVEXLIB_EXPORT char*   AddSuffixToFileName(const char* name, const char* suffix);
PARVEXLIB_EXPORT char*   ReplaceString(const char* text, const char* find, const char* replacement);
PARVEXLIB_EXPORT char*   ExtractString(const char* text, const char* delimiter);
PARVEXLIB_EXPORT char*   RemainingString(const char* text, const char* delimiter);
PARVEXLIB_EXPORT char*   StripNull(const char* text, int32_t length);
PARVEXLIB_EXPORT char*   ProperCase(const char* text);
PARVEXLIB_EXPORT char*   ToggleCase(const char* text);
PARVEXLIB_EXPORT char*   RemoveInternalSpaces(const char* text);
PARVEXLIB_EXPORT int32_t PositionOfFirstDifference(const char* text1, const char* text2, int32_t start,
                                                   int32_t* end1, int32_t* end2);
PARVEXLIB_EXPORT char*   ConvertSHAHashToHex(const unsigned char* digest); /* 20 bytes */
PARVEXLIB_EXPORT char*   ConvertBytesToCorrectByteTypeString(int64_t bytes);
PARVEXLIB_EXPORT char*   ConvertLongToBinaryString(int32_t value);
PARVEXLIB_EXPORT int16_t IsBitSet(int32_t value, int16_t bit);
PARVEXLIB_EXPORT int64_t CalcWFDFileSize(uint32_t high, uint32_t low);
PARVEXLIB_EXPORT double  CalcLocalFileTimeToVBTime(int64_t ticks); /* 100-ns ticks since 1601 */
PARVEXLIB_EXPORT double  CalcDateDiffLocalFT(int64_t ticks1, int64_t ticks2);
PARVEXLIB_EXPORT int16_t APIFileExists(const char* path);
PARVEXLIB_EXPORT int16_t APIFolderExists(const char* path);
PARVEXLIB_EXPORT int16_t PBFolderExists(const char* path);
PARVEXLIB_EXPORT void    GetFolderSize(const char* path, int64_t* total);
PARVEXLIB_EXPORT void    ShowInformationMessage(const char* text, const char* title);
PARVEXLIB_EXPORT void    ShowExplorerNotice(void);
PARVEXLIB_EXPORT void    ShowSelectedNotice(void);
PARVEXLIB_EXPORT void    SetTopItem(void* pane, int32_t index); /* pane: a QAbstractItemView* */
PARVEXLIB_EXPORT void    SyncListViewScrolling(void* source, void* target, uint32_t message, intptr_t p1, intptr_t p2);
PARVEXLIB_EXPORT void    PBFreeText(char* text);

typedef void (*PBMessageHandler)(const char* text, const char* title, void* context);
PARVEXLIB_EXPORT void    PBSetMessageHandler(PBMessageHandler handler, void* context);

#ifdef __cplusplus
}
#endif
