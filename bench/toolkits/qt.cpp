// The form of 100 controls in Qt 5 Widgets on the offscreen platform: a top-level widget holding the
// controls at their places and sizes, drawn by QWidget::render into a QImage. The two looks are two style
// sheets set on the application, as an application changing its theme does; a switch sets the other one
// (Qt re-polishes every widget) and draws the window again.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QWidget>

#include <cstdlib>
#include <string>

#include "bench/PeerRatio.h"
#include "bench/toolkits/Peer.h"

namespace xj::bench {
namespace {

// Each look sets the faces of every kind on the form, as a skin does.
const char* const kLooks[2] = {
  "QWidget#form { background-color: #d8e0e8; }"
  "QPushButton { background-color: #3a6ea5; color: #ffffff; border: 1px solid #1d3f66; border-radius: 3px; }"
  "QLineEdit { background-color: #ffffff; color: #102030; border: 1px solid #5a7ea5; }"
  "QListWidget, QPlainTextEdit { background-color: #f4f8fc; color: #102030; }"
  "QComboBox { background-color: #ffffff; border: 1px solid #3a6ea5; }"
  "QCheckBox { color: #102030; }"
  "QLabel#panel { border: 2px solid #8898a8; }"
  "QProgressBar { background-color: #c0c8d0; } QProgressBar::chunk { background-color: #3a6ea5; }"
  "QSlider::groove:horizontal { background-color: #9aaabb; height: 4px; }"
  "QSlider::handle:horizontal { background-color: #3a6ea5; width: 10px; margin: -6px 0; }"
  "QScrollBar:horizontal { background-color: #c0c8d0; } QScrollBar::handle:horizontal { background-color: #3a6ea5; }",
  "QWidget#form { background-color: #e8e4d0; }"
  "QPushButton { background-color: #7a8a2e; color: #fffff0; border: 2px solid #4a5a1e; border-radius: 1px; }"
  "QLineEdit { background-color: #fffff4; color: #303010; border: 2px solid #8a9a4e; }"
  "QListWidget, QPlainTextEdit { background-color: #fcfcf0; color: #303010; }"
  "QComboBox { background-color: #fffff4; border: 2px solid #7a8a2e; }"
  "QCheckBox { color: #303010; }"
  "QLabel#panel { border: 1px solid #a8a088; }"
  "QProgressBar { background-color: #d0d0b8; } QProgressBar::chunk { background-color: #7a8a2e; }"
  "QSlider::groove:horizontal { background-color: #bbbb99; height: 6px; }"
  "QSlider::handle:horizontal { background-color: #7a8a2e; width: 12px; margin: -5px 0; }"
  "QScrollBar:horizontal { background-color: #d0d0b8; } QScrollBar::handle:horizontal { background-color: #7a8a2e; }",
};

QString Numbered(const char* base, int i) { return QString::fromUtf8(base) + QString::number(i); }

QStringList Lines(int n) {
  QStringList lines;
  for (int k = 0; k < n; ++k) lines << Numbered("线路 ", k);
  return lines;
}

QWidget* NewControl(QWidget* form, int k, int i) {
  switch (k) {
    case 0:
      return new QPushButton(Numbered("按钮", i), form);
    case 1:
      return new QLineEdit(Numbered("编辑 ", i), form);
    case 2: {
      auto* list = new QListWidget(form);
      list->addItems(Lines(kListLines));
      return list;
    }
    case 3: {
      auto* combo = new QComboBox(form);
      combo->addItems(Lines(kListLines));
      combo->setCurrentIndex(1);
      return combo;
    }
    case 4: {
      auto* check = new QCheckBox(Numbered("选项", i), form);
      check->setChecked(i % 2 == 0);
      return check;
    }
    case 5: {
      auto* panel = new QLabel(Numbered("面板", i), form);
      panel->setObjectName("panel");
      panel->setFrameShape(QFrame::Panel);
      panel->setFrameShadow(QFrame::Raised);
      panel->setAlignment(Qt::AlignCenter);
      return panel;
    }
    case 6: {
      auto* bar = new QProgressBar(form);
      bar->setRange(0, 100);
      bar->setValue(i * 10);
      bar->setTextVisible(false);
      return bar;
    }
    case 7: {
      auto* slider = new QSlider(Qt::Horizontal, form);
      slider->setRange(0, 10);
      slider->setValue(i);
      return slider;
    }
    case 8:
      return new QPlainTextEdit(Lines(kMemoLines).join('\n'), form);
    default:
      return new QScrollBar(Qt::Horizontal, form);
  }
}

// The application needs its arguments for its whole life.
int gArgc = 1;
char gArg0[] = "toolkits_qt";
char* gArgv[] = { gArg0, nullptr };

class QtPeer : public PeerToolkit {
 public:
  QtPeer() {
    // Off screen whatever display there is: the window is drawn in this process, as the others are.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    FApp = std::make_unique<QApplication>(gArgc, gArgv);
    FApp->setStyleSheet(kLooks[0]);
    Open(FForm, FImage);
  }
  ~QtPeer() override { FForm.reset(); }

  std::string Problem() const override { return {}; }
  double FirstPaint() override {
    std::unique_ptr<QWidget> form;
    QImage image;
    const double start = CpuSeconds();
    Open(form, image);
    const double spent = CpuSeconds() - start;
    form.reset();
    QApplication::sendPostedEvents();
    return spent;
  }
  void Repaint() override { FForm->render(&FImage); }
  void SwitchLook() override {
    FLook = 1 - FLook;
    FApp->setStyleSheet(kLooks[FLook]);
    QApplication::sendPostedEvents();
    FForm->render(&FImage);
  }
  bool ShowsLook() override { return (FImage.pixel(kPeerFaceX, kPeerFaceY) & 0xFFFFFF) == kPeerButtonFace[FLook]; }

 private:
  // The window as an application makes it: created, filled, shown (laid out; on the offscreen platform
  // nothing of it is put on a screen), its pending events handled, drawn.
  static void Open(std::unique_ptr<QWidget>& form, QImage& image) {
    form = std::make_unique<QWidget>();
    form->setObjectName("form");
    form->setAttribute(Qt::WA_DontShowOnScreen);
    form->resize(kFormWidth, kFormHeight);
    for (int k = 0; k < kFormKinds; ++k)
      for (int i = 0; i < kFormPerKind; ++i) {
        const FormPlace at = PlaceOf(k, i);
        NewControl(form.get(), k, i)->setGeometry(at.x, at.y, at.width, at.height);
      }
    form->show();
    QApplication::sendPostedEvents();
    image = QImage(kFormWidth, kFormHeight, QImage::Format_ARGB32_Premultiplied);
    form->render(&image);
  }

  std::unique_ptr<QApplication> FApp;
  std::unique_ptr<QWidget> FForm;
  QImage FImage;
  int FLook {};
};

}  // namespace

std::unique_ptr<PeerToolkit> StartPeerToolkit() { return std::make_unique<QtPeer>(); }
const char* PeerToolkitName() { return "qt"; }

}  // namespace xj::bench
