// Long calls off the user-interface thread: a thread of its own runs one call
// at a time, while the thread that asked keeps its windows answering,
// repainting and taking their messages until the call is over.
#pragma once
#include <exception>
#include <functional>

namespace orlo {

class TWorker {
public:
  // Starts the thread; it waits for calls.
  TWorker();
  // Ends the thread once it has finished the call it is in.
  ~TWorker();
  TWorker(const TWorker&) = delete;
  TWorker& operator=(const TWorker&) = delete;

  // Runs call on the worker's thread and returns when it has returned,
  // processing this thread's messages meanwhile: handlers run as the message
  // loop would run them, each failure reported by the application. An
  // exception of the call itself is raised again here. Nothing of the call
  // may be released or changed by those handlers while it runs; a handler
  // that asks for another call meanwhile raises EInvalidOperation.
  void Run(const std::function<void()>& call);
  // Whether a call is running now.
  bool Busy() const { return call_ != nullptr; }

private:
  static unsigned long __stdcall ThreadMain(void* self);
  void Serve();

  void* thread_ = nullptr;
  void* start_ = nullptr;  // set when a call (or the end) is waiting
  void* done_ = nullptr;   // set when the call is over
  const std::function<void()>* call_ = nullptr;
  std::exception_ptr error_;
  bool quit_ = false;
};

}  // namespace orlo
