#include "skin/skin_selection.h"

#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

#include "base/message_box.h"
#include "base/program_path.h"
#include "base/restart.h"
#include "base/settings.h"
#include "tests/skin/skin_fixture.h"

namespace fs = std::filesystem;
using namespace vantrel;
using vantrel::testing::MakeSkin;
using vantrel::testing::TempFolder;

class SkinSelectionTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;
  std::unique_ptr<TempFolder> m_program;
  std::vector<MessageRequest> m_messages;
  std::vector<fs::path> m_restarts;

  fs::path Skins() const { return m_program->path() / "skins"; }
  QString Setting() const { return GetProfileString(kSkinsSection, kCurrentSkinEntry, "<absent>"); }

 private slots:
  void initTestCase() {
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    SetMessageBoxHookForTesting([this](const MessageRequest& r) {
      m_messages.push_back(r);
      return MsgResult::Ok;
    });
    SetRestartHookForTesting([this](const fs::path& p) {
      m_restarts.push_back(p);
      return true;
    });
  }

  // Every case starts as a first run: a fresh program folder and no setting.
  void init() {
    m_program = std::make_unique<TempFolder>("selection");
    SetProgramPathForTesting(m_program->path() / "Vantrel");
    WriteProfileString(kSkinsSection, kCurrentSkinEntry, std::nullopt);
    m_messages.clear();
    m_restarts.clear();
  }

  // No skins folder: the system's error text under caption 129; no complete skin: text 130.
  void startupErrorsUseTheSystemBox() {
    QVERIFY(!SelectSkinAtStartup());
    QCOMPARE(m_messages.size(), size_t(1));
    QVERIFY(m_messages[0].system);
    QCOMPARE(m_messages[0].caption, QString("Ошибка при поиске каталога со шкурками."));
    QCOMPARE(m_messages[0].text, QString::fromLocal8Bit(std::strerror(ENOENT)));

    fs::remove(SkinFilePath(MakeSkin(Skins(), "Classic"), kMessageBack));
    QVERIFY(!SelectSkinAtStartup());
    QCOMPARE(m_messages.size(), size_t(2));
    QCOMPARE(m_messages[1].text, QString("Нет доступных шкурок."));
    QCOMPARE(m_messages[1].caption, QString("Ошибка при поиске каталога со шкурками."));
  }

  // First run: the window is built from the first skin listed, "Classic" is then written,
  // becomes the current folder for the message box, and its preview is the one switched on.
  void firstRunTakesFirstSkinAndLeavesClassic() {
    MakeSkin(Skins(), "Aqua");
    MakeSkin(Skins(), "Metall");
    MakeSkin(Skins(), "Classic");
    MakeSkin(Skins(), "Classic2");
    auto choice = SelectSkinAtStartup();
    QVERIFY(choice);
    QCOMPARE(choice->current, Skins() / "Aqua");
    QCOMPARE(choice->File(kSkin11), Skins() / "Aqua" / "skin_11.bmp");

    const auto previews = PreviewButtons(*choice);
    QCOMPARE(previews.size(), size_t(2));
    QCOMPARE(previews[0].name, QString("Classic"));
    QCOMPARE(previews[0].command, 37839);
    QCOMPARE(previews[0].y, 65);
    QCOMPARE(previews[0].image, Skins() / "Classic" / "preview.bmp");
    QCOMPARE(previews[1].name, QString("Metall"));
    QCOMPARE(previews[1].x, 10);
    QCOMPARE(previews[1].y, 395);

    QCOMPARE(ConfirmSkinSetting(*choice), QString("Classic"));
    QCOMPARE(Setting(), QString("Classic"));
    QCOMPARE(choice->current, Skins() / "Classic");
    QVERIFY(m_messages.empty());
  }

  // A setting naming no complete skin (here only by case) keeps the first skin and is
  // left as it is.
  void unknownSettingIsNotCorrected() {
    MakeSkin(Skins(), "classic");
    MakeSkin(Skins(), "Panels");
    WriteProfileString(kSkinsSection, kCurrentSkinEntry, QString("Classic"));
    auto choice = SelectSkinAtStartup();
    QVERIFY(choice);
    QCOMPARE(choice->current, Skins() / "classic");
    QCOMPARE(ConfirmSkinSetting(*choice), QString("Classic"));
    QCOMPARE(choice->current, Skins() / "classic");
    QCOMPARE(Setting(), QString("Classic"));
    QCOMPARE(PreviewButtons(*choice).size(), size_t(1));

    WriteProfileString(kSkinsSection, kCurrentSkinEntry, QString("Panels"));
    QCOMPARE(SelectSkinAtStartup()->current, Skins() / "Panels");
  }

  // Switching stores the name and restarts the kept program, also for the current skin;
  // other commands are not switches.
  void switchRestartsWithKeptProgramPath() {
    WriteProfileString(kSkinsSection, kCurrentSkinEntry, QString("Liquid"));
    QCOMPARE(SwitchSkinCommand(37855), std::optional<int>(0));
    QCOMPARE(Setting(), QString("Liquid"));
    QCOMPARE(SwitchSkinCommand(37852), std::optional<int>(0));
    QCOMPARE(Setting(), QString("Glamour"));
    QCOMPARE(m_restarts.size(), size_t(2));
    QCOMPARE(m_restarts[0], m_program->path() / "Vantrel");
    QCOMPARE(m_restarts[1], m_program->path() / "Vantrel");

    QCOMPARE(SwitchSkinCommand(37842), std::optional<int>());
    QCOMPARE(m_restarts.size(), size_t(2));
    QCOMPARE(Setting(), QString("Glamour"));
  }

  // Without the program's own path there is nothing to restart: the exit code says so.
  void switchWithoutProgramPathFails() {
    SetProgramPathForTesting({});
    QCOMPARE(SwitchSkinCommand(37841), std::optional<int>(kSkinErrorExitCode));
    QVERIFY(m_restarts.empty());
  }

  void cleanupTestCase() {
    SetMessageBoxHookForTesting(nullptr);
    SetRestartHookForTesting(nullptr);
  }
};

QTEST_MAIN(SkinSelectionTest)
#include "skin_selection_test.moc"
