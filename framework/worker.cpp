#include "worker.h"

#include <windows.h>
#include <objbase.h>

#include "application.h"
#include "resource_strings.h"
#include "sysutils.h"

namespace orlo {

TWorker::TWorker() {
  start_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  done_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (start_ && done_) thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
  if (!thread_) {
    if (start_) CloseHandle(start_);
    if (done_) CloseHandle(done_);
    throw EOutOfResources(res::SOutOfResources);
  }
}

TWorker::~TWorker() {
  quit_ = true;
  SetEvent(start_);
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  CloseHandle(start_);
  CloseHandle(done_);
}

unsigned long __stdcall TWorker::ThreadMain(void* self) {
  // The shell's operations expect a single-threaded apartment; they work
  // without one too, so a refusal is no reason to stop.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  static_cast<TWorker*>(self)->Serve();
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}

void TWorker::Serve() {
  for (;;) {
    WaitForSingleObject(start_, INFINITE);
    if (quit_) return;
    // Nothing leaves this thread: a failure goes back to the caller.
    try {
      (*call_)();
    } catch (...) {
      error_ = std::current_exception();
    }
    SetEvent(done_);
  }
}

void TWorker::Run(const std::function<void()>& call) {
  if (call_) throw EInvalidOperation(res::SWorkerBusy);
  call_ = &call;
  error_ = nullptr;
  SetEvent(start_);
  HANDLE done = done_;
  for (;;) {
    // Woken by the end of the call, and by every message, sent ones from
    // other threads included (the shell's progress window talks to its
    // owner).
    const DWORD r = MsgWaitForMultipleObjectsEx(1, &done, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (r == WAIT_OBJECT_0) break;
    Application->ProcessMessages();
  }
  call_ = nullptr;
  if (error_) {
    std::exception_ptr e = error_;
    error_ = nullptr;
    std::rethrow_exception(e);
  }
}

}  // namespace orlo
