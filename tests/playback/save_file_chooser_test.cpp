// The save-file dialog behind the record button, driven as the user would.
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "playback/save_file_chooser.h"

using namespace vantrel;

namespace {

// Calls `handle` with the first modal widget of type T to appear (polling the event loop the
// dialog runs).
template <typename T>
void WhenShown(std::function<void(T*)> handle) {
  QTimer::singleShot(10, [handle] {
    if (T* widget = qobject_cast<T*>(QApplication::activeModalWidget())) {
      handle(widget);
      return;
    }
    WhenShown<T>(handle);
  });
}

}  // namespace

class SaveFileChooserTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;
  QTemporaryDir m_dir;

 private slots:
  void initTestCase() {
    QVERIFY(m_config.isValid() && m_dir.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
  }

  // One filter, no owner, no extension added to the typed name, and a question before an existing
  // file is replaced.
  void keepsTypedNameAndAsksBeforeOverwriting() {
    const QString existing = m_dir.filePath("old recording.asf");
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    bool dialogChecked = false;
    bool askedToReplace = false;
    WhenShown<QFileDialog>([&](QFileDialog* dialog) {
      dialogChecked = dialog->parentWidget() == nullptr && dialog->acceptMode() == QFileDialog::AcceptSave &&
                      dialog->nameFilters() == QStringList{"AVI Video file(*.avi)"} && dialog->defaultSuffix().isEmpty();
      WhenShown<QMessageBox>([&](QMessageBox* box) {
        askedToReplace = true;
        box->button(QMessageBox::Yes)->click();
      });
      dialog->selectFile(existing);
      static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides its override
    });
    QCOMPARE(ChooseRecordingFile(), existing);
    QVERIFY(dialogChecked);
    QVERIFY(askedToReplace);

    // A new name without an extension stays without one.
    WhenShown<QFileDialog>([&](QFileDialog* dialog) {
      dialog->selectFile(m_dir.filePath("plain"));
      static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides its override
    });
    QCOMPARE(ChooseRecordingFile(), m_dir.filePath("plain"));
  }

  // Cancel answers an empty name.
  void cancelAnswersNothing() {
    WhenShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    QVERIFY(ChooseRecordingFile().isEmpty());
  }
};

QTEST_MAIN(SaveFileChooserTest)
#include "save_file_chooser_test.moc"
