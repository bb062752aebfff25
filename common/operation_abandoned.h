// Thrown after the user has been told why an operation cannot go on (an
// invalid number, a failed conversion): the event handler that started the
// operation ends without a further message. The window layer catches it
// around every handler.
#pragma once

#include <exception>

namespace tk {

struct OperationAbandoned : std::exception {
  const char* what() const noexcept override { return "operation abandoned"; }
};

}  // namespace tk
