#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "base/program_path.h"
#include "base/settings.h"

using namespace vantrel;

class SettingsTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;

 private slots:
  // Settings go to a folder of the test's own, never the user's.
  void initTestCase() {
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    SetProgramPathForTesting("/nonexistent/Vantrel");
  }

  // Values round-trip, absent ones give the default, and writing null deletes the value.
  void settingsRoundTripDefaultAndDeletion() {
    QCOMPARE(GetProfileString("Skins", "Current Skin", "dflt"), QString("dflt"));
    QVERIFY(WriteProfileString("Skins", "Current Skin", QString("Металл")));
    QCOMPARE(GetProfileString("Skins", "Current Skin"), QString("Металл"));
    QVERIFY(WriteProfileString("Skins", "Current Skin", QString()));
    QCOMPARE(GetProfileString("Skins", "Current Skin", "dflt"), QString());
    QVERIFY(WriteProfileString("Skins", "Current Skin", std::nullopt));
    QCOMPARE(GetProfileString("Skins", "Current Skin", "dflt"), QString("dflt"));
  }

  // The store lives under the configured folder, never in the user's own.
  void settingsFileLocation() {
    QVERIFY(WriteProfileString("Update", "User Name", QString("tester")));
    const QString expected = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Vantrel Applications/Vantrel.conf";
    QVERIFY2(QFile::exists(expected), qPrintable(expected));
  }

};

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
