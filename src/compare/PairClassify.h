#pragma once

#include "compare/CompareEnv.h"
#include "compare/ResultList.h"

#include <QString>
#include <optional>
#include <utility>
#include <vector>

class CDir;
class CFile;
struct NamePair;

// How one pair of files present on both sides compares: both categories (Newer/Older, Same, Binary).
// Objects of different kinds (a file, a special file, a link object) are Binary on both sides. Two link
// objects are Same when their target texts are equal, else Binary. Reads contents only under a content
// method, only for equal sizes, and never for special files, which are judged by size and time stamp.
// contentsDiffer, when given, is the answer of a content read already made for this pair, and is used
// instead of reading again. The files are leftBase + left's name and rightBase + right's name; the
// paths are built only when contents are read.
// unreadable, when given, is set to whether the contents were to be read and could not be (the answer then
// came from size and time): knownUnreadable says so of the read that gave contentsDiffer.
std::pair<Category, Category> ClassifyFilePair(CompareEnv& env, const CFile& left, const CFile& right,
                                               const QString& leftBase, const QString& rightBase,
                                               std::optional<bool> contentsDiffer = std::nullopt,
                                               bool knownUnreadable = false, bool* unreadable = nullptr);

// A verdict of ReadSmallPairsAhead: 0 same, 1 differ, with UnreadableVerdict added when the files could not
// be read and the answer came from size and time; -1 not read.
constexpr signed char UnreadableVerdict = 2;

// Reads the contents of the pairs that a content method will read and that fit in one chunk, on two
// threads, into verdicts (one per pair, sized by the caller and filled with -1: 1 differ, 0 same, -1 not
// read here, plus UnreadableVerdict for an answer from size and time), for ClassifyFilePair's
// contentsDiffer. Such reads report no progress, so the workers need neither the view nor the pump; the
// window thread lets events run meanwhile. Longer files are left to the caller, whose reads show their
// progress. A cancelled run leaves the rest unread.
void ReadSmallPairsAhead(CompareEnv& env, const CDir& leftDir, const CDir& rightDir, const std::vector<NamePair>& pairs,
                         const QString& leftBase, const QString& rightBase, std::vector<signed char>& verdicts);
