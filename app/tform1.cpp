// The main window TForm1.
#include "app/tform1.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <filesystem>
#include <utility>

#include "app/about1.h"
#include "app/form_font.h"
#include "app/glyphs.h"
#include "app/guarded.h"
#include "app/hint_tracker.h"
#include "app/speed_button.h"
#include "composition/operations.h"

namespace quintorel {

TForm1* Form1 = nullptr;

namespace {

// A font of the form's family in black, for the two controls that have fonts of their own.
void setOwnFont(QWidget* control, int pixelHeight) {
  control->setFont(formFont(pixelHeight));
  QPalette palette = control->palette();
  palette.setColor(QPalette::WindowText, Qt::black);
  palette.setColor(QPalette::Text, Qt::black);
  control->setPalette(palette);
}

QGroupBox* makeGroupBox(QWidget* parent, const char* caption, const QRect& geometry) {
  auto* box = new QGroupBox(QString::fromUtf8(caption), parent);
  box->setGeometry(geometry);
  return box;
}

std::filesystem::path toPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Quintorel ver.1.00  by Marovek"));
  setFont(formFont());
  setWindowIcon(mainIcon());
  // Laid out for 505 x 350 pixels and not to be resized or maximised.
  setFixedSize(505, 350);
  move(202, 232);

  createControls();
  linkBrowser();
  connectEvents();
  FormCreate(this);
}

void TForm1::createControls() {
  GroupBox1 = makeGroupBox(this, "ビットマップファイル選択", {8, 64, 161, 265});
  DriveComboBox1 = new DriveComboBox(GroupBox1);
  DriveComboBox1->setGeometry(8, 16, 145, 22);
  DirectoryListBox1 = new DirectoryListBox(GroupBox1);
  DirectoryListBox1->setGeometry(8, 40, 145, 97);
  filelistbox1 = new FileListBox(GroupBox1);
  filelistbox1->setGeometry(8, 136, 145, 121);

  GroupBox2 = makeGroupBox(this, "構成ファイル一覧", {168, 64, 185, 265});
  BitmapListBox = new ListBox(GroupBox2, 12);
  BitmapListBox->setGeometry(8, 16, 169, 241);

  GroupBox3 = makeGroupBox(this, "ビットマップイメージ", {352, 64, 145, 153});
  BitmapImage = new PreviewBox(GroupBox3);
  BitmapImage->setGeometry(8, 16, 129, 105);
  CheckBox1 = new QCheckBox(QString::fromUtf8("大きさを合わせる"), GroupBox3);
  CheckBox1->setGeometry(8, 128, 129, 17);

  // The tool strip reaches past the window's top, left and right edges, so only its lower
  // edge shows, as a raised line under the buttons.
  Panel1 = new QFrame(this);
  Panel1->setGeometry(-16, -8, 545, 65);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel1->setLineWidth(1);
  SpeedButton1 = makeSpeedButton(Panel1, {152, 16, 41, 41}, QStringLiteral("add"),
                                 QString::fromUtf8("構成ファイル一覧に\rビットマップファイルを追加|"
                                                   "構成ファイル一覧にビットマップファイルを追加"));
  SpeedButton2 = makeSpeedButton(Panel1, {208, 16, 41, 41}, QStringLiteral("delete"),
                                 QString::fromUtf8("選択されている構成ファイルを削除|"
                                                   "選択されている構成ファイルを削除"));
  SpeedButton3 = makeSpeedButton(Panel1, {264, 16, 41, 41}, QStringLiteral("create"),
                                 QString::fromUtf8("AVIファイル作成|AVIファイル作成"));

  StatusBar1 = new StatusBar(this, {150, 50});
  StatusBar1->setGeometry(0, 331, 505, 19);
  StatusBar1->panel(0)->setText(QString::fromUtf8(kInitialFrameCountText));
  StatusBar1->panel(1)->setText(QString::fromUtf8("ヒント"));

  SpeedButton4 = makeSpeedButton(Panel1, {72, 16, 41, 41}, QStringLiteral("about"),
                                 QString::fromUtf8("バージョン情報|バージョン情報"));
  SpeedButton5 = makeSpeedButton(Panel1, {24, 16, 41, 41}, QStringLiteral("exit"),
                                 QString::fromUtf8("終了|終了"));
  // Taller than the strip, so of its lowered box only the two side edges show: a groove.
  Bevel1 = new QFrame(Panel1);
  Bevel1->setGeometry(129, -8, 7, 81);
  Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Bevel1->setLineWidth(1);

  GroupBox4 = makeGroupBox(this, "ＡＶＩファイルの再生速度", {360, 248, 137, 65});
  Label1 = new QLabel(QString::fromUtf8("フレーム／秒"), GroupBox4);
  setOwnFont(Label1, 13);
  Label1->move(57, 36);
  Label1->adjustSize();
  SpinEdit1 = new RateSpinEdit(GroupBox4, 1, 120, 10);
  SpinEdit1->setGeometry(8, 23, 49, 26);
  setOwnFont(SpinEdit1, 16);

  // The components answer to the names they have as fields.
  const std::pair<QObject*, const char*> names[] = {{GroupBox1, "GroupBox1"},
                                                    {DriveComboBox1, "DriveComboBox1"},
                                                    {DirectoryListBox1, "DirectoryListBox1"},
                                                    {filelistbox1, "filelistbox1"},
                                                    {GroupBox2, "GroupBox2"},
                                                    {BitmapListBox, "BitmapListBox"},
                                                    {GroupBox3, "GroupBox3"},
                                                    {BitmapImage, "BitmapImage"},
                                                    {CheckBox1, "CheckBox1"},
                                                    {Panel1, "Panel1"},
                                                    {SpeedButton1, "SpeedButton1"},
                                                    {SpeedButton2, "SpeedButton2"},
                                                    {SpeedButton3, "SpeedButton3"},
                                                    {StatusBar1, "StatusBar1"},
                                                    {SpeedButton4, "SpeedButton4"},
                                                    {SpeedButton5, "SpeedButton5"},
                                                    {Bevel1, "Bevel1"},
                                                    {GroupBox4, "GroupBox4"},
                                                    {SpinEdit1, "SpinEdit1"},
                                                    {Label1, "Label1"}};
  for (const auto& [component, name] : names) component->setObjectName(QString::fromLatin1(name));

  composition_ = std::make_unique<ListBoxComposition>(*BitmapListBox);
  fileNames_ = std::make_unique<ListBoxNames>(*filelistbox1);
  frameCount_ = std::make_unique<PanelText>(StatusBar1->panel(0));

  setTabOrder(DriveComboBox1, DirectoryListBox1);
  setTabOrder(DirectoryListBox1, filelistbox1);
  setTabOrder(filelistbox1, BitmapListBox);
  setTabOrder(BitmapListBox, CheckBox1);
  setTabOrder(CheckBox1, SpinEdit1);
  DriveComboBox1->setFocus();
}

void TForm1::linkBrowser() {
  DirectoryListBox1->setFileList(filelistbox1);
  connect(DirectoryListBox1, &DirectoryListBox::directoryChanged, this,
          [this] { DriveComboBox1->showDirectory(DirectoryListBox1->directory()); });
  connect(DriveComboBox1, &DriveComboBox::driveChosen, this, [this](const QString& directory) {
    guarded([&] { DirectoryListBox1->setDirectory(toPath(directory)); });
    // After a volume that can't be read the selector goes back to the one still shown.
    if (!DirectoryListBox1->directory().empty())
      DriveComboBox1->showDirectory(DirectoryListBox1->directory());
  });
  guarded([this] { DirectoryListBox1->setDirectory(std::filesystem::current_path()); });
}

void TForm1::connectEvents() {
  connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(SpeedButton1); });
  connect(BitmapListBox, &QAbstractItemView::clicked, this,
          [this] { BitmapListBoxClick(BitmapListBox); });
  connect(BitmapListBox, &ListBox::selectionMovedByKey, this,
          [this] { BitmapListBoxClick(BitmapListBox); });
  connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(SpeedButton2); });
  connect(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(SpeedButton3); });
  connect(filelistbox1, &ListBox::dblClick, this, [this] { filelistbox1DblClick(filelistbox1); });
  connect(BitmapListBox, &ListBox::dblClick, this,
          [this] { BitmapListBoxDblClick(BitmapListBox); });
  connect(CheckBox1, &QCheckBox::toggled, this, [this] { CheckBox1Click(CheckBox1); });
  connect(SpeedButton5, &QToolButton::clicked, this, [this] { SpeedButton5Click(SpeedButton5); });
  connect(SpeedButton4, &QToolButton::clicked, this, [this] { SpeedButton4Click(SpeedButton4); });
}

void TForm1::SpeedButton1Click(QObject*) {
  guarded([this] { addAll(*fileNames_, *composition_, *frameCount_); });
}

void TForm1::BitmapListBoxClick(QObject*) {
  guarded([this] { showCurrent(*composition_, *BitmapImage, *frameCount_); });
}

void TForm1::SpeedButton2Click(QObject*) {
  guarded([this] { removeSelected(*composition_, *frameCount_); });
}

void TForm1::SpeedButton3Click(QObject*) {
  guarded([this] {
    if (!SaveAVIDialog.execute(this)) return;
    CreationSettings settings = creation_;
    settings.rate = SpinEdit1->value();
    createVideo(*composition_, toPath(SaveAVIDialog.fileName()), settings);
  });
}

void TForm1::filelistbox1DblClick(QObject*) {
  guarded([this] { addOne(*fileNames_, *composition_, *frameCount_); });
}

void TForm1::BitmapListBoxDblClick(QObject*) {
  guarded([this] { removeSelected(*composition_, *frameCount_); });
}

void TForm1::showhint(QObject*) {
  guarded([this] { StatusBar1->panel(1)->setText(HintTracker::instance().hint()); });
}

void TForm1::FormCreate(QObject*) {
  guarded([this] {
    HintTracker::instance().setHandler([form = QPointer<TForm1>(this)] {
      if (form) form->showhint(qApp);
    });
  });
}

void TForm1::CheckBox1Click(QObject*) {
  guarded([this] { fitToBox(CheckBox1->isChecked(), *BitmapImage); });
}

void TForm1::SpeedButton5Click(QObject*) {
  guarded([this] { close(); });
}

void TForm1::SpeedButton4Click(QObject*) {
  guarded([] {
    AboutBox->show();
    AboutBox->raise();
    AboutBox->activateWindow();
  });
}

}  // namespace quintorel
