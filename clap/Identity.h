// How hosts know the CLAP plug-in: its id (never to change again: saved projects find their
// instances by it), name, vendor and web address, as the VST 2.4 plug-in reports them.
#pragma once

namespace orv::clap
{

inline constexpr const char* kPluginId = "com.orvatone.orv-sympharon";
inline constexpr const char* kPluginName = "Orv Sympharon";
inline constexpr const char* kVendor = "www.orvatone.com";
inline constexpr const char* kUrl = "https://www.orvatone.com";

} // namespace orv::clap
