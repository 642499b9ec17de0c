// The program's entry: the application, the main window Form1 and the about box AboutBox.
#include "app/about1.h"
#include "app/application.h"
#include "app/application_setup.h"
#include "app/tform1.h"

int main(int argc, char** argv) {
  quintorel::Application application(argc, argv);
  quintorel::setUpApplication(application);
  quintorel::Form1 = new quintorel::TForm1;
  quintorel::AboutBox = new quintorel::TAboutBox(quintorel::Form1);
  quintorel::Form1->show();
  application.exec();
  // The about box goes with the main window that owns it.
  delete quintorel::Form1;
  return 0;
}
