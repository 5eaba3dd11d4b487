// The overwrite question: three lines of text and YES and NO, shown modally
// by the transfer once for every object of the same name it meets.
#pragma once
#include "forms.h"

namespace orlo {

class TCuteButton;
class TGradBox;
class TLabel;

class TForm2 : public TForm {
  ORLO_CLASS(TForm2)
public:
  using TForm::TForm;

  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TGradBox* GradBox1 = nullptr;
  TCuteButton* CuteButton1 = nullptr;
  TCuteButton* CuteButton2 = nullptr;
  TLabel* Label3 = nullptr;

  void CuteButton1Click(TObject* Sender);  // YES
  void CuteButton2Click(TObject* Sender);  // NO
};

extern TForm2* Form2;

}  // namespace orlo
