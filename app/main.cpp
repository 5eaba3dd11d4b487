// orlosend: sends the files the shell passes on the command line to a folder,
// moving or copying them.
#include <windows.h>

#include "application.h"
#include "confirm_dialog.h"
#include "main_window.h"
#include "sysutils.h"

using namespace orlo;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    Application->Initialize();
    Application->SetTitle("ORLO MOVE");
    Application->CreateForm(Form1);
    Application->CreateForm(Form2);
    Application->Run();
  } catch (const Exception& e) {
    ShowExceptionBox(e.Message());
  }
  return 0;
}
