#pragma once
// The form, filled from the command line. The box effects of a job have nothing to show here.
#include "pipeline/job_form.h"

class CliJobForm : public JobForm {
public:
    explicit CliJobForm(FormValues values) : values_(std::move(values)) {}

    FormValues readValues() override { return values_; }
    void setBoxText(FormBox box, const std::string& text) override {
        (box == FormBox::Input    ? values_.input
         : box == FormBox::Output ? values_.output
                                  : values_.crlPath) = text;
    }
    void setCrlChoice(RevocationChoice choice) override { values_.crlChoice = choice; }
    void showValues() override {}
    void focusBox(FormBox) override {}
    void enableOutput() override {}

private:
    FormValues values_;
};
