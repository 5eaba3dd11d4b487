// Exceptions never unwind through the platform's frames (window procedures,
// timer and hook callbacks): every callback catches at its edge and calls
// HandleBoundaryException() from inside its catch block.
#pragma once
#include <exception>
#include <functional>

namespace orlo {

// Hands the exception being handled to the application's exception handling,
// or stores it while a TCarriedException scope is active on this thread.
void HandleBoundaryException() noexcept;

// The application installs its handler; without one the exception is shown
// in a plain message box.
void SetBoundaryExceptionHandler(std::function<void(std::exception_ptr)> handler);

// While alive, an exception caught at a platform edge is kept (the first
// one) instead of being shown; Rethrow() raises it again on our side of the
// platform call. Used where the caller must see the error, for example an
// exception while a window is created inside a constructor.
class TCarriedException {
public:
  TCarriedException();
  ~TCarriedException();
  TCarriedException(const TCarriedException&) = delete;
  TCarriedException& operator=(const TCarriedException&) = delete;
  void Rethrow();

private:
  TCarriedException* outer_;
  std::exception_ptr error_;
  friend void HandleBoundaryException() noexcept;
};

}  // namespace orlo
