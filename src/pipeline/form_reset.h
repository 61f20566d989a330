#pragma once
// What a job leaves in the form when it stops: the boxes it empties and whether it shows them.
#include "pipeline/job_form.h"

// How a failure leaves the form; Input and Output are always emptied.
struct FailureReset {
    bool enableOutput = false; // a batch gives the output box and its Browse button back
    bool emptyCrlPath = false;
    bool showValues = true;
};

// In this order: enable the output, empty Input, Output and perhaps the CRL path, show the values.
void resetFormAfterFailure(JobForm& form, FailureReset reset);

// After a job that ran to its end: Input, Output and the CRL path emptied, then the output enabled and
// the values shown.
void resetFormAfterJob(JobForm& form);
