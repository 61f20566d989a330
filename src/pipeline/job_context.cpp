#include "pipeline/job_context.h"

#include "pipeline/activity_log.h"

void JobContext::logOutcome(int kind, const std::string& message) {
    showLogFailure(ui, log.Write(kind, message, pair.files()));
}
