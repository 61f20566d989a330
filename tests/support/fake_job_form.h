#pragma once
// A JobForm kept in memory: what the boxes show, the values the job has set, focus and the output
// box's state, with every effect recorded as a readable line such as `setBoxText(Output, "")`.
#include "pipeline/job_form.h"

#include <optional>
#include <string>
#include <vector>

class FakeJobForm : public JobForm {
public:
    FakeJobForm() = default;
    // The boxes show these values (as typed by the person) and the stored values start equal.
    explicit FakeJobForm(const FormValues& shown);

    FormValues shown;  // what the boxes display
    FormValues stored; // the form's stored values
    std::optional<FormBox> focused;
    bool outputEnabled = false;
    std::vector<std::string> effects;

    FormValues readValues() override;
    void setBoxText(FormBox box, const std::string& text) override;
    void setCrlChoice(RevocationChoice choice) override;
    void showValues() override;
    void focusBox(FormBox box) override;
    void enableOutput() override;

    int refreshCount() const;

    static std::string boxName(FormBox box);
};
