#pragma once

#include <functional>
#include <QByteArray>
#include <QString>

namespace ombrix::test {

// What a fixture that backs one source folder up offers for building the kill tests' chain.
struct ChainBuilder
{
    std::function<void(const QString& relPath, const QByteArray& bytes)> writeSource;
    std::function<void(const QString& relPath)> removeSource;
    // Backs the source folder up as it is now into the next set, and records that set.
    std::function<void()> addSet;
};

// The chain the kill tests restore and merge, five sets: a full backup (14 files of growing size
// in three folders and an empty file), changes and an added file, deletions, two files changed
// again, an added file. addSet() is called after each step.
void makeKillTestChain(const ChainBuilder& builder);

} // namespace ombrix::test
