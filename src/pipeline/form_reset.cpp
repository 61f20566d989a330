#include "pipeline/form_reset.h"

namespace {

void emptyBoxes(JobForm& form, bool crlPathToo) {
    form.setBoxText(FormBox::Input, "");
    form.setBoxText(FormBox::Output, "");
    if (crlPathToo) {
        form.setBoxText(FormBox::CrlPath, "");
    }
}

} // namespace

void resetFormAfterFailure(JobForm& form, FailureReset reset) {
    if (reset.enableOutput) {
        form.enableOutput();
    }
    emptyBoxes(form, reset.emptyCrlPath);
    if (reset.showValues) {
        form.showValues();
    }
}

void resetFormAfterJob(JobForm& form) {
    emptyBoxes(form, true);
    form.enableOutput();
    form.showValues();
}
