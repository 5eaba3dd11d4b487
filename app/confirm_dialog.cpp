#include "confirm_dialog.h"

#include "class_builder.h"
#include "cute_button.h"
#include "grad_box.h"
#include "std_controls.h"

namespace orlo {

TForm2* Form2 = nullptr;

ORLO_DEFINE_CLASS(TForm2, TForm) {
  p.Field("Label1", &TForm2::Label1);
  p.Field("Label2", &TForm2::Label2);
  p.Field("GradBox1", &TForm2::GradBox1);
  p.Field("CuteButton1", &TForm2::CuteButton1);
  p.Field("CuteButton2", &TForm2::CuteButton2);
  p.Field("Label3", &TForm2::Label3);
  p.Method("CuteButton1Click", &TForm2::CuteButton1Click);
  p.Method("CuteButton2Click", &TForm2::CuteButton2Click);
}

void TForm2::CuteButton1Click(TObject*) { SetModalResult(mrYes); }
void TForm2::CuteButton2Click(TObject*) { SetModalResult(mrNo); }

}  // namespace orlo
