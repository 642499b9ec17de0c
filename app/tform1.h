// The main window TForm1: the file browser, the composition list, the preview, the rate
// field and the tool strip, with one handler per event.
#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QToolButton>
#include <QWidget>
#include <memory>

#include "app/directory_list_box.h"
#include "app/drive_combo_box.h"
#include "app/file_list_box.h"
#include "app/list_box.h"
#include "app/list_box_composition.h"
#include "app/list_box_names.h"
#include "app/panel_text.h"
#include "app/preview_box.h"
#include "app/rate_spin_edit.h"
#include "app/save_dialog.h"
#include "app/status_bar.h"
#include "video/create_video.h"

namespace quintorel {

class TForm1 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm1(QWidget* parent = nullptr);

  // The components, made by the constructor and owned by the window.
  QGroupBox* GroupBox1;
  DriveComboBox* DriveComboBox1;
  DirectoryListBox* DirectoryListBox1;
  FileListBox* filelistbox1;
  QGroupBox* GroupBox2;
  ListBox* BitmapListBox;
  QGroupBox* GroupBox3;
  PreviewBox* BitmapImage;
  QCheckBox* CheckBox1;
  QFrame* Panel1;
  QToolButton* SpeedButton1;
  QToolButton* SpeedButton2;
  QToolButton* SpeedButton3;
  StatusBar* StatusBar1;
  SaveDialog SaveAVIDialog;
  QToolButton* SpeedButton4;
  QToolButton* SpeedButton5;
  QFrame* Bevel1;
  QGroupBox* GroupBox4;
  RateSpinEdit* SpinEdit1;
  QLabel* Label1;

  // The handlers. Each ignores its sender and shows any error in the error box.
  void SpeedButton1Click(QObject* sender);
  void BitmapListBoxClick(QObject* sender);
  void SpeedButton2Click(QObject* sender);
  void SpeedButton3Click(QObject* sender);
  void filelistbox1DblClick(QObject* sender);
  void BitmapListBoxDblClick(QObject* sender);
  void showhint(QObject* sender);
  void FormCreate(QObject* sender);
  void CheckBox1Click(QObject* sender);
  void SpeedButton5Click(QObject* sender);
  void SpeedButton4Click(QObject* sender);

  // What every creation starts from; the rate is read from SpinEdit1 at each creation. Tests
  // route the writer's system calls through here.
  CreationSettings& creationSettings() { return creation_; }
  // The composition list that BitmapListBox holds.
  const CompositionList& compositionList() const { return *composition_; }

 private:
  void createControls();
  void linkBrowser();
  void connectEvents();

  std::unique_ptr<ListBoxComposition> composition_;
  std::unique_ptr<ListBoxNames> fileNames_;
  std::unique_ptr<PanelText> frameCount_;
  CreationSettings creation_;
};

// The one main window, set at start-up and valid until the program ends.
extern TForm1* Form1;

}  // namespace quintorel
