#pragma once

#include <QString>

// The check of a chunk size typed in the Options window: a whole number of bytes from 1 to 10 million.
// Sizes above two million are accepted with a warning, since the content comparison holds two chunks
// in memory at once.
namespace ChunkSizeRule {

enum class Verdict { Invalid, Valid, Large };

constexpr int Smallest = 1;
constexpr int Largest = 10000000;
constexpr int WarnAbove = 2000000;

// The verdict on text; *value receives the size when it is not Invalid.
Verdict Check(const QString& text, int* value);

QString InvalidMessage(const QString& text);
QString InvalidTitle();
QString LargeMessage();
QString LargeTitle();

} // namespace ChunkSizeRule
