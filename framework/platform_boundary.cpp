#include "platform_boundary.h"

#include <windows.h>

#include "sysutils.h"

namespace orlo {

namespace {
std::function<void(std::exception_ptr)>& Handler() {
  static std::function<void(std::exception_ptr)> handler;
  return handler;
}
thread_local TCarriedException* t_carrier = nullptr;

void ShowPlain(std::exception_ptr e) {
  std::string text;
  try {
    std::rethrow_exception(e);
  } catch (const EAbort&) {
    return;
  } catch (const Exception& ex) {
    text = ex.Message() + ".";
  } catch (const std::exception& ex) {
    text = ex.what();
  } catch (...) {
    text = "Unknown exception";
  }
  MessageBoxA(nullptr, text.c_str(), nullptr, MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}
}  // namespace

void SetBoundaryExceptionHandler(std::function<void(std::exception_ptr)> handler) {
  Handler() = std::move(handler);
}

void HandleBoundaryException() noexcept {
  std::exception_ptr e = std::current_exception();
  if (!e) return;
  if (t_carrier) {
    if (!t_carrier->error_) t_carrier->error_ = e;
    return;
  }
  try {
    if (Handler())
      Handler()(e);
    else
      ShowPlain(e);
  } catch (...) {
    // The handler itself failed: nothing sensible is left to do at a
    // platform edge but to drop it.
  }
}

TCarriedException::TCarriedException() : outer_(t_carrier) { t_carrier = this; }

TCarriedException::~TCarriedException() { t_carrier = outer_; }

void TCarriedException::Rethrow() {
  t_carrier = outer_;
  if (error_) {
    std::exception_ptr e = error_;
    error_ = nullptr;
    std::rethrow_exception(e);
  }
}

}  // namespace orlo
