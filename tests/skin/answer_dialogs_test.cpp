#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "base/message_box.h"
#include "skin/about_dlg.h"
#include "skin/msg_dlg.h"
#include "skin/skin_selection.h"
#include "skin/skin_set.h"

using namespace vantrel;

namespace {

// The built Classic skin beside the program.
QString ClassicFile(SkinFile file) {
  return qEnvironmentVariable("VANTREL_BIN_DIR") + "/skins/Classic" + QString::fromLatin1(kRequiredSkinFiles[file]);
}

void Press(QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButtons held, Qt::MouseButton button) {
  QMouseEvent event(type, QPointF(local), QPointF(target->mapToGlobal(local)), button, held, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &event);
}

// Presses at `from` in `target`, drags by `by` and lets go, as a user's mouse would.
void Drag(QWidget* target, QPoint from, QPoint by) {
  Press(target, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  Press(target, QEvent::MouseMove, from + by, Qt::LeftButton, Qt::NoButton);
  Press(target, QEvent::MouseButtonRelease, from + by, Qt::NoButton, Qt::LeftButton);
}

// Runs the dialog modally and clicks `button` once it is up; answers what exec() returned.
int ClickWhileModal(QDialog& dialog, QAbstractButton& button) {
  QTimer::singleShot(0, &button, [&button] { QTest::mouseClick(&button, Qt::LeftButton); });
  return dialog.exec();
}

}  // namespace

class AnswerDialogsTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;

  static std::unique_ptr<VantrelMsgDlg> Message(const QString& text) {
    return std::make_unique<VantrelMsgDlg>(ClassicFile(kMessageBack), ClassicFile(kButtonOk),
                                           ClassicFile(kButtonCancel), text);
  }

 private slots:
  void initTestCase() {
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    QVERIFY2(QFile::exists(ClassicFile(kMessageBack)), "the built skins are missing");
  }

  // The box takes its background's size and shape; text and buttons sit where the skin
  // expects them, the text centred.
  void messageBoxLayout() {
    auto box = Message("Проверка");
    QCOMPARE(box->size(), QSize(320, 175));
    QVERIFY(!box->WindowRegion().contains(QPoint(0, 0)));
    QVERIFY(box->WindowRegion().contains(QPoint(160, 80)));
    QCOMPARE(box->Text().geometry(), QRect(20, 20, 260, 110));
    QCOMPARE(box->Text().text(), QString("Проверка"));
    QVERIFY(box->Text().alignment() & Qt::AlignHCenter);
    QVERIFY(!box->Text().autoFillBackground());
    QCOMPARE(box->OkButton().geometry().topLeft(), QPoint(40, 135));
    QCOMPARE(box->CancelButton().geometry().topLeft(), QPoint(220, 135));
    QCOMPARE(box->OkButton().CommandId(), 38000);
    QCOMPARE(box->CancelButton().CommandId(), 38001);
  }

  // A click on OK answers OK, on Cancel answers Cancel, and Escape answers Cancel too.
  void messageBoxAnswersByClicks() {
    auto ok = Message("OK?");
    QCOMPARE(ClickWhileModal(*ok, ok->OkButton()), kIdOk);
    auto cancel = Message("Cancel?");
    QCOMPARE(ClickWhileModal(*cancel, cancel->CancelButton()), kIdCancel);
    auto escape = Message("Escape?");
    QTimer::singleShot(0, escape.get(), [&escape] { QTest::keyClick(escape.get(), Qt::Key_Escape); });
    QCOMPARE(escape->exec(), kIdCancel);
  }

  // Dragging the background, even through the text, moves the box; dragging a button does not.
  void messageBoxMovesByItsBackground() {
    auto box = Message("Тащите меня");
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    box->move(100, 100);
    const QRect start = box->geometry();
    Drag(box.get(), QPoint(300, 60), QPoint(25, 15));
    QCOMPARE(box->geometry(), start.translated(25, 15));
    Drag(&box->Text(), QPoint(130, 30), QPoint(-5, 10));
    QCOMPARE(box->geometry(), start.translated(20, 25));
    QCOMPARE(box->size(), QSize(320, 175));

    const QRect before = box->geometry();
    Drag(&box->OkButton(), QPoint(5, 5), QPoint(40, 30));
    QCOMPARE(box->geometry(), before);
    QVERIFY(box->isVisible());  // released outside the button: no answer
  }

  // Once installed, every message of the program is shown in the skinned box.
  void skinnedMessagesUseTheBox() {
    const auto folder = std::filesystem::path(ClassicFile(kSkin11).toStdString()).parent_path();
    InstallSkinnedMessageBox(folder);
    QString shown;
    QTimer::singleShot(0, [&shown] {
      auto* box = qobject_cast<VantrelMsgDlg*>(QApplication::activeModalWidget());
      QVERIFY(box != nullptr);
      shown = box->Text().text();
      QTest::mouseClick(&box->CancelButton(), Qt::LeftButton);
    });
    QCOMPARE(ShowSkinnedMessage("Перезапустить программу?"), MsgResult::Cancel);
    QCOMPARE(shown, QString("Перезапустить программу?"));
    SetSkinnedMessageBoxImpl(nullptr);
  }

  // The about window: the skin's picture, OK and Cancel at their places with their answers.
  void aboutWindow() {
    CVantrelAboutDlg about(ClassicFile(kAboutBack), ClassicFile(kButtonOk), ClassicFile(kButtonCancel));
    QCOMPARE(about.size(), QSize(460, 270));
    QCOMPARE(about.OkButton().geometry().topLeft(), QPoint(100, 220));
    QCOMPARE(about.CancelButton().geometry().topLeft(), QPoint(300, 220));
    QCOMPARE(ClickWhileModal(about, about.OkButton()), kIdOk);
    CVantrelAboutDlg again(ClassicFile(kAboutBack), ClassicFile(kButtonOk), ClassicFile(kButtonCancel));
    QCOMPARE(ClickWhileModal(again, again.CancelButton()), kIdCancel);
  }

  // The panels' colour comes from their colour bytes; a panel too small for them gives its
  // centre pixel's colour instead of reading past its pixels.
  void panelColours() {
    QCOMPARE(ReadPanelColour(ClassicFile(kSkinMoveRight).toStdString()), QColor("#eef2f7"));
    QCOMPARE(ReadPanelColour(ClassicFile(kSkinMoveDown).toStdString()), QColor("#eef2f7"));
    QTemporaryDir dir;
    QImage small(40, 30, QImage::Format_RGB32);
    small.fill(QColor(10, 20, 30));
    small.setPixelColor(20, 15, QColor(200, 100, 50));
    QVERIFY(CDib::WriteImageFile(small, dir.filePath("panel.bmp")));
    QCOMPARE(ReadPanelColour(dir.filePath("panel.bmp").toStdString()), QColor(200, 100, 50));
  }

  // With its images missing the box still opens and answers; the bitmap messages say why.
  void missingImagesStillAnswer() {
    QStringList messages;
    SetMessageBoxHookForTesting([&messages](const MessageRequest& r) {
      messages << r.text;
      return MsgResult::Ok;
    });
    VantrelMsgDlg box("/nonexistent/message_back.bmp", ClassicFile(kButtonOk), "/nonexistent/cancel.bmp", "x");
    SetMessageBoxHookForTesting(nullptr);
    QVERIFY(messages.contains("Empty bitmap file"));
    QCOMPARE(ClickWhileModal(box, box.OkButton()), kIdOk);
  }
};

QTEST_MAIN(AnswerDialogsTest)
#include "answer_dialogs_test.moc"
