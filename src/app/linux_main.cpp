// The Linux entry: wires the Qt backends to Main.
#include "app/main_entry.h"
#include "app/program_state.h"
#include "platform/qt/qt_backend.h"

int main(int argc, char** argv) {
    const auto backends = brellix::platform::qt::CreateBackends(argc, argv);
    brellix::app::ProgramState state;
    return brellix::app::Main(backends->os(), backends->forms(), state);
}
