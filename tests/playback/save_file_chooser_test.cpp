// The save-file dialog behind the record button, driven as the user would.
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "playback/save_file_chooser.h"

using namespace vantrel;

namespace {

// Calls `handle` with the modal widget of type T once its own event loop, the `level`th nested
// one, runs. Closing a dialog earlier, while it is still being shown, would leave its loop
// waiting for ever.
template <typename T>
void WhenRunning(int level, std::function<void(T*)> handle) {
  QTimer::singleShot(10, [level, handle] {
    T* widget = qobject_cast<T*>(QApplication::activeModalWidget());
    if (widget != nullptr && QThread::currentThread()->loopLevel() == level) {
      handle(widget);
      return;
    }
    WhenRunning<T>(level, handle);
  });
}

// Types a full path into the name field and presses Save. (selectFile leaves a focused field
// alone, so it would race with the dialog getting the focus.)
void SaveAs(QFileDialog* dialog, const QString& path) {
  QLineEdit* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  QVERIFY(name != nullptr);
  name->setText(path);
  static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides its override
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
    WhenRunning<QFileDialog>(1, [&](QFileDialog* dialog) {
      dialogChecked = dialog->parentWidget() == nullptr && dialog->acceptMode() == QFileDialog::AcceptSave &&
                      dialog->nameFilters() == QStringList{"AVI Video file(*.avi)"} && dialog->defaultSuffix().isEmpty();
      WhenRunning<QMessageBox>(2, [&](QMessageBox* box) {
        askedToReplace = true;
        box->button(QMessageBox::Yes)->click();
      });
      SaveAs(dialog, existing);
    });
    QCOMPARE(ChooseRecordingFile(), existing);
    QVERIFY(dialogChecked);
    QVERIFY(askedToReplace);

    // A new name without an extension stays without one.
    WhenRunning<QFileDialog>(1, [&](QFileDialog* dialog) {
      SaveAs(dialog, m_dir.filePath("plain"));
    });
    QCOMPARE(ChooseRecordingFile(), m_dir.filePath("plain"));
  }

  // Cancel answers an empty name.
  void cancelAnswersNothing() {
    WhenRunning<QFileDialog>(1, [](QFileDialog* dialog) { dialog->reject(); });
    QVERIFY(ChooseRecordingFile().isEmpty());
  }
};

QTEST_MAIN(SaveFileChooserTest)
#include "save_file_chooser_test.moc"
