// Calls run on a thread of their own while the calling thread's windows keep
// taking their messages; failures come back to the caller.
#include <gtest/gtest.h>
#include <windows.h>

#include "application.h"
#include "forms.h"
#include "sysutils.h"
#include "worker.h"

using namespace orlo;

namespace {

// A form that answers the worker's call: WM_APP is counted, WM_APP + 1 tries
// to start a second call while the first one runs.
class Answering : public TForm {
public:
  using TForm::TForm;
  TWorker* worker = nullptr;
  int pings = 0;
  bool secondRefused = false;
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_APP) {
      ++pings;
      m.Result = 7;
      return;
    }
    if (m.Msg == WM_APP + 1) {
      try {
        worker->Run([] {});
      } catch (const EInvalidOperation&) {
        secondRefused = true;
      }
      return;
    }
    TForm::Dispatch(m);
  }
};

}  // namespace

TEST(Worker, CallsRunElsewhereWhileTheWindowsAnswerAndFailuresComeBack) {
  Application->ResetTerminated();
  TWorker worker;
  auto* form = new Answering(nullptr);
  form->worker = &worker;
  form->SetBounds(10, 10, 200, 100);
  form->Show();
  const HWND window = form->Handle();

  // The call waits for answers of the window, which it only gets while this
  // thread goes on taking messages.
  DWORD callThread = 0;
  LRESULT answers = 0;
  worker.Run([&] {
    callThread = GetCurrentThreadId();
    for (int i = 0; i < 3; ++i) {
      DWORD_PTR r = 0;
      if (SendMessageTimeoutA(window, WM_APP, 0, 0, SMTO_BLOCK, 2000, &r)) answers += static_cast<LRESULT>(r);
    }
    DWORD_PTR r = 0;
    SendMessageTimeoutA(window, WM_APP + 1, 0, 0, SMTO_BLOCK, 2000, &r);
  });
  EXPECT_NE(callThread, GetCurrentThreadId());
  EXPECT_EQ(form->pings, 3);
  EXPECT_EQ(answers, 21);
  EXPECT_TRUE(form->secondRefused);
  EXPECT_FALSE(worker.Busy());

  // A call that raises raises here, and the worker takes the next call.
  EXPECT_THROW(worker.Run([] { throw EReadError("the disk went away"); }), EReadError);
  int after = 0;
  worker.Run([&] { after = 1; });
  EXPECT_EQ(after, 1);
  form->Free();
}
