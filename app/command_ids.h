#pragma once
// Command and control identifiers of the main window. Buttons and check boxes report their
// clicks to CVantrelDlg::OnCommand with these ids; the skin switch commands are in
// skin/skin_set.h.

namespace vantrel::cmd {

inline constexpr int kClose = 37836;
inline constexpr int kMinimize = 37837;
inline constexpr int kMaximize = 37838;  // the player full screen
inline constexpr int kAbout = 37842;
inline constexpr int kRecord = 37843;
inline constexpr int kDownArrow = 37844;   // slides the favourites panel
inline constexpr int kRightArrow = 37845;  // slides the catalogue panel
inline constexpr int kHeart = 37846;       // add the tree's channel to the favourites
inline constexpr int kUnheart = 37847;     // remove the selected favourite
inline constexpr int kDownload = 37848;    // fetch the new channel list

}  // namespace vantrel::cmd

namespace vantrel::ctl {

inline constexpr int kAlwaysOnTop = 1001;
inline constexpr int kPlayer = 1002;
inline constexpr int kHideControls = 1003;
inline constexpr int kTree = 1004;
inline constexpr int kFavorites = 1007;
inline constexpr int kNewChannels = 1013;
inline constexpr int kDescription = 1014;
inline constexpr int kSiteUrl = 1015;
inline constexpr int kBitRate = 1016;
inline constexpr int kByCountries = 1017;
inline constexpr int kByGenres = 1018;
inline constexpr int kByPlaylists = 1019;

}  // namespace vantrel::ctl
