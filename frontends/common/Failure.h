// Something a front-end could not do: the engine is not running or does not answer, no
// window has the name, the engine refused. Its text is one line for the user.
#pragma once

#include <stdexcept>

namespace popyo::frontend {

class Failure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace popyo::frontend
