// The Linux entry: wires the Qt backends to Main.
#include <iostream>

#include "app/linux_usage.h"
#include "app/main_entry.h"
#include "app/program_state.h"
#include "platform/qt/qt_backend.h"

int main(int argc, char** argv) {
    if (const auto status = brellix::app::AnswerInformationRequest(argc, argv, std::cout)) return *status;
    const auto backends = brellix::platform::qt::CreateBackends(argc, argv);
    brellix::app::ProgramState state;
    return brellix::app::Main(backends->os(), backends->forms(), state);
}
