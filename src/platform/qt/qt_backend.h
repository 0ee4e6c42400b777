// The Linux desktop backends behind the two seams, made without showing a Qt type to the caller.
#pragma once

#include <memory>

#include "platform/forms.h"
#include "platform/os.h"

namespace brellix::platform::qt {

class Backends {
public:
    virtual ~Backends() = default;
    virtual Os& os() = 0;
    virtual Forms& forms() = 0;
};

// argc and argv must outlive the backends (Qt keeps them).
std::unique_ptr<Backends> CreateBackends(int& argc, char** argv);

}  // namespace brellix::platform::qt
