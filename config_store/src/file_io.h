// Whole-file reads and safe whole-file replacement for the file-backed store.
#pragma once

#include <string>
#include <string_view>

namespace config_store {

// Line end the file store writes: the platform's text-mode line end.
#ifdef _WIN32
inline constexpr std::string_view kPlatformLineEnd = "\r\n";
#else
inline constexpr std::string_view kPlatformLineEnd = "\n";
#endif

// Reads the whole file as bytes; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& content);

// Writes `content` to a temporary file beside `path` and puts it in the place of
// `path` only once every byte is written, so a failed save leaves the previous
// file intact. Missing folders on the way are created. Returns 0, INIERR_OPEN
// (the temporary file cannot be created) or INIERR_WRITE.
int ReplaceFileContent(const std::string& path, std::string_view content);

// Name of the temporary file ReplaceFileContent writes beside `path`.
std::string TemporarySaveName(const std::string& path);

// Platform parts (file_io_posix.cpp, file_io_win.cpp).
bool CreateFolder(const std::string& path); // true when it exists afterwards
bool MoveReplacing(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);
bool IsPathSeparator(char c);

} // namespace config_store
