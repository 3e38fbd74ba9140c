#pragma once
// Identifiers shared by the windows and the string table.

namespace vantrel::res {

// String table.
inline constexpr int IDS_SKIN_SEARCH_ERROR = 129;     // error box caption
inline constexpr int IDS_NO_SKINS = 130;              // error box text
inline constexpr int IDS_ALWAYS_ON_TOP = 131;
inline constexpr int IDS_HIDE_CONTROLS = 132;
inline constexpr int IDS_GETTING_CHANNELS = 137;
inline constexpr int IDS_CHOOSE_CHANNEL = 138;
inline constexpr int IDS_NEW_CHANNELS_LABEL = 139;
inline constexpr int IDS_BY_COUNTRIES = 143;
inline constexpr int IDS_BY_GENRES = 144;
inline constexpr int IDS_UPDATE_SERVER = 145;
inline constexpr int IDS_VERSION = 146;
inline constexpr int IDS_CONNECTING = 147;
inline constexpr int IDS_SKINS_ERROR = 149;
inline constexpr int IDS_SERVER_UNREACHABLE = 150;
inline constexpr int IDS_CHECKING_SKINS = 151;
inline constexpr int IDS_CHECKING_PROGRAM = 152;
inline constexpr int IDS_SKIN_RESTART = 153;
inline constexpr int IDS_CHANNELS_ERROR = 154;
inline constexpr int IDS_CHANNELS_UPDATED = 155;
inline constexpr int IDS_PROGRAM_ERROR = 156;
inline constexpr int IDS_PROGRAM_RESTART = 157;
inline constexpr int IDS_BUFFERING = 158;
inline constexpr int IDS_READY = 159;
inline constexpr int IDS_PLAYING = 160;
inline constexpr int IDS_TRANSITIONING = 161;
inline constexpr int IDS_RECORD_UNSUPPORTED = 162;
// Downloads refused for their signature.
inline constexpr int IDS_PROGRAM_SIGNATURE_BAD = 180;
inline constexpr int IDS_SKIN_SIGNATURE_BAD = 181;
inline constexpr int IDS_CHANNELS_SIGNATURE_BAD = 182;

// The user's playlists and the search field.
inline constexpr int IDS_BY_PLAYLISTS = 400;
inline constexpr int IDS_SEARCH_HINT = 401;
inline constexpr int IDS_OPEN_PLAYLIST = 402;
inline constexpr int IDS_REMOVE_PLAYLIST = 403;
inline constexpr int IDS_CATALOGUE_SOURCE = 404;
inline constexpr int IDS_PLAYLIST_ADDRESS = 405;     // label of the chooser's field
inline constexpr int IDS_PLAYLIST_FILTER = 406;      // file chooser filter
inline constexpr int IDS_BROWSE = 407;
inline constexpr int IDS_GROUP_DETAIL = 408;
inline constexpr int IDS_ADDRESS_DETAIL = 409;
inline constexpr int IDS_PLAYLIST_ERROR = 410;       // followed by the reader's reason
inline constexpr int IDS_REMOVE_PLAYLIST_QUESTION = 411;  // %1: the playlist's title
// Reasons after IDS_PLAYLIST_ERROR.
inline constexpr int IDS_PLAYLIST_UNREADABLE = 413;
inline constexpr int IDS_PLAYLIST_TOO_LARGE = 414;
inline constexpr int IDS_PLAYLIST_HTML = 415;
inline constexpr int IDS_PLAYLIST_BINARY = 416;
inline constexpr int IDS_PLAYLIST_TOO_MANY = 417;
inline constexpr int IDS_PLAYLIST_HTTP = 418;         // %1: the HTTP status
inline constexpr int IDS_PLAYLIST_NO_ANSWER = 419;
inline constexpr int IDS_PLAYLIST_BROKE_OFF = 420;
inline constexpr int IDS_PLAYLIST_NOT_SAVED = 421;

// The channel check.
inline constexpr int IDS_CHECK_CHANNELS = 460;       // the tree menu's command
inline constexpr int IDS_STOP_CHECK = 461;           // the same command while a check runs: %1 of %2
inline constexpr int IDS_CHECK_PROGRESS = 462;       // %1 checked of %2
inline constexpr int IDS_CHECK_DONE = 463;           // %1 unreachable of %2
inline constexpr int IDS_CHECK_STOPPED = 464;        // %1 checked of %2
inline constexpr int IDS_CHANNEL_UNREACHABLE = 465;  // tooltip: %1 a reason below, %2 the time
inline constexpr int IDS_CHECK_REFUSED = 466;
inline constexpr int IDS_CHECK_TIMED_OUT = 467;
inline constexpr int IDS_CHECK_NOT_MEDIA = 468;
inline constexpr int IDS_CHECK_HTTP = 469;           // %1: the HTTP status
inline constexpr int IDS_CHECK_NOT_RESOLVED = 470;
inline constexpr int IDS_CHECK_SECURE = 471;
inline constexpr int IDS_CHECK_NO_ANSWER = 472;

// Over the video while a channel reconnects.
inline constexpr int IDS_RECONNECT_IN = 240;      // over the video: %1 is the seconds left
inline constexpr int IDS_RECONNECTING_NOW = 241;  // over the video, while an attempt runs

// Icon.
inline constexpr int IDI_MAIN = 133;

}  // namespace vantrel::res
