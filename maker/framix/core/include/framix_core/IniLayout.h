// The layout of Framix.ini: the framework's section, one section per grabber
// (its plug-in file and its own keys), and the sections of the grabber's
// cameras, graphics modes and command channels; the list of plug-ins to load.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CIniFile_0;

namespace framix {

// [Framix]: the framework's own keys.
inline constexpr const char* kFrameworkSection = "Framix";
inline constexpr const char* kKeyLogFile = "LogFile"; // log file, relative to the ini's folder; "" = none

// [Grabber_<n>]: the plug-in and the framework's keys of grabber n.
inline constexpr const char* kKeyFile = "File"; // plug-in file, relative to the plug-in folder or absolute
inline constexpr const char* kKeyNumBuffers = "NumBuffers";
inline constexpr const char* kKeyGrabberBits = "GrabberBits";
inline constexpr const char* kKeyNumCmdChannels = "NumCmdChannels";
inline constexpr const char* kKeyActCmdChannel = "ActCmdChannel";
inline constexpr const char* kKeyTimerWordA = "TimerWordA";
inline constexpr const char* kKeyTimerWordB = "TimerWordB";
inline constexpr const char* kKeyTimerFirst = "TimerFirst";
inline constexpr const char* kKeyTimerSecond = "TimerSecond";
inline constexpr const char* kKeyTimerExponent = "TimerExponent";
// "CmdChannel<k>Type" in the grabber's section: the channel type index of channel k.
std::string CmdChannelTypeKey(uint32_t channelIndex);

// [Grabber_<n>_CmdChannel_<k>]: the framework's keys of a command channel.
inline constexpr const char* kKeyCmdName = "Name";
inline constexpr const char* kKeyCmdTypeKey = "TypeKey";
inline constexpr const char* kKeyCmdDelay = "InterCharDelay";

// [Grabber_<n>_Camera_<c>] and [Grabber_<n>_Camera_<c>_Mode_<m>].
inline constexpr const char* kKeyUniqueId = "UniqueId";
inline constexpr const char* kKeyCameraName = "Name";
inline constexpr const char* kKeyActGfxMode = "ActGfxMode";

// The longest section name any of the functions below returns, with its terminating zero.
inline constexpr size_t kSectionNameSize = 96;

std::string GrabberSection(int32_t grabber);
std::string CameraSection(int32_t grabber, int32_t camera);
std::string ModeSection(int32_t grabber, int32_t camera, int32_t mode);
std::string CmdChannelSection(int32_t grabber, uint32_t channelIndex);

// n of a section named exactly "Grabber_<n>" (any letter case, n decimal 0..9999).
std::optional<int32_t> ParseGrabberSection(std::string_view section);
// c of "Grabber_<grabber>_Camera_<c>" (c decimal 0..9999); mode sections do not count.
std::optional<int32_t> ParseCameraSection(std::string_view section, int32_t grabber);

struct GrabberEntry {
    int32_t section = 0; // the grabber's section number
    std::string file;    // as written, or the discovered file name
};

// The grabbers Framix.ini lists: every "Grabber_<n>" section with a non-empty
// "File", in ascending n. Empty when the store lists none.
std::vector<GrabberEntry> ReadLoadList(CIniFile_0& store);

// Discovery without a list: the names that match "Framix*.dll" (any letter
// case, never Framix.dll itself), in case-blind name order, numbered 0, 1, ...
std::vector<GrabberEntry> DiscoveryList(const std::vector<std::string>& fileNames);

// A file of the list as a path: absolute ("C:\..", "\\server\..", "\..") kept,
// anything else joined to the folder with one backslash.
std::string ResolvePluginPath(std::string_view folder, std::string_view file);

// The folder part of a path (before its last backslash or slash); empty without one.
std::string FolderOf(std::string_view path);

} // namespace framix
