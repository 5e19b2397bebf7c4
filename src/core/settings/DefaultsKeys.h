#pragma once

// Keys of the settings store. The hub owns most; the shell and later
// features keep a few of their own in the same store.
namespace DefaultsKeys {
inline constexpr char cameraOff[] = "CameraOff";
inline constexpr char micOff[] = "MicOff";
inline constexpr char micSound[] = "MicSound";
inline constexpr char allowList[] = "AllowList";
inline constexpr char autoQuitWhenOff[] = "AutoQuitWhenOff";
inline constexpr char haloCamera[] = "HaloCamera";
inline constexpr char haloMic[] = "HaloMic";
inline constexpr char announce[] = "Announce";
inline constexpr char openOnHover[] = "OpenOnHover";
inline constexpr char showRecommendations[] = "ShowRecommendations";
inline constexpr char dismissedRecommendations[] = "DismissedRecommendations";
inline constexpr char autostartDecided[] = "LoginItemDecided";
inline constexpr char tutorialSeen[] = "TutorialSeen";
} // namespace DefaultsKeys
