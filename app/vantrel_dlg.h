#pragma once
// CVantrelDlg: the program's main window. A skinned dialog hosting the player, the channel tree
// with its details (the right fold-out panel), the favourites list (the bottom fold-out panel)
// and the row of skinned buttons. It owns every control, runs the start-up sequence and routes
// every command.
//
// Life of the window:
//   CVantrelDlg dlg;                  // members only, nothing on screen
//   if (!dlg.OnInitDialog()) ...     // skins, layout, catalogue; false after a skin error
//   dlg.exec();                       // first paint -> timer 1 (bottom panel opens) -> 1 s ->
//                                     // timer 2 (right panel) -> 1 s -> timer 3 (enabled)
//   return dlg.ExitCode();
// Every way of closing (close button, Enter, Escape, the system close, a skin switch, a restart
// asked by another part through EndProgram) ends in done(), which stops all captures first.
#include <QBasicTimer>
#include <QDateTime>
#include <QCheckBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/status_line.h"
#include "app/vantrel_dlg_guide.h"
#include "app/vantrel_dlg_guide_day.h"
#include "app/vantrel_dlg_guide_pane.h"
#include "app/vantrel_dlg_guide_sources.h"
#include "app/vantrel_dlg_playlist_logo.h"
#include "app/vantrel_dlg_playlists.h"
#include "catalogue/channel_views.h"
#include "desktop/channel_zapper.h"
#include "desktop/mpris.h"
#include "desktop/open_target.h"
#include "playback/channel_check.h"
#include "playback/mediaplayer.h"
#include "playback/record_control.h"
#include "playback/recording_manager.h"
#include "playback/recordings_window.h"
#include "skin/skin_base_dialog.h"
#include "skin/skin_button.h"
#include "skin/skin_selection.h"
#include "updates/http_transfer.h"
#include "updates/update_install.h"
#include "updates/update_protocol.h"

class QMenu;

namespace vantrel {

class CVantrelDlg : public CSkinBaseDialog {
  Q_OBJECT

 public:
  // Dialog results.
  static constexpr int kResultClose = 0;   // close button, skin switch, EndProgram
  static constexpr int kResultOk = 1;      // Enter
  static constexpr int kResultCancel = 2;  // Escape, the system close

  // Geometry of the player and the panels, in window pixels.
  static constexpr QRect kPlayerAtFirstPaint{88, 37, 647, 435};
  static constexpr int kBottomSlide = 180;
  static constexpr int kRightSlide = 250;
  static constexpr int kStartupPanelDelayMs = 1000;  // timers 2 and 3

  explicit CVantrelDlg(QWidget* parent = nullptr);
  ~CVantrelDlg() override;

  // Builds the window from the current skin and loads the catalogue and the favourites; the
  // window is then ready to be shown, disabled and with both panels closed. False when no skin
  // can be used (the error box has been shown): the program then ends with kSkinErrorExitCode.
  bool OnInitDialog();
  // The code the process ends with once the dialog has ended.
  int ExitCode() const { return m_exitCode; }
  // Ends the program through the one close path, with `exitCode` as the process's code. The
  // dialog's loop returns once control is back in it: callers return at once.
  void EndProgram(int exitCode);
  bool IsEnding() const { return m_ending; }

  // The one-line status text over the player.
  void ShowStatusText(const QString& text);
  const CStatusLine& StatusLine() const { return m_status; }

  // Rebuild the tree; none touches the radio buttons.
  void BuildTreeByCountries();
  void BuildTreeByGenres();
  void BuildTreeByPlaylists();
  // The view the radio buttons ask for, rebuilt.
  void RebuildCheckedTree();
  // Refills the favourites list from the store.
  void FillFavoritesList();
  // Hands the channel to the player, shows "connecting" and enables the heart button.
  void PlayChannel(const CChannel& channel);
  // Plays `list[index]` and remembers the list for the next and previous channel.
  void PlayFromList(std::vector<CChannel> list, std::size_t index);
  // The next (+1) or previous (-1) channel of the list the playing one was chosen from.
  void StepChannel(int step);
  // The channel played before the current one.
  void PlayChannelBefore();
  // What the command line asked to open, once the window is ready (see OpenTarget).
  void OpenAtStartup(const QString& argument) { m_openAtStartup = argument; }
  void Open(const QString& argument);
  // The desktop's media controls; nullptr before the first paint or without a session bus.
  CMprisService* MediaControls() const { return m_mprisRegistered ? m_mpris.get() : nullptr; }
  // The player's play-state report: status text and record button.
  void OnPlayStateChange(int32_t newState);

  // The skinned buttons' and check boxes' commands.
  void OnCommand(int id) override;
  // 600 or 850 wide (right panel closed or open) by 550 or 725 high (bottom panel).
  QSize GetMinTrackSize() const override;

  // What the other parts of the program work with.
  CMediaplayer& Player() { return m_player; }
  CChannelTreeView& Tree() { return m_tree; }
  CFavoritesListView& FavoritesList() { return m_favorites; }
  QLabel& NewChannelsLabel() { return m_newChannels; }
  QPlainTextEdit& DescriptionEdit() { return m_description; }
  QLineEdit& SiteUrlEdit() { return m_siteUrl; }
  QLineEdit& BitRateEdit() { return m_bitRate; }
  QCheckBox& AlwaysOnTopCheck() { return m_alwaysOnTop; }
  QCheckBox& HideControlsCheck() { return m_hideControls; }
  QRadioButton& ByCountriesRadio() { return m_byCountries; }
  QRadioButton& ByGenresRadio() { return m_byGenres; }
  QRadioButton& ByPlaylistsRadio() { return m_byPlaylists; }
  CChannelSearchField& SearchField() { return m_search; }
  CPlaylistShelf& Playlists() { return m_playlists; }

  // Opens a playlist file or address (the open command, a drop, the command line); a stream
  // address plays at once. False when the text names nothing that can be opened.
  bool OpenPlaylist(const QString& fileOrAddress);
  // Asks, then removes the playlist at `position` with its kept copy.
  void RemovePlaylist(int position);
  // Schedules a recording of `channel` covering `start` to `stop` (UTC moments of a programme of
  // the guide; the recording adds its margins). `title` names the programme in the list of
  // recordings and in the suggested file name.
  void RecordProgramme(const CChannel& channel, const QDateTime& start, const QDateTime& stop,
                       const QString& title);
  // Probes the channels of the tree's current view, or of the group selected in it; while a
  // check runs, stops it instead (vantrel_dlg_check.cpp).
  void OnCheckChannels();
  CChannelCheck& ChannelCheck() { return m_channelCheck; }
  // The programme guide (vantrel_dlg_guide_commands.cpp): its sources and lookups, the now and
  // next of the details, and its two windows (made when first opened; nullptr before).
  CGuideService& Guide() { return m_guide; }
  CGuideNowPane& GuidePane() { return m_guidePane; }
  CGuideDayWindow* GuideDayWindow() const { return m_guideDay.get(); }
  CGuideSourcesDialog* GuideSourcesWindow() const { return m_guideSources.get(); }
  // The day's list of the channel shown in the details.
  void OpenGuideDayList();
  void OpenGuideDayList(const CChannel& channel);
  void OpenGuideSources();
  CSkinBaseButton& RecordButton() { return m_record; }
  CRecordControl& Recorder() { return m_recorder; }
  // Records `channel` while whatever plays goes on: asks for the file, then captures until
  // stopped, or for `minutes` when not 0.
  void RecordChannel(const CChannel& channel, int minutes);
  // The recordings other than the record button's, and the list of all of them (made on first
  // use, shown by ShowRecordings; the record button's capture is the row with key 0).
  CRecordingManager& Recordings() { return m_recordings; }
  CRecordingsWindow& RecordingsWindow();
  void ShowRecordings();
  CSkinBaseButton& HeartButton() { return m_heart; }
  CSkinBaseButton& UnheartButton() { return m_unheart; }
  CSkinBaseButton& DownloadButton() { return m_download; }
  CSkinBaseButton& DownArrowButton() { return m_downArrow; }
  CSkinBaseButton& RightArrowButton() { return m_rightArrow; }
  CSkinBaseButton& MaximizeButton() { return m_maximize; }
  CSkinBaseButton& AboutButton() { return m_about; }
  // The preview button of a built-in skin; nullptr when that skin is not installed.
  CSkinBaseButton* PreviewButton(const QString& skinName) const;
  // Panels are open while their arrow buttons are on.
  bool IsBottomPanelOpen() const { return m_downArrow.GetToggleState(); }
  bool IsRightPanelOpen() const { return m_rightArrow.GetToggleState(); }
  bool IsSliding() const { return m_sliding; }
  // The valid skin folders and the one in use; an image path is CurrentSkinFolder() + name.
  const std::vector<std::filesystem::path>& SkinFolders() const { return m_skins.skins; }
  const std::filesystem::path& CurrentSkinFolder() const { return m_skins.current; }
  std::filesystem::path SkinImage(SkinFile file) const { return m_skins.File(file); }
  const QColor& RightPanelColour() const { return m_rightPanelColour; }
  const QColor& BottomPanelColour() const { return m_bottomPanelColour; }

  // An update server for this run only, ahead of the settings' (the command line's).
  void SetUpdateServerForRun(const QString& address) { m_runUpdateServer = address; }
  // A skin for this run only, ahead of the setting; ignored when no skin has that name.
  void SetSkinForRun(const QString& name) { m_runSkin = name; }

  // Left by the channel check for the catalogue download.
  QString ChannelListUrl;
  QString DownloadProgressSuffix;
  QString NewChannelCount;

 public slots:
  // Every close ends here: captures are stopped before the dialog goes.
  void done(int result) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void OnMoveStarted(CMoveInfo info) override;
  void OnMoveFinished(const CMoveInfo& info) override;

 private:
  // Layout (vantrel_dlg_layout.cpp).
  void AddSkinParts();
  void CreateButton(CSkinBaseButton& button, SkinFile image, int command, QPoint at, int hAnchor, int vAnchor);
  void CreatePanels();
  void LayOutControls();
  void CreatePreviewButtons();
  void ConnectControls();

  // The first-paint sequence, queued from the first paint.
  void OnFirstPaint();
  void OnStartupTimer(QBasicTimer& timer);
  // Commands (vantrel_dlg_commands.cpp).
  void OnFullScreen();
  void OnAlwaysOnTop();
  void OnHideControls();
  void OnAbout();
  // Panels (vantrel_dlg_panels.cpp).
  void SlideBottomPanel();
  void SlideRightPanel();
  void ShowPanelControls();
  void PlacePlayer(QSize client);
  // Keyboard, wheel and remembered volume (vantrel_dlg_keyboard.cpp).
  bool OnShortcutKey(const QKeyEvent& event);
  bool IsOwnWindow(const QWidget& widget) const;
  void ChangeVolume(int delta);
  void RestoreVolume();
  void RememberVolume();
  void OnOpenFile(const OpenTarget& target);
  // Channels and favourites (vantrel_dlg_channels.cpp).
  void OnTreeSelectionChanged();
  void ShowChannelDetails(const CChannel& channel, bool fromPlaylist);
  // The playlist channel's logo in the details pane (vantrel_dlg_playlist_logo.cpp).
  void ShowChannelLogo(const CChannel& channel, bool fromPlaylist);
  void PlaceChannelLogo(bool shown);
  void OnTreeDoubleClick();
  void OnFavoritesClick();
  void OnFavoritesDoubleClick();
  void OnHeart();
  void OnUnheart();
  // Search (vantrel_dlg_search.cpp).
  void ConnectSearch();
  void OnSearchEdited(const QString& text);
  void OnSearchAccepted();
  // The search's items: the catalogue's channels, then every playlist's.
  void RefillSearchItems();
  // Playlists (vantrel_dlg_playlist_commands.cpp).
  void ConnectPlaylists();
  void OnOpenPlaylistCommand();
  void OnPlaylistsAboutToChange();
  void OnPlaylistsChanged();
  void ShowTreeMenu(const QPoint& at);
  // The channel check (vantrel_dlg_check.cpp).
  void ConnectChannelCheck();
  std::vector<const CChannel*> ChannelsToCheck() const;
  // The programme guide (vantrel_dlg_guide_commands.cpp).
  void LayOutGuide();
  void ConnectGuide();
  void ShowGuideFor(const CChannel& channel);
  void OnGuideShown(bool shown);

  // Recording (vantrel_dlg_recording.cpp).
  void OnRecord();
  void StopAllCaptures();
  // The favourites' menu, the recording entries of every channel menu, the list's rows.
  void ConnectRecordings();
  void ShowFavoritesMenu(const QPoint& at);
  void AddRecordActions(QMenu& menu, const CChannel* channel);
  std::vector<RecordingsRow> RecordingRows() const;
  void StopRecordingRow(uint64_t key);
  // Update checks and downloads (vantrel_dlg_updates.cpp).
  UpdateClientInfo UpdateClient() const;
  void RunUpdateChecks();
  bool CheckProgramUpdate();  // false: the later checks are skipped this run
  void CheckNewSkins();
  void CheckNewChannels();
  void DownloadChannelList();
  void DownloadSkinPack(const QString& address, const QString& skinName, const QString& suffix);
  void DownloadProgramUpdate(const QString& address, const QString& archiveName, const QString& suffix);
  void FinishInstall(const InstallResult& result, int restartQuestionId);
  // Redraws and shows the kilobytes so far followed by `suffix`.
  DownloadProgress ShowDownloadProgress(const QString& suffix);

  QIcon m_icon;
  SkinChoice m_skins;
  CSkinBaseButton m_minimize;
  CSkinBaseButton m_maximize;
  CSkinBaseButton m_close;
  std::vector<std::unique_ptr<CSkinBaseButton>> m_previews;  // only for installed built-in skins
  CSkinBaseButton m_about;
  CSkinBaseButton m_downArrow;
  CSkinBaseButton m_rightArrow;
  CSkinBaseButton m_heart;
  CSkinBaseButton m_unheart;
  CSkinBaseButton m_download;
  QBasicTimer m_timer1;
  QBasicTimer m_timer2;
  QBasicTimer m_timer3;
  QColor m_rightPanelColour;
  QColor m_bottomPanelColour;
  bool m_firstPaintPending = false;
  bool m_aboutOpen = false;
  bool m_sliding = false;
  CSkinBaseButton m_record;
  // Parts the slides move: each arrow with its panel.
  int m_downArrowPart = -1;
  int m_bottomPanelPart = -1;
  int m_rightArrowPart = -1;
  int m_rightPanelPart = -1;

  QCheckBox m_alwaysOnTop;
  CMediaplayer m_player;
  QCheckBox m_hideControls;
  // Before the tree, whose model reads its marks until the end.
  CChannelCheck m_channelCheck;
  CChannelTreeView m_tree;
  CFavoritesListView m_favorites;
  QLabel m_newChannels;
  QPlainTextEdit m_description;
  QLineEdit m_siteUrl;
  QLineEdit m_bitRate;
  QRadioButton m_byCountries;
  QRadioButton m_byGenres;
  QRadioButton m_byPlaylists;
  CChannelSearchField m_search;
  CPlaylistShelf m_playlists;
  // The windows and the pane use the service: they go first.
  CGuideService m_guide;
  CGuideNowPane m_guidePane;
  std::unique_ptr<CGuideDayWindow> m_guideDay;
  std::unique_ptr<CGuideSourcesDialog> m_guideSources;
  int m_descriptionHeight = 0;  // the details' height when the pane is not beside it
  // Created after the controls so that it lies above them.
  CStatusLine m_status;

  CChannelZapper m_zapper;
  std::unique_ptr<CMprisService> m_mpris;
  bool m_mprisRegistered = false;
  QString m_openAtStartup;
  QString m_runUpdateServer;
  QString m_runSkin;
  int m_exitCode = 0;
  bool m_ending = false;
  bool m_revealPlaylists = false;  // the next change of the playlists switches the view to them
  std::unique_ptr<CChannelLogo> m_logo;  // made when a playlist channel is first shown
  // Last, so that its workers are gone before the button and the player they serve.
  CRecordControl m_recorder{m_record, m_player};
  int64_t m_recordButtonSince = 0;  // when the record button's capture was asked for
  CRecordingManager m_recordings;
  // Before the manager in teardown: its rows read the manager.
  std::unique_ptr<CRecordingsWindow> m_recordingsWindow;
};

// The window icon, drawn at start-up.
QIcon MakeProgramIcon();
// A panel image's background colour: bytes 50003, 50002, 50004 of its pixel data as red, green,
// blue; the colour of the image's centre pixel when it holds fewer bytes.
QColor SamplePanelColour(const QString& imagePath);

}  // namespace vantrel
