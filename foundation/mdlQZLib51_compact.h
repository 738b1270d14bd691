#pragma once

// Compaction of one closed catalogue file in place.

#include <QString>

#include <functional>

// The steps of a compaction that touch the system. The program uses defaultCompactionSteps();
// tests replace single steps to reach the failure paths.
struct CompactionSteps {
  // Free bytes on the drive (0: unknown, the test is skipped).
  std::function<double(const QString& drive)> freeSpace;
  // Writes the compacted copy of source into the new file target and runs place while nobody
  // else can open source; raises on failure.
  std::function<void(const QString& source, const QString& target, const std::function<void()>& place)> compact;
  // Puts the complete file from in the place of to in one step; raises on failure.
  std::function<void(const QString& from, const QString& to)> replace;
};
CompactionSteps defaultCompactionSteps();

// Compacts the closed database dbPath through a copy named tempName in the same folder, which
// then replaces the original in one atomic rename: the original is never removed before its
// compacted copy is complete. Returns "" on success, else the German text to show; never raises.
QString CompactDatabaseFile(const QString& dbPath, const QString& tempName);
QString CompactDatabaseFile(const QString& dbPath, const QString& tempName, const CompactionSteps& steps);
