#pragma once

// The test program started again as a second process: to record how it was started, to
// hold or try a file lock, to claim the instance mutex. Each mode is chosen by its first
// argument and ends the process with one of these codes.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace child {

constexpr int Yes = 0;
constexpr int No = 3;
constexpr int Broken = 4;

// "--record-start <file> <delay ms> <arguments...>": waits, then writes how the window
// was to be shown ("show=<n>") and each argument on its own line (UTF-8) to <file>.
// "--try-lock <file> <timeout ms>": Yes when the whole-file lock was had.
// "--hold-lock <file> <marker> <ms>": locks, creates <marker>, holds the lock for <ms>.
// "--claim <program>": Yes when the instance was claimed, No when held elsewhere;
// "--claim-machine <name>" the same for the machine-wide lock.
std::optional<int> runMode(const std::vector<std::wstring>& arguments);

// This program's own path.
std::wstring selfPath();

// Runs this program with `arguments` and waits for it; its exit code, or Broken.
int runSelf(const std::vector<std::wstring>& arguments);

// Waits up to `timeoutMs` for a file to appear.
bool waitForFile(const std::filesystem::path& file, unsigned timeoutMs);

std::vector<std::string> readLines(const std::filesystem::path& file);

} // namespace child
