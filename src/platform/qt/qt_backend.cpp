#include "platform/qt/qt_backend.h"

#include <string>
#include <vector>

#include "platform/qt/bus_types.h"
#include "platform/qt/qt_forms.h"
#include "platform/qt/qt_os.h"

namespace brellix::platform::qt {

namespace {

class QtBackends : public Backends {
public:
    QtBackends(int& argc, char** argv) : forms_(argc, argv), os_(std::vector<std::string>(argv, argv + argc), forms_) {}
    Os& os() override { return os_; }
    Forms& forms() override { return forms_; }

private:
    QtForms forms_;  // before the OS side, which reaches the window through it
    QtOs os_;
};

}  // namespace

std::unique_ptr<Backends> CreateBackends(int& argc, char** argv) {
    RegisterBusTypes();
    return std::make_unique<QtBackends>(argc, argv);
}

}  // namespace brellix::platform::qt
