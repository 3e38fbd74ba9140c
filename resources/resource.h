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
// The programme guide.
inline constexpr int IDS_GUIDE_NOW = 480;              // before the programme on now
inline constexpr int IDS_GUIDE_NEXT = 481;             // before the one after it
inline constexpr int IDS_GUIDE_TITLE = 482;            // the day's list window
inline constexpr int IDS_GUIDE_OPEN = 483;             // the command that opens it
inline constexpr int IDS_GUIDE_SOURCES = 484;          // the command that opens the sources
inline constexpr int IDS_GUIDE_SOURCES_TITLE = 485;
inline constexpr int IDS_GUIDE_RECORD = 486;
inline constexpr int IDS_GUIDE_YESTERDAY = 487;        // %1: the date
inline constexpr int IDS_GUIDE_TODAY = 488;            // %1: the date
inline constexpr int IDS_GUIDE_TOMORROW = 489;         // %1: the date
inline constexpr int IDS_GUIDE_EMPTY_DAY = 490;
inline constexpr int IDS_GUIDE_ADD = 491;
inline constexpr int IDS_GUIDE_REMOVE = 492;
inline constexpr int IDS_GUIDE_CLOSE = 493;
inline constexpr int IDS_GUIDE_FROM_PLAYLIST = 494;    // %1: the playlist's name
inline constexpr int IDS_GUIDE_SOURCE_HINT = 495;
inline constexpr int IDS_GUIDE_SOURCE_BAD = 496;
inline constexpr int IDS_GUIDE_STATE_UPDATED = 497;    // %1: the time
inline constexpr int IDS_GUIDE_STATE_CURRENT = 498;    // %1: the time
inline constexpr int IDS_GUIDE_STATE_FAILED = 499;     // %1: the reason
inline constexpr int IDS_GUIDE_STATE_WAITING = 500;
inline constexpr int IDS_GUIDE_REFRESH = 501;
inline constexpr int IDS_GUIDE_OWN = 502;
inline constexpr int IDS_GUIDE_NO_ANSWER = 503;
inline constexpr int IDS_GUIDE_HTTP = 504;             // %1: the HTTP status
inline constexpr int IDS_GUIDE_BROKE_OFF = 505;
inline constexpr int IDS_GUIDE_TOO_LARGE = 506;
inline constexpr int IDS_GUIDE_UNREADABLE = 507;
inline constexpr int IDS_GUIDE_NO_FILE = 508;
inline constexpr int IDS_GUIDE_NOT_SAVED = 509;
inline constexpr int IDS_GUIDE_FILTER = 510;           // file chooser filter
inline constexpr int IDS_GUIDE_SOURCE_COLUMN = 511;
inline constexpr int IDS_GUIDE_STATE_COLUMN = 512;
inline constexpr int IDS_GUIDE_TIME_COLUMN = 513;
inline constexpr int IDS_GUIDE_PROGRAMME_COLUMN = 514;

// Over the video while a channel reconnects.
inline constexpr int IDS_RECONNECT_IN = 240;      // over the video: %1 is the seconds left
inline constexpr int IDS_RECONNECTING_NOW = 241;  // over the video, while an attempt runs

// Recordings besides the record button: the channel menus and the list of recordings.
inline constexpr int IDS_RECORD_CHANNEL = 430;         // the channel menu's submenu
inline constexpr int IDS_RECORD_UNLIMITED = 431;
inline constexpr int IDS_RECORD_30_MINUTES = 432;
inline constexpr int IDS_RECORD_1_HOUR = 433;
inline constexpr int IDS_RECORD_2_HOURS = 434;
inline constexpr int IDS_SHOW_RECORDINGS = 435;        // menu item opening the list
inline constexpr int IDS_RECORDINGS_TITLE = 436;       // the list's window title
inline constexpr int IDS_RECORDINGS_CHANNEL = 437;     // column headers
inline constexpr int IDS_RECORDINGS_TIME = 438;
inline constexpr int IDS_RECORDINGS_SIZE = 439;
inline constexpr int IDS_RECORDING_STOP = 440;
inline constexpr int IDS_RECORDING_CANCEL = 441;
inline constexpr int IDS_RECORDING_STARTS_AT = 442;    // %1: the start's local time
inline constexpr int IDS_RECORDING_CONNECTING = 443;
inline constexpr int IDS_RECORDING_UNTIL = 444;        // %1: elapsed, %2: the stop's local time
inline constexpr int IDS_RECORDING_START_FAILED = 445; // %1: the channel's name
inline constexpr int IDS_ALREADY_RECORDING = 446;
inline constexpr int IDS_SIZE_KB = 447;                // %1: kilobytes
inline constexpr int IDS_SIZE_MB = 448;                // %1: megabytes, one decimal
inline constexpr int IDS_CHANNEL_BEING_RECORDED = 449; // %1: the channel's name

// Icon.
inline constexpr int IDI_MAIN = 133;

}  // namespace vantrel::res
