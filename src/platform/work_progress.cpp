#include "platform/work_progress.h"

namespace {
std::atomic<WorkProgress*> installed{nullptr};
} // namespace

WorkProgress::WorkProgress() {
    installed.store(this);
}

WorkProgress::~WorkProgress() {
    WorkProgress* self = this;
    installed.compare_exchange_strong(self, nullptr);
}

WorkProgress::Snapshot WorkProgress::snapshot() const noexcept {
    return {stage_.load(), done_.load(std::memory_order_relaxed), total_.load(std::memory_order_relaxed)};
}

WorkProgress* WorkProgress::current() noexcept {
    return installed.load();
}

void WorkProgress::throwIfStopped() {
    const WorkProgress* progress = current();
    if (progress != nullptr && progress->stopRequested() && progress->held_.load() == 0) {
        throw WorkStopped();
    }
}

WorkPass::WorkPass(WorkStage stage, std::uint64_t total) noexcept : progress_(WorkProgress::current()) {
    if (progress_ != nullptr) {
        previous_ = progress_->snapshot();
        progress_->total_.store(total, std::memory_order_relaxed);
        progress_->done_.store(0, std::memory_order_relaxed);
        progress_->stage_.store(stage);
    }
}

WorkPass::~WorkPass() {
    if (progress_ != nullptr) {
        progress_->total_.store(previous_.total, std::memory_order_relaxed);
        progress_->done_.store(previous_.done, std::memory_order_relaxed);
        progress_->stage_.store(previous_.stage);
    }
}

void WorkPass::advance(std::uint64_t bytes) const {
    if (progress_ != nullptr) {
        progress_->done_.fetch_add(bytes, std::memory_order_relaxed);
        WorkProgress::throwIfStopped();
    }
}

bool WorkPass::advanced(std::uint64_t bytes) noexcept {
    WorkProgress* progress = WorkProgress::current();
    // Writes outside a pass (the activity log's) are neither counted nor stopped.
    if (progress == nullptr || progress->stage_.load() == WorkStage::Idle) {
        return true;
    }
    progress->done_.fetch_add(bytes, std::memory_order_relaxed);
    return !progress->stopRequested() || progress->held_.load() > 0;
}

StopHeld::StopHeld() noexcept : progress_(WorkProgress::current()) {
    if (progress_ != nullptr) {
        progress_->held_.fetch_add(1);
    }
}

StopHeld::~StopHeld() {
    if (progress_ != nullptr) {
        progress_->held_.fetch_sub(1);
    }
}
