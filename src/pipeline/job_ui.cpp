#include "pipeline/job_ui.h"

#include <cstdlib>

void JobUi::terminateApplication(int exitStatus) {
    std::_Exit(exitStatus);
}
